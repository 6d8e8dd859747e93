// Tasks and task runners over the engine's threads (engine_threads.h). A
// task handed to the engine runs once on its thread and is released there
// right after; one the engine cannot run, because its thread is not one the
// engine runs or the engine has shut down, is released at once, and one
// still waiting at shutdown is released without running.
#include <memory>
#include <optional>

#include "engine_object.h"
#include "engine_threads.h"
#include "exports.h"
#include "record_ref.h"

namespace devengine {
namespace {

// Takes over the program's reference on `task`.
bool PostTask(cef_thread_id_t thread, cef_task_t* task, std::int64_t delay_ms) {
  auto held = std::make_shared<RecordRef<cef_task_t>>(RecordRef<cef_task_t>::Adopt(task));
  if (task == nullptr) return false;
  return PostWork(
      thread,
      [held] {
        cef_task_t* task = held->get();
        if (task->execute != nullptr) task->execute(task);
      },
      delay_ms);
}

class TaskRunner final : public EngineObject<cef_task_runner_t> {
 public:
  explicit TaskRunner(cef_thread_id_t thread) : thread_(thread) {
    cef_task_runner_t& record = entries();
    record.is_same = EntryOf<&TaskRunner::IsSame>;
    record.belongs_to_current_thread = EntryOf<&TaskRunner::BelongsToCurrentThread>;
    record.belongs_to_thread = EntryOf<&TaskRunner::BelongsToThread>;
    record.post_task = EntryOf<&TaskRunner::PostTask>;
    record.post_delayed_task = EntryOf<&TaskRunner::PostDelayedTask>;
  }

 private:
  // Two runners are the same when they run tasks on the same thread. The
  // other runner may be any record; only one of this class has this entry.
  int IsSame(cef_task_runner_t* that) {
    const RecordRef<cef_task_runner_t> other = RecordRef<cef_task_runner_t>::Adopt(that);
    if (that == nullptr || that->is_same != record()->is_same) return 0;
    return static_cast<TaskRunner*>(FromRecord(that))->thread_ == thread_ ? 1 : 0;
  }
  int BelongsToCurrentThread() { return CurrentlyOn(thread_) ? 1 : 0; }
  int BelongsToThread(cef_thread_id_t thread) { return thread == thread_ ? 1 : 0; }
  int PostTask(cef_task_t* task) { return devengine::PostTask(thread_, task, 0) ? 1 : 0; }
  int PostDelayedTask(cef_task_t* task, int64_t delay_ms) {
    return devengine::PostTask(thread_, task, delay_ms) ? 1 : 0;
  }

  const cef_thread_id_t thread_;
};

cef_task_runner_t* NewRunner(cef_thread_id_t thread) {
  return MakeEngineObject<TaskRunner>(thread)->record();
}

}  // namespace
}  // namespace devengine

using namespace devengine;

DEVENGINE_EXPORT int cef_currently_on(cef_thread_id_t thread_id) {
  return CurrentlyOn(thread_id) ? 1 : 0;
}

DEVENGINE_EXPORT int cef_post_task(cef_thread_id_t thread_id, cef_task_t* task) {
  return PostTask(thread_id, task, 0) ? 1 : 0;
}

DEVENGINE_EXPORT int cef_post_delayed_task(cef_thread_id_t thread_id, cef_task_t* task,
                                           int64_t delay_ms) {
  return PostTask(thread_id, task, delay_ms) ? 1 : 0;
}

DEVENGINE_EXPORT cef_task_runner_t* cef_task_runner_get_for_current_thread(void) {
  const std::optional<cef_thread_id_t> current = CurrentEngineThread();
  return current ? NewRunner(*current) : nullptr;
}

DEVENGINE_EXPORT cef_task_runner_t* cef_task_runner_get_for_thread(cef_thread_id_t thread_id) {
  return RunsThread(thread_id) ? NewRunner(thread_id) : nullptr;
}
