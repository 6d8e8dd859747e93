#include "cef_handlers.h"

#include "cef_wrappers.h"

namespace {

template <class T>
T* Self(const void* record) {
  return CefOwner<T>(record);
}

// ---- Application ------------------------------------------------------------
using TApp = TCefAppOwn;

void CEF_CALLBACK AppOnBeforeCommandLineProcessing(cef_app_t* self, const cef_string_t* processType,
                                                   cef_command_line_t* commandLine) {
  CefGuarded([&] {
    Self<TApp>(self)->OnBeforeCommandLineProcessing(CefStringToUstring(processType),
                                                    TCefCommandLineRef::UnWrap(commandLine));
  });
}
void CEF_CALLBACK AppOnRegisterCustomSchemes(cef_app_t* self, cef_scheme_registrar_t* registrar) {
  CefGuarded([&] {
    Self<TApp>(self)->OnRegisterCustomSchemes(TCefSchemeRegistrarRef::UnWrap(registrar));
  });
}
cef_resource_bundle_handler_t* CEF_CALLBACK AppGetResourceBundleHandler(cef_app_t* self) {
  return CefGuarded<cef_resource_bundle_handler_t*>(nullptr, [&] {
    return static_cast<cef_resource_bundle_handler_t*>(
        CefRecordOf(Self<TApp>(self)->GetResourceBundleHandler()));
  });
}
cef_browser_process_handler_t* CEF_CALLBACK AppGetBrowserProcessHandler(cef_app_t* self) {
  return CefGuarded<cef_browser_process_handler_t*>(nullptr, [&] {
    return static_cast<cef_browser_process_handler_t*>(
        CefRecordOf(Self<TApp>(self)->GetBrowserProcessHandler()));
  });
}
cef_render_process_handler_t* CEF_CALLBACK AppGetRenderProcessHandler(cef_app_t* self) {
  return CefGuarded<cef_render_process_handler_t*>(nullptr, [&] {
    return static_cast<cef_render_process_handler_t*>(
        CefRecordOf(Self<TApp>(self)->GetRenderProcessHandler()));
  });
}

// ---- Browser-process handler -------------------------------------------------
using TBph = TCefBrowserProcessHandlerOwn;

void CEF_CALLBACK BphOnContextInitialized(cef_browser_process_handler_t* self) {
  CefGuarded([&] { Self<TBph>(self)->OnContextInitialized(); });
}
void CEF_CALLBACK BphOnBeforeChildProcessLaunch(cef_browser_process_handler_t* self,
                                                cef_command_line_t* commandLine) {
  CefGuarded([&] {
    Self<TBph>(self)->OnBeforeChildProcessLaunch(TCefCommandLineRef::UnWrap(commandLine));
  });
}
void CEF_CALLBACK BphOnRenderProcessThreadCreated(cef_browser_process_handler_t* self,
                                                  cef_list_value_t* extraInfo) {
  CefGuarded(
      [&] { Self<TBph>(self)->OnRenderProcessThreadCreated(TCefListValueRef::UnWrap(extraInfo)); });
}

// ---- Render-process handler ----------------------------------------------------
using TRph = TCefRenderProcessHandlerOwn;
using RphRecord = cef_render_process_handler_t;

void CEF_CALLBACK RphOnRenderThreadCreated(RphRecord* self, cef_list_value_t* extraInfo) {
  CefGuarded([&] { Self<TRph>(self)->OnRenderThreadCreated(TCefListValueRef::UnWrap(extraInfo)); });
}
void CEF_CALLBACK RphOnWebKitInitialized(RphRecord* self) {
  CefGuarded([&] { Self<TRph>(self)->OnWebKitInitialized(); });
}
void CEF_CALLBACK RphOnBrowserCreated(RphRecord* self, cef_browser_t* browser) {
  CefGuarded([&] { Self<TRph>(self)->OnBrowserCreated(TCefBrowserRef::UnWrap(browser)); });
}
void CEF_CALLBACK RphOnBrowserDestroyed(RphRecord* self, cef_browser_t* browser) {
  CefGuarded([&] { Self<TRph>(self)->OnBrowserDestroyed(TCefBrowserRef::UnWrap(browser)); });
}
int CEF_CALLBACK RphOnBeforeNavigation(RphRecord* self, cef_browser_t* browser, cef_frame_t* frame,
                                       cef_request_t* request, cef_navigation_type_t navigationType,
                                       int isRedirect) {
  return CefGuarded(0, [&] {
    return Self<TRph>(self)->OnBeforeNavigation(
               TCefBrowserRef::UnWrap(browser), TCefFrameRef::UnWrap(frame),
               TCefRequestRef::UnWrap(request), navigationType, isRedirect != 0)
               ? 1
               : 0;
  });
}
void CEF_CALLBACK RphOnContextCreated(RphRecord* self, cef_browser_t* browser, cef_frame_t* frame,
                                      cef_v8context_t* context) {
  CefGuarded([&] {
    Self<TRph>(self)->OnContextCreated(TCefBrowserRef::UnWrap(browser), TCefFrameRef::UnWrap(frame),
                                       TCefv8ContextRef::UnWrap(context));
  });
}
void CEF_CALLBACK RphOnContextReleased(RphRecord* self, cef_browser_t* browser, cef_frame_t* frame,
                                       cef_v8context_t* context) {
  CefGuarded([&] {
    Self<TRph>(self)->OnContextReleased(TCefBrowserRef::UnWrap(browser),
                                        TCefFrameRef::UnWrap(frame),
                                        TCefv8ContextRef::UnWrap(context));
  });
}
void CEF_CALLBACK RphOnUncaughtException(RphRecord* self, cef_browser_t* browser,
                                         cef_frame_t* frame, cef_v8context_t* context,
                                         cef_v8exception_t* exception,
                                         cef_v8stack_trace_t* stackTrace) {
  CefGuarded([&] {
    Self<TRph>(self)->OnUncaughtException(
        TCefBrowserRef::UnWrap(browser), TCefFrameRef::UnWrap(frame),
        TCefv8ContextRef::UnWrap(context), TCefV8ExceptionRef::UnWrap(exception),
        TCefV8StackTraceRef::UnWrap(stackTrace));
  });
}
void CEF_CALLBACK RphOnWorkerContextCreated(RphRecord* self, int workerId, const cef_string_t* url,
                                            cef_v8context_t* context) {
  CefGuarded([&] {
    Self<TRph>(self)->OnWorkerContextCreated(workerId, CefStringToUstring(url),
                                             TCefv8ContextRef::UnWrap(context));
  });
}
void CEF_CALLBACK RphOnWorkerContextReleased(RphRecord* self, int workerId, const cef_string_t* url,
                                             cef_v8context_t* context) {
  CefGuarded([&] {
    Self<TRph>(self)->OnWorkerContextReleased(workerId, CefStringToUstring(url),
                                              TCefv8ContextRef::UnWrap(context));
  });
}
void CEF_CALLBACK RphOnWorkerUncaughtException(RphRecord* self, int workerId,
                                               const cef_string_t* url, cef_v8context_t* context,
                                               cef_v8exception_t* exception,
                                               cef_v8stack_trace_t* stackTrace) {
  CefGuarded([&] {
    Self<TRph>(self)->OnWorkerUncaughtException(
        workerId, CefStringToUstring(url), TCefv8ContextRef::UnWrap(context),
        TCefV8ExceptionRef::UnWrap(exception), TCefV8StackTraceRef::UnWrap(stackTrace));
  });
}
void CEF_CALLBACK RphOnFocusedNodeChanged(RphRecord* self, cef_browser_t* browser,
                                          cef_frame_t* frame, cef_domnode_t* node) {
  CefGuarded([&] {
    Self<TRph>(self)->OnFocusedNodeChanged(
        TCefBrowserRef::UnWrap(browser), TCefFrameRef::UnWrap(frame), TCefDomNodeRef::UnWrap(node));
  });
}
int CEF_CALLBACK RphOnProcessMessageReceived(RphRecord* self, cef_browser_t* browser,
                                             cef_process_id_t sourceProcess,
                                             cef_process_message_t* message) {
  return CefGuarded(0, [&] {
    return Self<TRph>(self)->OnProcessMessageReceived(TCefBrowserRef::UnWrap(browser),
                                                      sourceProcess,
                                                      TCefProcessMessageRef::UnWrap(message))
               ? 1
               : 0;
  });
}

}  // namespace

TCefAppOwn::TCefAppOwn() : TCefBaseOwn(sizeof(cef_app_t)) {
  auto* r = Record<cef_app_t>();
  r->on_before_command_line_processing = AppOnBeforeCommandLineProcessing;
  r->on_register_custom_schemes = AppOnRegisterCustomSchemes;
  r->get_resource_bundle_handler = AppGetResourceBundleHandler;
  r->get_browser_process_handler = AppGetBrowserProcessHandler;
  r->get_render_process_handler = AppGetRenderProcessHandler;
}
void TCefAppOwn::OnBeforeCommandLineProcessing(const ustring&,
                                               const TInterfacePtr<ICefCommandLine>&) {}
void TCefAppOwn::OnRegisterCustomSchemes(const TInterfacePtr<ICefSchemeRegistrar>&) {}
TInterfacePtr<ICefResourceBundleHandler> TCefAppOwn::GetResourceBundleHandler() { return nullptr; }
TInterfacePtr<ICefBrowserProcessHandler> TCefAppOwn::GetBrowserProcessHandler() { return nullptr; }
TInterfacePtr<ICefRenderProcessHandler> TCefAppOwn::GetRenderProcessHandler() { return nullptr; }

TCefBrowserProcessHandlerOwn::TCefBrowserProcessHandlerOwn()
    : TCefBaseOwn(sizeof(cef_browser_process_handler_t)) {
  auto* r = Record<cef_browser_process_handler_t>();
  r->on_context_initialized = BphOnContextInitialized;
  r->on_before_child_process_launch = BphOnBeforeChildProcessLaunch;
  r->on_render_process_thread_created = BphOnRenderProcessThreadCreated;
}
void TCefBrowserProcessHandlerOwn::OnContextInitialized() {}
void TCefBrowserProcessHandlerOwn::OnBeforeChildProcessLaunch(
    const TInterfacePtr<ICefCommandLine>&) {}
void TCefBrowserProcessHandlerOwn::OnRenderProcessThreadCreated(
    const TInterfacePtr<ICefListValue>&) {}

TCefRenderProcessHandlerOwn::TCefRenderProcessHandlerOwn()
    : TCefBaseOwn(sizeof(cef_render_process_handler_t)) {
  auto* r = Record<cef_render_process_handler_t>();
  r->on_render_thread_created = RphOnRenderThreadCreated;
  r->on_web_kit_initialized = RphOnWebKitInitialized;
  r->on_browser_created = RphOnBrowserCreated;
  r->on_browser_destroyed = RphOnBrowserDestroyed;
  r->on_before_navigation = RphOnBeforeNavigation;
  r->on_context_created = RphOnContextCreated;
  r->on_context_released = RphOnContextReleased;
  r->on_uncaught_exception = RphOnUncaughtException;
  r->on_worker_context_created = RphOnWorkerContextCreated;
  r->on_worker_context_released = RphOnWorkerContextReleased;
  r->on_worker_uncaught_exception = RphOnWorkerUncaughtException;
  r->on_focused_node_changed = RphOnFocusedNodeChanged;
  r->on_process_message_received = RphOnProcessMessageReceived;
}
void TCefRenderProcessHandlerOwn::OnRenderThreadCreated(const TInterfacePtr<ICefListValue>&) {}
void TCefRenderProcessHandlerOwn::OnWebKitInitialized() {}
void TCefRenderProcessHandlerOwn::OnBrowserCreated(PBrowser) {}
void TCefRenderProcessHandlerOwn::OnBrowserDestroyed(PBrowser) {}
bool TCefRenderProcessHandlerOwn::OnBeforeNavigation(PBrowser, PFrame,
                                                     const TInterfacePtr<ICefRequest>&,
                                                     cef_navigation_type_t, bool) {
  return false;
}
void TCefRenderProcessHandlerOwn::OnContextCreated(PBrowser, PFrame, PContext) {}
void TCefRenderProcessHandlerOwn::OnContextReleased(PBrowser, PFrame, PContext) {}
void TCefRenderProcessHandlerOwn::OnUncaughtException(PBrowser, PFrame, PContext, PException,
                                                      PStackTrace) {}
void TCefRenderProcessHandlerOwn::OnWorkerContextCreated(int, const ustring&, PContext) {}
void TCefRenderProcessHandlerOwn::OnWorkerContextReleased(int, const ustring&, PContext) {}
void TCefRenderProcessHandlerOwn::OnWorkerUncaughtException(int, const ustring&, PContext,
                                                            PException, PStackTrace) {}
void TCefRenderProcessHandlerOwn::OnFocusedNodeChanged(PBrowser, PFrame,
                                                       const TInterfacePtr<ICefDomNode>&) {}
bool TCefRenderProcessHandlerOwn::OnProcessMessageReceived(
    PBrowser, TCefProcessId, const TInterfacePtr<ICefProcessMessage>&) {
  return false;
}
