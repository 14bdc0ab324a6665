// One object's value line in every layout, and the date and duration formatters.
#ifndef LORVEX_REPORT_VALUE_LINE_H_
#define LORVEX_REPORT_VALUE_LINE_H_

#include <cstdint>
#include <string>

#include "directory/dir_time.h"
#include "query/run_context.h"

/// Builds and prints the line (or report, or grid) of one selected object.
void WriteObjectLine(RunContext* run, const std::string& name, const RestrictionRecord& record);
/// Breaks local seconds into a TimeParts; 0 gives all zero.
TimeParts SplitTime(uint32_t seconds);
/// A date padded to width.
std::string FormatDate(const TimeParts& parts, int width);
/// A date and time padded to width.
std::string FormatDateTime(const TimeParts& parts, int width);
/// A duration in days, hours, minutes and seconds.
std::string FormatDuration(uint32_t seconds);

#endif  // LORVEX_REPORT_VALUE_LINE_H_
