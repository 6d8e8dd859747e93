// Handler bases: program objects the engine calls. Each owns its engine record
// (entries in the engine's order) whose entries recover the object and call the
// virtual operation of the same position. Defaults do nothing and answer false
// or no object.
#pragma once

#include "cef_interfaces.h"

class TCefAppOwn : public TCefBaseOwn, public ICefApp {
 public:
  TCefAppOwn();
  void OnBeforeCommandLineProcessing(const ustring& processType,
                                     const TInterfacePtr<ICefCommandLine>& commandLine) override;
  void OnRegisterCustomSchemes(const TInterfacePtr<ICefSchemeRegistrar>& registrar) override;
  TInterfacePtr<ICefResourceBundleHandler> GetResourceBundleHandler() override;
  TInterfacePtr<ICefBrowserProcessHandler> GetBrowserProcessHandler() override;
  TInterfacePtr<ICefRenderProcessHandler> GetRenderProcessHandler() override;
};

class TCefBrowserProcessHandlerOwn : public TCefBaseOwn, public ICefBrowserProcessHandler {
 public:
  TCefBrowserProcessHandlerOwn();
  void OnContextInitialized() override;
  void OnBeforeChildProcessLaunch(const TInterfacePtr<ICefCommandLine>& commandLine) override;
  void OnRenderProcessThreadCreated(const TInterfacePtr<ICefListValue>& extraInfo) override;
};

class TCefRenderProcessHandlerOwn : public TCefBaseOwn, public ICefRenderProcessHandler {
 public:
  TCefRenderProcessHandlerOwn();
  void OnRenderThreadCreated(const TInterfacePtr<ICefListValue>& extraInfo) override;
  void OnWebKitInitialized() override;
  void OnBrowserCreated(PBrowser browser) override;
  void OnBrowserDestroyed(PBrowser browser) override;
  bool OnBeforeNavigation(PBrowser browser, PFrame frame, const TInterfacePtr<ICefRequest>& request,
                          cef_navigation_type_t navigationType, bool isRedirect) override;
  void OnContextCreated(PBrowser browser, PFrame frame, PContext context) override;
  void OnContextReleased(PBrowser browser, PFrame frame, PContext context) override;
  void OnUncaughtException(PBrowser browser, PFrame frame, PContext context, PException exception,
                           PStackTrace stackTrace) override;
  void OnWorkerContextCreated(int workerId, const ustring& url, PContext context) override;
  void OnWorkerContextReleased(int workerId, const ustring& url, PContext context) override;
  void OnWorkerUncaughtException(int workerId, const ustring& url, PContext context,
                                 PException exception, PStackTrace stackTrace) override;
  void OnFocusedNodeChanged(PBrowser browser, PFrame frame,
                            const TInterfacePtr<ICefDomNode>& node) override;
  bool OnProcessMessageReceived(PBrowser browser, TCefProcessId sourceProcess,
                                const TInterfacePtr<ICefProcessMessage>& message) override;
};

// ---- A browser's client and its per-kind handlers -----------------------------
// The engine asks the client for each kind of handler whenever it has
// something to tell; by-reference values start as the engine's and are written
// back after the operation returns.

class TCefClientOwn : public TCefBaseOwn, public ICefClient {
 public:
  TCefClientOwn();
  TInterfacePtr<ICefContextMenuHandler> GetContextMenuHandler() override;
  TInterfacePtr<ICefDialogHandler> GetDialogHandler() override;
  TInterfacePtr<ICefDisplayHandler> GetDisplayHandler() override;
  TInterfacePtr<ICefDownloadHandler> GetDownloadHandler() override;
  TInterfacePtr<ICefFocusHandler> GetFocusHandler() override;
  TInterfacePtr<ICefGeolocationHandler> GetGeolocationHandler() override;
  TInterfacePtr<ICefJsDialogHandler> GetJsdialogHandler() override;
  TInterfacePtr<ICefKeyboardHandler> GetKeyboardHandler() override;
  TInterfacePtr<ICefLifeSpanHandler> GetLifeSpanHandler() override;
  TInterfacePtr<ICefRenderHandler> GetRenderHandler() override;
  TInterfacePtr<ICefLoadHandler> GetLoadHandler() override;
  TInterfacePtr<ICefRequestHandler> GetRequestHandler() override;
  bool OnProcessMessageReceived(PBrowser browser, TCefProcessId sourceProcess,
                                const TInterfacePtr<ICefProcessMessage>& message) override;
};

class TCefLifeSpanHandlerOwn : public TCefBaseOwn, public ICefLifeSpanHandler {
 public:
  TCefLifeSpanHandlerOwn();
  bool OnBeforePopup(PBrowser browser, PFrame frame, ustring& targetUrl, ustring& targetFrameName,
                     TCefPopupFeatures& popupFeatures, TCefWindowInfo& windowInfo,
                     TInterfacePtr<ICefClient>& client, TCefBrowserSettings& settings,
                     bool& noJavascriptAccess) override;
  void OnAfterCreated(PBrowser browser) override;
  void OnBeforeClose(PBrowser browser) override;
  bool RunModal(PBrowser browser) override;
  bool DoClose(PBrowser browser) override;
};

class TCefLoadHandlerOwn : public TCefBaseOwn, public ICefLoadHandler {
 public:
  TCefLoadHandlerOwn();
  void OnLoadStart(PBrowser browser, PFrame frame) override;
  void OnLoadEnd(PBrowser browser, PFrame frame, int httpStatusCode) override;
  void OnLoadError(PBrowser browser, PFrame frame, int errorCode, const ustring& errorText,
                   const ustring& failedUrl) override;
  void OnRenderProcessTerminated(PBrowser browser, TCefTerminationStatus status) override;
  void OnPluginCrashed(PBrowser browser, const ustring& pluginPath) override;
};

class TCefDisplayHandlerOwn : public TCefBaseOwn, public ICefDisplayHandler {
 public:
  TCefDisplayHandlerOwn();
  void OnLoadingStateChange(PBrowser browser, bool isLoading, bool canGoBack,
                            bool canGoForward) override;
  void OnAddressChange(PBrowser browser, PFrame frame, const ustring& url) override;
  void OnTitleChange(PBrowser browser, const ustring& title) override;
  bool OnTooltip(PBrowser browser, ustring& text) override;
  void OnStatusMessage(PBrowser browser, const ustring& value) override;
  bool OnConsoleMessage(PBrowser browser, const ustring& message, const ustring& source,
                        int line) override;
};

class TCefFocusHandlerOwn : public TCefBaseOwn, public ICefFocusHandler {
 public:
  TCefFocusHandlerOwn();
  void OnTakeFocus(PBrowser browser, bool next) override;
  bool OnSetFocus(PBrowser browser, TCefFocusSource source) override;
  void OnGotFocus(PBrowser browser) override;
};

class TCefKeyboardHandlerOwn : public TCefBaseOwn, public ICefKeyboardHandler {
 public:
  TCefKeyboardHandlerOwn();
  bool OnPreKeyEvent(PBrowser browser, PCefKeyEvent event, PMsg osEvent,
                     bool& isKeyboardShortcut) override;
  bool OnKeyEvent(PBrowser browser, PCefKeyEvent event, PMsg osEvent) override;
};

class TCefJsDialogHandlerOwn : public TCefBaseOwn, public ICefJsDialogHandler {
 public:
  TCefJsDialogHandlerOwn();
  bool OnJsdialog(PBrowser browser, const ustring& originUrl, const ustring& acceptLang,
                  TCefJsDialogType dialogType, const ustring& messageText,
                  const ustring& defaultPromptText,
                  const TInterfacePtr<ICefJsDialogCallback>& callback,
                  bool& suppressMessage) override;
  bool OnBeforeUnloadDialog(PBrowser browser, const ustring& messageText, bool isReload,
                            const TInterfacePtr<ICefJsDialogCallback>& callback) override;
  void OnResetDialogState(PBrowser browser) override;
};

class TCefContextMenuHandlerOwn : public TCefBaseOwn, public ICefContextMenuHandler {
 public:
  TCefContextMenuHandlerOwn();
  void OnBeforeContextMenu(PBrowser browser, PFrame frame,
                           const TInterfacePtr<ICefContextMenuParams>& params,
                           const TInterfacePtr<ICefMenuModel>& model) override;
  bool OnContextMenuCommand(PBrowser browser, PFrame frame,
                            const TInterfacePtr<ICefContextMenuParams>& params, int commandId,
                            TCefEventFlags eventFlags) override;
  void OnContextMenuDismissed(PBrowser browser, PFrame frame) override;
};

class TCefRequestHandlerOwn : public TCefBaseOwn, public ICefRequestHandler {
 public:
  TCefRequestHandlerOwn();
  bool OnBeforeResourceLoad(PBrowser browser, PFrame frame,
                            const TInterfacePtr<ICefRequest>& request) override;
  TInterfacePtr<ICefResourceHandler> GetResourceHandler(
      PBrowser browser, PFrame frame, const TInterfacePtr<ICefRequest>& request) override;
  void OnResourceRedirect(PBrowser browser, PFrame frame, const ustring& oldUrl,
                          ustring& newUrl) override;
  bool GetAuthCredentials(PBrowser browser, PFrame frame, bool isProxy, const ustring& host,
                          int port, const ustring& realm, const ustring& scheme,
                          const TInterfacePtr<ICefAuthCallback>& callback) override;
  bool OnQuotaRequest(PBrowser browser, const ustring& originUrl, int64_t newSize,
                      const TInterfacePtr<ICefQuotaCallback>& callback) override;
  TInterfacePtr<ICefCookieManager> GetCookieManager(PBrowser browser,
                                                    const ustring& mainUrl) override;
  void OnProtocolExecution(PBrowser browser, const ustring& url, bool& allowOsExecution) override;
  bool OnBeforePluginLoad(PBrowser browser, const ustring& url, const ustring& policyUrl,
                          const TInterfacePtr<ICefWebPluginInfo>& info) override;
};

class TCefDownloadHandlerOwn : public TCefBaseOwn, public ICefDownloadHandler {
 public:
  TCefDownloadHandlerOwn();
  void OnBeforeDownload(PBrowser browser, const TInterfacePtr<ICefDownloadItem>& downloadItem,
                        const ustring& suggestedName,
                        const TInterfacePtr<ICefBeforeDownloadCallback>& callback) override;
  void OnDownloadUpdated(PBrowser browser, const TInterfacePtr<ICefDownloadItem>& downloadItem,
                         const TInterfacePtr<ICefDownloadItemCallback>& callback) override;
};

class TCefGeolocationHandlerOwn : public TCefBaseOwn, public ICefGeolocationHandler {
 public:
  TCefGeolocationHandlerOwn();
  void OnRequestGeolocationPermission(
      PBrowser browser, const ustring& requestingUrl, int requestId,
      const TInterfacePtr<ICefGeolocationCallback>& callback) override;
  void OnCancelGeolocationPermission(PBrowser browser, const ustring& requestingUrl,
                                     int requestId) override;
};

class TCefDialogHandlerOwn : public TCefBaseOwn, public ICefDialogHandler {
 public:
  TCefDialogHandlerOwn();
  bool OnFileDialog(PBrowser browser, TCefFileDialogMode mode, const ustring& title,
                    const ustring& defaultFileName, const TStringList& acceptTypes,
                    const TInterfacePtr<ICefFileDialogCallback>& callback) override;
};

class TCefRenderHandlerOwn : public TCefBaseOwn, public ICefRenderHandler {
 public:
  TCefRenderHandlerOwn();
  bool GetRootScreenRect(PBrowser browser, TCefRect& rect) override;
  bool GetViewRect(PBrowser browser, TCefRect& rect) override;
  bool GetScreenPoint(PBrowser browser, int viewX, int viewY, int& screenX, int& screenY) override;
  void OnPopupShow(PBrowser browser, bool show) override;
  void OnPopupSize(PBrowser browser, const TCefRect& rect) override;
  void OnPaint(PBrowser browser, TCefPaintElementType type, size_t dirtyRectsCount,
               const TCefRect* dirtyRects, const void* buffer, int width, int height) override;
  void OnCursorChange(PBrowser browser, TCefCursorHandle cursor) override;
};
