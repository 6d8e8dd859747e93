// The faces of the handler family: program objects the engine calls.
#pragma once

#include "cef_forward.h"

// ---- Program handlers ---------------------------------------------------------
class ICefResourceBundleHandler : public virtual ICefBase {};

class ICefBrowserProcessHandler : public virtual ICefBase {
 public:
  virtual void OnContextInitialized() = 0;
  virtual void OnBeforeChildProcessLaunch(const TInterfacePtr<ICefCommandLine>& commandLine) = 0;
  virtual void OnRenderProcessThreadCreated(const TInterfacePtr<ICefListValue>& extraInfo) = 0;
};

class ICefRenderProcessHandler : public virtual ICefBase {
 public:
  using PBrowser = const TInterfacePtr<ICefBrowser>&;
  using PFrame = const TInterfacePtr<ICefFrame>&;
  using PContext = const TInterfacePtr<ICefv8Context>&;
  using PException = const TInterfacePtr<ICefV8Exception>&;
  using PStackTrace = const TInterfacePtr<ICefV8StackTrace>&;

  virtual void OnRenderThreadCreated(const TInterfacePtr<ICefListValue>& extraInfo) = 0;
  virtual void OnWebKitInitialized() = 0;
  virtual void OnBrowserCreated(PBrowser browser) = 0;
  virtual void OnBrowserDestroyed(PBrowser browser) = 0;
  virtual bool OnBeforeNavigation(PBrowser browser, PFrame frame,
                                  const TInterfacePtr<ICefRequest>& request,
                                  cef_navigation_type_t navigationType, bool isRedirect) = 0;
  virtual void OnContextCreated(PBrowser browser, PFrame frame, PContext context) = 0;
  virtual void OnContextReleased(PBrowser browser, PFrame frame, PContext context) = 0;
  virtual void OnUncaughtException(PBrowser browser, PFrame frame, PContext context,
                                   PException exception, PStackTrace stackTrace) = 0;
  virtual void OnWorkerContextCreated(int workerId, const ustring& url, PContext context) = 0;
  virtual void OnWorkerContextReleased(int workerId, const ustring& url, PContext context) = 0;
  virtual void OnWorkerUncaughtException(int workerId, const ustring& url, PContext context,
                                         PException exception, PStackTrace stackTrace) = 0;
  virtual void OnFocusedNodeChanged(PBrowser browser, PFrame frame,
                                    const TInterfacePtr<ICefDomNode>& node) = 0;
  virtual bool OnProcessMessageReceived(PBrowser browser, TCefProcessId sourceProcess,
                                        const TInterfacePtr<ICefProcessMessage>& message) = 0;
};

class ICefApp : public virtual ICefBase {
 public:
  virtual void OnBeforeCommandLineProcessing(const ustring& processType,
                                             const TInterfacePtr<ICefCommandLine>& commandLine) = 0;
  virtual void OnRegisterCustomSchemes(const TInterfacePtr<ICefSchemeRegistrar>& registrar) = 0;
  virtual TInterfacePtr<ICefResourceBundleHandler> GetResourceBundleHandler() = 0;
  virtual TInterfacePtr<ICefBrowserProcessHandler> GetBrowserProcessHandler() = 0;
  virtual TInterfacePtr<ICefRenderProcessHandler> GetRenderProcessHandler() = 0;
};

// ---- A browser's client and its per-kind handlers -----------------------------
// Records the engine passes to these handlers and that they only read or fill.
using PCefKeyEvent = const TCefKeyEvent*;
using PMsg = MSG*;
using TCefPopupFeatures = cef_popup_features_t;
using TCefWindowInfo = cef_window_info_t;
using TCefBrowserSettings = cef_browser_settings_t;
using TCefTerminationStatus = cef_termination_status_t;
using TCefFocusSource = cef_focus_source_t;
using TCefEventFlags = cef_event_flags_t;
using TCefJsDialogType = cef_jsdialog_type_t;
using TCefCursorHandle = cef_cursor_handle_t;

using PBrowser = const TInterfacePtr<ICefBrowser>&;
using PFrame = const TInterfacePtr<ICefFrame>&;

// Serves a request's content in place of the network.
class ICefResourceHandler : public virtual ICefBase {};

class ICefLifeSpanHandler : public virtual ICefBase {
 public:
  // Every by-reference value starts as the engine's and goes back to it.
  virtual bool OnBeforePopup(PBrowser browser, PFrame frame, ustring& targetUrl,
                             ustring& targetFrameName, TCefPopupFeatures& popupFeatures,
                             TCefWindowInfo& windowInfo, TInterfacePtr<ICefClient>& client,
                             TCefBrowserSettings& settings, bool& noJavascriptAccess) = 0;
  virtual void OnAfterCreated(PBrowser browser) = 0;
  virtual void OnBeforeClose(PBrowser browser) = 0;
  virtual bool RunModal(PBrowser browser) = 0;
  virtual bool DoClose(PBrowser browser) = 0;
};

class ICefLoadHandler : public virtual ICefBase {
 public:
  virtual void OnLoadStart(PBrowser browser, PFrame frame) = 0;
  virtual void OnLoadEnd(PBrowser browser, PFrame frame, int httpStatusCode) = 0;
  virtual void OnLoadError(PBrowser browser, PFrame frame, int errorCode, const ustring& errorText,
                           const ustring& failedUrl) = 0;
  virtual void OnRenderProcessTerminated(PBrowser browser, TCefTerminationStatus status) = 0;
  virtual void OnPluginCrashed(PBrowser browser, const ustring& pluginPath) = 0;
};

class ICefDisplayHandler : public virtual ICefBase {
 public:
  virtual void OnLoadingStateChange(PBrowser browser, bool isLoading, bool canGoBack,
                                    bool canGoForward) = 0;
  virtual void OnAddressChange(PBrowser browser, PFrame frame, const ustring& url) = 0;
  virtual void OnTitleChange(PBrowser browser, const ustring& title) = 0;
  virtual bool OnTooltip(PBrowser browser, ustring& text) = 0;
  virtual void OnStatusMessage(PBrowser browser, const ustring& value) = 0;
  virtual bool OnConsoleMessage(PBrowser browser, const ustring& message, const ustring& source,
                                int line) = 0;
};

class ICefFocusHandler : public virtual ICefBase {
 public:
  virtual void OnTakeFocus(PBrowser browser, bool next) = 0;
  virtual bool OnSetFocus(PBrowser browser, TCefFocusSource source) = 0;
  virtual void OnGotFocus(PBrowser browser) = 0;
};

class ICefKeyboardHandler : public virtual ICefBase {
 public:
  virtual bool OnPreKeyEvent(PBrowser browser, PCefKeyEvent event, PMsg osEvent,
                             bool& isKeyboardShortcut) = 0;
  virtual bool OnKeyEvent(PBrowser browser, PCefKeyEvent event, PMsg osEvent) = 0;
};

class ICefJsDialogHandler : public virtual ICefBase {
 public:
  virtual bool OnJsdialog(PBrowser browser, const ustring& originUrl, const ustring& acceptLang,
                          TCefJsDialogType dialogType, const ustring& messageText,
                          const ustring& defaultPromptText,
                          const TInterfacePtr<ICefJsDialogCallback>& callback,
                          bool& suppressMessage) = 0;
  virtual bool OnBeforeUnloadDialog(PBrowser browser, const ustring& messageText, bool isReload,
                                    const TInterfacePtr<ICefJsDialogCallback>& callback) = 0;
  virtual void OnResetDialogState(PBrowser browser) = 0;
};

class ICefContextMenuHandler : public virtual ICefBase {
 public:
  virtual void OnBeforeContextMenu(PBrowser browser, PFrame frame,
                                   const TInterfacePtr<ICefContextMenuParams>& params,
                                   const TInterfacePtr<ICefMenuModel>& model) = 0;
  virtual bool OnContextMenuCommand(PBrowser browser, PFrame frame,
                                    const TInterfacePtr<ICefContextMenuParams>& params,
                                    int commandId, TCefEventFlags eventFlags) = 0;
  virtual void OnContextMenuDismissed(PBrowser browser, PFrame frame) = 0;
};

class ICefRequestHandler : public virtual ICefBase {
 public:
  virtual bool OnBeforeResourceLoad(PBrowser browser, PFrame frame,
                                    const TInterfacePtr<ICefRequest>& request) = 0;
  virtual TInterfacePtr<ICefResourceHandler> GetResourceHandler(
      PBrowser browser, PFrame frame, const TInterfacePtr<ICefRequest>& request) = 0;
  // newUrl starts as the engine's; an empty answer leaves the engine's.
  virtual void OnResourceRedirect(PBrowser browser, PFrame frame, const ustring& oldUrl,
                                  ustring& newUrl) = 0;
  virtual bool GetAuthCredentials(PBrowser browser, PFrame frame, bool isProxy, const ustring& host,
                                  int port, const ustring& realm, const ustring& scheme,
                                  const TInterfacePtr<ICefAuthCallback>& callback) = 0;
  virtual bool OnQuotaRequest(PBrowser browser, const ustring& originUrl, int64_t newSize,
                              const TInterfacePtr<ICefQuotaCallback>& callback) = 0;
  virtual TInterfacePtr<ICefCookieManager> GetCookieManager(PBrowser browser,
                                                            const ustring& mainUrl) = 0;
  virtual void OnProtocolExecution(PBrowser browser, const ustring& url,
                                   bool& allowOsExecution) = 0;
  virtual bool OnBeforePluginLoad(PBrowser browser, const ustring& url, const ustring& policyUrl,
                                  const TInterfacePtr<ICefWebPluginInfo>& info) = 0;
};

class ICefDownloadHandler : public virtual ICefBase {
 public:
  virtual void OnBeforeDownload(PBrowser browser,
                                const TInterfacePtr<ICefDownloadItem>& downloadItem,
                                const ustring& suggestedName,
                                const TInterfacePtr<ICefBeforeDownloadCallback>& callback) = 0;
  virtual void OnDownloadUpdated(PBrowser browser,
                                 const TInterfacePtr<ICefDownloadItem>& downloadItem,
                                 const TInterfacePtr<ICefDownloadItemCallback>& callback) = 0;
};

class ICefGeolocationHandler : public virtual ICefBase {
 public:
  virtual void OnRequestGeolocationPermission(
      PBrowser browser, const ustring& requestingUrl, int requestId,
      const TInterfacePtr<ICefGeolocationCallback>& callback) = 0;
  virtual void OnCancelGeolocationPermission(PBrowser browser, const ustring& requestingUrl,
                                             int requestId) = 0;
};

class ICefDialogHandler : public virtual ICefBase {
 public:
  virtual bool OnFileDialog(PBrowser browser, TCefFileDialogMode mode, const ustring& title,
                            const ustring& defaultFileName, const TStringList& acceptTypes,
                            const TInterfacePtr<ICefFileDialogCallback>& callback) = 0;
};

// Windowless drawing: the queries fill what they answer true for.
class ICefRenderHandler : public virtual ICefBase {
 public:
  virtual bool GetRootScreenRect(PBrowser browser, TCefRect& rect) = 0;
  virtual bool GetViewRect(PBrowser browser, TCefRect& rect) = 0;
  virtual bool GetScreenPoint(PBrowser browser, int viewX, int viewY, int& screenX,
                              int& screenY) = 0;
  virtual void OnPopupShow(PBrowser browser, bool show) = 0;
  virtual void OnPopupSize(PBrowser browser, const TCefRect& rect) = 0;
  virtual void OnPaint(PBrowser browser, TCefPaintElementType type, size_t dirtyRectsCount,
                       const TCefRect* dirtyRects, const void* buffer, int width, int height) = 0;
  virtual void OnCursorChange(PBrowser browser, TCefCursorHandle cursor) = 0;
};

class ICefClient : public virtual ICefBase {
 public:
  virtual TInterfacePtr<ICefContextMenuHandler> GetContextMenuHandler() = 0;
  virtual TInterfacePtr<ICefDialogHandler> GetDialogHandler() = 0;
  virtual TInterfacePtr<ICefDisplayHandler> GetDisplayHandler() = 0;
  virtual TInterfacePtr<ICefDownloadHandler> GetDownloadHandler() = 0;
  virtual TInterfacePtr<ICefFocusHandler> GetFocusHandler() = 0;
  virtual TInterfacePtr<ICefGeolocationHandler> GetGeolocationHandler() = 0;
  virtual TInterfacePtr<ICefJsDialogHandler> GetJsdialogHandler() = 0;
  virtual TInterfacePtr<ICefKeyboardHandler> GetKeyboardHandler() = 0;
  virtual TInterfacePtr<ICefLifeSpanHandler> GetLifeSpanHandler() = 0;
  virtual TInterfacePtr<ICefRenderHandler> GetRenderHandler() = 0;
  virtual TInterfacePtr<ICefLoadHandler> GetLoadHandler() = 0;
  virtual TInterfacePtr<ICefRequestHandler> GetRequestHandler() = 0;
  virtual bool OnProcessMessageReceived(PBrowser browser, TCefProcessId sourceProcess,
                                        const TInterfacePtr<ICefProcessMessage>& message) = 0;
};
