#include "renderer_host.h"

#include <chrono>
#include <map>
#include <utility>
#include <vector>

#include "channel.h"
#include "command_line_text.h"
#include "engine_threads.h"
#include "protocol.h"
#include "trace.h"

namespace devengine::renderer {
namespace {

// How long the pipe may take to write out what is queued when the host goes.
constexpr std::chrono::milliseconds kFlushWhenDestroyed{1000};
// How long a renderer may take to end on its own once its browser is gone.
constexpr DWORD kRendererGraceMs = 3000;
constexpr UINT kEndedByHostCode = 9;

std::wstring ThisExecutable() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return std::wstring(path.data(), length);
    path.resize(path.size() * 2);
  }
}

// The event that takes a message of `kind` from the renderer; null for
// kAnswer, which the host takes itself, and for kinds it does not take.
std::function<void(Message)> RendererHost::Events::*EventFor(MessageKind kind) {
  switch (kind) {
    case MessageKind::kProcessMessage:
      return &RendererHost::Events::process_message;
    case MessageKind::kTitleChanged:
    case MessageKind::kConsoleMessage:
    case MessageKind::kOpenWindow:
    case MessageKind::kStatusText:
    case MessageKind::kScriptsRun:
      return &RendererHost::Events::page_script;
    case MessageKind::kScriptDialog:
    case MessageKind::kBeforeUnloadHandler:
    case MessageKind::kBeforeUnloadAnswer:
      return &RendererHost::Events::dialog;
    default:
      return nullptr;
  }
}

}  // namespace

// What the channel's thread reaches the UI thread with. Touched on the UI
// thread only.
struct RendererHost::Replies {
  Events events;
  std::map<std::uint64_t, std::function<void(std::wstring)>> pending;
  bool host_gone = false;
  // Told its browser is destroyed, the renderer ends as it should.
  bool end_expected = false;
  bool terminated = false;
};

std::unique_ptr<RendererHost> RendererHost::Start(int browserId, Events events,
                                                  const std::wstring& executable) {
  const std::wstring program = executable.empty() ? ThisExecutable() : executable;
  std::unique_ptr<Channel> channel = Channel::Listen();
  if (program.empty() || !channel) return nullptr;
  std::wstring command = QuoteProgram(program) + L" --type=renderer --" +
                         std::wstring(kChannelSwitch) + L"=" + QuoteArgument(channel->name()) +
                         L" --" + std::wstring(kBrowserIdSwitch) + L"=" +
                         std::to_wstring(browserId);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    return nullptr;
  }
  // The renderer's first thread is not waited on; its process is.
  const TKernelHandle thread(started.hThread);
  TKernelHandle process(started.hProcess);
  TraceLine("renderer_host")
      .Word("started")
      .Add("browser", browserId)
      .Add("pid", static_cast<long long>(started.dwProcessId))
      .Write();
  return std::make_unique<RendererHost>(Passkey(), browserId, std::move(events), std::move(channel),
                                        std::move(process), started.dwProcessId);
}

RendererHost::RendererHost(Passkey, int browserId, Events events, std::unique_ptr<Channel> channel,
                           TKernelHandle process, DWORD processId)
    : replies_(std::make_shared<Replies>()),
      channel_(std::move(channel)),
      process_(std::make_shared<TKernelHandle>(std::move(process))),
      process_id_(processId) {
  replies_->events = std::move(events);
  const auto received = [replies = replies_](Message message) {
    if (const auto event = EventFor(message.kind)) {
      PostWork(TID_UI, [replies, event, message = std::move(message)]() mutable {
        if (!replies->host_gone && replies->events.*event)
          (replies->events.*event)(std::move(message));
      });
      return;
    }
    if (message.kind != MessageKind::kAnswer) return;
    PostWork(TID_UI, [replies, message = std::move(message)] {
      std::optional<messages::Answer> answer = pipe::ReadMessage<messages::Answer>(message);
      if (!answer || replies->host_gone) return;
      const auto waiting = replies->pending.find(static_cast<std::uint64_t>(answer->request));
      if (waiting == replies->pending.end()) return;
      const std::function<void(std::wstring)> done = std::move(waiting->second);
      replies->pending.erase(waiting);
      done(std::move(answer->text));
    });
  };
  const auto ended = [replies = replies_, process = process_, browserId] {
    DWORD code = 0;
    GetExitCodeProcess(process->get(), &code);
    TraceLine("renderer_host")
        .Word("ended")
        .Add("browser", browserId)
        .Add("code", static_cast<long long>(code))
        .Write();
    PostWork(TID_UI, [replies] {
      if (replies->host_gone || replies->terminated) return;
      replies->terminated = true;
      // Moved out first: dropping a request may release program objects.
      const auto dropped = std::move(replies->pending);
      if (!replies->end_expected && replies->events.terminated) replies->events.terminated();
    });
  };
  channel_->Start({received, ended}, process_->get());
}

RendererHost::~RendererHost() {
  replies_->host_gone = true;
  const auto dropped = std::move(replies_->pending);
  if (Alive()) DestroyBrowser();
  // Writing out the last messages and waiting for the renderer to end happen
  // on the engine's file thread, so the UI thread goes on at once.
  const auto finish = [channel = std::shared_ptr<Channel>(std::move(channel_)),
                       process = process_] {
    channel->Close(kFlushWhenDestroyed);
    if (WaitForSingleObject(process->get(), kRendererGraceMs) == WAIT_TIMEOUT) {
      TerminateProcess(process->get(), kEndedByHostCode);
    }
  };
  if (!PostWork(TID_FILE, finish)) finish();
}

void RendererHost::ShowDocument(std::int64_t frameId, bool isMain, const std::wstring& url,
                                const std::wstring& markup) {
  channel_->Send(pipe::WriteMessage(messages::ShowDocument{frameId, isMain, url, markup}));
}

void RendererHost::StartScripts(std::int64_t frameId, bool enabled, std::uint64_t load) {
  channel_->Send(pipe::WriteMessage(messages::DocumentScripts{frameId, enabled, load}));
}

void RendererHost::SendScriptText(std::int64_t frameId, const std::wstring& url, std::int64_t index,
                                  bool fetched, const std::wstring& text) {
  channel_->Send(pipe::WriteMessage(messages::ScriptText{frameId, url, index, fetched, text}));
}

void RendererHost::ExecuteScript(std::int64_t frameId, const std::wstring& code,
                                 const std::wstring& url, int startLine) {
  channel_->Send(pipe::WriteMessage(messages::ExecuteScript{frameId, code, url, startLine}));
}

void RendererHost::RequestSource(std::int64_t frameId, std::function<void(std::wstring)> done) {
  Request<messages::RequestSource>(frameId, std::move(done));
}

void RendererHost::RequestText(std::int64_t frameId, std::function<void(std::wstring)> done) {
  Request<messages::RequestText>(frameId, std::move(done));
}

template <class Asking>
void RendererHost::Request(std::int64_t frameId, std::function<void(std::wstring)> done) {
  if (!Alive() || replies_->terminated) return;
  const std::uint64_t request = next_request_++;
  if (channel_->Send(pipe::WriteMessage(Asking{static_cast<std::int64_t>(request), frameId})))
    replies_->pending.emplace(request, std::move(done));
}

void RendererHost::DestroyBrowser() {
  if (replies_->end_expected) return;
  replies_->end_expected = true;
  channel_->Send(pipe::WriteMessage(messages::DestroyBrowser{}));
}

bool RendererHost::SendProcessMessage(const Message& message) {
  return message.kind == MessageKind::kProcessMessage && SendWhileRunning(message);
}

bool RendererHost::SendDialogMessage(const Message& message) {
  return (message.kind == MessageKind::kDialogAnswer ||
          message.kind == MessageKind::kRunBeforeUnload) &&
         SendWhileRunning(message);
}

bool RendererHost::SendWhileRunning(const Message& message) {
  if (replies_->end_expected || replies_->terminated || !Alive()) return false;
  return channel_->Send(message);
}

bool RendererHost::Alive() const { return WaitForSingleObject(process_->get(), 0) == WAIT_TIMEOUT; }

std::optional<DWORD> RendererHost::ExitCode() const {
  DWORD code = 0;
  if (Alive() || !GetExitCodeProcess(process_->get(), &code)) return std::nullopt;
  return code;
}

}  // namespace devengine::renderer
