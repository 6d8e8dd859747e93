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
    MessageReader reader(message);
    switch (message.kind) {
      case MessageKind::kShowDocument: {
        const std::int64_t frame = reader.Int();
        const bool is_main = reader.Flag();
        std::wstring url = reader.Text();
        std::wstring markup = reader.Text();
        if (reader.ok()) ShowDocument(frame, is_main, std::move(url), std::move(markup));
        return;
      }
      case MessageKind::kRequestSource:
      case MessageKind::kRequestText: {
        const std::int64_t request = reader.Int();
        const std::int64_t frame = reader.Int();
        if (reader.ok()) Answer(request, TextOf(frame, message.kind));
        return;
      }
      case MessageKind::kDestroyBrowser:
        DestroyBrowser();
        return;
      case MessageKind::kProcessMessage:
        Deliver(message);
        return;
      case MessageKind::kExecuteScript: {
        const std::int64_t frame = reader.Int();
        std::wstring code = reader.Text();
        std::wstring url = reader.Text();
        const std::int64_t line = reader.Int();
        if (reader.ok()) ExecuteScript(frame, code, url, line);
        return;
      }
      case MessageKind::kDocumentScripts: {
        const std::int64_t frame = reader.Int();
        const bool enabled = reader.Flag();
        const auto load = static_cast<std::uint64_t>(reader.Int());
        if (reader.ok()) scripts_.Start(frame, enabled, load);
        return;
      }
      case MessageKind::kScriptText: {
        const std::int64_t frame = reader.Int();
        std::wstring url = reader.Text();
        const std::int64_t index = reader.Int();
        const bool fetched = reader.Flag();
        std::wstring text = reader.Text();
        if (reader.ok()) scripts_.ExternalText(frame, url, index, fetched, std::move(text));
        return;
      }
      case MessageKind::kAnswer:
      case MessageKind::kTitleChanged:
      case MessageKind::kConsoleMessage:
      case MessageKind::kOpenWindow:
      case MessageKind::kScriptDialog:
      case MessageKind::kDialogAnswer:
      case MessageKind::kBeforeUnloadHandler:
      case MessageKind::kBeforeUnloadAnswer:
      case MessageKind::kStatusText:
      case MessageKind::kScriptsRun:
        return;
      case MessageKind::kRunBeforeUnload: {
        const std::int64_t request = reader.Int();
        if (reader.ok()) AnswerBeforeUnload(browser_->MainFrame(), send_to_browser_, request);
        return;
      }
    }
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

  void ShowDocument(std::int64_t frame_id, bool is_main, std::wstring url, std::wstring markup) {
    RendererFrame& frame = browser_->FrameFor(frame_id, is_main);
    RecordRef<cef_v8context_t> previous =
        frame.Show(std::move(url), page::ParseHtml(std::move(markup)));
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
  void ExecuteScript(std::int64_t frame_id, std::wstring_view code, std::wstring_view url,
                     std::int64_t line) {
    RendererFrame* frame = browser_->FindFrame(frame_id);
    if (frame == nullptr) return;
    RunFrameScript(HostFor(*frame), code, url,
                   static_cast<int>(std::clamp<std::int64_t>(line, INT_MIN, INT_MAX)));
  }

  // Tells the handler that `context`, the frame's until now, is released.
  void ReleaseContext(RendererFrame& frame, RecordRef<cef_v8context_t> context) {
    if (!context) return;
    if (auto call = Entry(&cef_render_process_handler_t::on_context_released)) {
      call(handler_.get(), Handed(*browser_), Handed(frame), Handed(context.get()));
    }
    script_values::ReleaseDocument(context.get());
  }

  std::wstring TextOf(std::int64_t frame_id, MessageKind kind) const {
    const RendererFrame* frame = browser_->FindFrame(frame_id);
    if (frame == nullptr || !frame->document()) return {};
    const page::Document& tree = frame->document()->tree();
    return kind == MessageKind::kRequestSource ? tree.source : page::InnerText(*tree.root);
  }

  void Answer(std::int64_t request, const std::wstring& text) {
    send_to_browser_(MessageWriter(MessageKind::kAnswer).Int(request).Text(text).Take());
  }

  // A frame that is no whole process message is passed over.
  void Deliver(const Message& frame) {
    RecordRef<cef_process_message_t> message = values::ProcessMessageOfFrame(frame);
    auto call = Entry(&cef_render_process_handler_t::on_process_message_received);
    if (message && call) call(handler_.get(), Handed(*browser_), PID_BROWSER, message.Detach());
  }

  void DestroyBrowser() {
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
