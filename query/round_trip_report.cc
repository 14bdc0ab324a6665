// The count of LDAP requests of a run, for benchmarks (scripts/benchmark.sh): asked for through
// the environment so that the run's own output stays as it is.
#include "query/round_trip_report.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

std::string RoundTripReport(const char* setting, uint64_t round_trips) {
  if (setting == nullptr || setting[0] == '\0' || strcmp(setting, "0") == 0) return std::string();
  char line[64];
  snprintf(line, sizeof line, "LDAP round trips: %" PRIu64 "\n", round_trips);
  return line;
}
