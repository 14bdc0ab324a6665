// Headings, the totals line and the exit level.
#ifndef LORVEX_REPORT_HEADING_H_
#define LORVEX_REPORT_HEADING_H_

#include <string>

#include "run/run_context.h"

/// Prints the heading of a run and a blank line (nothing for the all-restrictions report).
void WriteHeading(RunContext* run, const std::string& entity, const std::string& label,
                  const std::string& op_text, const std::string& value_text, const std::string& input_file);
/// Prints the totals line of a finished run after a blank line (nothing with /j).
void WriteTotals(RunContext* run);
/// The exit value of a finished run: with /h the selected count (at most 255), else 1 on errors.
int ExitValue(const RunContext* run);

/// The heading line WriteHeading prints, stamped with the run's current local time.
std::string BuildHeadingLine(const RunContext* run, const std::string& entity, const std::string& label,
                             const std::string& op_text, const std::string& value_text,
                             const std::string& input_file);
/// The totals line, e.g. "12 users, 3 selected, 1 error".
std::string BuildTotalsLine(const RunContext* run);

#endif  // LORVEX_REPORT_HEADING_H_
