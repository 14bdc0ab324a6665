// The calendar and the system clock: civil dates to and from day counts, and the local "now".
// Every conversion takes its time as a parameter; only ReadSystemClock and LocalNow read the clock.
#ifndef LORVEX_UTIL_LOCAL_CLOCK_H_
#define LORVEX_UTIL_LOCAL_CLOCK_H_

#include <cstdint>

/// Seconds in a calendar day.
constexpr uint32_t kSecondsPerDay = 86400;

/// A date of the proleptic Gregorian calendar and a time of day.
struct CivilTime {
  int year;   ///< full year, e.g. 2011
  int month;  ///< 1 to 12
  int day;    ///< 1 to 31
  int hour;
  int minute;
  int second;
};

/// Whether a year has 29 February.
bool IsLeapYear(int year);
/// Days in a month (1 to 12) of a year; 0 for a month out of range.
int DaysInMonth(int year, int month);
/// Days from 1 January 1970 to a date (negative before it); a day past its month's end runs on
/// into the next month.
int64_t DaysFromCivil(int year, int month, int day);
/// The date of a count of days from 1 January 1970.
void CivilFromDays(int64_t days, int* year, int* month, int* day);
/// Seconds from 1970 broken into date and time of day.
CivilTime CivilFromSeconds(int64_t seconds);
/// The English month abbreviation "Jan" to "Dec" of month 1 to 12, "XXX" for any other value.
const char* MonthAbbreviation(int month);

/// The system clock at one instant.
struct ClockReading {
  int64_t local_seconds;   ///< seconds since 1970 counted in local time
  bool offset_known;       ///< false when the system cannot tell the zone
  int utc_offset_minutes;  ///< minutes east of UTC, daylight saving included
};

/// Reads the system clock and the zone's offset; false when the clock cannot be read.
bool ReadSystemClock(ClockReading* reading);
/// fixed_now when it is set, else the system clock in local seconds since 1970 (0 when the clock
/// cannot be read or lies outside what 32 bits hold).
uint32_t LocalNow(uint32_t fixed_now);

#endif  // LORVEX_UTIL_LOCAL_CLOCK_H_
