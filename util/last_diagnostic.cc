// The server's own message about the last failed directory operation, kept per thread so that
// the reason line of an error report can quote it.
#include "util/last_diagnostic.h"

#include <string>

namespace {
thread_local std::string t_last_diagnostic;
// The code the failed operation returned with the diagnostic; 0 when it is not known.
thread_local int32_t t_last_code = 0;
}  // namespace

std::string LastDiagnostic() { return t_last_diagnostic; }

void SetLastDiagnostic(const std::string& text) {
  t_last_diagnostic = text;
  t_last_code = 0;
}

void SetLastFailure(int32_t code, const std::string& text) {
  t_last_diagnostic = text;
  t_last_code = code;
}

std::string DiagnosticFor(int32_t code) {
  if (code >= 0 || code != t_last_code) return std::string();
  return t_last_diagnostic;
}
