// Directory time conversions into the program's time: local seconds since 1970, 0 for none.
#include "directory/dir_time.h"

#include "util/local_clock.h"
#include "util/output.h"

namespace {

// 100-nanosecond units per second, and seconds from 1 January 1601 to 1 January 1970.
constexpr int64_t kFileTimeUnitsPerSecond = 10000000;
constexpr int64_t kSeconds1601To1970 = 11644473600LL;

void ReportBefore1970(OutputContext* out) {
  if (out == nullptr) return;
  PrintFormatted(out, -1, 1, "%s: For a date and time, the date must not precede 1-Jan-1970",
                 out->program_name);
}

// TimeParts of a calendar time whose year fits the one-byte year field. Years before 1900 become
// the first day of 1900 so that they are refused as "before 1970"; years after 2155 cannot be held.
bool PartsOfCalendar(const CivilTime& civil, TimeParts* parts) {
  if (civil.year > 1900 + 255) return false;
  if (civil.year < 1900) {
    *parts = TimeParts{0, 1, 1, 0, 0, 0};
    return true;
  }
  *parts = TimeParts{static_cast<uint8_t>(civil.year - 1900), static_cast<uint8_t>(civil.month),
                     static_cast<uint8_t>(civil.day),         static_cast<uint8_t>(civil.hour),
                     static_cast<uint8_t>(civil.minute),      static_cast<uint8_t>(civil.second)};
  return true;
}

}  // namespace

int TimePartsToSeconds(OutputContext* out, const TimeParts& parts, uint32_t* seconds) {
  int64_t days = 0;  // all zero counts as 1 January 1970
  if (parts.year != 0 || parts.month != 0 || parts.day != 0) {
    days = DaysFromCivil(1900 + parts.year, parts.month, parts.day);
  }
  if (days < 0) {
    *seconds = 0;
    ReportBefore1970(out);
    return 1;
  }
  // Unsigned 32-bit arithmetic: times after early 2106 wrap, as the representation cannot hold them.
  *seconds =
      static_cast<uint32_t>(days) * kSecondsPerDay + parts.hour * 3600u + parts.minute * 60u + parts.second;
  return 0;
}

uint32_t FileTimeToSeconds(OutputContext* out, uint64_t file_time, int32_t utc_offset_seconds) {
  if ((file_time & 0xFFFFFFFFu) == 0xFFFFFFFFu || file_time == 0) return 0;
  // Whole seconds since 1601 in local time; the milliseconds are dropped.
  int64_t local = static_cast<int64_t>(file_time / kFileTimeUnitsPerSecond) + utc_offset_seconds;
  TimeParts parts;
  // A time beyond what a TimeParts can hold has no representation; it reads as none.
  if (!PartsOfCalendar(CivilFromSeconds(local - kSeconds1601To1970), &parts)) return 0;
  uint32_t seconds = 0;
  TimePartsToSeconds(out, parts, &seconds);
  return seconds;
}

uint32_t IntervalToSeconds(int64_t interval) {
  // The low word 0 covers both none (0) and the directory's never value 0x8000000000000000.
  if ((static_cast<uint64_t>(interval) & 0xFFFFFFFFu) == 0) return 0;
  return static_cast<uint32_t>(-interval / kFileTimeUnitsPerSecond);
}

uint32_t UtcTimeToSeconds(int year, int month, int day, int hour, int minute, int second) {
  TimeParts parts;
  if (!PartsOfCalendar(CivilTime{year, month, day, hour, minute, second}, &parts)) return 0;
  uint32_t seconds = 0;
  TimePartsToSeconds(nullptr, parts, &seconds);
  return seconds;
}
