// The client the browser control hands to the engine, and its twelve per-kind
// handlers.
//
// Ownership: the control holds the client; the client holds its handlers; the
// engine holds whatever it was handed (the client through each browser, and
// any handler it asked for while it uses it), so all of them may outlive the
// control. They share one events slot (events_slot.h), which the control
// empties through DetachHandlers before it goes. Handlers are called on the
// engine's threads; they keep no state besides their references.
#pragma once

#include "cef_handlers.h"
#include "cef_wrappers.h"
#include "events_slot.h"

class TCustomLoadHandler : public TCefLoadHandlerOwn {
 public:
  explicit TCustomLoadHandler(TChromiumEventsLink events) : FEvent(std::move(events)) {}
  void OnLoadStart(PBrowser browser, PFrame frame) override {
    FEvent->Forward(&IChromiumEvents::DoLoadStart, browser, frame);
  }
  void OnLoadEnd(PBrowser browser, PFrame frame, int httpStatusCode) override {
    FEvent->Forward(&IChromiumEvents::DoLoadEnd, browser, frame, httpStatusCode);
  }
  void OnLoadError(PBrowser browser, PFrame frame, int errorCode, const ustring& errorText,
                   const ustring& failedUrl) override {
    FEvent->Forward(&IChromiumEvents::DoLoadError, browser, frame, errorCode, errorText, failedUrl);
  }
  void OnRenderProcessTerminated(PBrowser browser, TCefTerminationStatus status) override {
    FEvent->Forward(&IChromiumEvents::DoRenderProcessTerminated, browser, status);
  }
  void OnPluginCrashed(PBrowser browser, const ustring& pluginPath) override {
    FEvent->Forward(&IChromiumEvents::DoPluginCrashed, browser, pluginPath);
  }

 private:
  const TChromiumEventsLink FEvent;
};

class TCustomFocusHandler : public TCefFocusHandlerOwn {
 public:
  explicit TCustomFocusHandler(TChromiumEventsLink events) : FEvent(std::move(events)) {}
  void OnTakeFocus(PBrowser browser, bool next) override {
    FEvent->Forward(&IChromiumEvents::DoTakeFocus, browser, next);
  }
  bool OnSetFocus(PBrowser browser, TCefFocusSource source) override {
    return FEvent->Forward(&IChromiumEvents::DoSetFocus, browser, source);
  }
  void OnGotFocus(PBrowser browser) override {
    FEvent->Forward(&IChromiumEvents::DoGotFocus, browser);
  }

 private:
  const TChromiumEventsLink FEvent;
};

class TCustomContextMenuHandler : public TCefContextMenuHandlerOwn {
 public:
  explicit TCustomContextMenuHandler(TChromiumEventsLink events) : FEvent(std::move(events)) {}
  void OnBeforeContextMenu(PBrowser browser, PFrame frame,
                           const TInterfacePtr<ICefContextMenuParams>& params,
                           const TInterfacePtr<ICefMenuModel>& model) override {
    FEvent->Forward(&IChromiumEvents::DoBeforeContextMenu, browser, frame, params, model);
  }
  bool OnContextMenuCommand(PBrowser browser, PFrame frame,
                            const TInterfacePtr<ICefContextMenuParams>& params, int commandId,
                            TCefEventFlags eventFlags) override {
    return FEvent->Forward(&IChromiumEvents::DoContextMenuCommand, browser, frame, params,
                           commandId, eventFlags);
  }
  void OnContextMenuDismissed(PBrowser browser, PFrame frame) override {
    FEvent->Forward(&IChromiumEvents::DoContextMenuDismissed, browser, frame);
  }

 private:
  const TChromiumEventsLink FEvent;
};

class TCustomDialogHandler : public TCefDialogHandlerOwn {
 public:
  explicit TCustomDialogHandler(TChromiumEventsLink events) : FEvent(std::move(events)) {}
  bool OnFileDialog(PBrowser browser, TCefFileDialogMode mode, const ustring& title,
                    const ustring& defaultFileName, const TStringList& acceptTypes,
                    const TInterfacePtr<ICefFileDialogCallback>& callback) override {
    return FEvent->Forward(&IChromiumEvents::DoFileDialog, browser, mode, title, defaultFileName,
                           acceptTypes, callback);
  }

 private:
  const TChromiumEventsLink FEvent;
};

class TCustomKeyboardHandler : public TCefKeyboardHandlerOwn {
 public:
  explicit TCustomKeyboardHandler(TChromiumEventsLink events) : FEvent(std::move(events)) {}
  bool OnPreKeyEvent(PBrowser browser, PCefKeyEvent event, PMsg osEvent,
                     bool& isKeyboardShortcut) override {
    return FEvent->Forward(&IChromiumEvents::DoPreKeyEvent, browser, event, osEvent,
                           isKeyboardShortcut);
  }
  bool OnKeyEvent(PBrowser browser, PCefKeyEvent event, PMsg osEvent) override {
    return FEvent->Forward(&IChromiumEvents::DoKeyEvent, browser, event, osEvent);
  }

 private:
  const TChromiumEventsLink FEvent;
};

class TCustomDisplayHandler : public TCefDisplayHandlerOwn {
 public:
  explicit TCustomDisplayHandler(TChromiumEventsLink events) : FEvent(std::move(events)) {}
  void OnLoadingStateChange(PBrowser browser, bool isLoading, bool canGoBack,
                            bool canGoForward) override {
    FEvent->Forward(&IChromiumEvents::DoLoadingStateChange, browser, isLoading, canGoBack,
                    canGoForward);
  }
  void OnAddressChange(PBrowser browser, PFrame frame, const ustring& url) override {
    FEvent->Forward(&IChromiumEvents::DoAddressChange, browser, frame, url);
  }
  void OnTitleChange(PBrowser browser, const ustring& title) override {
    FEvent->Forward(&IChromiumEvents::DoTitleChange, browser, title);
  }
  bool OnTooltip(PBrowser browser, ustring& text) override {
    return FEvent->Forward(&IChromiumEvents::DoTooltip, browser, text);
  }
  void OnStatusMessage(PBrowser browser, const ustring& value) override {
    FEvent->Forward(&IChromiumEvents::DoStatusMessage, browser, value);
  }
  bool OnConsoleMessage(PBrowser browser, const ustring& message, const ustring& source,
                        int line) override {
    return FEvent->Forward(&IChromiumEvents::DoConsoleMessage, browser, message, source, line);
  }

 private:
  const TChromiumEventsLink FEvent;
};

class TCustomDownloadHandler : public TCefDownloadHandlerOwn {
 public:
  explicit TCustomDownloadHandler(TChromiumEventsLink events) : FEvent(std::move(events)) {}
  void OnBeforeDownload(PBrowser browser, const TInterfacePtr<ICefDownloadItem>& downloadItem,
                        const ustring& suggestedName,
                        const TInterfacePtr<ICefBeforeDownloadCallback>& callback) override {
    FEvent->Forward(&IChromiumEvents::DoBeforeDownload, browser, downloadItem, suggestedName,
                    callback);
  }
  void OnDownloadUpdated(PBrowser browser, const TInterfacePtr<ICefDownloadItem>& downloadItem,
                         const TInterfacePtr<ICefDownloadItemCallback>& callback) override {
    FEvent->Forward(&IChromiumEvents::DoDownloadUpdated, browser, downloadItem, callback);
  }

 private:
  const TChromiumEventsLink FEvent;
};

class TCustomGeolocationHandler : public TCefGeolocationHandlerOwn {
 public:
  explicit TCustomGeolocationHandler(TChromiumEventsLink events) : FEvent(std::move(events)) {}
  void OnRequestGeolocationPermission(
      PBrowser browser, const ustring& requestingUrl, int requestId,
      const TInterfacePtr<ICefGeolocationCallback>& callback) override {
    FEvent->Forward(&IChromiumEvents::DoRequestGeolocationPermission, browser, requestingUrl,
                    requestId, callback);
  }
  void OnCancelGeolocationPermission(PBrowser browser, const ustring& requestingUrl,
                                     int requestId) override {
    FEvent->Forward(&IChromiumEvents::DoCancelGeolocationPermission, browser, requestingUrl,
                    requestId);
  }

 private:
  const TChromiumEventsLink FEvent;
};

class TCustomJsDialogHandler : public TCefJsDialogHandlerOwn {
 public:
  explicit TCustomJsDialogHandler(TChromiumEventsLink events) : FEvent(std::move(events)) {}
  bool OnJsdialog(PBrowser browser, const ustring& originUrl, const ustring& acceptLang,
                  TCefJsDialogType dialogType, const ustring& messageText,
                  const ustring& defaultPromptText,
                  const TInterfacePtr<ICefJsDialogCallback>& callback,
                  bool& suppressMessage) override;
  bool OnBeforeUnloadDialog(PBrowser browser, const ustring& messageText, bool isReload,
                            const TInterfacePtr<ICefJsDialogCallback>& callback) override;
  void OnResetDialogState(PBrowser browser) override {
    FEvent->Forward(&IChromiumEvents::DoResetDialogState, browser);
  }

 private:
  const TChromiumEventsLink FEvent;
};

class TCustomLifeSpanHandler : public TCefLifeSpanHandlerOwn {
 public:
  explicit TCustomLifeSpanHandler(TChromiumEventsLink events) : FEvent(std::move(events)) {}
  bool OnBeforePopup(PBrowser browser, PFrame frame, ustring& targetUrl, ustring& targetFrameName,
                     TCefPopupFeatures& popupFeatures, TCefWindowInfo& windowInfo,
                     TInterfacePtr<ICefClient>& client, TCefBrowserSettings& settings,
                     bool& noJavascriptAccess) override {
    return FEvent->Forward(&IChromiumEvents::DoBeforePopup, browser, frame, targetUrl,
                           targetFrameName, popupFeatures, windowInfo, client, settings,
                           noJavascriptAccess);
  }
  void OnAfterCreated(PBrowser browser) override {
    FEvent->Forward(&IChromiumEvents::DoAfterCreated, browser);
  }
  void OnBeforeClose(PBrowser browser) override {
    FEvent->Forward(&IChromiumEvents::DoBeforeClose, browser);
  }
  bool RunModal(PBrowser browser) override {
    return FEvent->Forward(&IChromiumEvents::DoRunModal, browser);
  }
  bool DoClose(PBrowser browser) override {
    return FEvent->Forward(&IChromiumEvents::DoClose, browser);
  }

 private:
  const TChromiumEventsLink FEvent;
};

class TCustomRequestHandler : public TCefRequestHandlerOwn {
 public:
  explicit TCustomRequestHandler(TChromiumEventsLink events) : FEvent(std::move(events)) {}
  bool OnBeforeResourceLoad(PBrowser browser, PFrame frame,
                            const TInterfacePtr<ICefRequest>& request) override {
    return FEvent->Forward(&IChromiumEvents::DoBeforeResourceLoad, browser, frame, request);
  }
  TInterfacePtr<ICefResourceHandler> GetResourceHandler(
      PBrowser browser, PFrame frame, const TInterfacePtr<ICefRequest>& request) override {
    return FEvent->Forward(&IChromiumEvents::DoGetResourceHandler, browser, frame, request);
  }
  void OnResourceRedirect(PBrowser browser, PFrame frame, const ustring& oldUrl,
                          ustring& newUrl) override {
    FEvent->Forward(&IChromiumEvents::DoResourceRedirect, browser, frame, oldUrl, newUrl);
  }
  bool GetAuthCredentials(PBrowser browser, PFrame frame, bool isProxy, const ustring& host,
                          int port, const ustring& realm, const ustring& scheme,
                          const TInterfacePtr<ICefAuthCallback>& callback) override {
    return FEvent->Forward(&IChromiumEvents::DoGetAuthCredentials, browser, frame, isProxy, host,
                           port, realm, scheme, callback);
  }
  bool OnQuotaRequest(PBrowser browser, const ustring& originUrl, int64_t newSize,
                      const TInterfacePtr<ICefQuotaCallback>& callback) override {
    return FEvent->Forward(&IChromiumEvents::DoQuotaRequest, browser, originUrl, newSize, callback);
  }
  TInterfacePtr<ICefCookieManager> GetCookieManager(PBrowser browser,
                                                    const ustring& mainUrl) override {
    return FEvent->Forward(&IChromiumEvents::DoGetCookieManager, browser, mainUrl);
  }
  void OnProtocolExecution(PBrowser browser, const ustring& url, bool& allowOsExecution) override {
    FEvent->Forward(&IChromiumEvents::DoProtocolExecution, browser, url, allowOsExecution);
  }
  bool OnBeforePluginLoad(PBrowser browser, const ustring& url, const ustring& policyUrl,
                          const TInterfacePtr<ICefWebPluginInfo>& info) override {
    return FEvent->Forward(&IChromiumEvents::DoBeforePluginLoad, browser, url, policyUrl, info);
  }

 private:
  const TChromiumEventsLink FEvent;
};

class TCustomRenderHandler : public TCefRenderHandlerOwn {
 public:
  explicit TCustomRenderHandler(TChromiumEventsLink events) : FEvent(std::move(events)) {}
  bool GetRootScreenRect(PBrowser browser, TCefRect& rect) override {
    return FEvent->Forward(&IChromiumEvents::DoGetRootScreenRect, browser, rect);
  }
  bool GetViewRect(PBrowser browser, TCefRect& rect) override {
    return FEvent->Forward(&IChromiumEvents::DoGetViewRect, browser, rect);
  }
  bool GetScreenPoint(PBrowser browser, int viewX, int viewY, int& screenX, int& screenY) override {
    return FEvent->Forward(&IChromiumEvents::DoGetScreenPoint, browser, viewX, viewY, screenX,
                           screenY);
  }
  void OnPopupShow(PBrowser browser, bool show) override {
    FEvent->Forward(&IChromiumEvents::DoPopupShow, browser, show);
  }
  void OnPopupSize(PBrowser browser, const TCefRect& rect) override {
    FEvent->Forward(&IChromiumEvents::DoPopupSize, browser, rect);
  }
  void OnPaint(PBrowser browser, TCefPaintElementType type, size_t dirtyRectsCount,
               const TCefRect* dirtyRects, const void* buffer, int width, int height) override {
    FEvent->Forward(&IChromiumEvents::DoPaint, browser, type, dirtyRectsCount, dirtyRects, buffer,
                    width, height);
  }
  void OnCursorChange(PBrowser browser, TCefCursorHandle cursor) override {
    FEvent->Forward(&IChromiumEvents::DoCursorChange, browser, cursor);
  }

 private:
  const TChromiumEventsLink FEvent;
};

// The client: answers each handler query with the same handler of that kind,
// and null once detached.
class TCustomClientHandler : public TCefClientOwn, public ICefClientHandler {
 public:
  explicit TCustomClientHandler(IChromiumEvents* events);

  TInterfacePtr<ICefContextMenuHandler> GetContextMenuHandler() override {
    return Answer(FContextMenuHandler);
  }
  TInterfacePtr<ICefDialogHandler> GetDialogHandler() override { return Answer(FDialogHandler); }
  TInterfacePtr<ICefDisplayHandler> GetDisplayHandler() override { return Answer(FDisplayHandler); }
  TInterfacePtr<ICefDownloadHandler> GetDownloadHandler() override {
    return Answer(FDownloadHandler);
  }
  TInterfacePtr<ICefFocusHandler> GetFocusHandler() override { return Answer(FFocusHandler); }
  TInterfacePtr<ICefGeolocationHandler> GetGeolocationHandler() override {
    return Answer(FGeolocationHandler);
  }
  TInterfacePtr<ICefJsDialogHandler> GetJsdialogHandler() override {
    return Answer(FJsDialogHandler);
  }
  TInterfacePtr<ICefKeyboardHandler> GetKeyboardHandler() override {
    return Answer(FKeyboardHandler);
  }
  TInterfacePtr<ICefLifeSpanHandler> GetLifeSpanHandler() override {
    return Answer(FLifeSpanHandler);
  }
  TInterfacePtr<ICefRenderHandler> GetRenderHandler() override { return Answer(FRenderHandler); }
  TInterfacePtr<ICefLoadHandler> GetLoadHandler() override { return Answer(FLoadHandler); }
  TInterfacePtr<ICefRequestHandler> GetRequestHandler() override { return Answer(FRequestHandler); }
  bool OnProcessMessageReceived(PBrowser browser, TCefProcessId sourceProcess,
                                const TInterfacePtr<ICefProcessMessage>& message) override {
    return FEvents->Forward(&IChromiumEvents::DoProcessMessageReceived, browser, sourceProcess,
                            message);
  }

  void DetachHandlers() override;

 private:
  // A handler field is read only while the slot is attached: DetachHandlers
  // empties the slot (waiting for queries on other threads) before it
  // releases the fields.
  template <class I>
  TInterfacePtr<I> Answer(const TInterfacePtr<I>& handler) {
    return FEvents->Visit(TInterfacePtr<I>(), [&](IChromiumEvents&) { return handler; });
  }

  const TChromiumEventsLink FEvents;
  TInterfacePtr<ICefLoadHandler> FLoadHandler;
  TInterfacePtr<ICefFocusHandler> FFocusHandler;
  TInterfacePtr<ICefContextMenuHandler> FContextMenuHandler;
  TInterfacePtr<ICefDialogHandler> FDialogHandler;
  TInterfacePtr<ICefKeyboardHandler> FKeyboardHandler;
  TInterfacePtr<ICefDisplayHandler> FDisplayHandler;
  TInterfacePtr<ICefDownloadHandler> FDownloadHandler;
  TInterfacePtr<ICefGeolocationHandler> FGeolocationHandler;
  TInterfacePtr<ICefJsDialogHandler> FJsDialogHandler;
  TInterfacePtr<ICefLifeSpanHandler> FLifeSpanHandler;
  TInterfacePtr<ICefRenderHandler> FRenderHandler;
  TInterfacePtr<ICefRequestHandler> FRequestHandler;
};

// The client a browser control creates: it keeps the engine's message-loop
// pump running from its construction until its last reference, the engine's
// included, is gone.
class TWindowedClientHandler : public TCustomClientHandler {
 public:
  explicit TWindowedClientHandler(IChromiumEvents* events);
  ~TWindowedClientHandler() override;
};
