#include "channel.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <random>
#include <utility>

namespace devengine::renderer {
namespace {

constexpr DWORD kPipeBufferSize = 64 * 1024;
constexpr std::size_t kReadSize = 64 * 1024;
// Large frames go out in pieces so that no single write holds a huge buffer
// in the system.
constexpr std::size_t kLargestWrite = 1024 * 1024;
constexpr DWORD kConnectAttempts = 3;
constexpr DWORD kBusyPipeWaitMs = 2000;
// The exit code of a peer that broke the pipe and was ended for it.
constexpr UINT kPeerEndedCode = 9;

// The process, a count and a random part: unique, and hard to guess for a
// process that would like to take the renderer's place.
std::wstring NewPipeName() {
  static std::atomic<unsigned> sequence{0};
  std::random_device random;
  std::wstring name = L"\\\\.\\pipe\\nimbra-renderer-" + std::to_wstring(GetCurrentProcessId()) +
                      L"-" + std::to_wstring(sequence++) + L"-";
  for (int part = 0; part < 4; ++part) name += std::to_wstring(random());
  return name;
}

TKernelHandle NewEvent(bool manual_reset) {
  return TKernelHandle(CreateEventW(nullptr, manual_reset, FALSE, nullptr));
}

}  // namespace

Channel::Channel(Passkey, TFileHandle pipe, std::wstring name, bool connected)
    : pipe_(std::move(pipe)),
      name_(std::move(name)),
      wake_(NewEvent(false)),
      stop_(NewEvent(true)),
      connected_(connected),
      read_done_(NewEvent(true)),
      write_done_(NewEvent(true)),
      read_buffer_(kReadSize, '\0') {
  read_.hEvent = read_done_.get();
  write_.hEvent = write_done_.get();
}

std::unique_ptr<Channel> Channel::Listen() {
  std::wstring name = NewPipeName();
  // The first instance, and the only one: a pipe of that name made before
  // ours makes this fail rather than be shared.
  TFileHandle pipe(CreateNamedPipeW(
      name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
      kPipeBufferSize, kPipeBufferSize, 0, nullptr));
  if (!pipe) return nullptr;
  return std::make_unique<Channel>(Passkey(), std::move(pipe), std::move(name), false);
}

std::unique_ptr<Channel> Channel::Connect(const std::wstring& name) {
  for (DWORD attempt = 0; attempt < kConnectAttempts; ++attempt) {
    TFileHandle pipe(CreateFileW(
        name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
        FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
    if (pipe) return std::make_unique<Channel>(Passkey(), std::move(pipe), name, true);
    if (GetLastError() != ERROR_PIPE_BUSY || !WaitNamedPipeW(name.c_str(), kBusyPipeWaitMs)) break;
  }
  return nullptr;
}

Channel::~Channel() { Close(); }

void Channel::Start(Events events, HANDLE peer, std::chrono::milliseconds peer_grace) {
  if (thread_.joinable() || !pipe_) return;
  events_ = std::move(events);
  peer_ = peer;
  peer_grace_ = peer_grace;
  thread_ = std::thread([this] { Run(); });
}

bool Channel::Send(const Message& message) {
  if (message.payload.size() > pipe::kLargestFrame - pipe::kFrameHeaderSize) return false;
  {
    const std::lock_guard lock(mutex_);
    if (closing_) return false;
    outbox_.push_back(pipe::FrameOf(message));
  }
  SetEvent(wake_.get());
  return true;
}

void Channel::Close(std::chrono::milliseconds flush) {
  {
    const std::lock_guard lock(mutex_);
    if (!closing_) {
      closing_ = true;
      flush_deadline_ = Clock::now() + flush;
    }
  }
  SetEvent(flush.count() > 0 ? wake_.get() : stop_.get());
  if (thread_.joinable()) thread_.join();
  pipe_.reset();
}

void Channel::Run() {
  enum class Signal { kStop, kWake, kRead, kWrite, kPeer };
  while (!ended_) {
    if (pipe_ && !reading_) StartReading();
    if (pipe_ && connected_ && !writing_) StartWriting();
    bool closing;
    std::optional<Clock::time_point> flush_deadline;
    bool nothing_to_write;
    {
      const std::lock_guard lock(mutex_);
      closing = closing_;
      flush_deadline = flush_deadline_;
      nothing_to_write = outbox_.empty() && sending_.empty() && !writing_;
    }
    if (ended_ || (closing && (nothing_to_write || !pipe_))) break;

    HANDLE handles[5];
    Signal signals[5];
    DWORD count = 0;
    const auto watch = [&](HANDLE handle, Signal signal) {
      handles[count] = handle;
      signals[count++] = signal;
    };
    watch(stop_.get(), Signal::kStop);
    watch(wake_.get(), Signal::kWake);
    if (reading_) watch(read_done_.get(), Signal::kRead);
    if (writing_) watch(write_done_.get(), Signal::kWrite);
    if (peer_ != nullptr) watch(peer_, Signal::kPeer);
    const DWORD timeout = std::min(MillisecondsUntil(closing ? flush_deadline : std::nullopt),
                                   MillisecondsUntil(peer_deadline_));

    const DWORD waited = WaitForMultipleObjects(count, handles, FALSE, timeout);
    if (waited == WAIT_TIMEOUT) {
      if (closing && flush_deadline && Clock::now() >= *flush_deadline) break;
      if (peer_deadline_ && Clock::now() >= *peer_deadline_) {
        TerminateProcess(peer_, kPeerEndedCode);
        peer_deadline_.reset();
      }
      continue;
    }
    if (waited >= WAIT_OBJECT_0 + count) break;
    switch (signals[waited - WAIT_OBJECT_0]) {
      case Signal::kStop:
        ended_ = true;
        break;
      case Signal::kWake:
        break;
      case Signal::kRead:
        FinishReading();
        break;
      case Signal::kWrite:
        FinishWriting();
        break;
      case Signal::kPeer:
        EndWithClosedEvent();
        break;
    }
  }
  CancelPending();
}

void Channel::StartReading() {
  if (!connected_) {
    if (ConnectNamedPipe(pipe_.get(), &read_)) {
      reading_ = true;
      return;
    }
    switch (GetLastError()) {
      case ERROR_IO_PENDING:
        reading_ = true;
        return;
      case ERROR_PIPE_CONNECTED:
        if (!PeerIsClient()) return BreakPipe();
        connected_ = true;
        break;
      default:
        return BreakPipe();
    }
  }
  // An overlapped read signals its event whether it completes now or later.
  if (ReadFile(pipe_.get(), read_buffer_.data(), static_cast<DWORD>(read_buffer_.size()), nullptr,
               &read_) ||
      GetLastError() == ERROR_IO_PENDING) {
    reading_ = true;
    return;
  }
  BreakPipe();
}

void Channel::FinishReading() {
  reading_ = false;
  DWORD transferred = 0;
  if (!GetOverlappedResult(pipe_.get(), &read_, &transferred, FALSE)) return BreakPipe();
  if (!connected_) {
    if (!PeerIsClient()) return BreakPipe();
    connected_ = true;
    return;
  }
  inbox_.append(read_buffer_.data(), transferred);
  bool broken = false;
  while (std::optional<Message> message = pipe::TakeFrame(inbox_, broken)) {
    if (events_.received) events_.received(std::move(*message));
  }
  if (broken) BreakPipe();
}

void Channel::StartWriting() {
  if (sending_.empty()) {
    const std::lock_guard lock(mutex_);
    if (outbox_.empty()) return;
    sending_ = std::move(outbox_.front());
    outbox_.pop_front();
  }
  const DWORD size = static_cast<DWORD>(std::min(sending_.size(), kLargestWrite));
  if (WriteFile(pipe_.get(), sending_.data(), size, nullptr, &write_) ||
      GetLastError() == ERROR_IO_PENDING) {
    writing_ = true;
    return;
  }
  BreakPipe();
}

void Channel::FinishWriting() {
  writing_ = false;
  DWORD transferred = 0;
  if (!GetOverlappedResult(pipe_.get(), &write_, &transferred, FALSE)) return BreakPipe();
  sending_.erase(0, transferred);
}

// Nothing more goes through the pipe. Without a peer to wait for, that is
// the end of the channel.
void Channel::BreakPipe() {
  CancelPending();
  pipe_.reset();
  sending_.clear();
  if (peer_ != nullptr && WaitForSingleObject(peer_, 0) == WAIT_TIMEOUT) {
    peer_deadline_ = Clock::now() + peer_grace_;
    return;
  }
  EndWithClosedEvent();
}

void Channel::EndWithClosedEvent() {
  ended_ = true;
  if (!closed_reported_ && events_.closed) events_.closed();
  closed_reported_ = true;
}

bool Channel::PeerIsClient() const {
  if (peer_ == nullptr) return true;
  ULONG client = 0;
  return GetNamedPipeClientProcessId(pipe_.get(), &client) && client == GetProcessId(peer_);
}

// The system may still write into the buffers of an operation under way;
// it is cancelled and waited for before they can go.
void Channel::CancelPending() {
  DWORD transferred = 0;
  for (auto [pending, overlapped] : {std::pair{&reading_, &read_}, std::pair{&writing_, &write_}}) {
    if (!*pending) continue;
    CancelIoEx(pipe_.get(), overlapped);
    GetOverlappedResult(pipe_.get(), overlapped, &transferred, TRUE);
    *pending = false;
  }
}

DWORD Channel::MillisecondsUntil(std::optional<Clock::time_point> deadline) const {
  if (!deadline) return INFINITE;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
  return static_cast<DWORD>(std::clamp<std::int64_t>(left.count(), 0, INFINITE - 1));
}

}  // namespace devengine::renderer
