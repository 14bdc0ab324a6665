// Headings, the totals line and the exit level.
#ifndef LORVEX_REPORT_HEADING_H_
#define LORVEX_REPORT_HEADING_H_

#include <string>

#include "query/run_context.h"

/// Prints the heading of a run and a blank line.
void WriteHeading(RunContext* run, const std::string& entity, const std::string& label,
                  const std::string& op_text, const std::string& value_text, const std::string& input_file);
/// Prints the totals line of a finished run.
void WriteTotals(RunContext* run);
/// The exit value of a finished run: with /h the selected count (at most 255), else 1 on errors.
int ExitValue(const RunContext* run);

#endif  // LORVEX_REPORT_HEADING_H_
