// The worker thread on a console: a POSIX thread, with Ctrl+C in place of the
// Esc key of the window's wait loop.
#include <pthread.h>
#include <signal.h>

#include "query/worker.h"
#include "run/worker_control.h"
#include "util/output.h"

namespace {

struct WorkerStart {
  WorkerFunction body;
  RunContext* run;
  const std::string* name;
  int result;
};

void* WorkerThread(void* argument) {
  WorkerStart* start = static_cast<WorkerStart*>(argument);
  start->result = start->body(start->run, *start->name);
  return nullptr;
}

// The first Ctrl+C asks the worker to stop at its next object; a second one,
// for a worker that does not get there, ends the process as an unhandled
// Ctrl+C would.
void OnInterrupt(int) {
  if (g_cancel.exchange(1) != 0) {
    signal(SIGINT, SIG_DFL);
    raise(SIGINT);
  }
}

}  // namespace

uint32_t PlatformControlFlags() { return 0; }

// Ctrl+C asks no question, so the worker never waits.
void WorkerSafePoint() {}

int RunWorkerAndWait(RunContext* run, const std::string& name) {
  return RunOnWorkerThread(WorkerBody, run, name);
}

int RunOnWorkerThread(WorkerFunction body, RunContext* run, const std::string& name) {
  struct sigaction interrupt = {};
  struct sigaction previous = {};
  interrupt.sa_handler = OnInterrupt;
  sigemptyset(&interrupt.sa_mask);
  interrupt.sa_flags = SA_RESTART;
  sigaction(SIGINT, &interrupt, &previous);

  WorkerStart start = {body, run, &name, kWorkDone};
  pthread_t thread;
  int result;
  if (pthread_create(&thread, nullptr, WorkerThread, &start) != 0) {
    // Without a thread nothing was examined; the run ends like one that ran
    // out of memory: no totals and exit value 1.
    PrintFormatted(run->output, -1, 1, "%s: Cannot start the search", run->output->program_name);
    result = kWorkNoMemory;
  } else {
    pthread_join(thread, nullptr);
    result = start.result;
  }
  sigaction(SIGINT, &previous, nullptr);
  if (g_cancel.load() != 0) return kWorkCancelled;
  return result;
}
