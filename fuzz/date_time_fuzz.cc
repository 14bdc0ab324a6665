// Fuzzes the date and time grammar ("today", "tod-30", dd:mmm:yy[yy][:hh[:mm[:ss]]]).
//
// Input: the date text. Each input is parsed against three "now"s: an ordinary day, the first
// day a time can hold and the last one, so relative dates meet both ends of the range.
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/fuzz_support.h"
#include "query/values.h"
#include "util/local_clock.h"

namespace {

constexpr uint32_t kNows[] = {kFuzzNow, 0, 4294944000u /* 31 December 2105 00:00 */};

// The time written back in the grammar's own full form.
std::string WriteBack(uint32_t seconds) {
  int year = 0, month = 0, day = 0;
  CivilFromDays(seconds / 86400, &year, &month, &day);
  uint32_t in_day = seconds % 86400;
  char text[64];
  snprintf(text, sizeof text, "%d:%s:%04d:%02u:%02u:%02u", day, MonthAbbreviation(month), year, in_day / 3600,
           in_day / 60 % 60, in_day % 60);
  return text;
}

void CheckOne(const std::string& text, uint32_t now) {
  std::string error;
  uint32_t number = 0, range = 0;
  bool ok = ParseDateTime(text, now, &error, &number, &range);
  if (!ok) {
    FUZZ_CHECK(!error.empty());
    return;
  }
  FUZZ_CHECK(range == 0 || range == 60 || range == 3600 || range == 86400);
  if (range != 0) FUZZ_CHECK(number % range == 0);
  FUZZ_CHECK(static_cast<uint64_t>(number) + range <= 0x100000000ull);

  // Written back in full, the time reads as itself, to the second.
  std::string full = WriteBack(number);
  uint32_t again = 0, again_range = 0;
  std::string again_error;
  FUZZ_CHECK(ParseDateTime(full, now, &again_error, &again, &again_range));
  FUZZ_CHECK(again == number);
  FUZZ_CHECK(again_range == 0);

  // The date part alone agrees with the day of the time.
  uint32_t days = 0;
  size_t used = 0;
  FUZZ_CHECK(ParseDate(text, now, &error, &days, &used));
  FUZZ_CHECK(used <= text.size());
  FUZZ_CHECK(days == number / 86400);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text = InputText(data, size);
  ResetFuzzRun();
  for (uint32_t now : kNows) CheckOne(text, now);
  uint32_t number = 0;
  std::string error;
  if (ParseDecimal(text, &number, &error)) FUZZ_CHECK(error.empty());
  return 0;
}
