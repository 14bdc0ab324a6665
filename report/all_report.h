// The all-restrictions report and the logon-hours grid.
#ifndef LORVEX_REPORT_ALL_REPORT_H_
#define LORVEX_REPORT_ALL_REPORT_H_

#include <string>

#include "query/run_context.h"

/// Prints every restriction of one object.
void WriteAllReport(RunContext* run, const RestrictionRecord& record, const std::string& name);
/// Prints the logon-hours grid; the message buffer holds the name column on entry.
void WriteLogonHoursGrid(RunContext* run, const uint8_t* logon_hours);

#endif  // LORVEX_REPORT_ALL_REPORT_H_
