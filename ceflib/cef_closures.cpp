#include "cef_closures.h"

#include <utility>

#include "cef_convert.h"
#include "cef_wrappers.h"

namespace {

// The cookie record is read field by field: the expiry only when the cookie
// has one. The delete flag reads 0 until the visit has answered, so an error
// raised while visiting never deletes a cookie; it also stops the visit.
int CEF_CALLBACK CookieVisit(cef_cookie_visitor_t* self, const cef_cookie_t* cookie, int count,
                             int total, int* deleteCookie) noexcept {
  if (deleteCookie) *deleteCookie = 0;
  if (!cookie) return 0;
  return CefGuarded(0, [&] {
    const bool hasExpires = cookie->has_expires != 0;
    bool remove = false;
    const bool goOn = CefOwner<TCefCookieVisitorOwn>(self)->Visit(
        CefStringToUstring(&cookie->name), CefStringToUstring(&cookie->value),
        CefStringToUstring(&cookie->domain), CefStringToUstring(&cookie->path), cookie->secure != 0,
        cookie->httponly != 0, hasExpires, EngineTimeToDateTime(cookie->creation),
        EngineTimeToDateTime(cookie->last_access),
        hasExpires ? EngineTimeToDateTime(cookie->expires) : 0.0, count, total, remove);
    if (deleteCookie) *deleteCookie = remove ? 1 : 0;
    return goOn ? 1 : 0;
  });
}

}  // namespace

// ---- Handler bases --------------------------------------------------------------

TCefStringVisitorOwn::TCefStringVisitorOwn() : TCefBaseOwn(sizeof(cef_string_visitor_t)) {
  using Self = TCefStringVisitorOwn;
  auto* r = Record<cef_string_visitor_t>();
  NIMBRA_ENTRY(r, visit, Visit);
}
void TCefStringVisitorOwn::Visit(const ustring&) {}

TCefDomVisitorOwn::TCefDomVisitorOwn() : TCefBaseOwn(sizeof(cef_domvisitor_t)) {
  using Self = TCefDomVisitorOwn;
  auto* r = Record<cef_domvisitor_t>();
  NIMBRA_ENTRY(r, visit, Visit);
}
void TCefDomVisitorOwn::Visit(const TInterfacePtr<ICefDomDocument>&) {}

TCefDomEventListenerOwn::TCefDomEventListenerOwn() : TCefBaseOwn(sizeof(cef_domevent_listener_t)) {
  using Self = TCefDomEventListenerOwn;
  auto* r = Record<cef_domevent_listener_t>();
  NIMBRA_ENTRY(r, handle_event, HandleEvent);
}
void TCefDomEventListenerOwn::HandleEvent(const TInterfacePtr<ICefDomEvent>&) {}

TCefCookieVisitorOwn::TCefCookieVisitorOwn() : TCefBaseOwn(sizeof(cef_cookie_visitor_t)) {
  Record<cef_cookie_visitor_t>()->visit = CookieVisit;
}
bool TCefCookieVisitorOwn::Visit(const ustring&, const ustring&, const ustring&, const ustring&,
                                 bool, bool, bool, double, double, double, int, int, bool&) {
  return true;
}

TCefRunFileDialogCallbackOwn::TCefRunFileDialogCallbackOwn()
    : TCefBaseOwn(sizeof(cef_run_file_dialog_callback_t)) {
  using Self = TCefRunFileDialogCallbackOwn;
  auto* r = Record<cef_run_file_dialog_callback_t>();
  NIMBRA_ENTRY(r, cont, Cont);
}
void TCefRunFileDialogCallbackOwn::Cont(const TInterfacePtr<ICefBrowserHost>&, const TStringList&) {
}

// ---- Adapters -------------------------------------------------------------------
// An empty closure leaves the base's answer.

TCefFastStringVisitor::TCefFastStringVisitor(TCefStringVisitorProc callback)
    : FVisit(std::move(callback)) {}
void TCefFastStringVisitor::Visit(const ustring& text) {
  if (FVisit) FVisit(text);
}

TCefFastDomVisitor::TCefFastDomVisitor(TCefDomVisitorProc proc) : FProc(std::move(proc)) {}
void TCefFastDomVisitor::Visit(const TInterfacePtr<ICefDomDocument>& document) {
  if (FProc) FProc(document);
}

TCefFastDomEventListener::TCefFastDomEventListener(TCefDomEventListenerProc proc)
    : FProc(std::move(proc)) {}
void TCefFastDomEventListener::HandleEvent(const TInterfacePtr<ICefDomEvent>& event) {
  TCefDomEventListenerOwn::HandleEvent(event);
  if (FProc) FProc(event);
}

TCefFastCookieVisitor::TCefFastCookieVisitor(TCefCookieVisitorProc visitor)
    : FVisitor(std::move(visitor)) {}
bool TCefFastCookieVisitor::Visit(const ustring& name, const ustring& value, const ustring& domain,
                                  const ustring& path, bool secure, bool httponly, bool hasExpires,
                                  double creation, double lastAccess, double expires, int count,
                                  int total, bool& deleteCookie) {
  if (!FVisitor)
    return TCefCookieVisitorOwn::Visit(name, value, domain, path, secure, httponly, hasExpires,
                                       creation, lastAccess, expires, count, total, deleteCookie);
  return FVisitor(name, value, domain, path, secure, httponly, hasExpires, creation, lastAccess,
                  expires, count, total, deleteCookie);
}

TCefFastRunFileDialogCallback::TCefFastRunFileDialogCallback(TCefRunFileDialogCallbackProc callback)
    : FCallback(std::move(callback)) {}
void TCefFastRunFileDialogCallback::Cont(const TInterfacePtr<ICefBrowserHost>& browserHost,
                                         const TStringList& filePaths) {
  if (FCallback) FCallback(browserHost, filePaths);
}
