// The all-restrictions report and the logon-hours grid.
#ifndef LORVEX_REPORT_ALL_REPORT_H_
#define LORVEX_REPORT_ALL_REPORT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "run/run_context.h"

/// Prints every restriction of one object.
void WriteAllReport(RunContext* run, const RestrictionRecord& record, const std::string& name);
/// Prints the logon-hours grid; the message buffer holds the name column on entry.
void WriteLogonHoursGrid(RunContext* run, const uint8_t* logon_hours);

/// The lines of the all-restrictions report, blank lines included, in print order.
std::vector<std::string> BuildAllReport(const RunContext* run, const RestrictionRecord& record,
                                        const std::string& name);
/// The two hour-label lines and the seven day rows of the grid, shifted to local time by the
/// offset in half-hours east of UTC.
std::vector<std::string> BuildLogonHoursGrid(const uint8_t* logon_hours, int local_offset_half_hours);

#endif  // LORVEX_REPORT_ALL_REPORT_H_
