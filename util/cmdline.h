// The process command line: positional arguments, option text and option sources.
#ifndef LORVEX_UTIL_CMDLINE_H_
#define LORVEX_UTIL_CMDLINE_H_

#include <string>
#include <vector>

/// Letters found in the option sources and the value of each letter a to z.
struct GatheredOptions {
  std::string without_value;  ///< letters given alone, in the order first seen
  std::string with_value;     ///< letters given with a value, in the order first seen
  std::string values[26];     ///< value of each letter; /@ is kept under j
  bool has_value[26] = {};
};

/// Records the raw command line of the process (program path first) and the module's file name.
void SetProcessCommandLine(const std::string& raw_line, const std::string& module_path);
/// The raw command line recorded at start-up.
const std::string& ProcessCommandLine();
/// Rebuilds one raw command line from argv: elements holding a blank or tab and no quote are quoted.
std::string JoinArguments(int argc, const char* const* argv);

/// Splits the command line into at most capacity positional arguments and the option text.
bool SplitCommandLine(const char* program_name, std::string* option_text, std::vector<std::string>* args,
                      int capacity);
/// Gathers options from ZEMUTILS, zemutils.ini, the option text and a /@ file, in that order.
bool GatherOptions(const char* program_name, const std::string& option_text, const char* allowed_plain,
                   const char* allowed_valued, GatheredOptions* found);
/// Reads an options file; a missing file is an error unless missing_ok.
bool ReadOptionsFile(const char* program_name, const std::string& file_name, const char* allowed_plain,
                     const char* allowed_valued, GatheredOptions* found, bool missing_ok);
/// The directory (in its own case, may be empty) and file name (upper-cased, at most 30) of the module.
void ProgramNameAndDirectory(std::string* directory, std::string* file_name);
/// The program name of messages: the module's file name, upper-cased, cut at its first '.'.
std::string ProgramName();
/// The value of an environment variable, empty when unset.
std::string ReadEnvironment(const char* name);

#endif  // LORVEX_UTIL_CMDLINE_H_
