// The run's globals.
#include "run/run_context.h"

#include "util/local_clock.h"
#include "util/output.h"

RunContext* g_run = nullptr;
std::atomic<int> g_cancel{0};
bool g_silent = false;

uint32_t RunNow(const RunContext* run) { return LocalNow(run && run->output ? run->output->fixed_now : 0); }
