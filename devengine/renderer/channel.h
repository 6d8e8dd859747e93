// One end of the pipe between the browser process and a renderer.
//
// The browser process makes the pipe (Listen) and hands its name to the
// renderer it starts, which connects to it (Connect). Each end then runs a
// thread of its own that connects, reads frames and writes what Send
// queued, so no caller ever waits for the other process. The owner of the
// channel creates it, starts it, and closes it (or destroys it) on its own
// thread; the events run on the channel's thread, never after Close.
#ifndef NIMBRA_DEVENGINE_RENDERER_CHANNEL_H
#define NIMBRA_DEVENGINE_RENDERER_CHANNEL_H

#include <windows.h>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "protocol.h"
#include "winhandle.h"

namespace devengine::renderer {

class Channel {
  struct Passkey {
    explicit Passkey() = default;
  };

 public:
  struct Events {
    std::function<void(Message)> received;
    // Once: the pipe broke, or, when the channel watches a peer process,
    // that process ended.
    std::function<void()> closed;
  };

  // The browser's end of a new pipe with a name nobody else holds. Null
  // when the system gives no pipe.
  static std::unique_ptr<Channel> Listen();
  // The renderer's end of the pipe `name`. Null when it cannot connect.
  static std::unique_ptr<Channel> Connect(const std::wstring& name);

  // Made by Listen and Connect only.
  Channel(Passkey, TFileHandle pipe, std::wstring name, bool connected);
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;
  ~Channel();

  const std::wstring& name() const { return name_; }

  // Starts the channel's thread. With a `peer` process, only that process
  // may connect; `closed` waits for it to end, and should it break the pipe
  // yet go on running, it is ended after `peer_grace`.
  void Start(Events events, HANDLE peer = nullptr,
             std::chrono::milliseconds peer_grace = std::chrono::seconds(5));

  // Queues `message` for the channel's thread; false when it is too large
  // to send or the channel is closing.
  bool Send(const Message& message);

  // Writes what is queued, for at most `flush`, then ends the thread and
  // closes the pipe. No event runs once this returns.
  void Close(std::chrono::milliseconds flush = std::chrono::milliseconds(0));

 private:
  using Clock = std::chrono::steady_clock;

  void Run();
  void StartReading();
  void StartWriting();
  void FinishReading();
  void FinishWriting();
  void BreakPipe();
  // The channel's thread stops; `closed` runs, once.
  void EndWithClosedEvent();
  bool PeerIsClient() const;
  void CancelPending();
  DWORD MillisecondsUntil(std::optional<Clock::time_point> deadline) const;

  TFileHandle pipe_;
  std::wstring name_;
  Events events_;
  HANDLE peer_ = nullptr;
  std::chrono::milliseconds peer_grace_{};
  std::thread thread_;

  // Shared with the owner's thread.
  std::mutex mutex_;
  std::deque<std::string> outbox_;
  bool closing_ = false;
  std::optional<Clock::time_point> flush_deadline_;
  TKernelHandle wake_;
  TKernelHandle stop_;

  // The channel thread's own.
  bool connected_;
  bool reading_ = false;
  bool writing_ = false;
  OVERLAPPED read_{};
  OVERLAPPED write_{};
  TKernelHandle read_done_;
  TKernelHandle write_done_;
  std::string read_buffer_;
  std::string inbox_;
  std::string sending_;
  bool ended_ = false;
  bool closed_reported_ = false;
  std::optional<Clock::time_point> peer_deadline_;
};

}  // namespace devengine::renderer

#endif
