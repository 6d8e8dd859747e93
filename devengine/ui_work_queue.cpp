#include "ui_work_queue.h"

#include <utility>

namespace devengine {

UiWorkQueue::UiWorkQueue() : wake_(AdoptHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr))) {}

void UiWorkQueue::Post(std::function<void()> work) {
  {
    const std::lock_guard lock(mutex_);
    pending_.push_back(std::move(work));
  }
  Wake();
}

void UiWorkQueue::RunPending() {
  std::size_t turn;
  std::uint64_t drops_at_start;
  {
    const std::lock_guard lock(mutex_);
    turn = pending_.size();
    drops_at_start = drops_;
  }
  for (; turn > 0; --turn) {
    std::function<void()> work;
    {
      const std::lock_guard lock(mutex_);
      if (drops_ != drops_at_start || pending_.empty()) return;
      work = std::move(pending_.front());
      pending_.pop_front();
    }
    work();
  }
}

void UiWorkQueue::Drop() {
  // Destroyed after the lock is let go, in case a piece of work's captures
  // post more work as they go.
  std::deque<std::function<void()>> dropped;
  {
    const std::lock_guard lock(mutex_);
    dropped.swap(pending_);
    ++drops_;
  }
}

void UiWorkQueue::Wake() const {
  if (wake_) SetEvent(wake_.get());
}

}  // namespace devengine
