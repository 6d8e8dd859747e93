#include "work_queue.h"

#include <algorithm>

namespace devengine {
namespace {

// Far enough for any real delay, near enough that adding it to the clock
// cannot overflow.
constexpr std::int64_t kLongestDelayMs = std::int64_t{1} << 40;

}  // namespace

WorkQueue::WorkQueue() : wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

void WorkQueue::Post(std::function<void()> work, std::int64_t delay_ms) {
  const auto delay =
      std::chrono::milliseconds(std::clamp<std::int64_t>(delay_ms, 0, kLongestDelayMs));
  {
    const std::lock_guard lock(mutex_);
    pending_.emplace(Key{Clock::now() + delay, next_sequence_++}, std::move(work));
  }
  Wake();
}

void WorkQueue::RunPending() {
  Key turn_end;
  std::uint64_t drops_at_start;
  {
    const std::lock_guard lock(mutex_);
    turn_end = {Clock::now(), next_sequence_};
    drops_at_start = drops_;
  }
  for (;;) {
    std::function<void()> work;
    {
      const std::lock_guard lock(mutex_);
      if (drops_ != drops_at_start || pending_.empty()) return;
      const auto first = pending_.begin();
      if (first->first.first > turn_end.first || first->first.second >= turn_end.second) return;
      work = std::move(first->second);
      pending_.erase(first);
    }
    work();
  }
}

void WorkQueue::Drop() {
  // Destroyed after the lock is let go, in case a piece of work's captures
  // post more work as they go.
  std::map<Key, std::function<void()>> dropped;
  {
    const std::lock_guard lock(mutex_);
    dropped.swap(pending_);
    ++drops_;
  }
}

DWORD WorkQueue::MillisecondsUntilDue() {
  const std::lock_guard lock(mutex_);
  if (pending_.empty()) return INFINITE;
  const auto wait =
      std::chrono::ceil<std::chrono::milliseconds>(pending_.begin()->first.first - Clock::now());
  return static_cast<DWORD>(std::clamp<std::int64_t>(wait.count(), 0, INFINITE - 1));
}

void WorkQueue::Wake() const {
  if (wake_) SetEvent(wake_.get());
}

}  // namespace devengine
