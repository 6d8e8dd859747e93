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

// ---- The events, each declared once ------------------------------------------
// One row per event: X(Method, Name, Answer, (parameters), (arguments)).
// Method is the handler operation the engine calls, Name gives the face's
// Do<Name>, the control's On<Name> and its closure type TOn<Name>; Answer is
// what goes back to the engine (void for nothing). Values passed by non-const
// reference start as the engine's and go back to it. The arguments name the
// parameters again, as they are passed on. Rows are grouped by handler kind,
// in the face's slot order.

#define NIMBRA_CLIENT_EVENTS(X)                             \
  X(OnProcessMessageReceived, ProcessMessageReceived, bool, \
    (PBrowser browser, TCefProcessId sourceProcess,         \
     const TInterfacePtr<ICefProcessMessage>& message),     \
    (browser, sourceProcess, message))

#define NIMBRA_LOAD_EVENTS(X)                                                            \
  X(OnLoadStart, LoadStart, void, (PBrowser browser, PFrame frame), (browser, frame))    \
  X(OnLoadEnd, LoadEnd, void, (PBrowser browser, PFrame frame, int httpStatusCode),      \
    (browser, frame, httpStatusCode))                                                    \
  X(OnLoadError, LoadError, void,                                                        \
    (PBrowser browser, PFrame frame, int errorCode, const ustring& errorText,            \
     const ustring& failedUrl),                                                          \
    (browser, frame, errorCode, errorText, failedUrl))                                   \
  X(OnRenderProcessTerminated, RenderProcessTerminated, void,                            \
    (PBrowser browser, TCefTerminationStatus status), (browser, status))                 \
  X(OnPluginCrashed, PluginCrashed, void, (PBrowser browser, const ustring& pluginPath), \
    (browser, pluginPath))

#define NIMBRA_FOCUS_EVENTS(X)                                                                 \
  X(OnTakeFocus, TakeFocus, void, (PBrowser browser, bool next), (browser, next))              \
  X(OnSetFocus, SetFocus, bool, (PBrowser browser, TCefFocusSource source), (browser, source)) \
  X(OnGotFocus, GotFocus, void, (PBrowser browser), (browser))

#define NIMBRA_CONTEXT_MENU_EVENTS(X)                                                     \
  X(OnBeforeContextMenu, BeforeContextMenu, void,                                         \
    (PBrowser browser, PFrame frame, const TInterfacePtr<ICefContextMenuParams>& params,  \
     const TInterfacePtr<ICefMenuModel>& model),                                          \
    (browser, frame, params, model))                                                      \
  X(OnContextMenuCommand, ContextMenuCommand, bool,                                       \
    (PBrowser browser, PFrame frame, const TInterfacePtr<ICefContextMenuParams>& params,  \
     int commandId, TCefEventFlags eventFlags),                                           \
    (browser, frame, params, commandId, eventFlags))                                      \
  X(OnContextMenuDismissed, ContextMenuDismissed, void, (PBrowser browser, PFrame frame), \
    (browser, frame))

#define NIMBRA_KEYBOARD_EVENTS(X)                                                     \
  X(OnPreKeyEvent, PreKeyEvent, bool,                                                 \
    (PBrowser browser, PCefKeyEvent event, PMsg osEvent, bool& isKeyboardShortcut),   \
    (browser, event, osEvent, isKeyboardShortcut))                                    \
  X(OnKeyEvent, KeyEvent, bool, (PBrowser browser, PCefKeyEvent event, PMsg osEvent), \
    (browser, event, osEvent))

#define NIMBRA_DISPLAY_EVENTS(X)                                                                  \
  X(OnLoadingStateChange, LoadingStateChange, void,                                               \
    (PBrowser browser, bool isLoading, bool canGoBack, bool canGoForward),                        \
    (browser, isLoading, canGoBack, canGoForward))                                                \
  X(OnAddressChange, AddressChange, void, (PBrowser browser, PFrame frame, const ustring& url),   \
    (browser, frame, url))                                                                        \
  X(OnTitleChange, TitleChange, void, (PBrowser browser, const ustring& title), (browser, title)) \
  X(OnTooltip, Tooltip, bool, (PBrowser browser, ustring & text), (browser, text))                \
  X(OnStatusMessage, StatusMessage, void, (PBrowser browser, const ustring& value),               \
    (browser, value))                                                                             \
  X(OnConsoleMessage, ConsoleMessage, bool,                                                       \
    (PBrowser browser, const ustring& message, const ustring& source, int line),                  \
    (browser, message, source, line))

#define NIMBRA_GEOLOCATION_EVENTS(X)                                    \
  X(OnRequestGeolocationPermission, RequestGeolocationPermission, void, \
    (PBrowser browser, const ustring& requestingUrl, int requestId,     \
     const TInterfacePtr<ICefGeolocationCallback>& callback),           \
    (browser, requestingUrl, requestId, callback))                      \
  X(OnCancelGeolocationPermission, CancelGeolocationPermission, void,   \
    (PBrowser browser, const ustring& requestingUrl, int requestId),    \
    (browser, requestingUrl, requestId))

#define NIMBRA_DOWNLOAD_EVENTS(X)                                                              \
  X(OnBeforeDownload, BeforeDownload, void,                                                    \
    (PBrowser browser, const TInterfacePtr<ICefDownloadItem>& downloadItem,                    \
     const ustring& suggestedName, const TInterfacePtr<ICefBeforeDownloadCallback>& callback), \
    (browser, downloadItem, suggestedName, callback))                                          \
  X(OnDownloadUpdated, DownloadUpdated, void,                                                  \
    (PBrowser browser, const TInterfacePtr<ICefDownloadItem>& downloadItem,                    \
     const TInterfacePtr<ICefDownloadItemCallback>& callback),                                 \
    (browser, downloadItem, callback))

// A dialog's callback may be answered from inside the event: it is held until
// the event has returned, whatever the event does with its own references.
#define NIMBRA_JS_DIALOG_EVENTS(X)                                                              \
  X(OnJsdialog, Jsdialog, bool,                                                                 \
    (PBrowser browser, const ustring& originUrl, const ustring& acceptLang,                     \
     TCefJsDialogType dialogType, const ustring& messageText, const ustring& defaultPromptText, \
     const TInterfacePtr<ICefJsDialogCallback>& callback, bool& suppressMessage),               \
    (browser, originUrl, acceptLang, dialogType, messageText, defaultPromptText,                \
     CefHeld(callback), suppressMessage))                                                       \
  X(OnBeforeUnloadDialog, BeforeUnloadDialog, bool,                                             \
    (PBrowser browser, const ustring& messageText, bool isReload,                               \
     const TInterfacePtr<ICefJsDialogCallback>& callback),                                      \
    (browser, messageText, isReload, CefHeld(callback)))                                        \
  X(OnResetDialogState, ResetDialogState, void, (PBrowser browser), (browser))

// The first life-span event, in a group of its own: the handler may change the
// pop-up's address and frame name, the event only reads them, so its handler
// operation is written by hand.
#define NIMBRA_POPUP_EVENTS(X)                                                                    \
  X(OnBeforePopup, BeforePopup, bool,                                                             \
    (PBrowser browser, PFrame frame, const ustring& targetUrl, const ustring& targetFrameName,    \
     TCefPopupFeatures& popupFeatures, TCefWindowInfo& windowInfo,                                \
     TInterfacePtr<ICefClient>& client, TCefBrowserSettings& settings, bool& noJavascriptAccess), \
    (browser, frame, targetUrl, targetFrameName, popupFeatures, windowInfo, client, settings,     \
     noJavascriptAccess))

#define NIMBRA_LIFE_SPAN_EVENTS(X)                                     \
  X(OnAfterCreated, AfterCreated, void, (PBrowser browser), (browser)) \
  X(OnBeforeClose, BeforeClose, void, (PBrowser browser), (browser))   \
  X(RunModal, RunModal, bool, (PBrowser browser), (browser))           \
  X(DoClose, Close, bool, (PBrowser browser), (browser))

#define NIMBRA_REQUEST_EVENTS(X)                                                  \
  X(OnBeforeResourceLoad, BeforeResourceLoad, bool,                               \
    (PBrowser browser, PFrame frame, const TInterfacePtr<ICefRequest>& request),  \
    (browser, frame, request))                                                    \
  X(GetResourceHandler, GetResourceHandler, TInterfacePtr<ICefResourceHandler>,   \
    (PBrowser browser, PFrame frame, const TInterfacePtr<ICefRequest>& request),  \
    (browser, frame, request))                                                    \
  X(OnResourceRedirect, ResourceRedirect, void,                                   \
    (PBrowser browser, PFrame frame, const ustring& oldUrl, ustring& newUrl),     \
    (browser, frame, oldUrl, newUrl))                                             \
  X(GetAuthCredentials, GetAuthCredentials, bool,                                 \
    (PBrowser browser, PFrame frame, bool isProxy, const ustring& host, int port, \
     const ustring& realm, const ustring& scheme,                                 \
     const TInterfacePtr<ICefAuthCallback>& callback),                            \
    (browser, frame, isProxy, host, port, realm, scheme, callback))               \
  X(OnQuotaRequest, QuotaRequest, bool,                                           \
    (PBrowser browser, const ustring& originUrl, int64_t newSize,                 \
     const TInterfacePtr<ICefQuotaCallback>& callback),                           \
    (browser, originUrl, newSize, callback))                                      \
  X(GetCookieManager, GetCookieManager, TInterfacePtr<ICefCookieManager>,         \
    (PBrowser browser, const ustring& mainUrl), (browser, mainUrl))               \
  X(OnProtocolExecution, ProtocolExecution, void,                                 \
    (PBrowser browser, const ustring& url, bool& allowOsExecution),               \
    (browser, url, allowOsExecution))                                             \
  X(OnBeforePluginLoad, BeforePluginLoad, bool,                                   \
    (PBrowser browser, const ustring& url, const ustring& policyUrl,              \
     const TInterfacePtr<ICefWebPluginInfo>& info),                               \
    (browser, url, policyUrl, info))

#define NIMBRA_DIALOG_EVENTS(X)                                       \
  X(OnFileDialog, FileDialog, bool,                                   \
    (PBrowser browser, TCefFileDialogMode mode, const ustring& title, \
     const ustring& defaultFileName, const TStringList& acceptTypes,  \
     const TInterfacePtr<ICefFileDialogCallback>& callback),          \
    (browser, mode, title, defaultFileName, acceptTypes, callback))

// The control's 41 events, in the face's slot order.
#define NIMBRA_CHROMIUM_EVENTS(X) \
  NIMBRA_CLIENT_EVENTS(X)         \
  NIMBRA_LOAD_EVENTS(X)           \
  NIMBRA_FOCUS_EVENTS(X)          \
  NIMBRA_CONTEXT_MENU_EVENTS(X)   \
  NIMBRA_KEYBOARD_EVENTS(X)       \
  NIMBRA_DISPLAY_EVENTS(X)        \
  NIMBRA_GEOLOCATION_EVENTS(X)    \
  NIMBRA_DOWNLOAD_EVENTS(X)       \
  NIMBRA_JS_DIALOG_EVENTS(X)      \
  NIMBRA_POPUP_EVENTS(X)          \
  NIMBRA_LIFE_SPAN_EVENTS(X)      \
  NIMBRA_REQUEST_EVENTS(X)        \
  NIMBRA_DIALOG_EVENTS(X)

// Windowless drawing: operations of the face, after the events, but no events
// of the control, which is always windowed and ignores them.
#define NIMBRA_WINDOWLESS_OPERATIONS(X)                                                      \
  X(GetRootScreenRect, GetRootScreenRect, bool, (PBrowser browser, TCefRect & rect),         \
    (browser, rect))                                                                         \
  X(GetViewRect, GetViewRect, bool, (PBrowser browser, TCefRect & rect), (browser, rect))    \
  X(GetScreenPoint, GetScreenPoint, bool,                                                    \
    (PBrowser browser, int viewX, int viewY, int& screenX, int& screenY),                    \
    (browser, viewX, viewY, screenX, screenY))                                               \
  X(OnPopupShow, PopupShow, void, (PBrowser browser, bool show), (browser, show))            \
  X(OnPopupSize, PopupSize, void, (PBrowser browser, const TCefRect& rect), (browser, rect)) \
  X(OnPaint, Paint, void,                                                                    \
    (PBrowser browser, TCefPaintElementType type, size_t dirtyRectsCount,                    \
     const TCefRect* dirtyRects, const void* buffer, int width, int height),                 \
    (browser, type, dirtyRectsCount, dirtyRects, buffer, width, height))                     \
  X(OnCursorChange, CursorChange, void, (PBrowser browser, TCefCursorHandle cursor),         \
    (browser, cursor))

// A row's arguments without their parentheses: NIMBRA_EVENT_ARGS Args.
#define NIMBRA_EVENT_ARGS(...) __VA_ARGS__

// A counted copy of an interface argument; passed on as a temporary, it lives
// until the call it is passed to has returned.
template <class I>
TInterfacePtr<I> CefHeld(const TInterfacePtr<I>& intf) {
  return intf;
}

class IChromiumEvents {
 public:
  virtual int AddRef() noexcept = 0;
  virtual int Release() noexcept = 0;

  virtual void FillBrowserSettings(TCefBrowserSettings& settings) = 0;
#define NIMBRA_EVENT_OPERATION(Method, Name, Answer, Params, Args) \
  virtual Answer Do##Name Params = 0;
  NIMBRA_CHROMIUM_EVENTS(NIMBRA_EVENT_OPERATION)
  NIMBRA_WINDOWLESS_OPERATIONS(NIMBRA_EVENT_OPERATION)
#undef NIMBRA_EVENT_OPERATION

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
