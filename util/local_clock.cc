// Local time of day from a fixed value or from the system clock.
#include "util/local_clock.h"

LocalClockParts BreakLocalSeconds(uint32_t seconds) {
  LocalClockParts parts;
  uint32_t days = seconds / 86400;
  uint32_t rest = seconds % 86400;
  parts.hour = static_cast<int>(rest / 3600);
  parts.minute = static_cast<int>(rest / 60 % 60);
  parts.second = static_cast<int>(rest % 60);
  // Civil date from a day count (Howard Hinnant's days_from_civil inverse), shifted to start in March.
  int64_t z = static_cast<int64_t>(days) + 719468;
  int64_t era = z / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  parts.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  parts.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  parts.year = static_cast<int>(yoe + era * 400 + (parts.month <= 2 ? 1 : 0));
  return parts;
}

LocalClockParts LocalClockNow(uint32_t fixed_now) {
  return BreakLocalSeconds(fixed_now != 0 ? fixed_now : LocalClockSeconds());
}

const char* UpperMonthName(int month) {
  static const char* const kMonths[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  if (month < 1 || month > 12) return "???";
  return kMonths[month - 1];
}
