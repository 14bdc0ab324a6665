// The local time of day that output prefixes and file-name codes are taken from.
#ifndef LORVEX_UTIL_LOCAL_CLOCK_H_
#define LORVEX_UTIL_LOCAL_CLOCK_H_

#include <cstdint>

/// A local date and time broken into its parts.
struct LocalClockParts {
  int year;   ///< four digits
  int month;  ///< 1 to 12
  int day;    ///< 1 to 31
  int hour;
  int minute;
  int second;
};

/// Breaks fixed_now (seconds since 1970 counted in local time) into parts; 0 reads the local clock.
LocalClockParts LocalClockNow(uint32_t fixed_now);

/// Breaks seconds since 1970 (counted in local time) into parts.
LocalClockParts BreakLocalSeconds(uint32_t seconds);

/// The system clock as seconds since 1970 counted in local time.
uint32_t LocalClockSeconds();

/// Upper-case three-letter English month name, "JAN" to "DEC", for month 1 to 12.
const char* UpperMonthName(int month);

#endif  // LORVEX_UTIL_LOCAL_CLOCK_H_
