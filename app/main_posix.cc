// Entry point of the console build.
#include <cstdio>
#include <cstdlib>

#include "directory/ads/ads.h"
#include "query/driver.h"
#include "query/round_trip_report.h"
#include "query/startup.h"
#include "run/run_context.h"
#include "util/cmdline.h"

int main(int argc, char** argv) {
  SetProcessCommandLine(JoinArguments(argc, argv), argv[0]);
  // A console has no window to hide; a silent run only keeps the pager quiet.
  g_silent = IsSilentCommandLine(ProcessCommandLine());
  const int exit_value = MainRun();
  // LORVEX_ROUND_TRIPS=1: the number of LDAP requests the run sent, on standard error after
  // everything else (scripts/benchmark.sh reads it).
  fputs(RoundTripReport(getenv(kRoundTripVariable), AdsRoundTrips()).c_str(), stderr);
  return exit_value;
}
