#include "cef_handlers.h"

#include "cef_convert.h"
#include "cef_wrappers.h"

namespace {

// An out-parameter of an entry: the native value starts as the engine's (the
// native default when the engine gave no storage) and goes back only after the
// operation returned, so a failing handler leaves the engine's value alone.
template <class Native, class Engine>
struct TCefOut {
  explicit TCefOut(Engine* target)
      : Target(target), Value(target ? static_cast<Native>(*target) : Native{}) {}
  void WriteBack() const {
    if (Target) *Target = static_cast<Engine>(Value);
  }
  Engine* Target;
  Native Value;
};
using TCefTruthOut = TCefOut<bool, int>;

// The engine hands a pop-up's client back in as one of our own clients.
TInterfacePtr<ICefClient> ClientOfRecord(cef_client_t* record) {
  if (!record) return nullptr;
  return TInterfacePtr<ICefClient>(dynamic_cast<ICefClient*>(CefObjectOfRecord(record)));
}

int CEF_CALLBACK OnBeforePopupEntry(cef_life_span_handler_t* self, cef_browser_t* browser,
                                    cef_frame_t* frame, cef_string_t* targetUrl,
                                    cef_string_t* targetFrameName,
                                    cef_popup_features_t* popupFeatures,
                                    cef_window_info_t* windowInfo, cef_client_t** client,
                                    cef_browser_settings_t* settings,
                                    int* noJavascriptAccess) noexcept {
  const TInterfacePtr<ICefClient> engineClient = ClientOfRecord(client ? *client : nullptr);
  TInterfacePtr<ICefClient> popupClient = engineClient;
  bool returned = false;
  const int answer = CefGuarded(0, [&] {
    ustring url = CefStringToUstring(targetUrl);
    ustring frameName = CefStringToUstring(targetFrameName);
    // Records the engine left out are stood in for, so handlers never meet a
    // null reference.
    TCefPopupFeatures noFeatures{};
    TCefWindowInfo noWindowInfo{};
    TCefBrowserSettings noSettings{};
    noSettings.size = sizeof noSettings;
    TCefTruthOut noScript(noJavascriptAccess);
    const bool cancel = CefOwner<TCefLifeSpanHandlerOwn>(self)->OnBeforePopup(
        CefParam(browser), CefParam(frame), url, frameName,
        popupFeatures ? *popupFeatures : noFeatures, windowInfo ? *windowInfo : noWindowInfo,
        popupClient, settings ? *settings : noSettings, noScript.Value);
    returned = true;
    CefStringAssign(targetUrl, url);
    CefStringAssign(targetFrameName, frameName);
    noScript.WriteBack();
    return CefAnswer<int>(cancel);
  });
  // The out-value carries one reference for the engine on every path, so the
  // engine always has exactly one to release, also when the handler failed.
  if (client)
    *client = static_cast<cef_client_t*>(CefRecordOf(returned ? popupClient : engineClient));
  return answer;
}

int CEF_CALLBACK OnTooltipEntry(cef_display_handler_t* self, cef_browser_t* browser,
                                cef_string_t* text) noexcept {
  return CefGuarded(0, [&] {
    ustring tooltip = text ? CefStringTakeCleared(*text) : ustring();
    // Reading cleared the engine's text: a failing handler gives it back.
    const ustring engineText = tooltip;
    bool handled;
    try {
      handled = CefOwner<TCefDisplayHandlerOwn>(self)->OnTooltip(CefParam(browser), tooltip);
    } catch (...) {
      if (text) *text = CefStringAllocCopy(engineText);
      throw;
    }
    if (text) *text = CefStringAllocCopy(tooltip);
    return CefAnswer<int>(handled);
  });
}

int CEF_CALLBACK OnPreKeyEventEntry(cef_keyboard_handler_t* self, cef_browser_t* browser,
                                    const cef_key_event_t* event, cef_event_handle_t osEvent,
                                    int* isKeyboardShortcut) noexcept {
  return CefGuarded(0, [&] {
    TCefTruthOut shortcut(isKeyboardShortcut);
    const bool handled = CefOwner<TCefKeyboardHandlerOwn>(self)->OnPreKeyEvent(
        CefParam(browser), event, osEvent, shortcut.Value);
    shortcut.WriteBack();
    return CefAnswer<int>(handled);
  });
}

int CEF_CALLBACK OnJsdialogEntry(cef_jsdialog_handler_t* self, cef_browser_t* browser,
                                 const cef_string_t* originUrl, const cef_string_t* acceptLang,
                                 cef_jsdialog_type_t dialogType, const cef_string_t* messageText,
                                 const cef_string_t* defaultPromptText,
                                 cef_jsdialog_callback_t* callback, int* suppressMessage) noexcept {
  return CefGuarded(0, [&] {
    TCefTruthOut suppress(suppressMessage);
    const bool handled = CefOwner<TCefJsDialogHandlerOwn>(self)->OnJsdialog(
        CefParam(browser), CefParam(originUrl), CefParam(acceptLang), dialogType,
        CefParam(messageText), CefParam(defaultPromptText), CefParam(callback), suppress.Value);
    suppress.WriteBack();
    return CefAnswer<int>(handled);
  });
}

void CEF_CALLBACK OnResourceRedirectEntry(cef_request_handler_t* self, cef_browser_t* browser,
                                          cef_frame_t* frame, const cef_string_t* oldUrl,
                                          cef_string_t* newUrl) noexcept {
  CefGuarded([&] {
    ustring url = CefStringToUstring(newUrl);
    CefOwner<TCefRequestHandlerOwn>(self)->OnResourceRedirect(CefParam(browser), CefParam(frame),
                                                              CefParam(oldUrl), url);
    if (!url.empty()) CefStringAssign(newUrl, url);
  });
}

void CEF_CALLBACK OnProtocolExecutionEntry(cef_request_handler_t* self, cef_browser_t* browser,
                                           const cef_string_t* url,
                                           int* allowOsExecution) noexcept {
  CefGuarded([&] {
    TCefTruthOut allow(allowOsExecution);
    CefOwner<TCefRequestHandlerOwn>(self)->OnProtocolExecution(CefParam(browser), CefParam(url),
                                                               allow.Value);
    allow.WriteBack();
  });
}

// The two rectangle queries of the render handler.
template <bool (TCefRenderHandlerOwn::*Query)(PBrowser, TCefRect&)>
int CEF_CALLBACK RectQueryEntry(cef_render_handler_t* self, cef_browser_t* browser,
                                cef_rect_t* rect) noexcept {
  return CefGuarded(0, [&] {
    TCefOut<TCefRect, cef_rect_t> answer(rect);
    const bool filled =
        (CefOwner<TCefRenderHandlerOwn>(self)->*Query)(CefParam(browser), answer.Value);
    answer.WriteBack();
    return CefAnswer<int>(filled);
  });
}

int CEF_CALLBACK GetScreenPointEntry(cef_render_handler_t* self, cef_browser_t* browser, int viewX,
                                     int viewY, int* screenX, int* screenY) noexcept {
  return CefGuarded(0, [&] {
    TCefOut<int, int> x(screenX), y(screenY);
    const bool filled = CefOwner<TCefRenderHandlerOwn>(self)->GetScreenPoint(
        CefParam(browser), viewX, viewY, x.Value, y.Value);
    x.WriteBack();
    y.WriteBack();
    return CefAnswer<int>(filled);
  });
}

void CEF_CALLBACK OnPopupSizeEntry(cef_render_handler_t* self, cef_browser_t* browser,
                                   const cef_rect_t* rect) noexcept {
  CefGuarded([&] {
    const TCefRect none{};
    CefOwner<TCefRenderHandlerOwn>(self)->OnPopupSize(CefParam(browser), rect ? *rect : none);
  });
}

}  // namespace

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

TCefClientOwn::TCefClientOwn() : TCefBaseOwn(sizeof(cef_client_t)) {
  using Self = TCefClientOwn;
  auto* r = Record<cef_client_t>();
  NIMBRA_ENTRY(r, get_context_menu_handler, GetContextMenuHandler);
  NIMBRA_ENTRY(r, get_dialog_handler, GetDialogHandler);
  NIMBRA_ENTRY(r, get_display_handler, GetDisplayHandler);
  NIMBRA_ENTRY(r, get_download_handler, GetDownloadHandler);
  NIMBRA_ENTRY(r, get_focus_handler, GetFocusHandler);
  NIMBRA_ENTRY(r, get_geolocation_handler, GetGeolocationHandler);
  NIMBRA_ENTRY(r, get_jsdialog_handler, GetJsdialogHandler);
  NIMBRA_ENTRY(r, get_keyboard_handler, GetKeyboardHandler);
  NIMBRA_ENTRY(r, get_life_span_handler, GetLifeSpanHandler);
  NIMBRA_ENTRY(r, get_load_handler, GetLoadHandler);
  NIMBRA_ENTRY(r, get_render_handler, GetRenderHandler);
  NIMBRA_ENTRY(r, get_request_handler, GetRequestHandler);
  NIMBRA_ENTRY(r, on_process_message_received, OnProcessMessageReceived);
}
TInterfacePtr<ICefContextMenuHandler> TCefClientOwn::GetContextMenuHandler() { return nullptr; }
TInterfacePtr<ICefDialogHandler> TCefClientOwn::GetDialogHandler() { return nullptr; }
TInterfacePtr<ICefDisplayHandler> TCefClientOwn::GetDisplayHandler() { return nullptr; }
TInterfacePtr<ICefDownloadHandler> TCefClientOwn::GetDownloadHandler() { return nullptr; }
TInterfacePtr<ICefFocusHandler> TCefClientOwn::GetFocusHandler() { return nullptr; }
TInterfacePtr<ICefGeolocationHandler> TCefClientOwn::GetGeolocationHandler() { return nullptr; }
TInterfacePtr<ICefJsDialogHandler> TCefClientOwn::GetJsdialogHandler() { return nullptr; }
TInterfacePtr<ICefKeyboardHandler> TCefClientOwn::GetKeyboardHandler() { return nullptr; }
TInterfacePtr<ICefLifeSpanHandler> TCefClientOwn::GetLifeSpanHandler() { return nullptr; }
TInterfacePtr<ICefRenderHandler> TCefClientOwn::GetRenderHandler() { return nullptr; }
TInterfacePtr<ICefLoadHandler> TCefClientOwn::GetLoadHandler() { return nullptr; }
TInterfacePtr<ICefRequestHandler> TCefClientOwn::GetRequestHandler() { return nullptr; }
bool TCefClientOwn::OnProcessMessageReceived(PBrowser, TCefProcessId,
                                             const TInterfacePtr<ICefProcessMessage>&) {
  return false;
}

TCefLifeSpanHandlerOwn::TCefLifeSpanHandlerOwn() : TCefBaseOwn(sizeof(cef_life_span_handler_t)) {
  using Self = TCefLifeSpanHandlerOwn;
  auto* r = Record<cef_life_span_handler_t>();
  r->on_before_popup = OnBeforePopupEntry;
  NIMBRA_ENTRY(r, on_after_created, OnAfterCreated);
  NIMBRA_ENTRY(r, run_modal, RunModal);
  NIMBRA_ENTRY(r, do_close, DoClose);
  NIMBRA_ENTRY(r, on_before_close, OnBeforeClose);
}
bool TCefLifeSpanHandlerOwn::OnBeforePopup(PBrowser, PFrame, ustring&, ustring&, TCefPopupFeatures&,
                                           TCefWindowInfo&, TInterfacePtr<ICefClient>&,
                                           TCefBrowserSettings&, bool&) {
  return false;
}
void TCefLifeSpanHandlerOwn::OnAfterCreated(PBrowser) {}
void TCefLifeSpanHandlerOwn::OnBeforeClose(PBrowser) {}
bool TCefLifeSpanHandlerOwn::RunModal(PBrowser) { return false; }
bool TCefLifeSpanHandlerOwn::DoClose(PBrowser) { return false; }

TCefLoadHandlerOwn::TCefLoadHandlerOwn() : TCefBaseOwn(sizeof(cef_load_handler_t)) {
  using Self = TCefLoadHandlerOwn;
  auto* r = Record<cef_load_handler_t>();
  NIMBRA_ENTRY(r, on_load_start, OnLoadStart);
  NIMBRA_ENTRY(r, on_load_end, OnLoadEnd);
  NIMBRA_ENTRY(r, on_load_error, OnLoadError);
  NIMBRA_ENTRY(r, on_render_process_terminated, OnRenderProcessTerminated);
  NIMBRA_ENTRY(r, on_plugin_crashed, OnPluginCrashed);
}
void TCefLoadHandlerOwn::OnLoadStart(PBrowser, PFrame) {}
void TCefLoadHandlerOwn::OnLoadEnd(PBrowser, PFrame, int) {}
void TCefLoadHandlerOwn::OnLoadError(PBrowser, PFrame, int, const ustring&, const ustring&) {}
void TCefLoadHandlerOwn::OnRenderProcessTerminated(PBrowser, TCefTerminationStatus) {}
void TCefLoadHandlerOwn::OnPluginCrashed(PBrowser, const ustring&) {}

TCefDisplayHandlerOwn::TCefDisplayHandlerOwn() : TCefBaseOwn(sizeof(cef_display_handler_t)) {
  using Self = TCefDisplayHandlerOwn;
  auto* r = Record<cef_display_handler_t>();
  NIMBRA_ENTRY(r, on_loading_state_change, OnLoadingStateChange);
  NIMBRA_ENTRY(r, on_address_change, OnAddressChange);
  NIMBRA_ENTRY(r, on_title_change, OnTitleChange);
  r->on_tooltip = OnTooltipEntry;
  NIMBRA_ENTRY(r, on_status_message, OnStatusMessage);
  NIMBRA_ENTRY(r, on_console_message, OnConsoleMessage);
}
void TCefDisplayHandlerOwn::OnLoadingStateChange(PBrowser, bool, bool, bool) {}
void TCefDisplayHandlerOwn::OnAddressChange(PBrowser, PFrame, const ustring&) {}
void TCefDisplayHandlerOwn::OnTitleChange(PBrowser, const ustring&) {}
bool TCefDisplayHandlerOwn::OnTooltip(PBrowser, ustring&) { return false; }
void TCefDisplayHandlerOwn::OnStatusMessage(PBrowser, const ustring&) {}
bool TCefDisplayHandlerOwn::OnConsoleMessage(PBrowser, const ustring&, const ustring&, int) {
  return false;
}

TCefFocusHandlerOwn::TCefFocusHandlerOwn() : TCefBaseOwn(sizeof(cef_focus_handler_t)) {
  using Self = TCefFocusHandlerOwn;
  auto* r = Record<cef_focus_handler_t>();
  NIMBRA_ENTRY(r, on_take_focus, OnTakeFocus);
  NIMBRA_ENTRY(r, on_set_focus, OnSetFocus);
  NIMBRA_ENTRY(r, on_got_focus, OnGotFocus);
}
void TCefFocusHandlerOwn::OnTakeFocus(PBrowser, bool) {}
bool TCefFocusHandlerOwn::OnSetFocus(PBrowser, TCefFocusSource) { return false; }
void TCefFocusHandlerOwn::OnGotFocus(PBrowser) {}

TCefKeyboardHandlerOwn::TCefKeyboardHandlerOwn() : TCefBaseOwn(sizeof(cef_keyboard_handler_t)) {
  using Self = TCefKeyboardHandlerOwn;
  auto* r = Record<cef_keyboard_handler_t>();
  r->on_pre_key_event = OnPreKeyEventEntry;
  NIMBRA_ENTRY(r, on_key_event, OnKeyEvent);
}
bool TCefKeyboardHandlerOwn::OnPreKeyEvent(PBrowser, PCefKeyEvent, PMsg, bool&) { return false; }
bool TCefKeyboardHandlerOwn::OnKeyEvent(PBrowser, PCefKeyEvent, PMsg) { return false; }

TCefJsDialogHandlerOwn::TCefJsDialogHandlerOwn() : TCefBaseOwn(sizeof(cef_jsdialog_handler_t)) {
  using Self = TCefJsDialogHandlerOwn;
  auto* r = Record<cef_jsdialog_handler_t>();
  r->on_jsdialog = OnJsdialogEntry;
  NIMBRA_ENTRY(r, on_before_unload_dialog, OnBeforeUnloadDialog);
  NIMBRA_ENTRY(r, on_reset_dialog_state, OnResetDialogState);
}
bool TCefJsDialogHandlerOwn::OnJsdialog(PBrowser, const ustring&, const ustring&, TCefJsDialogType,
                                        const ustring&, const ustring&,
                                        const TInterfacePtr<ICefJsDialogCallback>&, bool&) {
  return false;
}
bool TCefJsDialogHandlerOwn::OnBeforeUnloadDialog(PBrowser, const ustring&, bool,
                                                  const TInterfacePtr<ICefJsDialogCallback>&) {
  return false;
}
void TCefJsDialogHandlerOwn::OnResetDialogState(PBrowser) {}

TCefContextMenuHandlerOwn::TCefContextMenuHandlerOwn()
    : TCefBaseOwn(sizeof(cef_context_menu_handler_t)) {
  using Self = TCefContextMenuHandlerOwn;
  auto* r = Record<cef_context_menu_handler_t>();
  NIMBRA_ENTRY(r, on_before_context_menu, OnBeforeContextMenu);
  NIMBRA_ENTRY(r, on_context_menu_command, OnContextMenuCommand);
  NIMBRA_ENTRY(r, on_context_menu_dismissed, OnContextMenuDismissed);
}
void TCefContextMenuHandlerOwn::OnBeforeContextMenu(PBrowser, PFrame,
                                                    const TInterfacePtr<ICefContextMenuParams>&,
                                                    const TInterfacePtr<ICefMenuModel>&) {}
bool TCefContextMenuHandlerOwn::OnContextMenuCommand(PBrowser, PFrame,
                                                     const TInterfacePtr<ICefContextMenuParams>&,
                                                     int, TCefEventFlags) {
  return false;
}
void TCefContextMenuHandlerOwn::OnContextMenuDismissed(PBrowser, PFrame) {}

TCefRequestHandlerOwn::TCefRequestHandlerOwn() : TCefBaseOwn(sizeof(cef_request_handler_t)) {
  using Self = TCefRequestHandlerOwn;
  auto* r = Record<cef_request_handler_t>();
  NIMBRA_ENTRY(r, on_before_resource_load, OnBeforeResourceLoad);
  NIMBRA_ENTRY(r, get_resource_handler, GetResourceHandler);
  r->on_resource_redirect = OnResourceRedirectEntry;
  NIMBRA_ENTRY(r, get_auth_credentials, GetAuthCredentials);
  NIMBRA_ENTRY(r, on_quota_request, OnQuotaRequest);
  NIMBRA_ENTRY(r, get_cookie_manager, GetCookieManager);
  r->on_protocol_execution = OnProtocolExecutionEntry;
  NIMBRA_ENTRY(r, on_before_plugin_load, OnBeforePluginLoad);
}
bool TCefRequestHandlerOwn::OnBeforeResourceLoad(PBrowser, PFrame,
                                                 const TInterfacePtr<ICefRequest>&) {
  return false;
}
TInterfacePtr<ICefResourceHandler> TCefRequestHandlerOwn::GetResourceHandler(
    PBrowser, PFrame, const TInterfacePtr<ICefRequest>&) {
  return nullptr;
}
void TCefRequestHandlerOwn::OnResourceRedirect(PBrowser, PFrame, const ustring&, ustring&) {}
bool TCefRequestHandlerOwn::GetAuthCredentials(PBrowser, PFrame, bool, const ustring&, int,
                                               const ustring&, const ustring&,
                                               const TInterfacePtr<ICefAuthCallback>&) {
  return false;
}
bool TCefRequestHandlerOwn::OnQuotaRequest(PBrowser, const ustring&, int64_t,
                                           const TInterfacePtr<ICefQuotaCallback>&) {
  return false;
}
TInterfacePtr<ICefCookieManager> TCefRequestHandlerOwn::GetCookieManager(PBrowser, const ustring&) {
  return nullptr;
}
void TCefRequestHandlerOwn::OnProtocolExecution(PBrowser, const ustring&, bool&) {}
bool TCefRequestHandlerOwn::OnBeforePluginLoad(PBrowser, const ustring&, const ustring&,
                                               const TInterfacePtr<ICefWebPluginInfo>&) {
  return false;
}

TCefDownloadHandlerOwn::TCefDownloadHandlerOwn() : TCefBaseOwn(sizeof(cef_download_handler_t)) {
  using Self = TCefDownloadHandlerOwn;
  auto* r = Record<cef_download_handler_t>();
  NIMBRA_ENTRY(r, on_before_download, OnBeforeDownload);
  NIMBRA_ENTRY(r, on_download_updated, OnDownloadUpdated);
}
void TCefDownloadHandlerOwn::OnBeforeDownload(PBrowser, const TInterfacePtr<ICefDownloadItem>&,
                                              const ustring&,
                                              const TInterfacePtr<ICefBeforeDownloadCallback>&) {}
void TCefDownloadHandlerOwn::OnDownloadUpdated(PBrowser, const TInterfacePtr<ICefDownloadItem>&,
                                               const TInterfacePtr<ICefDownloadItemCallback>&) {}

TCefGeolocationHandlerOwn::TCefGeolocationHandlerOwn()
    : TCefBaseOwn(sizeof(cef_geolocation_handler_t)) {
  using Self = TCefGeolocationHandlerOwn;
  auto* r = Record<cef_geolocation_handler_t>();
  NIMBRA_ENTRY(r, on_request_geolocation_permission, OnRequestGeolocationPermission);
  NIMBRA_ENTRY(r, on_cancel_geolocation_permission, OnCancelGeolocationPermission);
}
void TCefGeolocationHandlerOwn::OnRequestGeolocationPermission(
    PBrowser, const ustring&, int, const TInterfacePtr<ICefGeolocationCallback>&) {}
void TCefGeolocationHandlerOwn::OnCancelGeolocationPermission(PBrowser, const ustring&, int) {}

TCefDialogHandlerOwn::TCefDialogHandlerOwn() : TCefBaseOwn(sizeof(cef_dialog_handler_t)) {
  using Self = TCefDialogHandlerOwn;
  auto* r = Record<cef_dialog_handler_t>();
  NIMBRA_ENTRY(r, on_file_dialog, OnFileDialog);
}
bool TCefDialogHandlerOwn::OnFileDialog(PBrowser, TCefFileDialogMode, const ustring&,
                                        const ustring&, const TStringList&,
                                        const TInterfacePtr<ICefFileDialogCallback>&) {
  return false;
}

TCefRenderHandlerOwn::TCefRenderHandlerOwn() : TCefBaseOwn(sizeof(cef_render_handler_t)) {
  using Self = TCefRenderHandlerOwn;
  auto* r = Record<cef_render_handler_t>();
  r->get_root_screen_rect = RectQueryEntry<&Self::GetRootScreenRect>;
  r->get_view_rect = RectQueryEntry<&Self::GetViewRect>;
  r->get_screen_point = GetScreenPointEntry;
  NIMBRA_ENTRY(r, on_popup_show, OnPopupShow);
  r->on_popup_size = OnPopupSizeEntry;
  NIMBRA_ENTRY(r, on_paint, OnPaint);
  NIMBRA_ENTRY(r, on_cursor_change, OnCursorChange);
}
bool TCefRenderHandlerOwn::GetRootScreenRect(PBrowser, TCefRect&) { return false; }
bool TCefRenderHandlerOwn::GetViewRect(PBrowser, TCefRect&) { return false; }
bool TCefRenderHandlerOwn::GetScreenPoint(PBrowser, int, int, int&, int&) { return false; }
void TCefRenderHandlerOwn::OnPopupShow(PBrowser, bool) {}
void TCefRenderHandlerOwn::OnPopupSize(PBrowser, const TCefRect&) {}
void TCefRenderHandlerOwn::OnPaint(PBrowser, TCefPaintElementType, size_t, const TCefRect*,
                                   const void*, int, int) {}
void TCefRenderHandlerOwn::OnCursorChange(PBrowser, TCefCursorHandle) {}
