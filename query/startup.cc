// Start-up decisions taken from the raw command line before the driver runs.
#include "query/startup.h"

bool IsSilentCommandLine(const std::string& raw_line) {
  // The arguments begin at the first blank (or, without one, the first tab)
  // after the program path, so a path holding a blank still leaves them found.
  size_t start = raw_line.find(' ');
  if (start == std::string::npos) start = raw_line.find('\t');
  if (start == std::string::npos) return false;
  const std::string rest = raw_line.substr(start);
  if (rest.find(" /0") != std::string::npos) return true;
  for (size_t at = rest.find(" -0"); at != std::string::npos; at = rest.find(" -0", at + 1)) {
    const size_t after = at + 3;
    if (after == rest.size() || rest[after] == ' ') return true;
  }
  return false;
}
