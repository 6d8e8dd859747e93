#include "client_handler.h"

#include "cef_loader.h"

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
