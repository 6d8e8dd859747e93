// The browser control: one engine browser shown inside a form.
//
// The control owns a child window of its own; every creation of that window
// creates an engine browser as its child, which the control keeps sized to
// its client area and hands keyboard focus on to. It creates a windowed client
// handler and gives it its IChromiumEvents face; every engine notification
// about its browser comes back through that face as one of its 41 events,
// closures whose first argument is the control and whose last, where the
// engine wants an answer, is the Result it gets (false or none to start with).
//
// Ownership: the owner (a form) creates and destroys the control on the main
// thread; the control holds its client and its browser. The engine may keep
// the client longer; the control detaches it before it goes. Events run on
// whichever thread the engine delivers a notification, without hand-over.
#pragma once

#include <functional>

#include "chromium_events.h"
#include "chromium_options.h"
#include "forms.h"

class TCustomChromium;

using TOnProcessMessageReceived =
    std::function<void(TCustomChromium& sender, PBrowser browser, TCefProcessId sourceProcess,
                       const TInterfacePtr<ICefProcessMessage>& message, bool& Result)>;
using TOnLoadStart = std::function<void(TCustomChromium& sender, PBrowser browser, PFrame frame)>;
using TOnLoadEnd = std::function<void(TCustomChromium& sender, PBrowser browser, PFrame frame,
                                      int httpStatusCode)>;
using TOnLoadError =
    std::function<void(TCustomChromium& sender, PBrowser browser, PFrame frame, int errorCode,
                       const ustring& errorText, const ustring& failedUrl)>;
using TOnRenderProcessTerminated =
    std::function<void(TCustomChromium& sender, PBrowser browser, TCefTerminationStatus status)>;
using TOnPluginCrashed =
    std::function<void(TCustomChromium& sender, PBrowser browser, const ustring& pluginPath)>;
using TOnTakeFocus = std::function<void(TCustomChromium& sender, PBrowser browser, bool next)>;
using TOnSetFocus = std::function<void(TCustomChromium& sender, PBrowser browser,
                                       TCefFocusSource source, bool& Result)>;
using TOnGotFocus = std::function<void(TCustomChromium& sender, PBrowser browser)>;
using TOnBeforeContextMenu = std::function<void(
    TCustomChromium& sender, PBrowser browser, PFrame frame,
    const TInterfacePtr<ICefContextMenuParams>& params, const TInterfacePtr<ICefMenuModel>& model)>;
using TOnContextMenuCommand =
    std::function<void(TCustomChromium& sender, PBrowser browser, PFrame frame,
                       const TInterfacePtr<ICefContextMenuParams>& params, int commandId,
                       TCefEventFlags eventFlags, bool& Result)>;
using TOnContextMenuDismissed =
    std::function<void(TCustomChromium& sender, PBrowser browser, PFrame frame)>;
using TOnPreKeyEvent =
    std::function<void(TCustomChromium& sender, PBrowser browser, PCefKeyEvent event, PMsg osEvent,
                       bool& isKeyboardShortcut, bool& Result)>;
using TOnKeyEvent = std::function<void(TCustomChromium& sender, PBrowser browser,
                                       PCefKeyEvent event, PMsg osEvent, bool& Result)>;
using TOnLoadingStateChange = std::function<void(
    TCustomChromium& sender, PBrowser browser, bool isLoading, bool canGoBack, bool canGoForward)>;
using TOnAddressChange = std::function<void(TCustomChromium& sender, PBrowser browser, PFrame frame,
                                            const ustring& url)>;
using TOnTitleChange =
    std::function<void(TCustomChromium& sender, PBrowser browser, const ustring& title)>;
using TOnTooltip =
    std::function<void(TCustomChromium& sender, PBrowser browser, ustring& text, bool& Result)>;
using TOnStatusMessage =
    std::function<void(TCustomChromium& sender, PBrowser browser, const ustring& value)>;
using TOnConsoleMessage =
    std::function<void(TCustomChromium& sender, PBrowser browser, const ustring& message,
                       const ustring& source, int line, bool& Result)>;
using TOnBeforeDownload = std::function<void(
    TCustomChromium& sender, PBrowser browser, const TInterfacePtr<ICefDownloadItem>& downloadItem,
    const ustring& suggestedName, const TInterfacePtr<ICefBeforeDownloadCallback>& callback)>;
using TOnDownloadUpdated = std::function<void(
    TCustomChromium& sender, PBrowser browser, const TInterfacePtr<ICefDownloadItem>& downloadItem,
    const TInterfacePtr<ICefDownloadItemCallback>& callback)>;
using TOnRequestGeolocationPermission =
    std::function<void(TCustomChromium& sender, PBrowser browser, const ustring& requestingUrl,
                       int requestId, const TInterfacePtr<ICefGeolocationCallback>& callback)>;
using TOnCancelGeolocationPermission = std::function<void(
    TCustomChromium& sender, PBrowser browser, const ustring& requestingUrl, int requestId)>;
using TOnJsdialog = std::function<void(
    TCustomChromium& sender, PBrowser browser, const ustring& originUrl, const ustring& acceptLang,
    TCefJsDialogType dialogType, const ustring& messageText, const ustring& defaultPromptText,
    const TInterfacePtr<ICefJsDialogCallback>& callback, bool& suppressMessage, bool& Result)>;
using TOnBeforeUnloadDialog = std::function<void(
    TCustomChromium& sender, PBrowser browser, const ustring& messageText, bool isReload,
    const TInterfacePtr<ICefJsDialogCallback>& callback, bool& Result)>;
using TOnResetDialogState = std::function<void(TCustomChromium& sender, PBrowser browser)>;
using TOnBeforePopup = std::function<void(
    TCustomChromium& sender, PBrowser browser, PFrame frame, const ustring& targetUrl,
    const ustring& targetFrameName, TCefPopupFeatures& popupFeatures, TCefWindowInfo& windowInfo,
    TInterfacePtr<ICefClient>& client, TCefBrowserSettings& settings, bool& noJavascriptAccess,
    bool& Result)>;
using TOnAfterCreated = std::function<void(TCustomChromium& sender, PBrowser browser)>;
using TOnBeforeClose = std::function<void(TCustomChromium& sender, PBrowser browser)>;
using TOnRunModal = std::function<void(TCustomChromium& sender, PBrowser browser, bool& Result)>;
using TOnClose = std::function<void(TCustomChromium& sender, PBrowser browser, bool& Result)>;
using TOnBeforeResourceLoad =
    std::function<void(TCustomChromium& sender, PBrowser browser, PFrame frame,
                       const TInterfacePtr<ICefRequest>& request, bool& Result)>;
using TOnGetResourceHandler = std::function<void(
    TCustomChromium& sender, PBrowser browser, PFrame frame,
    const TInterfacePtr<ICefRequest>& request, TInterfacePtr<ICefResourceHandler>& Result)>;
using TOnResourceRedirect =
    std::function<void(TCustomChromium& sender, PBrowser browser, PFrame frame,
                       const ustring& oldUrl, ustring& newUrl)>;
using TOnGetAuthCredentials =
    std::function<void(TCustomChromium& sender, PBrowser browser, PFrame frame, bool isProxy,
                       const ustring& host, int port, const ustring& realm, const ustring& scheme,
                       const TInterfacePtr<ICefAuthCallback>& callback, bool& Result)>;
using TOnQuotaRequest = std::function<void(
    TCustomChromium& sender, PBrowser browser, const ustring& originUrl, int64_t newSize,
    const TInterfacePtr<ICefQuotaCallback>& callback, bool& Result)>;
using TOnGetCookieManager =
    std::function<void(TCustomChromium& sender, PBrowser browser, const ustring& mainUrl,
                       TInterfacePtr<ICefCookieManager>& Result)>;
using TOnProtocolExecution = std::function<void(TCustomChromium& sender, PBrowser browser,
                                                const ustring& url, bool& allowOsExecution)>;
using TOnBeforePluginLoad = std::function<void(
    TCustomChromium& sender, PBrowser browser, const ustring& url, const ustring& policyUrl,
    const TInterfacePtr<ICefWebPluginInfo>& info, bool& Result)>;
using TOnFileDialog = std::function<void(
    TCustomChromium& sender, PBrowser browser, TCefFileDialogMode mode, const ustring& title,
    const ustring& defaultFileName, const TStringList& acceptTypes,
    const TInterfacePtr<ICefFileDialogCallback>& callback, bool& Result)>;

// An event: its closure field F<Name>, read with <Name>() and set with
// Set<Name>().
#define NIMBRA_CHROMIUM_EVENT(Name)                                 \
 public:                                                            \
  const T##Name& Name() const noexcept { return F##Name; }          \
  void Set##Name(T##Name handler) { F##Name = std::move(handler); } \
                                                                    \
 private:                                                           \
  T##Name F##Name;

class TCustomChromium : public TWinControl, public IChromiumEvents {
 public:
  explicit TCustomChromium(TWinControl* parent = nullptr);
  ~TCustomChromium() override;

  // Navigates the main frame, creating the control's window (and with it the
  // browser) first. Without a browser nothing happens.
  void Load(const ustring& url);
  // Replaces the engine browser by a new one showing `url`; nothing without a
  // browser.
  void ReCreateBrowser(const ustring& url);

  const TInterfacePtr<ICefBrowser>& Browser() const noexcept { return FBrowser; }
  int BrowserId() const noexcept { return FBrowserId; }
  const ustring& DefaultUrl() const noexcept { return FDefaultUrl; }
  void SetDefaultUrl(const ustring& url) { FDefaultUrl = url; }
  TChromiumOptions& Options() noexcept { return FOptions; }
  TChromiumFontOptions& FontOptions() noexcept { return FFontOptions; }
  const ustring& DefaultEncoding() const noexcept { return FDefaultEncoding; }
  void SetDefaultEncoding(const ustring& value) { FDefaultEncoding = value; }
  const ustring& UserStyleSheetLocation() const noexcept { return FUserStyleSheetLocation; }
  void SetUserStyleSheetLocation(const ustring& value) { FUserStyleSheetLocation = value; }

  // The engine's per-browser settings from the control's options; texts go
  // in as views of the control's own. Raises EAssertionFailed for a record
  // smaller than the settings record.
  void FillBrowserSettings(TCefBrowserSettings& settings) override;

  // Its life is its owner's: references held through the face count nothing.
  int AddRef() noexcept override { return -1; }
  int Release() noexcept override { return -1; }

 protected:
  void Loaded() override;
  void CreateWindowHandle() override;
  void Resize() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  // The dispatchers: each raises its event with the control as sender, or
  // answers false or none (leaving by-reference values as the engine gave
  // them) when the event is not assigned.
  bool DoProcessMessageReceived(PBrowser browser, TCefProcessId sourceProcess,
                                const TInterfacePtr<ICefProcessMessage>& message) override;
  void DoLoadStart(PBrowser browser, PFrame frame) override;
  void DoLoadEnd(PBrowser browser, PFrame frame, int httpStatusCode) override;
  void DoLoadError(PBrowser browser, PFrame frame, int errorCode, const ustring& errorText,
                   const ustring& failedUrl) override;
  void DoRenderProcessTerminated(PBrowser browser, TCefTerminationStatus status) override;
  void DoPluginCrashed(PBrowser browser, const ustring& pluginPath) override;
  void DoTakeFocus(PBrowser browser, bool next) override;
  bool DoSetFocus(PBrowser browser, TCefFocusSource source) override;
  void DoGotFocus(PBrowser browser) override;
  void DoBeforeContextMenu(PBrowser browser, PFrame frame,
                           const TInterfacePtr<ICefContextMenuParams>& params,
                           const TInterfacePtr<ICefMenuModel>& model) override;
  bool DoContextMenuCommand(PBrowser browser, PFrame frame,
                            const TInterfacePtr<ICefContextMenuParams>& params, int commandId,
                            TCefEventFlags eventFlags) override;
  void DoContextMenuDismissed(PBrowser browser, PFrame frame) override;
  bool DoPreKeyEvent(PBrowser browser, PCefKeyEvent event, PMsg osEvent,
                     bool& isKeyboardShortcut) override;
  bool DoKeyEvent(PBrowser browser, PCefKeyEvent event, PMsg osEvent) override;
  void DoLoadingStateChange(PBrowser browser, bool isLoading, bool canGoBack,
                            bool canGoForward) override;
  void DoAddressChange(PBrowser browser, PFrame frame, const ustring& url) override;
  void DoTitleChange(PBrowser browser, const ustring& title) override;
  bool DoTooltip(PBrowser browser, ustring& text) override;
  void DoStatusMessage(PBrowser browser, const ustring& value) override;
  bool DoConsoleMessage(PBrowser browser, const ustring& message, const ustring& source,
                        int line) override;
  void DoBeforeDownload(PBrowser browser, const TInterfacePtr<ICefDownloadItem>& downloadItem,
                        const ustring& suggestedName,
                        const TInterfacePtr<ICefBeforeDownloadCallback>& callback) override;
  void DoDownloadUpdated(PBrowser browser, const TInterfacePtr<ICefDownloadItem>& downloadItem,
                         const TInterfacePtr<ICefDownloadItemCallback>& callback) override;
  void DoRequestGeolocationPermission(
      PBrowser browser, const ustring& requestingUrl, int requestId,
      const TInterfacePtr<ICefGeolocationCallback>& callback) override;
  void DoCancelGeolocationPermission(PBrowser browser, const ustring& requestingUrl,
                                     int requestId) override;
  bool DoJsdialog(PBrowser browser, const ustring& originUrl, const ustring& acceptLang,
                  TCefJsDialogType dialogType, const ustring& messageText,
                  const ustring& defaultPromptText,
                  const TInterfacePtr<ICefJsDialogCallback>& callback,
                  bool& suppressMessage) override;
  bool DoBeforeUnloadDialog(PBrowser browser, const ustring& messageText, bool isReload,
                            const TInterfacePtr<ICefJsDialogCallback>& callback) override;
  void DoResetDialogState(PBrowser browser) override;
  bool DoBeforePopup(PBrowser browser, PFrame frame, const ustring& targetUrl,
                     const ustring& targetFrameName, TCefPopupFeatures& popupFeatures,
                     TCefWindowInfo& windowInfo, TInterfacePtr<ICefClient>& client,
                     TCefBrowserSettings& settings, bool& noJavascriptAccess) override;
  void DoAfterCreated(PBrowser browser) override;
  void DoBeforeClose(PBrowser browser) override;
  bool DoRunModal(PBrowser browser) override;
  bool DoClose(PBrowser browser) override;
  bool DoBeforeResourceLoad(PBrowser browser, PFrame frame,
                            const TInterfacePtr<ICefRequest>& request) override;
  TInterfacePtr<ICefResourceHandler> DoGetResourceHandler(
      PBrowser browser, PFrame frame, const TInterfacePtr<ICefRequest>& request) override;
  void DoResourceRedirect(PBrowser browser, PFrame frame, const ustring& oldUrl,
                          ustring& newUrl) override;
  bool DoGetAuthCredentials(PBrowser browser, PFrame frame, bool isProxy, const ustring& host,
                            int port, const ustring& realm, const ustring& scheme,
                            const TInterfacePtr<ICefAuthCallback>& callback) override;
  bool DoQuotaRequest(PBrowser browser, const ustring& originUrl, int64_t newSize,
                      const TInterfacePtr<ICefQuotaCallback>& callback) override;
  TInterfacePtr<ICefCookieManager> DoGetCookieManager(PBrowser browser,
                                                      const ustring& mainUrl) override;
  void DoProtocolExecution(PBrowser browser, const ustring& url, bool& allowOsExecution) override;
  bool DoBeforePluginLoad(PBrowser browser, const ustring& url, const ustring& policyUrl,
                          const TInterfacePtr<ICefWebPluginInfo>& info) override;
  bool DoFileDialog(PBrowser browser, TCefFileDialogMode mode, const ustring& title,
                    const ustring& defaultFileName, const TStringList& acceptTypes,
                    const TInterfacePtr<ICefFileDialogCallback>& callback) final;

  // Windowless drawing: a windowed control ignores it.
  bool DoGetRootScreenRect(PBrowser, TCefRect&) override { return false; }
  bool DoGetViewRect(PBrowser, TCefRect&) override { return false; }
  bool DoGetScreenPoint(PBrowser, int, int, int&, int&) override { return false; }
  void DoPopupShow(PBrowser, bool) override {}
  void DoPopupSize(PBrowser, const TCefRect&) override {}
  void DoPaint(PBrowser, TCefPaintElementType, size_t, const TCefRect*, const void*, int,
               int) override {}
  void DoCursorChange(PBrowser, TCefCursorHandle) override {}

 private:
  void CreateBrowser();

  template <class Event, class... A>
  void Raise(const Event& event, A&&... args) {
    if (event) event(*this, std::forward<A>(args)...);
  }
  template <class R, class Event, class... A>
  R Ask(const Event& event, A&&... args) {
    R result{};
    if (event) event(*this, std::forward<A>(args)..., result);
    return result;
  }

  TInterfacePtr<ICefClient> FHandler;
  TInterfacePtr<ICefBrowser> FBrowser;
  int FBrowserId = 0;
  ustring FDefaultUrl;

  NIMBRA_CHROMIUM_EVENT(OnProcessMessageReceived)
  NIMBRA_CHROMIUM_EVENT(OnLoadStart)
  NIMBRA_CHROMIUM_EVENT(OnLoadEnd)
  NIMBRA_CHROMIUM_EVENT(OnLoadError)
  NIMBRA_CHROMIUM_EVENT(OnRenderProcessTerminated)
  NIMBRA_CHROMIUM_EVENT(OnPluginCrashed)
  NIMBRA_CHROMIUM_EVENT(OnTakeFocus)
  NIMBRA_CHROMIUM_EVENT(OnSetFocus)
  NIMBRA_CHROMIUM_EVENT(OnGotFocus)
  NIMBRA_CHROMIUM_EVENT(OnBeforeContextMenu)
  NIMBRA_CHROMIUM_EVENT(OnContextMenuCommand)
  NIMBRA_CHROMIUM_EVENT(OnContextMenuDismissed)
  NIMBRA_CHROMIUM_EVENT(OnPreKeyEvent)
  NIMBRA_CHROMIUM_EVENT(OnKeyEvent)
  NIMBRA_CHROMIUM_EVENT(OnLoadingStateChange)
  NIMBRA_CHROMIUM_EVENT(OnAddressChange)
  NIMBRA_CHROMIUM_EVENT(OnTitleChange)
  NIMBRA_CHROMIUM_EVENT(OnTooltip)
  NIMBRA_CHROMIUM_EVENT(OnStatusMessage)
  NIMBRA_CHROMIUM_EVENT(OnConsoleMessage)
  NIMBRA_CHROMIUM_EVENT(OnBeforeDownload)
  NIMBRA_CHROMIUM_EVENT(OnDownloadUpdated)
  NIMBRA_CHROMIUM_EVENT(OnRequestGeolocationPermission)
  NIMBRA_CHROMIUM_EVENT(OnCancelGeolocationPermission)
  NIMBRA_CHROMIUM_EVENT(OnJsdialog)
  NIMBRA_CHROMIUM_EVENT(OnBeforeUnloadDialog)
  NIMBRA_CHROMIUM_EVENT(OnResetDialogState)
  NIMBRA_CHROMIUM_EVENT(OnBeforePopup)
  NIMBRA_CHROMIUM_EVENT(OnAfterCreated)
  NIMBRA_CHROMIUM_EVENT(OnBeforeClose)
  NIMBRA_CHROMIUM_EVENT(OnRunModal)
  NIMBRA_CHROMIUM_EVENT(OnClose)
  NIMBRA_CHROMIUM_EVENT(OnBeforeResourceLoad)
  NIMBRA_CHROMIUM_EVENT(OnGetResourceHandler)
  NIMBRA_CHROMIUM_EVENT(OnResourceRedirect)
  NIMBRA_CHROMIUM_EVENT(OnGetAuthCredentials)
  NIMBRA_CHROMIUM_EVENT(OnQuotaRequest)
  NIMBRA_CHROMIUM_EVENT(OnGetCookieManager)
  NIMBRA_CHROMIUM_EVENT(OnProtocolExecution)
  NIMBRA_CHROMIUM_EVENT(OnBeforePluginLoad)
  NIMBRA_CHROMIUM_EVENT(OnFileDialog)

 private:
  TChromiumOptions FOptions;
  ustring FUserStyleSheetLocation;
  ustring FDefaultEncoding;
  TChromiumFontOptions FFontOptions;
};

#undef NIMBRA_CHROMIUM_EVENT

// The control a form places: the same control, with every event and option
// open to the form that sets it up.
class TChromium : public TCustomChromium {
 public:
  using TCustomChromium::TCustomChromium;
};
