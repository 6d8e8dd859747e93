#include "browser.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <future>
#include <tuple>
#include <type_traits>
#include <utility>

#include "ascii.h"
#include "browser_list.h"
#include "browser_records.h"
#include "engine_strings.h"
#include "engine_threads.h"
#include "exports.h"
#include "job_threads.h"
#include "js_dialogs.h"
#include "page/html.h"
#include "page/page_window.h"
#include "renderer/renderer_host.h"
#include "response_markup.h"
#include "trace.h"
#include "url.h"
#include "utf.h"
#include "values/message_wire.h"

namespace devengine::browser {
namespace {

// Frames nest no deeper, and a document starts no more child frames, so a
// page that frames itself ends.
constexpr int kDeepestFrame = 8;
constexpr std::size_t kMostChildFrames = 64;
constexpr UINT_PTR kWatchId = 1;
// Where a top-level window goes that the program placed nowhere.
constexpr RECT kDefaultTopLevel = {100, 100, 900, 700};

std::atomic<std::uint64_t> next_load{1};

std::uint64_t NextLoad() { return next_load++; }

// Which client entry answers with each kind of handler.
template <class Handler>
constexpr auto kHandlerGetter = nullptr;
// clang-format off
template <> constexpr auto kHandlerGetter<cef_life_span_handler_t> = &cef_client_t::get_life_span_handler;
template <> constexpr auto kHandlerGetter<cef_load_handler_t> = &cef_client_t::get_load_handler;
template <> constexpr auto kHandlerGetter<cef_display_handler_t> = &cef_client_t::get_display_handler;
template <> constexpr auto kHandlerGetter<cef_request_handler_t> = &cef_client_t::get_request_handler;
template <> constexpr auto kHandlerGetter<cef_focus_handler_t> = &cef_client_t::get_focus_handler;
template <> constexpr auto kHandlerGetter<cef_jsdialog_handler_t> = &cef_client_t::get_jsdialog_handler;
// clang-format on

template <class Member>
struct HandlerEntry;
template <class Handler, class Result, class... Params>
struct HandlerEntry<Result (CEF_CALLBACK* Handler::*)(Handler*, Params...)> {
  using HandlerType = Handler;
  using ResultType = Result;
};

// The handler's one reference belongs to the engine.
template <class Handler>
RecordRef<Handler> AskHandler(cef_client_t* client) {
  constexpr auto getter = kHandlerGetter<Handler>;
  if (client == nullptr || client->*getter == nullptr) return {};
  return RecordRef<Handler>::Adopt((client->*getter)(client));
}

std::wstring SchemeOf(std::wstring_view url) {
  const std::optional<UrlParts> parts = ParseUrl(url);
  return parts ? parts->scheme : std::wstring();
}

// With web security on, a page from the network reaches no file on disk.
bool MayReach(const OwnedBrowserSettings& settings, std::wstring_view from, std::wstring_view to) {
  return !settings.WebSecurityEnabled() || SchemeOf(to) != L"file" || SchemeOf(from) == L"file";
}

RECT BoundsOf(const cef_window_info_t& window) {
  if (window.parent_window == nullptr &&
      (window.x == CW_USEDEFAULT || window.width == CW_USEDEFAULT || window.width <= 0 ||
       window.height <= 0))
    return kDefaultTopLevel;
  return {window.x, window.y, window.x + window.width, window.y + window.height};
}

cef_termination_status_t StatusOfExit(std::optional<DWORD> code) {
  if (!code || *code == 0) return TS_ABNORMAL_TERMINATION;
  // Exception codes: the process died of a fault it did not handle.
  if (*code >= 0xC0000000) return TS_PROCESS_CRASHED;
  return TS_PROCESS_WAS_KILLED;
}

void TraceFrame(std::string_view event, int browser, std::int64_t frame, std::wstring_view key,
                std::wstring_view url, std::optional<int> number = std::nullopt) {
  TraceLine line(event);
  line.Add("browser", browser).Add("frame", static_cast<long long>(frame));
  if (number) line.Add(Utf16ToUtf8(key), *number);
  line.AddQuoted("url", Utf16ToUtf8(url)).Write();
}

}  // namespace

template <auto entry, class... Args>
auto Browser::Tell(Args&&... args) {
  using Entry = HandlerEntry<decltype(entry)>;
  using Handler = typename Entry::HandlerType;
  using Result = typename Entry::ResultType;
  const RecordRef<cef_client_t> client = Client();
  const RecordRef<Handler> handler = AskHandler<Handler>(client.get());
  if (!handler || handler.get()->*entry == nullptr) return Result();
  return (handler.get()->*entry)(handler.get(), Pass(std::forward<Args>(args))...);
}

cef_browser_t* Browser::Pass(ThisBrowser) { return NewBrowserRecord(shared_from_this()); }

cef_frame_t* Browser::Pass(FrameArgument frame) {
  return NewFrameRecord(shared_from_this(), frame.id);
}

template <class Record>
Record* Browser::Pass(Lent<Record> lent) {
  return RecordRef<Record>::Retain(lent.record).Detach();
}

std::shared_ptr<Browser> Browser::Create(const cef_window_info_t& window,
                                         RecordRef<cef_client_t> client,
                                         OwnedBrowserSettings settings, HWND opener) {
  auto browser =
      std::make_shared<Browser>(Passkey(), NextBrowserId(), std::move(client), std::move(settings),
                                opener, window.window_rendering_disabled != 0);
  const std::weak_ptr<Browser> weak = browser;
  page::PageEvents events;
  events.hoverLink = [weak](const std::wstring& url) {
    if (const auto self = weak.lock()) {
      self->PostUi([url](Browser& browser) {
        const cef_string_t value = Borrow(url);
        browser.Tell<&cef_display_handler_t::on_status_message>(ThisBrowser{}, &value);
      });
    }
  };
  events.clickLink = [weak](const std::wstring& url, const std::wstring& target) {
    if (const auto self = weak.lock())
      self->PostUi([url, target](Browser& browser) { browser.LinkClicked(url, target); });
  };
  events.gotFocus = [weak] {
    if (const auto self = weak.lock()) {
      self->PostUi([](Browser& browser) {
        browser.Tell<&cef_focus_handler_t::on_got_focus>(ThisBrowser{});
      });
    }
  };
  browser->window_ = std::make_unique<page::PageWindow>(window.parent_window, window.style,
                                                        BoundsOf(window), std::move(events));
  const HWND handle = browser->window_->Handle();
  if (handle == nullptr) return nullptr;
  if (window.parent_window == nullptr) {
    SetWindowTextW(handle, ToWString(&window.window_name).c_str());
  }
  SetWindowSubclass(handle, &Browser::WatchWindow, kWatchId,
                    reinterpret_cast<DWORD_PTR>(browser.get()));
  browser->window_handle_ = handle;
  browser->dialogs_ = std::make_unique<PageDialogs>(PageDialogs::Party{
      [weak] {
        const auto self = weak.lock();
        return self ? AskHandler<cef_jsdialog_handler_t>(self->Client().get())
                    : RecordRef<cef_jsdialog_handler_t>();
      },
      [weak]() -> cef_browser_t* {
        const auto self = weak.lock();
        return self ? self->Pass(ThisBrowser{}) : nullptr;
      },
      [weak]() -> HWND {
        const auto self = weak.lock();
        return self ? self->window_handle_.load() : nullptr;
      },
      [weak](const renderer::Message& message) {
        const auto self = weak.lock();
        return self && self->renderer_ && self->renderer_->SendDialogMessage(message);
      }});
  AddBrowser(browser);
  browser->EnsureRenderer();
  TraceLine("browser")
      .Word("created")
      .Add("id", browser->id())
      .Add("popup", browser->IsPopup() ? 1 : 0)
      .Write();
  browser->PostUi(
      [](Browser& self) { self.Tell<&cef_life_span_handler_t::on_after_created>(ThisBrowser{}); });
  return browser;
}

Browser::Browser(Passkey, int id, RecordRef<cef_client_t> client, OwnedBrowserSettings settings,
                 HWND opener, bool windowless)
    : id_(id),
      main_frame_(NextFrameId()),
      opener_(opener),
      windowless_(windowless),
      settings_(std::move(settings)),
      client_(std::move(client)) {
  FrameState& main = frames_[main_frame_];
  main.info.id = main_frame_;
}

Browser::~Browser() = default;

LRESULT CALLBACK Browser::WatchWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR data) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &Browser::WatchWindow, kWatchId);
    Browser& browser = *reinterpret_cast<Browser*>(data);
    browser.window_handle_ = nullptr;
    browser.PostUi([](Browser& self) { self.Close(); });
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

void Browser::PostUi(std::function<void(Browser&)> work) {
  const std::weak_ptr<Browser> weak = weak_from_this();
  PostWork(TID_UI, [weak, work = std::move(work)] {
    if (const auto self = weak.lock()) work(*self);
  });
}

Browser::FrameState* Browser::FindFrame(std::int64_t frame) {
  const auto found = frames_.find(frame);
  return found == frames_.end() ? nullptr : &found->second;
}

bool Browser::Inside(std::int64_t frame, std::int64_t ancestor) const {
  for (auto found = frames_.find(frame); found != frames_.end();) {
    const std::int64_t parent = found->second.info.parent;
    if (parent == ancestor) return true;
    found = parent == 0 ? frames_.end() : frames_.find(parent);
  }
  return false;
}

bool Browser::IsCurrent(std::int64_t frame, std::uint64_t load) const {
  const std::lock_guard lock(mutex_);
  const auto found = frames_.find(frame);
  return !closed_ && found != frames_.end() && found->second.load == load;
}

FetchControl Browser::ControlFor(std::int64_t frame, std::uint64_t load) {
  const std::weak_ptr<Browser> weak = weak_from_this();
  FetchControl control;
  control.cancelled = [weak, frame, load] {
    const auto self = weak.lock();
    return !self || !self->IsCurrent(frame, load);
  };
  control.redirected = [weak, frame](const std::wstring& from, std::wstring& to) {
    const auto self = weak.lock();
    return self && self->AskRedirect(frame, from, to);
  };
  return control;
}

// ---- Operations asked from any thread ----------------------------------

void Browser::LoadUrl(std::int64_t frame, std::wstring url) {
  RequestData request;
  request.url = std::move(url);
  LoadRequest(frame, std::move(request));
}

void Browser::LoadRequest(std::int64_t frame, RequestData request) {
  if (request.url.empty()) return;
  // A javascript: address runs its code in the frame's page, which stays.
  constexpr std::wstring_view kScriptScheme = L"javascript:";
  if (AsciiLower(request.url.substr(0, kScriptScheme.size())) == kScriptScheme) {
    if (settings_.JavascriptEnabled()) {
      ExecuteScript(frame, Utf8ToUtf16(PercentDecoded(request.url.substr(kScriptScheme.size()))),
                    L"", 1);
    }
    return;
  }
  PostUi([frame, request = std::move(request)](Browser& self) {
    self.StartLoad(frame, {request, std::nullopt, HistoryPlace::New()});
  });
}

void Browser::LoadString(std::int64_t frame, std::wstring markup, std::wstring url) {
  if (url.empty()) url = L"about:blank";
  PostUi([frame, markup = std::move(markup), url = std::move(url)](Browser& self) {
    RequestData request;
    request.url = url;
    self.StartLoad(frame, {request, markup, HistoryPlace::New()});
  });
}

void Browser::GoBack() {
  PostUi([](Browser& self) { self.Step(-1); });
}

void Browser::GoForward() {
  PostUi([](Browser& self) { self.Step(1); });
}

void Browser::Reload(bool ignoreCache) {
  PostUi([ignoreCache](Browser& self) {
    std::optional<HistoryEntry> entry;
    {
      const std::lock_guard lock(self.mutex_);
      if (const auto current = self.history_.Step(0)) entry = self.history_.At(*current);
    }
    if (!entry) return;
    RequestData request;
    request.url = entry->url;
    if (ignoreCache) request.flags |= UR_FLAG_SKIP_CACHE;
    self.StartLoad(self.main_frame_, {request, entry->markup, HistoryPlace::Current()});
  });
}

void Browser::StopLoad() {
  PostUi([](Browser& self) {
    struct Stopped {
      std::int64_t id;
      int depth;
      bool provisional;
      std::wstring url;
      int status;
    };
    std::vector<Stopped> stopped;
    {
      const std::lock_guard lock(self.mutex_);
      for (auto& [id, frame] : self.frames_) {
        if (frame.phase == Phase::kIdle) continue;
        stopped.push_back(
            {id, frame.depth, frame.phase == Phase::kProvisional, frame.loading_url, frame.status});
        frame.load = NextLoad();
        frame.phase = Phase::kIdle;
        frame.waiting = 0;
        frame.awaiting_scripts = false;
      }
    }
    // Inner frames end before the frames that hold them.
    std::ranges::stable_sort(stopped, std::greater<>(), &Stopped::depth);
    for (const Stopped& frame : stopped) {
      if (frame.provisional) {
        TraceFrame("load_error", self.id_, frame.id, L"code", frame.url,
                   static_cast<int>(NetError::kAborted));
        const cef_string_t text = Borrow(ErrorText(NetError::kAborted));
        const cef_string_t url = Borrow(frame.url);
        self.Tell<&cef_load_handler_t::on_load_error>(ThisBrowser{}, FrameArgument{frame.id},
                                                      static_cast<int>(NetError::kAborted), &text,
                                                      &url);
      } else {
        self.Tell<&cef_load_handler_t::on_load_end>(ThisBrowser{}, FrameArgument{frame.id},
                                                    frame.status);
      }
    }
    self.CheckLoadingEnded();
  });
}

void Browser::VisitSource(std::int64_t frame, RecordRef<cef_string_visitor_t> visitor,
                          bool asText) {
  if (!visitor) return;
  auto held = std::make_shared<RecordRef<cef_string_visitor_t>>(std::move(visitor));
  PostUi([frame, held, asText](Browser& self) {
    const auto visit = [held](const std::wstring& text) {
      cef_string_visitor_t* visitor = held->get();
      const cef_string_t value = Borrow(text);
      if (visitor->visit != nullptr) visitor->visit(visitor, &value);
    };
    if (self.renderer_ && self.renderer_->Alive()) {
      if (asText) {
        self.renderer_->RequestText(frame, visit);
      } else {
        self.renderer_->RequestSource(frame, visit);
      }
      return;
    }
    std::wstring text;
    {
      const std::lock_guard lock(self.mutex_);
      const auto found = self.frames_.find(frame);
      if (found == self.frames_.end()) return;
      const FrameState& state = found->second;
      text = !asText                                  ? state.markup
             : state.document && state.document->root ? page::InnerText(*state.document->root)
                                                      : std::wstring();
    }
    visit(text);
  });
}

void Browser::SetFocus(bool enable) {
  if (!enable) return;
  PostUi([](Browser& self) {
    if (const HWND window = self.window_handle_) ::SetFocus(window);
  });
}

void Browser::SetZoomLevel(double level) {
  if (!std::isfinite(level)) return;
  zoom_ = level;
  PostUi([level](Browser& self) {
    if (self.window_) self.window_->SetZoomLevel(level);
  });
}

void Browser::CloseBrowser() {
  PostUi([](Browser& self) {
    self.dialogs_->BeforeLeaving(false, [weak = self.weak_from_this()] {
      const auto browser = weak.lock();
      if (!browser || browser->Tell<&cef_life_span_handler_t::do_close>(ThisBrowser{}) != 0) return;
      if (const HWND window = browser->window_handle_) DestroyWindow(window);
    });
  });
}

bool Browser::CanGoBack() const {
  const std::lock_guard lock(mutex_);
  return history_.CanGoBack();
}

bool Browser::CanGoForward() const {
  const std::lock_guard lock(mutex_);
  return history_.CanGoForward();
}

bool Browser::IsLoading() const {
  const std::lock_guard lock(mutex_);
  return loading_;
}

bool Browser::HasDocument() const {
  const std::lock_guard lock(mutex_);
  const auto main = frames_.find(main_frame_);
  return !closed_ && main != frames_.end() && main->second.document != nullptr;
}

RecordRef<cef_client_t> Browser::Client() const {
  const std::lock_guard lock(mutex_);
  return RecordRef<cef_client_t>::Retain(client_.get());
}

std::optional<Browser::FrameInfo> Browser::Frame(std::int64_t id) const {
  const std::lock_guard lock(mutex_);
  const auto found = frames_.find(id);
  if (closed_ || found == frames_.end()) return std::nullopt;
  return found->second.info;
}

std::vector<Browser::FrameInfo> Browser::Frames() const {
  const std::lock_guard lock(mutex_);
  std::vector<FrameInfo> frames;
  if (closed_) return frames;
  for (const auto& [id, frame] : frames_) frames.push_back(frame.info);
  return frames;
}

Browser::Inspected Browser::Inspect() const {
  const std::lock_guard lock(mutex_);
  const FrameState& main = frames_.at(main_frame_);
  return {main.info.url, title_, main.markup};
}

void Browser::Abandon() {
  RecordRef<cef_client_t> client;
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    client = std::move(client_);
  }
  if (const HWND window = window_handle_.exchange(nullptr))
    RemoveWindowSubclass(window, &Browser::WatchWindow, kWatchId);
  renderer_.reset();
  window_.reset();
}

// ---- Loads, on the UI thread --------------------------------------------

void Browser::StartLoad(std::int64_t frame, Navigation navigation) {
  if (frame == main_frame_ && !navigation.leaveAgreed) {
    navigation.leaveAgreed = true;
    const bool reload = navigation.place.kind == HistoryPlace::Kind::kCurrent;
    dialogs_->BeforeLeaving(reload, [weak = weak_from_this(), frame, navigation] {
      if (const auto self = weak.lock()) self->StartLoad(frame, navigation);
    });
    return;
  }
  std::uint64_t load = 0;
  bool was_loading = false;
  std::wstring parent_url;
  bool child = false;
  {
    const std::lock_guard lock(mutex_);
    const auto found = frames_.find(frame);
    if (closed_ || found == frames_.end()) return;
    FrameState& state = found->second;
    // The frames inside go with the document that holds them; what they
    // still load is let go.
    for (auto& [id, other] : frames_) {
      if (Inside(id, frame)) {
        other.load = NextLoad();
        other.phase = Phase::kIdle;
      }
    }
    load = state.load = NextLoad();
    state.phase = Phase::kProvisional;
    state.loading_url = navigation.request.url;
    state.loading_markup = navigation.markup;
    state.place = navigation.place;
    state.waiting = 0;
    state.awaiting_scripts = false;
    if (state.info.parent != 0) {
      child = true;
      if (const FrameState* parent = FindFrame(state.info.parent)) parent_url = parent->info.url;
    }
    was_loading = std::exchange(loading_, true);
  }
  TraceFrame("navigation", id_, frame, L"", navigation.request.url);
  if (!was_loading) TellLoadingState(true);
  if (navigation.markup) {
    Commit(frame, load, navigation.request.url, 200, std::move(*navigation.markup));
    return;
  }
  if (child && !MayReach(settings_, parent_url, navigation.request.url)) {
    FailLoad(frame, load, NetError::kAccessDenied, navigation.request.url, true);
    return;
  }
  auto request = std::make_shared<RecordRef<cef_request_t>>(NewRequest(navigation.request));
  PostWork(TID_IO, [self = shared_from_this(), frame, load, request] {
    self->BeforeLoad(
        frame, load, request, [frame, load](Browser& browser, std::optional<RequestData> data) {
          if (!data) {
            browser.PostUi([frame, load](Browser& self) {
              std::wstring url;
              {
                const std::lock_guard lock(self.mutex_);
                if (const auto found = self.frames_.find(frame); found != self.frames_.end())
                  url = found->second.loading_url;
              }
              self.FailLoad(frame, load, NetError::kAborted, url, false);
            });
            return;
          }
          StartJob([self = browser.shared_from_this(), frame, load, data = std::move(*data)] {
            FetchResponse response = Fetch(data, self->ControlFor(frame, load));
            self->PostUi([frame, load, response = std::move(response)](Browser& b) {
              b.FinishLoad(frame, load, response);
            });
          });
        });
  });
}

void Browser::BeforeLoad(std::int64_t frame, std::uint64_t load,
                         const std::shared_ptr<RecordRef<cef_request_t>>& request,
                         std::function<void(Browser&, std::optional<RequestData>)> next) {
  if (!IsCurrent(frame, load)) return;
  const int cancel = Tell<&cef_request_handler_t::on_before_resource_load>(
      ThisBrowser{}, FrameArgument{frame}, Lent<cef_request_t>{request->get()});
  Request& engine_request = RequestOf(*request);
  engine_request.Freeze();
  if (cancel != 0) {
    next(*this, std::nullopt);
    return;
  }
  next(*this, engine_request.Data());
}

bool Browser::AskRedirect(std::int64_t frame, const std::wstring& from, std::wstring& to) {
  auto answer = std::make_shared<std::promise<std::wstring>>();
  std::future<std::wstring> answered = answer->get_future();
  const bool posted = PostWork(TID_IO, [self = shared_from_this(), frame, from, to, answer] {
    cef_string_t new_url{};
    Assign(&new_url, to);
    const cef_string_t old_url = Borrow(from);
    self->Tell<&cef_request_handler_t::on_resource_redirect>(ThisBrowser{}, FrameArgument{frame},
                                                             &old_url, &new_url);
    std::wstring chosen = ToWString(&new_url);
    ClearString(&new_url);
    answer->set_value(chosen.empty() ? to : std::move(chosen));
  });
  if (!posted) return false;
  try {
    to = answered.get();
  } catch (const std::future_error&) {
    // The engine stopped before the handler could answer.
    return false;
  }
  return true;
}

void Browser::FinishLoad(std::int64_t frame, std::uint64_t load, FetchResponse response) {
  if (!IsCurrent(frame, load)) return;
  if (response.error != NetError::kNone) {
    FailLoad(frame, load, response.error, response.url, true);
    return;
  }
  Commit(frame, load, response.url, response.status, MarkupOf(response));
}

void Browser::FailLoad(std::int64_t frame, std::uint64_t load, NetError error,
                       const std::wstring& url, bool showErrorPage) {
  if (!IsCurrent(frame, load)) return;
  TraceFrame("load_error", id_, frame, L"code", url, static_cast<int>(error));
  const cef_string_t text = Borrow(ErrorText(error));
  const cef_string_t failed = Borrow(url);
  Tell<&cef_load_handler_t::on_load_error>(ThisBrowser{}, FrameArgument{frame},
                                           static_cast<int>(error), &text, &failed);
  if (showErrorPage) {
    {
      const std::lock_guard lock(mutex_);
      if (FrameState* state = FindFrame(frame)) state->loading_markup.reset();
    }
    Commit(frame, load, url, 0, ErrorPageMarkup(error, url));
    return;
  }
  std::int64_t parent = 0;
  {
    const std::lock_guard lock(mutex_);
    FrameState* state = FindFrame(frame);
    if (state == nullptr || state->load != load) return;
    state->phase = Phase::kIdle;
    parent = state->info.parent;
  }
  FrameSettled(parent);
}

void Browser::Commit(std::int64_t frame, std::uint64_t load, const std::wstring& url, int status,
                     std::wstring markup) {
  const std::shared_ptr<const page::Document> document = page::ParseHtml(markup);
  bool main = false;
  std::wstring title;
  {
    const std::lock_guard lock(mutex_);
    // A handler may have pumped the engine meanwhile and started another load.
    FrameState* found = FindFrame(frame);
    if (closed_ || found == nullptr || found->load != load) return;
    FrameState& state = *found;
    main = state.info.parent == 0;
    state.phase = Phase::kCommitted;
    state.info.url = url;
    state.markup = markup;
    state.document = document;
    state.status = status;
    state.waiting = 0;
    state.awaiting_scripts = false;
    std::erase_if(frames_, [&](const auto& entry) { return Inside(entry.first, frame); });
    if (main) {
      history_.Commit({url, state.loading_markup}, state.place);
      title = document->Title();
      if (title.empty()) title = url;
      title_ = title;
    }
  }
  const cef_string_t address = Borrow(url);
  Tell<&cef_load_handler_t::on_load_start>(ThisBrowser{}, FrameArgument{frame});
  Tell<&cef_display_handler_t::on_address_change>(ThisBrowser{}, FrameArgument{frame}, &address);
  if (main) {
    const cef_string_t text = Borrow(title);
    Tell<&cef_display_handler_t::on_title_change>(ThisBrowser{}, &text);
    if (window_) {
      if (opener_ != nullptr) SetWindowTextW(window_->Handle(), title.c_str());
      const std::weak_ptr<Browser> weak = weak_from_this();
      window_->ShowDocument(
          document, url,
          [weak, frame, load](const std::wstring& resource,
                              std::function<void(std::string)> deliver) {
            if (const auto self = weak.lock())
              self->LoadResource(frame, load, resource, Resource::kImage, std::move(deliver));
          },
          settings_.ImagesEnabled());
    }
  }
  if (main) dialogs_->PageReplaced();
  EnsureRenderer();
  if (renderer_) {
    renderer_->ShowDocument(frame, main, url, markup);
    const bool scripts = settings_.JavascriptEnabled();
    if (scripts && renderer_->Alive()) AwaitScripts(frame, load);
    renderer_->StartScripts(frame, scripts, load);
  }
  LoadSubresources(frame, load, *document, url);
  LoadChildFrames(frame, *document, url);
  MaybeEndFrame(frame);
}

void Browser::LoadChildFrames(std::int64_t frame, const page::Document& document,
                              const std::wstring& base) {
  std::vector<std::pair<std::int64_t, std::wstring>> children;
  {
    const std::lock_guard lock(mutex_);
    FrameState* found = FindFrame(frame);
    if (found == nullptr || found->depth >= kDeepestFrame) return;
    FrameState& parent = *found;
    for (const page::Node* element : document.ElementsByTag(L"IFRAME")) {
      if (children.size() == kMostChildFrames) break;
      const std::wstring* source = element->Attribute(L"src");
      const std::wstring* name = element->Attribute(L"name");
      std::wstring url = L"about:blank";
      if (source != nullptr && !source->empty()) url = ResolveUrl(base, *source).value_or(*source);
      const std::int64_t id = NextFrameId();
      FrameState& child = frames_[id];
      child.info = {id, frame, name != nullptr ? *name : std::wstring(), std::wstring()};
      child.depth = parent.depth + 1;
      ++parent.waiting;
      children.emplace_back(id, std::move(url));
    }
  }
  for (auto& [id, url] : children) {
    RequestData request;
    request.url = std::move(url);
    StartLoad(id, {std::move(request), std::nullopt, HistoryPlace::Current()});
  }
}

void Browser::LoadSubresources(std::int64_t frame, std::uint64_t load,
                               const page::Document& document, const std::wstring& base) {
  struct Kind {
    std::wstring_view tag;
    std::wstring_view attribute;
    Resource resource;
  };
  static constexpr Kind kKinds[] = {{L"SCRIPT", L"src", Resource::kScript},
                                    {L"LINK", L"href", Resource::kStyleSheet}};
  // The renderer numbers scripts the same way, among every SCRIPT element.
  std::int64_t script_index = -1;
  for (const Kind& kind : kKinds) {
    for (const page::Node* element : document.ElementsByTag(kind.tag)) {
      if (kind.resource == Resource::kScript) ++script_index;
      const std::wstring* reference = element->Attribute(kind.attribute);
      if (reference == nullptr || reference->empty()) continue;
      if (kind.resource == Resource::kStyleSheet) {
        const std::wstring* relation = element->Attribute(L"rel");
        if (relation == nullptr || AsciiLower(*relation).find(L"stylesheet") == std::wstring::npos)
          continue;
      }
      const std::optional<std::wstring> url = ResolveUrl(base, *reference);
      if (kind.resource != Resource::kScript) {
        if (url) LoadResource(frame, load, *url, kind.resource, {});
        continue;
      }
      // The renderer holds back every later script until this one's text
      // comes, so one that is not fetched is reported at once.
      const std::wstring name = url.value_or(*reference);
      const auto deliver = [weak = weak_from_this(), frame, name,
                            index = script_index](std::string bytes) {
        const auto self = weak.lock();
        if (self && self->renderer_)
          self->renderer_->SendScriptText(frame, name, index, true, page::DecodeMarkup(bytes, {}));
      };
      if ((!url || !LoadResource(frame, load, *url, kind.resource, deliver)) && renderer_)
        renderer_->SendScriptText(frame, name, script_index, false, {});
    }
  }
}

bool Browser::LoadResource(std::int64_t frame, std::uint64_t load, const std::wstring& url,
                           Resource kind, std::function<void(std::string)> deliver) {
  if (kind == Resource::kImage && !settings_.ImagesEnabled()) return false;
  if (kind == Resource::kScript && !settings_.JavascriptEnabled()) return false;
  bool counted = false;
  RequestData data;
  {
    const std::lock_guard lock(mutex_);
    const auto found = frames_.find(frame);
    if (closed_ || found == frames_.end() || found->second.load != load) return false;
    FrameState& state = found->second;
    if (!MayReach(settings_, state.info.url, url)) return false;
    if (state.phase == Phase::kCommitted) {
      ++state.waiting;
      counted = true;
    }
    data.url = url;
    data.first_party = frames_.at(main_frame_).info.url;
  }
  auto request = std::make_shared<RecordRef<cef_request_t>>(NewRequest(std::move(data)));
  auto finish = [frame, load, counted, deliver](Browser& browser, std::string bytes) {
    browser.PostUi([frame, load, counted, deliver, bytes = std::move(bytes)](Browser& self) {
      self.ResourceDone(frame, load, counted, deliver, bytes);
    });
  };
  PostWork(TID_IO, [self = shared_from_this(), frame, load, request, finish] {
    self->BeforeLoad(frame, load, request,
                     [frame, load, finish](Browser& browser, std::optional<RequestData> data) {
                       if (!data) {
                         finish(browser, {});
                         return;
                       }
                       StartJob([self = browser.shared_from_this(), frame, load, finish,
                                 data = std::move(*data)] {
                         FetchResponse response = Fetch(data, self->ControlFor(frame, load));
                         finish(*self, response.error == NetError::kNone ? std::move(response.body)
                                                                         : std::string());
                       });
                     });
  });
  return true;
}

void Browser::ResourceDone(std::int64_t frame, std::uint64_t load, bool counted,
                           const std::function<void(std::string)>& deliver, std::string bytes) {
  if (!IsCurrent(frame, load)) return;
  if (deliver) deliver(std::move(bytes));
  if (!counted) return;
  {
    const std::lock_guard lock(mutex_);
    FrameState* state = FindFrame(frame);
    if (state == nullptr || state->phase != Phase::kCommitted || state->waiting == 0) return;
    --state->waiting;
  }
  MaybeEndFrame(frame);
}

void Browser::AwaitScripts(std::int64_t frame, std::uint64_t load) {
  const std::lock_guard lock(mutex_);
  FrameState* state = FindFrame(frame);
  if (state == nullptr || state->load != load || state->phase != Phase::kCommitted ||
      state->awaiting_scripts)
    return;
  state->awaiting_scripts = true;
  ++state->waiting;
}

void Browser::ScriptsRun(std::int64_t frame, std::uint64_t load) {
  {
    const std::lock_guard lock(mutex_);
    FrameState* state = FindFrame(frame);
    if (closed_ || state == nullptr || state->load != load || !state->awaiting_scripts) return;
    state->awaiting_scripts = false;
    if (state->waiting > 0) --state->waiting;
  }
  MaybeEndFrame(frame);
}

void Browser::MaybeEndFrame(std::int64_t frame) {
  int status = 0;
  std::int64_t parent = 0;
  std::wstring url;
  {
    const std::lock_guard lock(mutex_);
    const auto found = frames_.find(frame);
    if (closed_ || found == frames_.end()) return;
    FrameState& state = found->second;
    if (state.phase != Phase::kCommitted || state.waiting > 0) return;
    state.phase = Phase::kIdle;
    status = state.status;
    parent = state.info.parent;
    url = state.info.url;
  }
  TraceFrame("load_end", id_, frame, L"status", url, status);
  Tell<&cef_load_handler_t::on_load_end>(ThisBrowser{}, FrameArgument{frame}, status);
  FrameSettled(parent);
}

void Browser::FrameSettled(std::int64_t parent) {
  if (parent != 0) {
    bool counted = false;
    {
      const std::lock_guard lock(mutex_);
      const auto found = frames_.find(parent);
      if (found != frames_.end() && found->second.phase == Phase::kCommitted &&
          found->second.waiting > 0) {
        --found->second.waiting;
        counted = true;
      }
    }
    if (counted) MaybeEndFrame(parent);
  }
  CheckLoadingEnded();
}

void Browser::CheckLoadingEnded() {
  {
    const std::lock_guard lock(mutex_);
    if (!loading_ || closed_) return;
    for (const auto& [id, frame] : frames_) {
      if (frame.phase != Phase::kIdle) return;
    }
    loading_ = false;
  }
  TellLoadingState(false);
}

void Browser::TellLoadingState(bool loading) {
  bool back = false;
  bool forward = false;
  {
    const std::lock_guard lock(mutex_);
    back = history_.CanGoBack();
    forward = history_.CanGoForward();
  }
  Tell<&cef_display_handler_t::on_loading_state_change>(ThisBrowser{}, loading ? 1 : 0,
                                                        back ? 1 : 0, forward ? 1 : 0);
}

void Browser::Step(int offset) {
  std::optional<std::size_t> target;
  std::optional<HistoryEntry> entry;
  {
    const std::lock_guard lock(mutex_);
    target = history_.Step(offset);
    if (target) entry = history_.At(*target);
  }
  if (!entry) return;
  RequestData request;
  request.url = entry->url;
  StartLoad(main_frame_, {request, entry->markup, HistoryPlace::At(*target)});
}

void Browser::LinkClicked(const std::wstring& url, const std::wstring& target) {
  const std::wstring name = AsciiLower(target);
  if (name.empty() || name == L"_self" || name == L"_top" || name == L"_parent") {
    LoadUrl(main_frame_, url);
    return;
  }
  for (const FrameInfo& frame : Frames()) {
    if (frame.name == target && frame.id != main_frame_) {
      LoadUrl(frame.id, url);
      return;
    }
  }
  PostWork(TID_IO, [self = shared_from_this(), url, target] { self->AskPopup(url, target); });
}

void Browser::AskPopup(std::wstring url, std::wstring target, std::int64_t opener) {
  const RecordRef<cef_client_t> own = Client();
  if (!own) return;
  cef_string_t target_url{};
  Assign(&target_url, url);
  cef_string_t frame_name{};
  Assign(&frame_name, target);
  cef_popup_features_t features{};
  features.menu_bar_visible = features.status_bar_visible = features.tool_bar_visible = 1;
  features.location_bar_visible = features.scrollbars_visible = features.resizable = 1;
  const cef_string_list_t extra = cef_string_list_alloc();
  features.additional_features = extra;
  cef_window_info_t window{};
  window.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VISIBLE;
  window.x = window.y = window.width = window.height = CW_USEDEFAULT;
  cef_browser_settings_t settings = settings_.CopyForHandler();
  cef_client_t* client = own.get();
  int no_javascript_access = 0;
  int cancel = 0;
  bool asked = false;
  const RecordRef<cef_life_span_handler_t> handler = AskHandler<cef_life_span_handler_t>(own.get());
  if (handler && handler.get()->on_before_popup != nullptr) {
    asked = true;
    cancel = handler.get()->on_before_popup(
        handler.get(), Pass(ThisBrowser{}), Pass(FrameArgument{opener != 0 ? opener : main_frame_}),
        &target_url, &frame_name, &features, &window, &client, &settings, &no_javascript_access);
  }
  // What the handler gives back carries a reference for the engine.
  RecordRef<cef_client_t> popup_client =
      asked ? RecordRef<cef_client_t>::Adopt(client) : RecordRef<cef_client_t>::Retain(client);
  const std::wstring popup_url = ToWString(&target_url);
  const std::wstring window_name = ToWString(&window.window_name);
  auto popup_settings = std::make_shared<OwnedBrowserSettings>(&settings);
  ClearString(&target_url);
  ClearString(&frame_name);
  ClearString(&window.window_name);
  ClearSettingsTexts(settings);
  cef_string_list_free(extra);
  if (cancel != 0 || !popup_client || popup_url.empty()) return;
  auto held_client = std::make_shared<RecordRef<cef_client_t>>(std::move(popup_client));
  PostUi([window, window_name, held_client, popup_settings, popup_url](Browser& self) {
    cef_window_info_t info = window;
    info.window_name = Borrow(window_name);
    const std::shared_ptr<Browser> popup = Browser::Create(
        info, std::move(*held_client), OwnedBrowserSettings(*popup_settings), self.Window());
    if (popup) popup->LoadUrl(popup->MainFrameId(), popup_url);
  });
}

void Browser::EnsureRenderer() {
  if (renderer_ && renderer_->Alive()) return;
  const bool restarted = renderer_ != nullptr;
  const std::weak_ptr<Browser> weak = weak_from_this();
  renderer::RendererHost::Events events;
  events.terminated = [weak] {
    if (const auto self = weak.lock()) self->RendererTerminated();
  };
  events.process_message = [weak](renderer::Message message) {
    if (const auto self = weak.lock()) self->ProcessMessageArrived(message);
  };
  events.dialog = [weak](renderer::Message message) {
    if (const auto self = weak.lock()) self->dialogs_->Received(message);
  };
  events.page_script = [weak](renderer::Message message) {
    if (const auto self = weak.lock()) self->PageScriptReported(message);
  };
  renderer_ = renderer::RendererHost::Start(id_, std::move(events), RendererExecutable());
  if (!restarted || !renderer_) return;
  dialogs_->PageReplaced();
  // A new renderer learns the documents the frames already show.
  std::vector<std::tuple<std::int64_t, std::wstring, std::wstring>> shown;
  {
    const std::lock_guard lock(mutex_);
    for (const auto& [id, frame] : frames_) {
      if (frame.document) shown.emplace_back(id, frame.info.url, frame.markup);
    }
  }
  for (const auto& [id, url, markup] : shown)
    renderer_->ShowDocument(id, id == main_frame_, url, markup);
}

void Browser::RendererTerminated() {
  const cef_termination_status_t status =
      StatusOfExit(renderer_ ? renderer_->ExitCode() : std::nullopt);
  TraceLine("render_process_terminated")
      .Add("browser", id_)
      .Add("status", static_cast<long long>(status))
      .Write();
  dialogs_->RendererEnded();
  Tell<&cef_load_handler_t::on_render_process_terminated>(ThisBrowser{}, status);
  // Scripts the renderer was to run will not run: their loads end without.
  std::vector<std::pair<std::int64_t, std::uint64_t>> awaiting;
  {
    const std::lock_guard lock(mutex_);
    for (const auto& [id, frame] : frames_) {
      if (frame.awaiting_scripts) awaiting.emplace_back(id, frame.load);
    }
  }
  for (const auto& [frame, load] : awaiting) ScriptsRun(frame, load);
}

bool Browser::SendToRenderer(renderer::Message message) {
  if (CurrentlyOn(TID_UI)) return renderer_ && renderer_->SendProcessMessage(message);
  {
    const std::lock_guard lock(mutex_);
    if (closed_) return false;
  }
  PostUi([message = std::move(message)](Browser& self) {
    if (self.renderer_) self.renderer_->SendProcessMessage(message);
  });
  return true;
}

void Browser::ExecuteScript(std::int64_t frame, std::wstring code, std::wstring url,
                            int startLine) {
  PostUi([frame, code = std::move(code), url = std::move(url), startLine](Browser& self) {
    if (self.renderer_ && self.renderer_->Alive())
      self.renderer_->ExecuteScript(frame, code, url, startLine);
  });
}

void Browser::PageScriptReported(const renderer::Message& message) {
  namespace messages = renderer::messages;
  pipe::Dispatch<messages::TitleChanged, messages::ConsoleMessage, messages::StatusText,
                 messages::ScriptsRun, messages::OpenWindow>(
      message, [this](auto typed) { Reported(std::move(typed)); });
}

void Browser::Reported(renderer::messages::TitleChanged changed) {
  if (changed.frame != main_frame_) return;
  {
    const std::lock_guard lock(mutex_);
    const FrameState* state = FindFrame(changed.frame);
    if (closed_ || state == nullptr) return;
    if (changed.title.empty()) changed.title = state->info.url;
    title_ = changed.title;
  }
  const cef_string_t text = Borrow(changed.title);
  Tell<&cef_display_handler_t::on_title_change>(ThisBrowser{}, &text);
  if (window_ && opener_ != nullptr) SetWindowTextW(window_->Handle(), changed.title.c_str());
}

void Browser::Reported(const renderer::messages::ConsoleMessage& console) {
  const cef_string_t message_text = Borrow(console.message);
  const cef_string_t source_text = Borrow(console.source);
  Tell<&cef_display_handler_t::on_console_message>(ThisBrowser{}, &message_text, &source_text,
                                                   static_cast<int>(console.line));
}

void Browser::Reported(const renderer::messages::StatusText& status) {
  const cef_string_t value = Borrow(status.text);
  Tell<&cef_display_handler_t::on_status_message>(ThisBrowser{}, &value);
}

void Browser::Reported(const renderer::messages::ScriptsRun& run) {
  ScriptsRun(run.frame, run.load);
}

void Browser::Reported(const renderer::messages::OpenWindow& open) {
  const std::optional<FrameInfo> opener = Frame(open.frame);
  if (!opener) return;
  std::wstring resolved = open.url.empty() ? L"about:blank" : open.url;
  if (!open.url.empty()) resolved = ResolveUrl(opener->url, open.url).value_or(open.url);
  // Without a name script asks for a new window; a named one may be a
  // frame of this page, as for a link's target.
  if (!open.target.empty()) {
    LinkClicked(resolved, open.target);
    return;
  }
  PostWork(TID_IO, [self = shared_from_this(), resolved, frame = open.frame] {
    self->AskPopup(resolved, {}, frame);
  });
}

void Browser::ProcessMessageArrived(const renderer::Message& frame) {
  RecordRef<cef_process_message_t> message = values::ProcessMessageOfFrame(frame);
  const RecordRef<cef_client_t> client = Client();
  if (!message || !client || client.get()->on_process_message_received == nullptr) return;
  client.get()->on_process_message_received(client.get(), Pass(ThisBrowser{}), PID_RENDERER,
                                            message.Detach());
}

void Browser::Close() {
  {
    const std::lock_guard lock(mutex_);
    if (closed_) return;
    loading_ = false;
    for (auto& [id, frame] : frames_) {
      frame.load = NextLoad();
      frame.phase = Phase::kIdle;
    }
  }
  Tell<&cef_life_span_handler_t::on_before_close>(ThisBrowser{});
  RecordRef<cef_client_t> client;
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    client = std::move(client_);
  }
  if (renderer_) renderer_->DestroyBrowser();
  renderer_.reset();
  window_.reset();
  RemoveBrowser(id_);
  TraceLine("browser").Word("destroyed").Add("id", id_).Write();
}

}  // namespace devengine::browser
