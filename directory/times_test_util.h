// Test helpers: calendar times as the program's seconds and as the directory's forms.
#ifndef LORVEX_DIRECTORY_TIMES_TEST_UTIL_H_
#define LORVEX_DIRECTORY_TIMES_TEST_UTIL_H_

#include <cstdint>

namespace test_times {

/// Seconds since 1 January 1970 of a calendar time (proleptic Gregorian, no offset).
constexpr uint32_t Seconds(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  int y = year - (month <= 2 ? 1 : 0);
  int era = (y >= 0 ? y : y - 399) / 400;
  int year_of_era = y - era * 400;
  int day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  int64_t days = static_cast<int64_t>(era) * 146097 + day_of_era - 719468;
  return static_cast<uint32_t>(days * 86400 + hour * 3600 + minute * 60 + second);
}

/// The directory's file time (100 ns since 1601, UTC) of seconds since 1970.
constexpr int64_t FileTime(uint32_t seconds) {
  return (static_cast<int64_t>(seconds) + 11644473600LL) * 10000000LL;
}

/// The directory's interval (negative 100 ns units) of a duration in seconds.
constexpr int64_t Interval(uint32_t seconds) { return -static_cast<int64_t>(seconds) * 10000000LL; }

/// The directory's "never" values.
constexpr int64_t kNeverFileTime = 0x7FFFFFFFFFFFFFFFLL;
constexpr int64_t kNeverInterval = static_cast<int64_t>(0x8000000000000000ULL);

constexpr uint32_t kMinute = 60;
constexpr uint32_t kDay = 86400;

}  // namespace test_times

#endif  // LORVEX_DIRECTORY_TIMES_TEST_UTIL_H_
