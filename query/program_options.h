// The program's option letters and their values.
#ifndef LORVEX_QUERY_PROGRAM_OPTIONS_H_
#define LORVEX_QUERY_PROGRAM_OPTIONS_H_

#include <string>
#include <vector>

#include "run/run_context.h"

/// Option letters that stand alone.
extern const char kPlainOptionLetters[];
/// Option letters that take a value.
extern const char kValuedOptionLetters[];

/// Gathers and applies every option; returns the number of failed steps (0 on success).
int ProcessProgramOptions(RunContext* run, const std::string& option_text, int positional_count);
/// Parses a /a column layout into run->options.columns; false after printing the error.
bool ParseColumnLayout(RunContext* run, const std::string& value);
/// Parses a /s value (null: /s alone) into run->options.sort_mode; false after printing the error.
bool ParseSortValue(RunContext* run, const char* value);
/// Parses a /o class into run->options.object_class; false after printing the error.
bool ParseObjectClass(RunContext* run, const std::string& value);
/// Parses /y form letters into run->options.name_form; false after printing the error.
bool ParseNameForm(RunContext* run, const std::string& value);

/// The values of /o, /s or /y written out in full (each class; each combination of letters that
/// the option takes), for the shell's completion; empty for other letters.
std::vector<std::string> OptionValueWords(char letter);

#endif  // LORVEX_QUERY_PROGRAM_OPTIONS_H_
