// The run's globals.
#include "run/run_context.h"

#include "directory/dir_time.h"

RunContext* g_run = nullptr;
std::atomic<int> g_cancel{0};
bool g_silent = false;

uint32_t RunNow(const RunContext* run) {
  if (run && run->fixed_now) return run->fixed_now;
  return CurrentTimeSeconds();
}
