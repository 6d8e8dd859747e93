// Threads for blocking network work: one per job, so that a slow server
// holds up nobody but its own load. Jobs end by themselves (a cancelled one
// at its next step); StopJobs refuses new jobs and joins those still running.
#ifndef NIMBRA_DEVENGINE_BROWSER_JOB_THREADS_H
#define NIMBRA_DEVENGINE_BROWSER_JOB_THREADS_H

#include <functional>

namespace devengine::browser {

// Answers false, leaving `job` unrun, once the jobs have been stopped.
bool StartJob(std::function<void()> job);
void StopJobs();

}  // namespace devengine::browser

#endif
