// Work waiting to run on one of the engine's threads. Any thread may post,
// now or after a delay; the thread that owns the queue runs what had fallen
// due when it asked, so work posted meanwhile waits for the next turn.
#ifndef NIMBRA_DEVENGINE_WORK_QUEUE_H
#define NIMBRA_DEVENGINE_WORK_QUEUE_H

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

#include "winhandle.h"

namespace devengine {

class WorkQueue {
 public:
  WorkQueue();

  // A negative delay counts as none.
  void Post(std::function<void()> work, std::int64_t delay_ms = 0);
  void RunPending();
  // Forgets every piece of work not yet started, even in a turn under way.
  // What the work held is let go on the calling thread.
  void Drop();

  // How long a waiting loop may sleep before delayed work falls due;
  // INFINITE when nothing is waiting.
  DWORD MillisecondsUntilDue();

  // Signalled whenever work is posted or the owner wants a waiting loop to
  // look again.
  HANDLE wake_event() const { return wake_.get(); }
  void Wake() const;

 private:
  using Clock = std::chrono::steady_clock;
  // Due time first; the sequence keeps work due at the same moment in the
  // order it was posted and tells a turn's work from work posted during it.
  using Key = std::pair<Clock::time_point, std::uint64_t>;

  std::mutex mutex_;
  std::map<Key, std::function<void()>> pending_;
  std::uint64_t next_sequence_ = 0;
  std::uint64_t drops_ = 0;
  TKernelHandle wake_;
};

}  // namespace devengine

#endif
