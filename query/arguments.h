// The restriction, operator and value words of a command and the rules that
// decide which may stand together.
#ifndef LORVEX_QUERY_ARGUMENTS_H_
#define LORVEX_QUERY_ARGUMENTS_H_

#include <string>
#include <vector>

#include "run/run_context.h"

/// The command words after the entity, as the headings show them.
struct CommandWords {
  std::string display_name;  ///< of the restriction
  std::string op_text;       ///< the operator, lower-cased; empty without one
  std::string value_text;    ///< the first value word, lower-cased; empty without one
};

/// What a command line asks for instead of a run, if anything.
enum InformationRequest { kNoInformation, kUsageRequested, kVersionRequested };

/// Whether the command line asks for the usage text ("?" as the first positional argument, /? or
/// -? among the options, or an option word --help) or for the version (--version) instead of a
/// run. The usage text wins when both are asked for.
InformationRequest RequestedInformation(const std::vector<std::string>& args, const std::string& option_text);

/// Reads the restriction, operator and value from the positional arguments after the entity
/// (lower-casing them in place) into the run; false after printing why the command is refused.
bool ReadCommandWords(RunContext* run, std::vector<std::string>* args, CommandWords* words);

#endif  // LORVEX_QUERY_ARGUMENTS_H_
