#include "cef_handlers.h"

#include "cef_convert.h"
#include "cef_wrappers.h"

TCefAppOwn::TCefAppOwn() : TCefBaseOwn(sizeof(cef_app_t)) {
  using Self = TCefAppOwn;
  auto* r = Record<cef_app_t>();
  NIMBRA_ENTRY(r, on_before_command_line_processing, OnBeforeCommandLineProcessing);
  NIMBRA_ENTRY(r, on_register_custom_schemes, OnRegisterCustomSchemes);
  NIMBRA_ENTRY(r, get_resource_bundle_handler, GetResourceBundleHandler);
  NIMBRA_ENTRY(r, get_browser_process_handler, GetBrowserProcessHandler);
  NIMBRA_ENTRY(r, get_render_process_handler, GetRenderProcessHandler);
}
void TCefAppOwn::OnBeforeCommandLineProcessing(const ustring&,
                                               const TInterfacePtr<ICefCommandLine>&) {}
void TCefAppOwn::OnRegisterCustomSchemes(const TInterfacePtr<ICefSchemeRegistrar>&) {}
TInterfacePtr<ICefResourceBundleHandler> TCefAppOwn::GetResourceBundleHandler() { return nullptr; }
TInterfacePtr<ICefBrowserProcessHandler> TCefAppOwn::GetBrowserProcessHandler() { return nullptr; }
TInterfacePtr<ICefRenderProcessHandler> TCefAppOwn::GetRenderProcessHandler() { return nullptr; }

TCefBrowserProcessHandlerOwn::TCefBrowserProcessHandlerOwn()
    : TCefBaseOwn(sizeof(cef_browser_process_handler_t)) {
  using Self = TCefBrowserProcessHandlerOwn;
  auto* r = Record<cef_browser_process_handler_t>();
  NIMBRA_ENTRY(r, on_context_initialized, OnContextInitialized);
  NIMBRA_ENTRY(r, on_before_child_process_launch, OnBeforeChildProcessLaunch);
  NIMBRA_ENTRY(r, on_render_process_thread_created, OnRenderProcessThreadCreated);
}
void TCefBrowserProcessHandlerOwn::OnContextInitialized() {}
void TCefBrowserProcessHandlerOwn::OnBeforeChildProcessLaunch(
    const TInterfacePtr<ICefCommandLine>&) {}
void TCefBrowserProcessHandlerOwn::OnRenderProcessThreadCreated(
    const TInterfacePtr<ICefListValue>&) {}

TCefRenderProcessHandlerOwn::TCefRenderProcessHandlerOwn()
    : TCefBaseOwn(sizeof(cef_render_process_handler_t)) {
  using Self = TCefRenderProcessHandlerOwn;
  auto* r = Record<cef_render_process_handler_t>();
  NIMBRA_ENTRY(r, on_render_thread_created, OnRenderThreadCreated);
  NIMBRA_ENTRY(r, on_web_kit_initialized, OnWebKitInitialized);
  NIMBRA_ENTRY(r, on_browser_created, OnBrowserCreated);
  NIMBRA_ENTRY(r, on_browser_destroyed, OnBrowserDestroyed);
  NIMBRA_ENTRY(r, on_before_navigation, OnBeforeNavigation);
  NIMBRA_ENTRY(r, on_context_created, OnContextCreated);
  NIMBRA_ENTRY(r, on_context_released, OnContextReleased);
  NIMBRA_ENTRY(r, on_uncaught_exception, OnUncaughtException);
  NIMBRA_ENTRY(r, on_worker_context_created, OnWorkerContextCreated);
  NIMBRA_ENTRY(r, on_worker_context_released, OnWorkerContextReleased);
  NIMBRA_ENTRY(r, on_worker_uncaught_exception, OnWorkerUncaughtException);
  NIMBRA_ENTRY(r, on_focused_node_changed, OnFocusedNodeChanged);
  NIMBRA_ENTRY(r, on_process_message_received, OnProcessMessageReceived);
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
