// The browser control's event face, and the client's face towards the control.
//
// Every engine notification about a browser reaches its control through
// exactly one operation of IChromiumEvents, synchronously, on the thread on
// which the engine delivered it; the answer goes straight back to the engine.
// The face's reference operations do not govern the control's life: its owner
// does, and the client is detached before the control goes.
#pragma once

#include <cstdint>

#include "cef_interfaces.h"

class IChromiumEvents {
 public:
  virtual int AddRef() noexcept = 0;
  virtual int Release() noexcept = 0;

  virtual void FillBrowserSettings(TCefBrowserSettings& settings) = 0;
  virtual bool DoProcessMessageReceived(PBrowser browser, TCefProcessId sourceProcess,
                                        const TInterfacePtr<ICefProcessMessage>& message) = 0;
  virtual void DoLoadStart(PBrowser browser, PFrame frame) = 0;
  virtual void DoLoadEnd(PBrowser browser, PFrame frame, int httpStatusCode) = 0;
  virtual void DoLoadError(PBrowser browser, PFrame frame, int errorCode, const ustring& errorText,
                           const ustring& failedUrl) = 0;
  virtual void DoRenderProcessTerminated(PBrowser browser, TCefTerminationStatus status) = 0;
  virtual void DoPluginCrashed(PBrowser browser, const ustring& pluginPath) = 0;
  virtual void DoTakeFocus(PBrowser browser, bool next) = 0;
  virtual bool DoSetFocus(PBrowser browser, TCefFocusSource source) = 0;
  virtual void DoGotFocus(PBrowser browser) = 0;
  virtual void DoBeforeContextMenu(PBrowser browser, PFrame frame,
                                   const TInterfacePtr<ICefContextMenuParams>& params,
                                   const TInterfacePtr<ICefMenuModel>& model) = 0;
  virtual bool DoContextMenuCommand(PBrowser browser, PFrame frame,
                                    const TInterfacePtr<ICefContextMenuParams>& params,
                                    int commandId, TCefEventFlags eventFlags) = 0;
  virtual void DoContextMenuDismissed(PBrowser browser, PFrame frame) = 0;
  virtual bool DoPreKeyEvent(PBrowser browser, PCefKeyEvent event, PMsg osEvent,
                             bool& isKeyboardShortcut) = 0;
  virtual bool DoKeyEvent(PBrowser browser, PCefKeyEvent event, PMsg osEvent) = 0;
  virtual void DoLoadingStateChange(PBrowser browser, bool isLoading, bool canGoBack,
                                    bool canGoForward) = 0;
  virtual void DoAddressChange(PBrowser browser, PFrame frame, const ustring& url) = 0;
  virtual void DoTitleChange(PBrowser browser, const ustring& title) = 0;
  virtual bool DoTooltip(PBrowser browser, ustring& text) = 0;
  virtual void DoStatusMessage(PBrowser browser, const ustring& value) = 0;
  virtual bool DoConsoleMessage(PBrowser browser, const ustring& message, const ustring& source,
                                int line) = 0;
  virtual void DoRequestGeolocationPermission(
      PBrowser browser, const ustring& requestingUrl, int requestId,
      const TInterfacePtr<ICefGeolocationCallback>& callback) = 0;
  virtual void DoCancelGeolocationPermission(PBrowser browser, const ustring& requestingUrl,
                                             int requestId) = 0;
  virtual void DoBeforeDownload(PBrowser browser,
                                const TInterfacePtr<ICefDownloadItem>& downloadItem,
                                const ustring& suggestedName,
                                const TInterfacePtr<ICefBeforeDownloadCallback>& callback) = 0;
  virtual void DoDownloadUpdated(PBrowser browser,
                                 const TInterfacePtr<ICefDownloadItem>& downloadItem,
                                 const TInterfacePtr<ICefDownloadItemCallback>& callback) = 0;
  virtual bool DoJsdialog(PBrowser browser, const ustring& originUrl, const ustring& acceptLang,
                          TCefJsDialogType dialogType, const ustring& messageText,
                          const ustring& defaultPromptText,
                          const TInterfacePtr<ICefJsDialogCallback>& callback,
                          bool& suppressMessage) = 0;
  virtual bool DoBeforeUnloadDialog(PBrowser browser, const ustring& messageText, bool isReload,
                                    const TInterfacePtr<ICefJsDialogCallback>& callback) = 0;
  virtual void DoResetDialogState(PBrowser browser) = 0;
  virtual bool DoBeforePopup(PBrowser browser, PFrame frame, const ustring& targetUrl,
                             const ustring& targetFrameName, TCefPopupFeatures& popupFeatures,
                             TCefWindowInfo& windowInfo, TInterfacePtr<ICefClient>& client,
                             TCefBrowserSettings& settings, bool& noJavascriptAccess) = 0;
  virtual void DoAfterCreated(PBrowser browser) = 0;
  virtual void DoBeforeClose(PBrowser browser) = 0;
  virtual bool DoRunModal(PBrowser browser) = 0;
  virtual bool DoClose(PBrowser browser) = 0;
  virtual bool DoBeforeResourceLoad(PBrowser browser, PFrame frame,
                                    const TInterfacePtr<ICefRequest>& request) = 0;
  virtual TInterfacePtr<ICefResourceHandler> DoGetResourceHandler(
      PBrowser browser, PFrame frame, const TInterfacePtr<ICefRequest>& request) = 0;
  virtual void DoResourceRedirect(PBrowser browser, PFrame frame, const ustring& oldUrl,
                                  ustring& newUrl) = 0;
  virtual bool DoGetAuthCredentials(PBrowser browser, PFrame frame, bool isProxy,
                                    const ustring& host, int port, const ustring& realm,
                                    const ustring& scheme,
                                    const TInterfacePtr<ICefAuthCallback>& callback) = 0;
  virtual bool DoQuotaRequest(PBrowser browser, const ustring& originUrl, int64_t newSize,
                              const TInterfacePtr<ICefQuotaCallback>& callback) = 0;
  virtual TInterfacePtr<ICefCookieManager> DoGetCookieManager(PBrowser browser,
                                                              const ustring& mainUrl) = 0;
  virtual void DoProtocolExecution(PBrowser browser, const ustring& url,
                                   bool& allowOsExecution) = 0;
  virtual bool DoBeforePluginLoad(PBrowser browser, const ustring& url, const ustring& policyUrl,
                                  const TInterfacePtr<ICefWebPluginInfo>& info) = 0;
  virtual bool DoFileDialog(PBrowser browser, TCefFileDialogMode mode, const ustring& title,
                            const ustring& defaultFileName, const TStringList& acceptTypes,
                            const TInterfacePtr<ICefFileDialogCallback>& callback) = 0;
  // Windowless drawing; a windowed control ignores these.
  virtual bool DoGetRootScreenRect(PBrowser browser, TCefRect& rect) = 0;
  virtual bool DoGetViewRect(PBrowser browser, TCefRect& rect) = 0;
  virtual bool DoGetScreenPoint(PBrowser browser, int viewX, int viewY, int& screenX,
                                int& screenY) = 0;
  virtual void DoPopupShow(PBrowser browser, bool show) = 0;
  virtual void DoPopupSize(PBrowser browser, const TCefRect& rect) = 0;
  virtual void DoPaint(PBrowser browser, TCefPaintElementType type, size_t dirtyRectsCount,
                       const TCefRect* dirtyRects, const void* buffer, int width, int height) = 0;
  virtual void DoCursorChange(PBrowser browser, TCefCursorHandle cursor) = 0;

 protected:
  ~IChromiumEvents() = default;
};

// What the control asks of its client when it goes.
class ICefClientHandler : public virtual ICefBase {
 public:
  // From now on no notification reaches the control: handler queries answer
  // null, process messages false, and handlers the engine already holds
  // forward nothing.
  virtual void DetachHandlers() = 0;
};
