// Dates, date-times and durations as the reports show them.
#include "report/time_format.h"

#include <algorithm>
#include <cstdio>

#include "report/text_width.h"

namespace {

constexpr uint32_t kSecondsPerDay = 86400;
constexpr int kMaxNoneWidth = 50;
constexpr int kNoExpiryWidth = 255;

const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

std::string NoneText(int width) {
  return PadLeft("None", static_cast<size_t>(std::clamp(width, 0, kMaxNoneWidth)));
}

}  // namespace

const char* ShortMonthName(int month) {
  if (month < 1 || month > 12) return "XXX";
  return kMonths[month - 1];
}

int DaysInYear(int year) {
  if (year % 4 != 0) return 365;
  if (year % 100 != 0 || year % 400 == 0) return 366;
  return 365;
}

TimeParts SplitTime(uint32_t seconds) {
  TimeParts parts{};
  if (seconds == 0) return parts;
  uint32_t day = seconds / kSecondsPerDay + 1;  // day of the era, counted from 1
  uint32_t time_of_day = seconds % kSecondsPerDay;
  int year = 1970;
  while (day > static_cast<uint32_t>(DaysInYear(year))) {
    day -= DaysInYear(year);
    ++year;
  }
  int month = 0;
  for (; month < 11; ++month) {
    uint32_t length = kMonthDays[month] + (month == 1 && DaysInYear(year) == 366 ? 1 : 0);
    if (day <= length) break;
    day -= length;
  }
  parts.year = static_cast<uint8_t>(year - 1900);
  parts.month = static_cast<uint8_t>(month + 1);
  parts.day = static_cast<uint8_t>(day);
  parts.hour = static_cast<uint8_t>(time_of_day / 3600);
  parts.minute = static_cast<uint8_t>(time_of_day % 3600 / 60);
  parts.second = static_cast<uint8_t>(time_of_day % 60);
  return parts;
}

std::string FormatDate(const TimeParts& parts, int width) {
  if (parts.year == 0 && parts.month == 0 && parts.day == 0) {
    if (width >= kNoExpiryWidth) return "No expiry date";
    return NoneText(width);
  }
  char text[64];
  snprintf(text, sizeof text, "%02d-%s-%d", parts.day, ShortMonthName(parts.month), parts.year + 1900);
  return text;
}

std::string FormatDateTime(const TimeParts& parts, int width) {
  if (parts.year == 0 && parts.month == 0 && parts.day == 0 && parts.hour == 0 && parts.minute == 0 &&
      parts.second == 0) {
    return NoneText(width);
  }
  char text[64];
  snprintf(text, sizeof text, "%02d-%s-%d %02d:%02d:%02d", parts.day, ShortMonthName(parts.month),
           parts.year + 1900, parts.hour, parts.minute, parts.second);
  return text;
}

std::string FormatDuration(uint32_t seconds) {
  char text[64];
  snprintf(text, sizeof text, "%u:%02u:%02u:%02u", seconds / kSecondsPerDay, seconds % kSecondsPerDay / 3600,
           seconds % 3600 / 60, seconds % 60);
  return text;
}
