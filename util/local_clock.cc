// The proleptic Gregorian calendar and the local "now".
#include "util/local_clock.h"

namespace {

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
// Days from 1 March of year 0 to 1 January 1970, and days in a 400-year era.
constexpr int64_t kDaysTo1970 = 719468;
constexpr int64_t kDaysPerEra = 146097;

// Floor division, so that days and seconds before 1970 fall in the right day and era.
int64_t FloorDiv(int64_t value, int64_t divisor) {
  return (value >= 0 ? value : value - divisor + 1) / divisor;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  if (month < 1 || month > 12) return 0;
  if (month == 2 && IsLeapYear(year)) return 29;
  return kMonthDays[month - 1];
}

// Both directions count years from 1 March, so that the leap day closes each year and every
// 400-year era has the same length.
int64_t DaysFromCivil(int year, int month, int day) {
  const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
  const int64_t era = FloorDiv(y, 400);
  const int64_t year_of_era = y - era * 400;
  const int64_t day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * kDaysPerEra + day_of_era - kDaysTo1970;
}

void CivilFromDays(int64_t days, int* year, int* month, int* day) {
  days += kDaysTo1970;
  const int64_t era = FloorDiv(days, kDaysPerEra);
  const int64_t day_of_era = days - era * kDaysPerEra;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t shifted_month = (5 * day_of_year + 2) / 153;  // 0 = March
  *day = static_cast<int>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  *month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  *year = static_cast<int>(year_of_era + era * 400 + (*month <= 2 ? 1 : 0));
}

CivilTime CivilFromSeconds(int64_t seconds) {
  CivilTime civil;
  const int64_t days = FloorDiv(seconds, kSecondsPerDay);
  const int64_t in_day = seconds - days * kSecondsPerDay;
  CivilFromDays(days, &civil.year, &civil.month, &civil.day);
  civil.hour = static_cast<int>(in_day / 3600);
  civil.minute = static_cast<int>(in_day / 60 % 60);
  civil.second = static_cast<int>(in_day % 60);
  return civil;
}

const char* MonthAbbreviation(int month) {
  static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (month < 1 || month > 12) return "XXX";
  return kMonths[month - 1];
}

uint32_t LocalNow(uint32_t fixed_now) {
  if (fixed_now != 0) return fixed_now;
  ClockReading reading;
  if (!ReadSystemClock(&reading) || reading.local_seconds < 0 || reading.local_seconds > 0xFFFFFFFFLL)
    return 0;
  return static_cast<uint32_t>(reading.local_seconds);
}
