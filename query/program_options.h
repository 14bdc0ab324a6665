// The program's option letters and their values.
#ifndef LORVEX_QUERY_PROGRAM_OPTIONS_H_
#define LORVEX_QUERY_PROGRAM_OPTIONS_H_

#include <string>

#include "query/run_context.h"

/// Gathers and applies every option; returns the number of failed steps (0 on success).
int ProcessProgramOptions(RunContext* run, const std::string& option_text, int positional_count);

#endif  // LORVEX_QUERY_PROGRAM_OPTIONS_H_
