// Dates, date-times and durations as the reports show them.
#include "report/time_format.h"

#include <algorithm>
#include <cstdio>

#include "report/text_width.h"
#include "util/local_clock.h"

namespace {

constexpr int kMaxNoneWidth = 50;
constexpr int kNoExpiryWidth = 255;

std::string NoneText(int width) {
  return PadLeft("None", static_cast<size_t>(std::clamp(width, 0, kMaxNoneWidth)));
}

}  // namespace

TimeParts SplitTime(uint32_t seconds) {
  if (seconds == 0) return TimeParts{};
  const CivilTime civil = CivilFromSeconds(seconds);
  return TimeParts{static_cast<uint8_t>(civil.year - 1900), static_cast<uint8_t>(civil.month),
                   static_cast<uint8_t>(civil.day),         static_cast<uint8_t>(civil.hour),
                   static_cast<uint8_t>(civil.minute),      static_cast<uint8_t>(civil.second)};
}

std::string FormatDate(const TimeParts& parts, int width) {
  if (parts.year == 0 && parts.month == 0 && parts.day == 0) {
    if (width >= kNoExpiryWidth) return "No expiry date";
    return NoneText(width);
  }
  char text[64];
  snprintf(text, sizeof text, "%02d-%s-%d", parts.day, MonthAbbreviation(parts.month), parts.year + 1900);
  return text;
}

std::string FormatDateTime(const TimeParts& parts, int width) {
  if (parts.year == 0 && parts.month == 0 && parts.day == 0 && parts.hour == 0 && parts.minute == 0 &&
      parts.second == 0) {
    return NoneText(width);
  }
  char text[64];
  snprintf(text, sizeof text, "%02d-%s-%d %02d:%02d:%02d", parts.day, MonthAbbreviation(parts.month),
           parts.year + 1900, parts.hour, parts.minute, parts.second);
  return text;
}

std::string FormatDuration(uint32_t seconds) {
  char text[64];
  snprintf(text, sizeof text, "%u:%02u:%02u:%02u", seconds / kSecondsPerDay, seconds % kSecondsPerDay / 3600,
           seconds % 3600 / 60, seconds % 60);
  return text;
}
