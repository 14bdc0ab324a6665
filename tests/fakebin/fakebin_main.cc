// A test build of lorvex: the real driver over the in-memory directory, filled with the domain of
// tests/fakebin/domain.txt and the lines of LORVEX_TEST_DOMAIN, with a fixed clock and offset, a
// stopped progress clock, and the other LORVEX_TEST_* hooks the header of tests/golden/cases.txt
// lists. Only this binary reads those variables; the installed lorvex has no such entry.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "directory/ads/fake/ads_fake.h"
#include "directory/directory_context.h"
#include "query/driver.h"
#include "query/startup.h"
#include "run/run_context.h"
#include "util/cmdline.h"
#include "util/local_clock.h"
#include "util/progress.h"

namespace {

const char* g_typed = nullptr;
size_t g_cancel_after = 0;

const PromptConsole kTypedConsole = {
    [] { return true; },
    [](const char* text) { fputs(text, stdout); },
    [] { return *g_typed ? static_cast<int>(static_cast<unsigned char>(*g_typed++)) : -1; },
    [](std::string* line, size_t max_length) {
      const size_t length = strcspn(g_typed, "\n");
      line->assign(g_typed, std::min(length, max_length));
      g_typed += length + (g_typed[length] != '\0');
      return true;
    },
};

}  // namespace

int main(int argc, char** argv) {
  RunSettings settings;
  const char* now = getenv("LORVEX_TEST_NOW");
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char tail = 0;
  if (sscanf(now ? now : "2026-06-15T12:00:00", "%4d-%2d-%2dT%2d:%2d:%2d%c", &year, &month, &day, &hour,
             &minute, &second, &tail) != 6) {
    fprintf(stderr, "lorvex_fakebin: LORVEX_TEST_NOW must be YYYY-MM-DDTHH:MM:SS\n");
    return 125;
  }
  settings.fixed_now = static_cast<uint32_t>(DaysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600 +
                                             minute * 60 + second);
  const char* offset = getenv("LORVEX_TEST_OFFSET_HALF_HOURS");
  settings.fixed_offset = true;
  settings.local_offset = static_cast<int16_t>(offset ? atoi(offset) : 0);

  std::stringstream domain;
  domain << std::ifstream(LORVEX_FAKE_DOMAIN_FILE).rdbuf() << "\n";
  const char* more = getenv("LORVEX_TEST_DOMAIN");
  std::string bad_line;
  if (!FakeLoad(domain.str() + (more ? more : ""), &bad_line)) {
    fprintf(stderr, "lorvex_fakebin: a line of the domain cannot be read: %s\n", bad_line.c_str());
    return 125;
  }
  if ((g_typed = getenv("LORVEX_TEST_PROMPT")) != nullptr) SetPromptConsole(&kTypedConsole);
  if (const char* cancel = getenv("LORVEX_TEST_CANCEL")) {
    g_cancel_after = strtoul(cancel, nullptr, 10);
    FakeWatchCalls([](size_t count) {
      if (count == g_cancel_after) g_cancel = 1;
    });
  }
  // The progress line moves by the count of objects alone, never by the time a run takes.
  UseProgressClock([]() -> uint64_t { return 0; });
  SetProcessCommandLine(JoinArguments(argc, argv), argv[0]);
  g_silent = IsSilentCommandLine(ProcessCommandLine());
  const int code = MainRun(settings);
  if (const char* calls = getenv("LORVEX_TEST_CALLS")) {
    std::ofstream log(calls);
    for (const std::string& call : FakeCalls()) log << call << "\n";
  }
  return code;
}
