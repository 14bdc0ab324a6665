// The option sources: ZEMUTILS, zemutils.ini, the command line and the /@ file.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "util/ascii_text.h"
#include "util/cmdline.h"
#include "util/option_parser.h"
#include "util/output.h"

namespace {

constexpr char kEnvironmentName[] = "ZEMUTILS";
constexpr char kIniFileName[] = "zemutils.ini";
// Longest options-file line read at once; a longer line is read on in further pieces.
constexpr int kMaxFileLine = 254;

// The slot that keeps the value of /@.
constexpr int kAtFileSlot = 'j' - 'a';

}  // namespace

std::string ReadEnvironment(const char* name) {
  const char* value = getenv(name);
  return value ? std::string(value) : std::string();
}

bool ReadOptionsFile(const char* program_name, const std::string& file_name, const char* allowed_plain,
                     const char* allowed_valued, GatheredOptions* found, bool missing_ok) {
  FILE* file = fopen(file_name.c_str(), "r");
  if (file == nullptr) {
    if (missing_ok) return true;
    std::string message = "Cannot open options file " + file_name;
    ShowMessageBox(message.c_str(), program_name, kMessageBoxError);
    return false;
  }
  const std::string own_prefix = LowerCase(program_name) + ':';
  static const char kAllPrefix[] = "all:";

  bool ok = true;
  char buffer[kMaxFileLine + 1];
  while (ok && fgets(buffer, sizeof buffer, file) != nullptr) {
    size_t length = strlen(buffer);
    if (length > 0 && buffer[length - 1] == '\n') buffer[--length] = '\0';
    // Lines written on Windows end in a carriage return as well.
    if (length > 0 && buffer[length - 1] == '\r') buffer[--length] = '\0';
    const char* line = buffer;
    while (*line == ' ' || *line == '\t') ++line;
    if (*line == '\0' || *line == ';') continue;
    const char* options = nullptr;
    if (*line == '-' || *line == '/') {
      options = line;
    } else if (strncmp(line, kAllPrefix, 4) == 0) {
      options = line + 4;
    } else if (strncmp(line, own_prefix.c_str(), own_prefix.size()) == 0) {
      options = line + own_prefix.size();
    } else {
      continue;  // a section for another program
    }
    ok = ParseOptionText(program_name, options, allowed_plain, allowed_valued, found, file_name.c_str());
  }
  fclose(file);
  return ok;
}

bool GatherOptions(const char* program_name, const std::string& option_text, const char* allowed_plain,
                   const char* allowed_valued, GatheredOptions* found) {
  *found = GatheredOptions();
  // The whole variable is used; a value longer than usual is still what the user set.
  std::string environment = ReadEnvironment(kEnvironmentName);
  if (!environment.empty() &&
      !ParseOptionText(program_name, environment, allowed_plain, allowed_valued, found, "environment")) {
    return false;
  }
  if (!ReadOptionsFile(program_name, kIniFileName, allowed_plain, allowed_valued, found, true)) return false;
  if (!ParseOptionText(program_name, option_text, allowed_plain, allowed_valued, found, "command line")) {
    return false;
  }
  if (found->has_value[kAtFileSlot]) {
    const std::string at_file = found->values[kAtFileSlot];
    if (!ReadOptionsFile(program_name, at_file, allowed_plain, allowed_valued, found, false)) return false;
  }
  return true;
}
