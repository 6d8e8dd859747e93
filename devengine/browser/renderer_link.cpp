// The browser's side of its renderer process: starting it (again, after it
// died), the documents and scripts it is given, and what it reports back.
#include <tuple>
#include <utility>
#include <vector>

#include "browser.h"
#include "browser_list.h"
#include "engine_strings.h"
#include "engine_threads.h"
#include "handler_calls.h"
#include "js_dialogs.h"
#include "page/html.h"
#include "page/page_window.h"
#include "renderer/renderer_host.h"
#include "trace.h"
#include "url.h"
#include "values/message_wire.h"
#include "weak_owner.h"

namespace devengine::browser {
namespace {

cef_termination_status_t StatusOfExit(std::optional<DWORD> code) {
  if (!code || *code == 0) return TS_ABNORMAL_TERMINATION;
  // Exception codes: the process died of a fault it did not handle.
  if (*code >= 0xC0000000) return TS_PROCESS_CRASHED;
  return TS_PROCESS_WAS_KILLED;
}

}  // namespace

void Browser::EnsureRenderer() {
  if (renderer_ && renderer_->Alive()) return;
  const bool restarted = renderer_ != nullptr;
  const std::weak_ptr<Browser> weak = weak_from_this();
  renderer::RendererHost::Events events;
  events.terminated = BindWeak<&Browser::RendererTerminated>(weak);
  events.process_message = BindWeak<&Browser::ProcessMessageArrived>(weak);
  events.dialog = BindWeak<&Browser::DialogMessageArrived>(weak);
  events.page_script = BindWeak<&Browser::PageScriptReported>(weak);
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

void Browser::ProcessMessageArrived(const renderer::Message& frame) {
  RecordRef<cef_process_message_t> message = values::ProcessMessageOfFrame(frame);
  const RecordRef<cef_client_t> client = Client();
  if (!message || !client || client.get()->on_process_message_received == nullptr) return;
  client.get()->on_process_message_received(client.get(), Pass(ThisBrowser{}), PID_RENDERER,
                                            message.Detach());
}

void Browser::DialogMessageArrived(const renderer::Message& message) {
  dialogs_->Received(message);
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

}  // namespace devengine::browser
