// Dates, date-times and durations as the reports show them.
#ifndef LORVEX_REPORT_TIME_FORMAT_H_
#define LORVEX_REPORT_TIME_FORMAT_H_

#include <cstdint>
#include <string>

#include "directory/dir_time.h"

/// Breaks local seconds into a TimeParts; 0 gives all zero.
TimeParts SplitTime(uint32_t seconds);
/// "05-Jan-2011"; no date reads "None" right-aligned in min(width, 50), or "No expiry date" at
/// width 255 and above.
std::string FormatDate(const TimeParts& parts, int width);
/// "05-Jan-2011 13:04:05"; no time reads "None" right-aligned in min(width, 50).
std::string FormatDateTime(const TimeParts& parts, int width);
/// "days:hh:mm:ss", e.g. "42:00:00:00".
std::string FormatDuration(uint32_t seconds);

#endif  // LORVEX_REPORT_TIME_FORMAT_H_
