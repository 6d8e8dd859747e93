#include "browser.h"

#include <commctrl.h>

#include <cmath>
#include <utility>

#include "ascii.h"
#include "browser_list.h"
#include "browser_records.h"
#include "engine_strings.h"
#include "engine_threads.h"
#include "handler_calls.h"
#include "js_dialogs.h"
#include "page/html.h"
#include "page/page_window.h"
#include "renderer/renderer_host.h"
#include "trace.h"
#include "url.h"
#include "utf.h"
#include "weak_owner.h"

namespace devengine::browser {
namespace {

constexpr UINT_PTR kWatchId = 1;
// Where a top-level window goes that the program placed nowhere.
constexpr RECT kDefaultTopLevel = {100, 100, 900, 700};

RECT BoundsOf(const cef_window_info_t& window) {
  if (window.parent_window == nullptr &&
      (window.x == CW_USEDEFAULT || window.width == CW_USEDEFAULT || window.width <= 0 ||
       window.height <= 0))
    return kDefaultTopLevel;
  return {window.x, window.y, window.x + window.width, window.y + window.height};
}

}  // namespace

cef_browser_t* Browser::Pass(ThisBrowser) { return NewBrowserRecord(shared_from_this()); }

cef_frame_t* Browser::Pass(FrameArgument frame) {
  return NewFrameRecord(shared_from_this(), frame.id);
}

std::shared_ptr<Browser> Browser::Create(const cef_window_info_t& window,
                                         RecordRef<cef_client_t> client,
                                         OwnedBrowserSettings settings, HWND opener) {
  auto browser =
      std::make_shared<Browser>(Passkey(), NextBrowserId(), std::move(client), std::move(settings),
                                opener, window.window_rendering_disabled != 0);
  browser->window_ = std::make_unique<page::PageWindow>(window.parent_window, window.style,
                                                        BoundsOf(window), browser->WindowEvents());
  const HWND handle = browser->window_->Handle();
  if (handle == nullptr) return nullptr;
  if (window.parent_window == nullptr) {
    SetWindowTextW(handle, ToWString(&window.window_name).c_str());
  }
  SetWindowSubclass(handle, &Browser::WatchWindow, kWatchId,
                    reinterpret_cast<DWORD_PTR>(browser.get()));
  browser->window_handle_ = handle;
  browser->dialogs_ = browser->MakeDialogs();
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

// What the page window tells: each reaches the browser as UI work.
page::PageEvents Browser::WindowEvents() {
  page::PageEvents events;
  events.hoverLink = WhileAlive(weak_from_this(), [](Browser& self, const std::wstring& url) {
    self.PostUi([url](Browser& browser) {
      const cef_string_t value = Borrow(url);
      browser.Tell<&cef_display_handler_t::on_status_message>(ThisBrowser{}, &value);
    });
  });
  events.clickLink = WhileAlive(
      weak_from_this(), [](Browser& self, const std::wstring& url, const std::wstring& target) {
        self.PostUi([url, target](Browser& browser) { browser.LinkClicked(url, target); });
      });
  events.gotFocus = WhileAlive(weak_from_this(), [](Browser& self) {
    self.PostUi(
        [](Browser& browser) { browser.Tell<&cef_focus_handler_t::on_got_focus>(ThisBrowser{}); });
  });
  return events;
}

std::unique_ptr<PageDialogs> Browser::MakeDialogs() {
  const std::weak_ptr<Browser> weak = weak_from_this();
  return std::make_unique<PageDialogs>(PageDialogs::Party{
      WhileAlive(
          weak,
          [](Browser& self) { return AskHandler<cef_jsdialog_handler_t>(self.Client().get()); }),
      WhileAlive(weak, [](Browser& self) { return self.Pass(ThisBrowser{}); }),
      WhileAlive(weak, [](Browser& self) { return self.window_handle_.load(); }),
      WhileAlive(weak, [](Browser& self, const renderer::Message& message) {
        return self.renderer_ && self.renderer_->SendDialogMessage(message);
      })});
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
  // No exception may unwind into the system's frames: a failure is reported
  // and the message still gets its default handling.
  try {
    if (message == WM_NCDESTROY) {
      RemoveWindowSubclass(window, &Browser::WatchWindow, kWatchId);
      Browser& browser = *reinterpret_cast<Browser*>(data);
      browser.window_handle_ = nullptr;
      browser.PostUi([](Browser& self) { self.Close(); });
    }
  } catch (...) {
    ReportCaughtFailure("browser window");
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

void Browser::PostUi(std::function<void(Browser&)> work) {
  PostWork(TID_UI, WhileAlive(weak_from_this(), std::move(work)));
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
  PostUi([](Browser& self) { self.Stop(); });
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
    self.dialogs_->BeforeLeaving(
        false, WhileAlive(self.weak_from_this(), [](Browser& browser) {
          if (browser.Tell<&cef_life_span_handler_t::do_close>(ThisBrowser{}) != 0) return;
          // The page window owns its window; destroying it ends the window,
          // and WatchWindow then posts the close.
          browser.window_.reset();
        }));
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
