// The server's own message about the last failed directory operation, kept per thread so that
// the reason line of an error report can quote it.
#include <string>

#include "directory/ads.h"

namespace {
thread_local std::string t_last_diagnostic;
// The code the failed operation returned with the diagnostic; 0 when it is not known.
thread_local AdsResult t_last_code = 0;
}  // namespace

std::string AdsLastDiagnostic() { return t_last_diagnostic; }

void AdsSetLastDiagnostic(const std::string& text) {
  t_last_diagnostic = text;
  t_last_code = 0;
}

void AdsSetLastFailure(AdsResult code, const std::string& text) {
  t_last_diagnostic = text;
  t_last_code = code;
}

std::string AdsDiagnosticFor(AdsResult code) {
  if (code >= 0 || code != t_last_code) return std::string();
  return t_last_diagnostic;
}
