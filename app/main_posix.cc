// Entry point of the console build.
#include "query/driver.h"
#include "query/run_context.h"
#include "query/startup.h"
#include "util/cmdline.h"

int main(int argc, char** argv) {
  SetProcessCommandLine(JoinArguments(argc, argv), argv[0]);
  // A console has no window to hide; a silent run only keeps the pager quiet.
  g_silent = IsSilentCommandLine(ProcessCommandLine());
  return MainRun();
}
