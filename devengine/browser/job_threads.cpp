#include "job_threads.h"

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "heap_records.h"
#include "trace.h"

namespace devengine::browser {
namespace {

struct Job {
  std::thread thread;
  std::shared_ptr<std::atomic<bool>> finished = std::make_shared<std::atomic<bool>>(false);
};

struct Jobs {
  std::mutex mutex;
  bool stopped = false;
  std::list<Job> running;

  // Joins the jobs that have returned; called with the lock held.
  void Reap() {
    for (auto job = running.begin(); job != running.end();) {
      if (*job->finished) {
        job->thread.join();
        job = running.erase(job);
      } else {
        ++job;
      }
    }
  }
};

Jobs& TheJobs() { return Immortal<Jobs>(); }

}  // namespace

bool StartJob(std::function<void()> job) {
  Jobs& jobs = TheJobs();
  const std::lock_guard lock(jobs.mutex);
  if (jobs.stopped) return false;
  jobs.Reap();
  Job& started = jobs.running.emplace_back();
  try {
    started.thread = std::thread([job = std::move(job), finished = started.finished] {
      // No exception may end the process from a job thread.
      try {
        job();
      } catch (...) {
        ReportCaughtFailure("job thread");
      }
      *finished = true;
    });
  } catch (const std::system_error&) {
    jobs.running.pop_back();
    return false;
  }
  return true;
}

void StopJobs() {
  Jobs& jobs = TheJobs();
  std::list<Job> running;
  {
    const std::lock_guard lock(jobs.mutex);
    jobs.stopped = true;
    running.swap(jobs.running);
  }
  for (Job& job : running) job.thread.join();
}

}  // namespace devengine::browser
