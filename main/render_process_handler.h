// The render-process handler: the only program object that acts inside the
// engine's renderer processes. Created at start-up in every process and
// handed to the engine, which calls it only in renderers.
#pragma once

#include "cef_handlers.h"

class TCustomRenderProcessHandler : public TCefRenderProcessHandlerOwn {};
