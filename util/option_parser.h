// The generic option parser: letters with and without values from one option text.
#ifndef LORVEX_UTIL_OPTION_PARSER_H_
#define LORVEX_UTIL_OPTION_PARSER_H_

#include "util/cmdline.h"

/// Parses one option text into found; on errors shows them in one box and returns false.
bool ParseOptionText(const char* program_name, const std::string& text, const char* allowed_plain,
                     const char* allowed_valued, GatheredOptions* found, const char* source_name);

#endif  // LORVEX_UTIL_OPTION_PARSER_H_
