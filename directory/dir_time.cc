// Directory time conversions into the program's time: local seconds since 1970, 0 for none.
#include "directory/dir_time.h"

#include "util/output.h"
#include "util/zone_clock.h"

namespace {

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// 100-nanosecond units per second, and seconds from 1 January 1601 to 1 January 1970.
constexpr int64_t kFileTimeUnitsPerSecond = 10000000;
constexpr int64_t kSeconds1601To1970 = 11644473600LL;

// Leap years from year 1 up to and including `year`.
int LeapYearsThrough(int year) { return year / 4 - year / 100 + year / 400; }

void ReportBefore1970(OutputContext* out) {
  if (out == nullptr) return;
  PrintFormatted(out, -1, 1, "%s: For a date and time, the date must not precede 1-Jan-1970",
                 out->program_name);
}

// TimeParts of a calendar time whose year fits the one-byte year field. Years before 1900 become
// the first day of 1900 so that they are refused as "before 1970"; years after 2155 cannot be held.
bool PartsOfCalendar(int year, int month, int day, int hour, int minute, int second, TimeParts* parts) {
  if (year > 1900 + 255) return false;
  if (year < 1900) {
    *parts = TimeParts{0, 1, 1, 0, 0, 0};
    return true;
  }
  *parts = TimeParts{static_cast<uint8_t>(year - 1900), static_cast<uint8_t>(month),
                     static_cast<uint8_t>(day),         static_cast<uint8_t>(hour),
                     static_cast<uint8_t>(minute),      static_cast<uint8_t>(second)};
  return true;
}

}  // namespace

// Proleptic Gregorian calendar, counted from 1 March so that the leap day closes each year.
void DateOfDays(int64_t days, int* year, int* month, int* day) {
  days += 719468;  // shift the epoch to 1 March of year 0
  int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  int64_t day_of_era = days - era * 146097;
  int64_t year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  int64_t shifted_month = (5 * day_of_year + 2) / 153;  // 0 = March
  *day = static_cast<int>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  *month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  *year = static_cast<int>(year_of_era + era * 400 + (*month <= 2 ? 1 : 0));
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  if (month < 1 || month > 12) return 0;
  if (month == 2 && IsLeapYear(year)) return 29;
  return kMonthDays[month - 1];
}

uint32_t DayNumber(int years_since_1900, int month, int day) {
  int year = 1900 + years_since_1900;
  int64_t days = 365LL * years_since_1900 + (LeapYearsThrough(year - 1) - LeapYearsThrough(1899));
  for (int m = 1; m < month && m <= 12; ++m) days += kMonthDays[m - 1];
  if (month > 2 && IsLeapYear(year)) ++days;
  return static_cast<uint32_t>(days + day);
}

int TimePartsToSeconds(OutputContext* out, const TimeParts& parts, uint32_t* seconds) {
  uint32_t day_number = kDayNumber1970;
  if (parts.year != 0 || parts.month != 0 || parts.day != 0) {
    day_number = DayNumber(parts.year, parts.month, parts.day);
  }
  if (day_number < kDayNumber1970) {
    *seconds = 0;
    ReportBefore1970(out);
    return 1;
  }
  // Unsigned 32-bit arithmetic: times after early 2106 wrap, as the representation cannot hold them.
  *seconds = (day_number - kDayNumber1970) * 86400u + parts.hour * 3600u + parts.minute * 60u + parts.second;
  return 0;
}

uint32_t FileTimeToSeconds(OutputContext* out, uint64_t file_time, int32_t utc_offset_seconds) {
  if ((file_time & 0xFFFFFFFFu) == 0xFFFFFFFFu || file_time == 0) return 0;
  // Whole seconds since 1601 in local time; the milliseconds are dropped.
  int64_t local = static_cast<int64_t>(file_time / kFileTimeUnitsPerSecond) + utc_offset_seconds;
  int64_t since_1970 = local - kSeconds1601To1970;
  int64_t days = since_1970 >= 0 ? since_1970 / 86400 : -((-since_1970 + 86399) / 86400);
  int64_t in_day = since_1970 - days * 86400;
  int year = 0, month = 0, day = 0;
  DateOfDays(days, &year, &month, &day);
  TimeParts parts;
  // A time beyond what a TimeParts can hold has no representation; it reads as none.
  if (!PartsOfCalendar(year, month, day, static_cast<int>(in_day / 3600), static_cast<int>(in_day / 60 % 60),
                       static_cast<int>(in_day % 60), &parts)) {
    return 0;
  }
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
  if (!PartsOfCalendar(year, month, day, hour, minute, second, &parts)) return 0;
  uint32_t seconds = 0;
  TimePartsToSeconds(nullptr, parts, &seconds);
  return seconds;
}

uint32_t CurrentTimeSeconds() {
  LocalClock clock;
  if (!ReadLocalClock(&clock)) return 0;
  TimeParts parts;
  if (!PartsOfCalendar(clock.year, clock.month, clock.day, clock.hour, clock.minute, clock.second, &parts))
    return 0;
  uint32_t seconds = 0;
  TimePartsToSeconds(nullptr, parts, &seconds);
  return seconds;
}
