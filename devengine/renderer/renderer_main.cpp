#include "renderer_main.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <functional>
#include <memory>
#include <utility>

#include "channel.h"
#include "engine_object.h"
#include "page/html.h"
#include "page_script.h"
#include "protocol.h"
#include "record_ref.h"
#include "renderer_browser.h"
#include "renderer_thread.h"
#include "script_dialogs.h"
#include "script_values/script_values.h"
#include "trace.h"
#include "values/message_wire.h"

namespace devengine::renderer {
namespace {

// How long the answers still queued may take to reach the browser process
// when the renderer ends.
constexpr std::chrono::milliseconds kFlushAtEnd{1000};

class Renderer {
 public:
  Renderer(cef_render_process_handler_t* handler, int browser_id, Channel& channel)
      : handler_(RecordRef<cef_render_process_handler_t>::Retain(handler)),
        browser_(MakeEngineObject<RendererBrowser>(browser_id)),
        browser_hold_(RecordRef<cef_browser_t>::Adopt(browser_->record())),
        send_to_browser_([&channel](Message message) { return channel.Send(message); }) {
    browser_->ConnectBrowserProcess(send_to_browser_);
    browser_->ConnectScriptRunner(
        [this](RendererFrame& frame, std::wstring_view code, std::wstring_view url, int startLine) {
          RunFrameScript(HostFor(frame), code, url, startLine);
        });
  }
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;
  ~Renderer() { browser_->Close(); }

  void Begin() {
    if (auto call = Entry(&cef_render_process_handler_t::on_render_thread_created)) {
      call(handler_.get(), nullptr);
    }
    if (auto call = Entry(&cef_render_process_handler_t::on_web_kit_initialized)) {
      call(handler_.get());
    }
    if (auto call = Entry(&cef_render_process_handler_t::on_browser_created)) {
      call(handler_.get(), Handed(*browser_));
    }
  }

  void Handle(const Message& message) {
    if (ended_) return;
    if (message.kind == MessageKind::kProcessMessage) {
      Deliver(message);
      return;
    }
    pipe::Dispatch<messages::ShowDocument, messages::RequestSource, messages::RequestText,
                   messages::DestroyBrowser, messages::ExecuteScript, messages::DocumentScripts,
                   messages::ScriptText, messages::RunBeforeUnload>(
        message, [this](auto typed) { On(std::move(typed)); });
  }

  void BrowserProcessGone() {
    if (ended_) return;
    ended_ = true;
    end_reason_ = "browser_gone";
  }

  bool ended() const { return ended_; }
  ScriptDialogs& dialogs() { return dialogs_; }
  const char* end_reason() const { return end_reason_; }

 private:
  template <class Callback>
  Callback Entry(Callback cef_render_process_handler_t::*entry) const {
    return handler_ ? handler_.get()->*entry : nullptr;
  }

  void On(messages::ShowDocument shown) {
    RendererFrame& frame = browser_->FrameFor(shown.frame, shown.is_main);
    RecordRef<cef_v8context_t> previous =
        frame.Show(std::move(shown.url), page::ParseHtml(std::move(shown.markup)));
    ReleaseContext(frame, std::move(previous));
    PageScriptHost host = HostFor(frame);
    if (const auto context = script_values::ContextOfRecord(frame.context())) {
      InstallPageBuiltins(*context, host);
      InstallDialogBuiltins(*context, host, dialogs_);
    }
    if (auto call = Entry(&cef_render_process_handler_t::on_context_created)) {
      call(handler_.get(), Handed(*browser_), Handed(frame), Handed(frame.context()));
    }
    scripts_.DocumentShown(host);
  }

  PageScriptHost HostFor(RendererFrame& frame) {
    return {handler_.get(), browser_, &frame, send_to_browser_};
  }

  // Code the browser process asks a frame to run; a frame it does not know
  // runs nothing.
  void On(const messages::ExecuteScript& script) {
    RendererFrame* frame = browser_->FindFrame(script.frame);
    if (frame == nullptr) return;
    RunFrameScript(HostFor(*frame), script.code, script.url,
                   static_cast<int>(std::clamp<std::int64_t>(script.start_line, INT_MIN, INT_MAX)));
  }

  void On(const messages::DocumentScripts& scripts) {
    scripts_.Start(scripts.frame, scripts.enabled, scripts.load);
  }

  void On(messages::ScriptText script) {
    scripts_.ExternalText(script.frame, script.url, script.index, script.fetched,
                          std::move(script.text));
  }

  void On(const messages::RunBeforeUnload& run) {
    AnswerBeforeUnload(browser_->MainFrame(), send_to_browser_, run.request);
  }

  void On(const messages::RequestSource& request) {
    const page::Document* tree = DocumentOf(request.frame);
    Answer(request.request, tree != nullptr ? tree->source : std::wstring());
  }

  void On(const messages::RequestText& request) {
    const page::Document* tree = DocumentOf(request.frame);
    Answer(request.request, tree != nullptr ? page::InnerText(*tree->root) : std::wstring());
  }

  // Tells the handler that `context`, the frame's until now, is released.
  void ReleaseContext(RendererFrame& frame, RecordRef<cef_v8context_t> context) {
    if (!context) return;
    if (auto call = Entry(&cef_render_process_handler_t::on_context_released)) {
      call(handler_.get(), Handed(*browser_), Handed(frame), Handed(context.get()));
    }
    script_values::ReleaseDocument(context.get());
  }

  // Null when the frame is unknown or shows no document.
  const page::Document* DocumentOf(std::int64_t frame_id) const {
    const RendererFrame* frame = browser_->FindFrame(frame_id);
    if (frame == nullptr || !frame->document()) return nullptr;
    return &frame->document()->tree();
  }

  void Answer(std::int64_t request, std::wstring text) {
    send_to_browser_(pipe::WriteMessage(messages::Answer{request, std::move(text)}));
  }

  // A frame that is no whole process message is passed over.
  void Deliver(const Message& frame) {
    RecordRef<cef_process_message_t> message = values::ProcessMessageOfFrame(frame);
    auto call = Entry(&cef_render_process_handler_t::on_process_message_received);
    if (message && call) call(handler_.get(), Handed(*browser_), PID_BROWSER, message.Detach());
  }

  void On(const messages::DestroyBrowser&) {
    for (RendererFrame* frame : browser_->Frames()) {
      scripts_.Forget(frame->id());
      ReleaseContext(*frame, frame->Close());
    }
    if (auto call = Entry(&cef_render_process_handler_t::on_browser_destroyed)) {
      call(handler_.get(), Handed(*browser_));
    }
    browser_->Close();
    ended_ = true;
    end_reason_ = "destroyed";
  }

  RecordRef<cef_render_process_handler_t> handler_;
  RendererBrowser* browser_;
  RecordRef<cef_browser_t> browser_hold_;
  const std::function<bool(Message)> send_to_browser_;
  PageScripts scripts_{send_to_browser_};
  ScriptDialogs dialogs_;
  bool ended_ = false;
  const char* end_reason_ = "";
};

// Runs the renderer's work, and any window messages, until it has ended.
void RunUntilEnded(const Renderer& renderer) {
  WorkQueue& work = RendererWork();
  const HANDLE wake = work.wake_event();
  while (!renderer.ended()) {
    work.RunPending();
    if (renderer.ended()) break;
    MsgWaitForMultipleObjectsEx(1, &wake, work.MillisecondsUntilDue(), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

}  // namespace

void RunRenderer(cef_render_process_handler_t* handler, const std::wstring& channel_name,
                 int browser_id) {
  TraceLine("renderer").Word("started").Add("browser", browser_id).Write();
  const std::unique_ptr<Channel> channel = Channel::Connect(channel_name);
  if (!channel) {
    TraceLine("renderer")
        .Word("ended")
        .Add("browser", browser_id)
        .Add("reason", "no_channel")
        .Write();
    return;
  }
  const char* reason;
  {
    Renderer renderer(handler, browser_id, *channel);
    WorkQueue& work = RendererWork();
    channel->Start({
        [&renderer, &work](Message message) {
          if (renderer.dialogs().Intercept(message)) return;
          work.Post([&renderer, message = std::move(message)] { renderer.Handle(message); });
        },
        [&renderer, &work] {
          renderer.dialogs().End();
          work.Post([&renderer] { renderer.BrowserProcessGone(); });
        },
    });
    renderer.Begin();
    RunUntilEnded(renderer);
    channel->Close(kFlushAtEnd);
    work.Drop();
    reason = renderer.end_reason();
  }
  TraceLine("renderer").Word("ended").Add("browser", browser_id).Add("reason", reason).Write();
}

}  // namespace devengine::renderer
