// A test build of lorvex: the real driver over the in-memory directory, seeded with a fixed
// domain, with "now" and the local offset taken from LORVEX_TEST_NOW (local time,
// YYYY-MM-DDTHH:MM:SS) and LORVEX_TEST_OFFSET_HALF_HOURS, and a stopped clock for the progress
// line. Only this binary reads those variables; the installed lorvex has no such entry.
#include <cstdio>
#include <cstdlib>

#include "directory/ads/fake/ads_fake.h"
#include "query/driver.h"
#include "query/startup.h"
#include "run/run_context.h"
#include "tests/fakebin/fake_domain.h"
#include "util/cmdline.h"
#include "util/progress.h"

namespace {

// Local seconds since 1970 of "YYYY-MM-DDTHH:MM:SS"; 0 when the text is not that form.
uint32_t ParseNow(const char* text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char tail = 0;
  if (sscanf(text, "%4d-%2d-%2dT%2d:%2d:%2d%c", &year, &month, &day, &hour, &minute, &second, &tail) != 6)
    return 0;
  const int64_t seconds = DaysFrom1970(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  return seconds > 0 && seconds <= 0xFFFFFFFFLL ? static_cast<uint32_t>(seconds) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  RunSettings settings;
  const char* now = getenv("LORVEX_TEST_NOW");
  settings.fixed_now = ParseNow(now ? now : "2026-06-15T12:00:00");
  if (settings.fixed_now == 0) {
    fprintf(stderr, "lorvex_fakebin: LORVEX_TEST_NOW must be YYYY-MM-DDTHH:MM:SS\n");
    return 125;
  }
  const char* offset = getenv("LORVEX_TEST_OFFSET_HALF_HOURS");
  settings.fixed_offset = true;
  settings.local_offset = static_cast<int16_t>(offset ? atoi(offset) : 0);

  SeedFakeDomain();
  // The progress line moves by the count of objects alone, never by the time a run takes.
  UseProgressClock([]() -> uint64_t { return 0; });
  SetProcessCommandLine(JoinArguments(argc, argv), argv[0]);
  g_silent = IsSilentCommandLine(ProcessCommandLine());
  return MainRun(settings);
}
