#include "client_handler.h"

#include "cef_loader.h"

bool TCustomJsDialogHandler::OnJsdialog(PBrowser browser, const ustring& originUrl,
                                        const ustring& acceptLang, TCefJsDialogType dialogType,
                                        const ustring& messageText,
                                        const ustring& defaultPromptText,
                                        const TInterfacePtr<ICefJsDialogCallback>& callback,
                                        bool& suppressMessage) {
  // The callback may be answered from inside the event; it stays alive until
  // the event has returned whatever the event does with its own references.
  const TInterfacePtr<ICefJsDialogCallback> held = callback;
  return FEvent->Forward(&IChromiumEvents::DoJsdialog, browser, originUrl, acceptLang, dialogType,
                         messageText, defaultPromptText, held, suppressMessage);
}

bool TCustomJsDialogHandler::OnBeforeUnloadDialog(
    PBrowser browser, const ustring& messageText, bool isReload,
    const TInterfacePtr<ICefJsDialogCallback>& callback) {
  const TInterfacePtr<ICefJsDialogCallback> held = callback;
  return FEvent->Forward(&IChromiumEvents::DoBeforeUnloadDialog, browser, messageText, isReload,
                         held);
}

TCustomClientHandler::TCustomClientHandler(IChromiumEvents* events)
    : FEvents(std::make_shared<TChromiumEventsSlot>(events)) {
  FLoadHandler = CefNew<TCustomLoadHandler>(FEvents);
  FFocusHandler = CefNew<TCustomFocusHandler>(FEvents);
  FContextMenuHandler = CefNew<TCustomContextMenuHandler>(FEvents);
  FDialogHandler = CefNew<TCustomDialogHandler>(FEvents);
  FKeyboardHandler = CefNew<TCustomKeyboardHandler>(FEvents);
  FDisplayHandler = CefNew<TCustomDisplayHandler>(FEvents);
  FDownloadHandler = CefNew<TCustomDownloadHandler>(FEvents);
  FGeolocationHandler = CefNew<TCustomGeolocationHandler>(FEvents);
  FJsDialogHandler = CefNew<TCustomJsDialogHandler>(FEvents);
  FLifeSpanHandler = CefNew<TCustomLifeSpanHandler>(FEvents);
  FRequestHandler = CefNew<TCustomRequestHandler>(FEvents);
  FRenderHandler = CefNew<TCustomRenderHandler>(FEvents);
}

void TCustomClientHandler::DetachHandlers() {
  FEvents->Detach();
  FLoadHandler.reset();
  FFocusHandler.reset();
  FContextMenuHandler.reset();
  FDialogHandler.reset();
  FKeyboardHandler.reset();
  FDisplayHandler.reset();
  FDownloadHandler.reset();
  FGeolocationHandler.reset();
  FJsDialogHandler.reset();
  FLifeSpanHandler.reset();
  FRequestHandler.reset();
  FRenderHandler.reset();
}

TWindowedClientHandler::TWindowedClientHandler(IChromiumEvents* events)
    : TCustomClientHandler(events) {
  EnginePump::CountIn();
}

TWindowedClientHandler::~TWindowedClientHandler() { EnginePump::CountOut(); }
