#include "engine_threads.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>

#include "heap_records.h"

namespace devengine {
namespace {

// A thread of the engine's own that runs its queue until it is stopped.
class WorkerThread {
 public:
  bool Post(std::function<void()> work, std::int64_t delay_ms) {
    const std::lock_guard lock(mutex_);
    if (stopped_) return false;
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    queue_.Post(std::move(work), delay_ms);
    return true;
  }

  bool IsCurrent() const { return thread_id_ == GetCurrentThreadId(); }

  void Stop() {
    std::thread thread;
    {
      const std::lock_guard lock(mutex_);
      if (stopped_) return;
      stopped_ = true;
      thread = std::move(thread_);
    }
    stopping_ = true;
    queue_.Drop();
    queue_.Wake();
    if (thread.joinable()) {
      // Work that shuts the engine down from this very thread cannot wait
      // for itself; the thread ends when that work returns.
      if (IsCurrent()) {
        thread.detach();
      } else {
        thread.join();
      }
    }
    queue_.Drop();
  }

 private:
  void Run() {
    thread_id_ = GetCurrentThreadId();
    while (!stopping_) {
      queue_.RunPending();
      if (stopping_) break;
      WaitForSingleObject(queue_.wake_event(), queue_.MillisecondsUntilDue());
    }
  }

  std::mutex mutex_;
  bool stopped_ = false;
  std::thread thread_;
  std::atomic<DWORD> thread_id_{0};
  std::atomic<bool> stopping_{false};
  WorkQueue queue_;
};

struct Threads {
  std::mutex ui_gate;
  bool stopped = false;
  WorkQueue ui;
  std::atomic<DWORD> ui_thread{0};
  WorkerThread file;
  WorkerThread io;
};

Threads& TheThreads() { return Immortal<Threads>(); }

WorkerThread* WorkerOf(cef_thread_id_t id) {
  switch (id) {
    case TID_FILE:
      return &TheThreads().file;
    case TID_IO:
      return &TheThreads().io;
    default:
      return nullptr;
  }
}

constexpr cef_thread_id_t kRunThreads[] = {TID_UI, TID_FILE, TID_IO};

}  // namespace

WorkQueue& UiWork() { return TheThreads().ui; }

void BindUiThread(DWORD thread_id) { TheThreads().ui_thread = thread_id; }

bool PostWork(cef_thread_id_t id, std::function<void()> work, std::int64_t delay_ms) {
  if (id == TID_UI) {
    Threads& threads = TheThreads();
    const std::lock_guard lock(threads.ui_gate);
    if (threads.stopped) return false;
    threads.ui.Post(std::move(work), delay_ms);
    return true;
  }
  WorkerThread* worker = WorkerOf(id);
  return worker != nullptr && worker->Post(std::move(work), delay_ms);
}

bool RunsThread(cef_thread_id_t id) { return id == TID_UI || WorkerOf(id) != nullptr; }

bool CurrentlyOn(cef_thread_id_t id) {
  if (id != TID_UI) {
    const WorkerThread* worker = WorkerOf(id);
    return worker != nullptr && worker->IsCurrent();
  }
  const DWORD ui_thread = TheThreads().ui_thread;
  return ui_thread != 0 && ui_thread == GetCurrentThreadId();
}

std::optional<cef_thread_id_t> CurrentEngineThread() {
  for (const cef_thread_id_t id : kRunThreads) {
    if (CurrentlyOn(id)) return id;
  }
  return std::nullopt;
}

void StopEngineThreads() {
  Threads& threads = TheThreads();
  {
    const std::lock_guard lock(threads.ui_gate);
    threads.stopped = true;
  }
  threads.ui_thread = 0;
  threads.file.Stop();
  threads.io.Stop();
  threads.ui.Drop();
}

}  // namespace devengine
