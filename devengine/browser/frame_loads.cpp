// A frame's load on the UI thread: from its start, through the fetch and
// the commit of its document, to the end of its load and of the browser's
// loading state.
#include <algorithm>
#include <atomic>
#include <functional>
#include <utility>

#include "browser.h"
#include "browser_list.h"
#include "engine_strings.h"
#include "handler_calls.h"
#include "js_dialogs.h"
#include "page/html.h"
#include "page/page_window.h"
#include "renderer/renderer_host.h"
#include "response_markup.h"
#include "trace.h"
#include "url.h"
#include "utf.h"
#include "weak_owner.h"

namespace devengine::browser {
namespace {

// Frames nest no deeper, and a document starts no more child frames, so a
// page that frames itself ends.
constexpr int kDeepestFrame = 8;
constexpr std::size_t kMostChildFrames = 64;

std::atomic<std::uint64_t> next_load{1};

void TraceFrame(std::string_view event, int browser, std::int64_t frame, std::wstring_view key,
                std::wstring_view url, std::optional<int> number = std::nullopt) {
  TraceLine line(event);
  line.Add("browser", browser).Add("frame", static_cast<long long>(frame));
  if (number) line.Add(Utf16ToUtf8(key), *number);
  line.AddQuoted("url", Utf16ToUtf8(url)).Write();
}

}  // namespace

std::uint64_t Browser::NextLoad() { return next_load++; }

void Browser::StartLoad(std::int64_t frame, Navigation navigation) {
  if (frame == main_frame_ && !navigation.leaveAgreed) {
    navigation.leaveAgreed = true;
    const bool reload = navigation.place.kind == HistoryPlace::Kind::kCurrent;
    dialogs_->BeforeLeaving(
        reload, BindWeak<&Browser::StartLoad>(weak_from_this(), frame, std::move(navigation)));
    return;
  }
  const std::optional<LoadBegun> begun = BeginLoad(frame, navigation);
  if (!begun) return;
  const std::uint64_t load = begun->load;
  TraceFrame("navigation", id_, frame, L"", navigation.request.url);
  if (!begun->was_loading) TellLoadingState(true);
  if (navigation.markup) {
    Commit(frame, load, navigation.request.url, 200, std::move(*navigation.markup));
    return;
  }
  if (begun->parent_url && !settings_.MayReach(*begun->parent_url, navigation.request.url)) {
    FailLoad(frame, load, NetError::kAccessDenied, navigation.request.url, true);
    return;
  }
  FetchForFrame(frame, load, std::move(navigation.request),
                [frame, load](Browser& self, std::optional<FetchResponse> response) {
                  self.FinishLoad(frame, load, std::move(response));
                });
}

std::optional<Browser::LoadBegun> Browser::BeginLoad(std::int64_t frame,
                                                     const Navigation& navigation) {
  const std::lock_guard lock(mutex_);
  const auto found = frames_.find(frame);
  if (closed_ || found == frames_.end()) return std::nullopt;
  FrameState& state = found->second;
  // The frames inside go with the document that holds them; what they
  // still load is let go.
  for (auto& [id, other] : frames_) {
    if (Inside(id, frame)) {
      other.load = NextLoad();
      other.phase = Phase::kIdle;
    }
  }
  state.load = NextLoad();
  state.phase = Phase::kProvisional;
  state.loading_url = navigation.request.url;
  state.loading_markup = navigation.markup;
  state.place = navigation.place;
  state.waiting = 0;
  state.awaiting_scripts = false;
  LoadBegun begun{state.load, std::exchange(loading_, true), std::nullopt};
  if (state.info.parent != 0) {
    const FrameState* parent = FindFrame(state.info.parent);
    begun.parent_url = parent != nullptr ? parent->info.url : std::wstring();
  }
  return begun;
}

// A request the handler cancelled fails without an error page.
void Browser::FinishLoad(std::int64_t frame, std::uint64_t load,
                         std::optional<FetchResponse> response) {
  if (!IsCurrent(frame, load)) return;
  if (!response) {
    std::wstring url;
    {
      const std::lock_guard lock(mutex_);
      if (const FrameState* state = FindFrame(frame)) url = state->loading_url;
    }
    FailLoad(frame, load, NetError::kAborted, url, false);
    return;
  }
  if (response->error != NetError::kNone) {
    FailLoad(frame, load, response->error, response->url, true);
    return;
  }
  Commit(frame, load, response->url, response->status, MarkupOf(*response));
}

void Browser::FailLoad(std::int64_t frame, std::uint64_t load, NetError error,
                       const std::wstring& url, bool showErrorPage) {
  if (!IsCurrent(frame, load)) return;
  TellLoadError(frame, error, url);
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

void Browser::TellLoadError(std::int64_t frame, NetError error, const std::wstring& url) {
  TraceFrame("load_error", id_, frame, L"code", url, static_cast<int>(error));
  const cef_string_t text = Borrow(ErrorText(error));
  const cef_string_t failed = Borrow(url);
  Tell<&cef_load_handler_t::on_load_error>(ThisBrowser{}, FrameArgument{frame},
                                           static_cast<int>(error), &text, &failed);
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
    ShowInWindow(frame, load, document, url, title);
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

// The main frame's document is drawn by the page window, which fetches its
// images through the frame's load.
void Browser::ShowInWindow(std::int64_t frame, std::uint64_t load,
                           const std::shared_ptr<const page::Document>& document,
                           const std::wstring& url, const std::wstring& title) {
  if (!window_) return;
  if (opener_ != nullptr) SetWindowTextW(window_->Handle(), title.c_str());
  window_->ShowDocument(document, url,
                        WhileAlive(weak_from_this(),
                                   [frame, load](Browser& self, const std::wstring& resource,
                                                 std::function<void(std::string)> deliver) {
                                     self.LoadResource(frame, load, resource, Resource::kImage,
                                                       std::move(deliver));
                                   }),
                        settings_.ImagesEnabled());
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

void Browser::Stop() {
  struct Stopped {
    std::int64_t id;
    int depth;
    bool provisional;
    std::wstring url;
    int status;
  };
  std::vector<Stopped> stopped;
  {
    const std::lock_guard lock(mutex_);
    for (auto& [id, frame] : frames_) {
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
      TellLoadError(frame.id, NetError::kAborted, frame.url);
    } else {
      Tell<&cef_load_handler_t::on_load_end>(ThisBrowser{}, FrameArgument{frame.id}, frame.status);
    }
  }
  CheckLoadingEnded();
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

}  // namespace devengine::browser
