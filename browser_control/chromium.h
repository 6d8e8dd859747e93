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
#include <type_traits>
#include <utility>

#include "chromium_events.h"
#include "chromium_options.h"
#include "forms.h"

class TCustomChromium;

// An event's closure type: the sender, the arguments of its operation, and
// last the Result the engine gets where the operation answers.
template <class Answer, class Signature>
struct TChromiumEventOf;
template <class Answer, class... P>
struct TChromiumEventOf<Answer, void(P...)> {
  using type = std::function<void(TCustomChromium& sender, P..., Answer& Result)>;
};
template <class... P>
struct TChromiumEventOf<void, void(P...)> {
  using type = std::function<void(TCustomChromium& sender, P...)>;
};

#define NIMBRA_EVENT_TYPE(Method, Name, Answer, Params, Args) \
  using TOn##Name = TChromiumEventOf<Answer, void Params>::type;
NIMBRA_CHROMIUM_EVENTS(NIMBRA_EVENT_TYPE)
#undef NIMBRA_EVENT_TYPE

// An event: its closure field FOn<Name>, read with On<Name>() and set with
// SetOn<Name>().
#define NIMBRA_CHROMIUM_EVENT(Method, Name, Answer, Params, Args)         \
 public:                                                                  \
  const TOn##Name& On##Name() const noexcept { return FOn##Name; }        \
  void SetOn##Name(TOn##Name handler) { FOn##Name = std::move(handler); } \
                                                                          \
 private:                                                                 \
  TOn##Name FOn##Name;

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
#define NIMBRA_DISPATCHER(Method, Name, Answer, Params, Args) Answer Do##Name Params override;
  NIMBRA_CHROMIUM_EVENTS(NIMBRA_DISPATCHER)
#undef NIMBRA_DISPATCHER

  // Windowless drawing: a windowed control ignores it.
#define NIMBRA_IGNORED(Method, Name, Answer, Params, Args) \
  Answer Do##Name Params override { return Ignored<Answer>(NIMBRA_EVENT_ARGS Args); }
  NIMBRA_WINDOWLESS_OPERATIONS(NIMBRA_IGNORED)
#undef NIMBRA_IGNORED

 private:
  void CreateBrowser();

  // A dispatcher's work, for an event with or without an answer.
  template <class R, class Event, class... A>
  R Dispatch(const Event& event, A&&... args) {
    if constexpr (std::is_void_v<R>) {
      if (event) event(*this, std::forward<A>(args)...);
    } else {
      R result{};
      if (event) event(*this, std::forward<A>(args)..., result);
      return result;
    }
  }
  template <class R, class... A>
  static R Ignored(const A&...) {
    return R();
  }

  TInterfacePtr<ICefClient> FHandler;
  TInterfacePtr<ICefBrowser> FBrowser;
  int FBrowserId = 0;
  ustring FDefaultUrl;

  NIMBRA_CHROMIUM_EVENTS(NIMBRA_CHROMIUM_EVENT)

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
