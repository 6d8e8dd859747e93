// The engine's threads by id. TID_UI is a work queue run by the thread that
// initialised the engine, whenever it pumps (cef_do_message_loop_work or the
// message loop); TID_FILE and TID_IO are threads of the engine's own,
// started on first use and joined at shutdown. The engine runs no thread of
// any other id.
#ifndef NIMBRA_DEVENGINE_ENGINE_THREADS_H
#define NIMBRA_DEVENGINE_ENGINE_THREADS_H

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "cef_capi.h"
#include "work_queue.h"

namespace devengine {

WorkQueue& UiWork();
void BindUiThread(DWORD thread_id);

// Runs `work` on thread `id` once `delay_ms` have passed. Answers false, and
// lets the work go unrun, for an id the engine runs no thread for and once
// the threads have stopped.
bool PostWork(cef_thread_id_t id, std::function<void()> work, std::int64_t delay_ms = 0);
bool RunsThread(cef_thread_id_t id);
bool CurrentlyOn(cef_thread_id_t id);
// The engine thread the caller is running on, if it is one.
std::optional<cef_thread_id_t> CurrentEngineThread();

// Joins the engine's own threads after the work they are running ends; the
// work still waiting on any thread, the UI's included, is let go without
// running, and later posts are refused.
void StopEngineThreads();

}  // namespace devengine

#endif
