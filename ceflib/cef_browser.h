// Browsers, their hosts and frames, requests, and the records the engine
// hands to browser handlers.
#pragma once

#include "cef_forward.h"

class ICefBrowser : public virtual ICefBase {};
class ICefFrame : public virtual ICefBase {};
class ICefRequest : public virtual ICefBase {};
class ICefSchemeRegistrar : public virtual ICefBase {};

class TCefBrowserRef : public TCefBaseRefT<cef_browser_t, ICefBrowser> {
  NIMBRA_WRAPPER_HEAD(TCefBrowserRef, ICefBrowser, cef_browser_t)
};
class TCefFrameRef : public TCefBaseRefT<cef_frame_t, ICefFrame> {
  NIMBRA_WRAPPER_HEAD(TCefFrameRef, ICefFrame, cef_frame_t)
};
class TCefRequestRef : public TCefBaseRefT<cef_request_t, ICefRequest> {
  NIMBRA_WRAPPER_HEAD(TCefRequestRef, ICefRequest, cef_request_t)
};
class TCefSchemeRegistrarRef : public TCefBaseRefT<cef_scheme_registrar_t, ICefSchemeRegistrar> {
  NIMBRA_WRAPPER_HEAD(TCefSchemeRegistrarRef, ICefSchemeRegistrar, cef_scheme_registrar_t)
};
