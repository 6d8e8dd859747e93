// Declares every export of libcef.dll from the interface table, so each
// definition in the engine is checked against the interface it must honour.
#ifndef NIMBRA_DEVENGINE_EXPORTS_H
#define NIMBRA_DEVENGINE_EXPORTS_H

#include "cef_capi.h"

// extern "C" keeps the names plain; with cdecl, i686 exports them without the
// leading underscore its symbols carry.
#define DEVENGINE_EXPORT extern "C" __declspec(dllexport)

#define DEVENGINE_DECLARE_EXPORT(ret, name, params) DEVENGINE_EXPORT ret CEF_EXPORT_CC name params;
CEF_EXPORTS(DEVENGINE_DECLARE_EXPORT)
#undef DEVENGINE_DECLARE_EXPORT

#endif
