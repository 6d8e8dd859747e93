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

// The base of the per-kind handlers: the slot they share with the client.
template <class TOwn>
class TChromiumForwarder : public TOwn {
 public:
  explicit TChromiumForwarder(TChromiumEventsLink events) : FEvent(std::move(events)) {}

 protected:
  template <class R, class... P, class... A>
  R Forward(R (IChromiumEvents::*operation)(P...), A&&... args) {
    return FEvent->Forward(operation, std::forward<A>(args)...);
  }

 private:
  const TChromiumEventsLink FEvent;
};

// A handler operation of an event row: one forward to the face.
#define NIMBRA_FORWARD(Method, Name, Answer, Params, Args)              \
  Answer Method Params override {                                       \
    return Forward(&IChromiumEvents::Do##Name, NIMBRA_EVENT_ARGS Args); \
  }

// One handler class per kind, each operation forwarded as its row says.
#define NIMBRA_FORWARDER(TName, TOwn, EVENTS)     \
  class TName : public TChromiumForwarder<TOwn> { \
   public:                                        \
    using TChromiumForwarder::TChromiumForwarder; \
    EVENTS(NIMBRA_FORWARD)                        \
  };

NIMBRA_FORWARDER(TCustomLoadHandler, TCefLoadHandlerOwn, NIMBRA_LOAD_EVENTS)
NIMBRA_FORWARDER(TCustomFocusHandler, TCefFocusHandlerOwn, NIMBRA_FOCUS_EVENTS)
NIMBRA_FORWARDER(TCustomContextMenuHandler, TCefContextMenuHandlerOwn, NIMBRA_CONTEXT_MENU_EVENTS)
NIMBRA_FORWARDER(TCustomDialogHandler, TCefDialogHandlerOwn, NIMBRA_DIALOG_EVENTS)
NIMBRA_FORWARDER(TCustomKeyboardHandler, TCefKeyboardHandlerOwn, NIMBRA_KEYBOARD_EVENTS)
NIMBRA_FORWARDER(TCustomDisplayHandler, TCefDisplayHandlerOwn, NIMBRA_DISPLAY_EVENTS)
NIMBRA_FORWARDER(TCustomDownloadHandler, TCefDownloadHandlerOwn, NIMBRA_DOWNLOAD_EVENTS)
NIMBRA_FORWARDER(TCustomGeolocationHandler, TCefGeolocationHandlerOwn, NIMBRA_GEOLOCATION_EVENTS)
NIMBRA_FORWARDER(TCustomJsDialogHandler, TCefJsDialogHandlerOwn, NIMBRA_JS_DIALOG_EVENTS)
NIMBRA_FORWARDER(TCustomRequestHandler, TCefRequestHandlerOwn, NIMBRA_REQUEST_EVENTS)
NIMBRA_FORWARDER(TCustomRenderHandler, TCefRenderHandlerOwn, NIMBRA_WINDOWLESS_OPERATIONS)

class TCustomLifeSpanHandler : public TChromiumForwarder<TCefLifeSpanHandlerOwn> {
 public:
  using TChromiumForwarder::TChromiumForwarder;
  bool OnBeforePopup(PBrowser browser, PFrame frame, ustring& targetUrl, ustring& targetFrameName,
                     TCefPopupFeatures& popupFeatures, TCefWindowInfo& windowInfo,
                     TInterfacePtr<ICefClient>& client, TCefBrowserSettings& settings,
                     bool& noJavascriptAccess) override {
    return Forward(&IChromiumEvents::DoBeforePopup, browser, frame, targetUrl, targetFrameName,
                   popupFeatures, windowInfo, client, settings, noJavascriptAccess);
  }
  NIMBRA_LIFE_SPAN_EVENTS(NIMBRA_FORWARD)
};

#undef NIMBRA_FORWARDER

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
  NIMBRA_CLIENT_EVENTS(NIMBRA_FORWARD)

  void DetachHandlers() override;

 private:
  // A handler field is read only while the slot is attached: DetachHandlers
  // empties the slot (waiting for queries on other threads) before it
  // releases the fields.
  template <class I>
  TInterfacePtr<I> Answer(const TInterfacePtr<I>& handler) {
    return FEvents->Visit(TInterfacePtr<I>(), [&](IChromiumEvents&) { return handler; });
  }
  template <class R, class... P, class... A>
  R Forward(R (IChromiumEvents::*operation)(P...), A&&... args) {
    return FEvents->Forward(operation, std::forward<A>(args)...);
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

#undef NIMBRA_FORWARD
