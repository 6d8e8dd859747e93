#include "chromium.h"

#include "cef_api.h"
#include "cef_loader.h"
#include "cef_wrappers.h"
#include "client_handler.h"
#include "winhandle.h"

namespace {

// Child, visible, clipping its children and siblings, reached by Tab.
constexpr DWORD kEngineWindowStyle =
    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP;
static_assert(kEngineWindowStyle == 0x56010000);

// The engine's window of a browser; null when it has none.
HWND EngineWindowOf(const TInterfacePtr<ICefBrowser>& browser) {
  if (!browser) return nullptr;
  const TInterfacePtr<ICefBrowserHost> host = browser->GetHost();
  return host ? host->GetWindowHandle() : nullptr;
}

}  // namespace

TCustomChromium::TCustomChromium(TWinControl* parent) : FDefaultUrl(L"about:blank") {
  if (!Designing()) FHandler = CefNew<TWindowedClientHandler>(static_cast<IChromiumEvents*>(this));
  SetParent(parent);
}

TCustomChromium::~TCustomChromium() {
  if (FBrowser) {
    FBrowser->StopLoad();
    if (const TInterfacePtr<ICefBrowserHost> host = FBrowser->GetHost())
      host->ParentWindowWillClose();
  }
  if (const auto client = Supports<ICefClientHandler>(FHandler)) client->DetachHandlers();
  FHandler.reset();
  FBrowser.reset();
}

void TCustomChromium::Loaded() {
  TWinControl::Loaded();
  Load(FDefaultUrl);
}

void TCustomChromium::CreateWindowHandle() {
  TWinControl::CreateWindowHandle();
  CreateBrowser();
}

void TCustomChromium::CreateBrowser() {
  if (Designing()) return;
  const RECT client = ClientRect();
  TCefWindowInfo windowInfo{};
  windowInfo.style = kEngineWindowStyle;
  windowInfo.x = client.left;
  windowInfo.y = client.top;
  windowInfo.width = client.right - client.left;
  windowInfo.height = client.bottom - client.top;
  windowInfo.parent_window = Handle();

  TCefBrowserSettings settings{};
  settings.size = sizeof settings;
  FillBrowserSettings(settings);

  LoadEngine();
  const ustring noUrl;
  const cef_string_t url = CefStringView(noUrl);
  FBrowser = TCefBrowserRef::UnWrap(CefApi.cef_browser_host_create_browser_sync(
      &windowInfo, static_cast<cef_client_t*>(CefRecordOf(FHandler)), &url, &settings));
  // An engine that yields no browser leaves the control without one.
  FBrowserId = FBrowser ? FBrowser->GetIdentifier() : 0;
}

void TCustomChromium::FillBrowserSettings(TCefBrowserSettings& settings) {
  if (settings.size < sizeof(TCefBrowserSettings))
    throw EAssertionFailed(L"The browser settings record is smaller than its size");
  const TChromiumFontOptions& fonts = FFontOptions;
  settings.standard_font_family = CefStringView(fonts.StandardFontFamily());
  settings.fixed_font_family = CefStringView(fonts.FixedFontFamily());
  settings.serif_font_family = CefStringView(fonts.SerifFontFamily());
  settings.sans_serif_font_family = CefStringView(fonts.SansSerifFontFamily());
  settings.cursive_font_family = CefStringView(fonts.CursiveFontFamily());
  settings.fantasy_font_family = CefStringView(fonts.FantasyFontFamily());
  settings.default_font_size = fonts.DefaultFontSize();
  settings.default_fixed_font_size = fonts.DefaultFixedFontSize();
  settings.minimum_font_size = fonts.MinimumFontSize();
  settings.minimum_logical_font_size = fonts.MinimumLogicalFontSize();
  settings.default_encoding = CefStringView(FDefaultEncoding);
  settings.user_style_sheet_location = CefStringView(FUserStyleSheetLocation);
  settings.remote_fonts = fonts.RemoteFonts();
#define NIMBRA_FILL_OPTION(Name, field) settings.field = FOptions.Name();
  NIMBRA_CHROMIUM_OPTIONS(NIMBRA_FILL_OPTION)
#undef NIMBRA_FILL_OPTION
}

void TCustomChromium::Load(const ustring& url) {
  HandleNeeded();
  if (!FBrowser) return;
  if (const TInterfacePtr<ICefFrame> frame = FBrowser->GetMainFrame()) frame->LoadUrl(url);
}

void TCustomChromium::ReCreateBrowser(const ustring& url) {
  if (!FBrowser || FBrowserId == 0) return;
  if (const TInterfacePtr<ICefBrowserHost> host = FBrowser->GetHost()) {
    host->ParentWindowWillClose();
    const HWND engineWindow = host->GetWindowHandle();
    SendMessageW(engineWindow, WM_CLOSE, 0, 0);
    SendMessageW(engineWindow, WM_DESTROY, 0, 0);
  }
  FBrowserId = 0;
  FBrowser.reset();
  CreateBrowser();
  Load(url);
}

void TCustomChromium::Resize() {
  TWinControl::Resize();
  if (Designing()) return;
  const TInterfacePtr<ICefBrowser> browser = FBrowser;  // an event may replace it meanwhile
  const HWND engineWindow = EngineWindowOf(browser);
  if (!engineWindow || engineWindow == INVALID_HANDLE_VALUE) return;
  const RECT client = ClientRect();
  // Ended on every path; a failed step has already abandoned the positioning.
  TDeferWindowPosHandle positions(BeginDeferWindowPos(1));
  if (!positions) return;
  positions.reset(DeferWindowPos(positions.release(), engineWindow, nullptr, client.left,
                                 client.top, client.right - client.left, client.bottom - client.top,
                                 SWP_NOZORDER));
}

LRESULT TCustomChromium::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETFOCUS:
      if (const HWND engineWindow = EngineWindowOf(FBrowser))
        PostMessageW(engineWindow, WM_SETFOCUS, wParam, 0);
      break;
    case WM_ERASEBKGND:
      // Never paint a background under the engine's window.
      if (!Designing() && FBrowser) return 0;
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case CM_WANTSPECIALKEY:
      if (wParam < VK_LEFT || wParam > VK_DOWN) return 1;
      break;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

// ---- Dispatchers ----------------------------------------------------------------

bool TCustomChromium::DoProcessMessageReceived(PBrowser browser, TCefProcessId sourceProcess,
                                               const TInterfacePtr<ICefProcessMessage>& message) {
  return Ask<bool>(FOnProcessMessageReceived, browser, sourceProcess, message);
}
void TCustomChromium::DoLoadStart(PBrowser browser, PFrame frame) {
  Raise(FOnLoadStart, browser, frame);
}
void TCustomChromium::DoLoadEnd(PBrowser browser, PFrame frame, int httpStatusCode) {
  Raise(FOnLoadEnd, browser, frame, httpStatusCode);
}
void TCustomChromium::DoLoadError(PBrowser browser, PFrame frame, int errorCode,
                                  const ustring& errorText, const ustring& failedUrl) {
  Raise(FOnLoadError, browser, frame, errorCode, errorText, failedUrl);
}
void TCustomChromium::DoRenderProcessTerminated(PBrowser browser, TCefTerminationStatus status) {
  Raise(FOnRenderProcessTerminated, browser, status);
}
void TCustomChromium::DoPluginCrashed(PBrowser browser, const ustring& pluginPath) {
  Raise(FOnPluginCrashed, browser, pluginPath);
}
void TCustomChromium::DoTakeFocus(PBrowser browser, bool next) {
  Raise(FOnTakeFocus, browser, next);
}
bool TCustomChromium::DoSetFocus(PBrowser browser, TCefFocusSource source) {
  return Ask<bool>(FOnSetFocus, browser, source);
}
void TCustomChromium::DoGotFocus(PBrowser browser) { Raise(FOnGotFocus, browser); }
void TCustomChromium::DoBeforeContextMenu(PBrowser browser, PFrame frame,
                                          const TInterfacePtr<ICefContextMenuParams>& params,
                                          const TInterfacePtr<ICefMenuModel>& model) {
  Raise(FOnBeforeContextMenu, browser, frame, params, model);
}
bool TCustomChromium::DoContextMenuCommand(PBrowser browser, PFrame frame,
                                           const TInterfacePtr<ICefContextMenuParams>& params,
                                           int commandId, TCefEventFlags eventFlags) {
  return Ask<bool>(FOnContextMenuCommand, browser, frame, params, commandId, eventFlags);
}
void TCustomChromium::DoContextMenuDismissed(PBrowser browser, PFrame frame) {
  Raise(FOnContextMenuDismissed, browser, frame);
}
bool TCustomChromium::DoPreKeyEvent(PBrowser browser, PCefKeyEvent event, PMsg osEvent,
                                    bool& isKeyboardShortcut) {
  return Ask<bool>(FOnPreKeyEvent, browser, event, osEvent, isKeyboardShortcut);
}
bool TCustomChromium::DoKeyEvent(PBrowser browser, PCefKeyEvent event, PMsg osEvent) {
  return Ask<bool>(FOnKeyEvent, browser, event, osEvent);
}
void TCustomChromium::DoLoadingStateChange(PBrowser browser, bool isLoading, bool canGoBack,
                                           bool canGoForward) {
  Raise(FOnLoadingStateChange, browser, isLoading, canGoBack, canGoForward);
}
void TCustomChromium::DoAddressChange(PBrowser browser, PFrame frame, const ustring& url) {
  Raise(FOnAddressChange, browser, frame, url);
}
void TCustomChromium::DoTitleChange(PBrowser browser, const ustring& title) {
  Raise(FOnTitleChange, browser, title);
}
bool TCustomChromium::DoTooltip(PBrowser browser, ustring& text) {
  return Ask<bool>(FOnTooltip, browser, text);
}
void TCustomChromium::DoStatusMessage(PBrowser browser, const ustring& value) {
  Raise(FOnStatusMessage, browser, value);
}
bool TCustomChromium::DoConsoleMessage(PBrowser browser, const ustring& message,
                                       const ustring& source, int line) {
  return Ask<bool>(FOnConsoleMessage, browser, message, source, line);
}
void TCustomChromium::DoBeforeDownload(PBrowser browser,
                                       const TInterfacePtr<ICefDownloadItem>& downloadItem,
                                       const ustring& suggestedName,
                                       const TInterfacePtr<ICefBeforeDownloadCallback>& callback) {
  Raise(FOnBeforeDownload, browser, downloadItem, suggestedName, callback);
}
void TCustomChromium::DoDownloadUpdated(PBrowser browser,
                                        const TInterfacePtr<ICefDownloadItem>& downloadItem,
                                        const TInterfacePtr<ICefDownloadItemCallback>& callback) {
  Raise(FOnDownloadUpdated, browser, downloadItem, callback);
}
void TCustomChromium::DoRequestGeolocationPermission(
    PBrowser browser, const ustring& requestingUrl, int requestId,
    const TInterfacePtr<ICefGeolocationCallback>& callback) {
  Raise(FOnRequestGeolocationPermission, browser, requestingUrl, requestId, callback);
}
void TCustomChromium::DoCancelGeolocationPermission(PBrowser browser, const ustring& requestingUrl,
                                                    int requestId) {
  Raise(FOnCancelGeolocationPermission, browser, requestingUrl, requestId);
}
bool TCustomChromium::DoJsdialog(PBrowser browser, const ustring& originUrl,
                                 const ustring& acceptLang, TCefJsDialogType dialogType,
                                 const ustring& messageText, const ustring& defaultPromptText,
                                 const TInterfacePtr<ICefJsDialogCallback>& callback,
                                 bool& suppressMessage) {
  // The event may answer the dialog later through the callback it was given.
  const TInterfacePtr<ICefJsDialogCallback> held = callback;
  return Ask<bool>(FOnJsdialog, browser, originUrl, acceptLang, dialogType, messageText,
                   defaultPromptText, held, suppressMessage);
}
bool TCustomChromium::DoBeforeUnloadDialog(PBrowser browser, const ustring& messageText,
                                           bool isReload,
                                           const TInterfacePtr<ICefJsDialogCallback>& callback) {
  return Ask<bool>(FOnBeforeUnloadDialog, browser, messageText, isReload, callback);
}
void TCustomChromium::DoResetDialogState(PBrowser browser) { Raise(FOnResetDialogState, browser); }
bool TCustomChromium::DoBeforePopup(PBrowser browser, PFrame frame, const ustring& targetUrl,
                                    const ustring& targetFrameName,
                                    TCefPopupFeatures& popupFeatures, TCefWindowInfo& windowInfo,
                                    TInterfacePtr<ICefClient>& client,
                                    TCefBrowserSettings& settings, bool& noJavascriptAccess) {
  return Ask<bool>(FOnBeforePopup, browser, frame, targetUrl, targetFrameName, popupFeatures,
                   windowInfo, client, settings, noJavascriptAccess);
}
void TCustomChromium::DoAfterCreated(PBrowser browser) { Raise(FOnAfterCreated, browser); }
void TCustomChromium::DoBeforeClose(PBrowser browser) { Raise(FOnBeforeClose, browser); }
bool TCustomChromium::DoRunModal(PBrowser browser) { return Ask<bool>(FOnRunModal, browser); }
bool TCustomChromium::DoClose(PBrowser browser) { return Ask<bool>(FOnClose, browser); }
bool TCustomChromium::DoBeforeResourceLoad(PBrowser browser, PFrame frame,
                                           const TInterfacePtr<ICefRequest>& request) {
  return Ask<bool>(FOnBeforeResourceLoad, browser, frame, request);
}
TInterfacePtr<ICefResourceHandler> TCustomChromium::DoGetResourceHandler(
    PBrowser browser, PFrame frame, const TInterfacePtr<ICefRequest>& request) {
  return Ask<TInterfacePtr<ICefResourceHandler>>(FOnGetResourceHandler, browser, frame, request);
}
void TCustomChromium::DoResourceRedirect(PBrowser browser, PFrame frame, const ustring& oldUrl,
                                         ustring& newUrl) {
  Raise(FOnResourceRedirect, browser, frame, oldUrl, newUrl);
}
bool TCustomChromium::DoGetAuthCredentials(PBrowser browser, PFrame frame, bool isProxy,
                                           const ustring& host, int port, const ustring& realm,
                                           const ustring& scheme,
                                           const TInterfacePtr<ICefAuthCallback>& callback) {
  return Ask<bool>(FOnGetAuthCredentials, browser, frame, isProxy, host, port, realm, scheme,
                   callback);
}
bool TCustomChromium::DoQuotaRequest(PBrowser browser, const ustring& originUrl, int64_t newSize,
                                     const TInterfacePtr<ICefQuotaCallback>& callback) {
  return Ask<bool>(FOnQuotaRequest, browser, originUrl, newSize, callback);
}
TInterfacePtr<ICefCookieManager> TCustomChromium::DoGetCookieManager(PBrowser browser,
                                                                     const ustring& mainUrl) {
  return Ask<TInterfacePtr<ICefCookieManager>>(FOnGetCookieManager, browser, mainUrl);
}
void TCustomChromium::DoProtocolExecution(PBrowser browser, const ustring& url,
                                          bool& allowOsExecution) {
  Raise(FOnProtocolExecution, browser, url, allowOsExecution);
}
bool TCustomChromium::DoBeforePluginLoad(PBrowser browser, const ustring& url,
                                         const ustring& policyUrl,
                                         const TInterfacePtr<ICefWebPluginInfo>& info) {
  return Ask<bool>(FOnBeforePluginLoad, browser, url, policyUrl, info);
}
bool TCustomChromium::DoFileDialog(PBrowser browser, TCefFileDialogMode mode, const ustring& title,
                                   const ustring& defaultFileName, const TStringList& acceptTypes,
                                   const TInterfacePtr<ICefFileDialogCallback>& callback) {
  return Ask<bool>(FOnFileDialog, browser, mode, title, defaultFileName, acceptTypes, callback);
}
