// Work waiting to run on the engine's UI thread. Any thread may post; the UI
// thread runs what was pending when it asked, so work posted meanwhile waits
// for the next turn.
#ifndef NIMBRA_DEVENGINE_UI_WORK_QUEUE_H
#define NIMBRA_DEVENGINE_UI_WORK_QUEUE_H

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "unique_handle.h"

namespace devengine {

class UiWorkQueue {
 public:
  UiWorkQueue();

  void Post(std::function<void()> work);
  void RunPending();
  // Forgets every piece of work not yet started, even in a turn under way.
  void Drop();

  // Signalled whenever work is posted or the owner wants a waiting loop to
  // look again.
  HANDLE wake_event() const { return wake_.get(); }
  void Wake() const;

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> pending_;
  std::uint64_t drops_ = 0;
  UniqueHandle wake_;
};

}  // namespace devengine

#endif
