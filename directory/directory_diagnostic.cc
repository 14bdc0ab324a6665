// The server's own message about the last failed directory operation, kept per thread so that
// the reason line of an error report can quote it.
#include <string>

#include "directory/ads.h"

namespace {
thread_local std::string t_last_diagnostic;
}  // namespace

std::string AdsLastDiagnostic() { return t_last_diagnostic; }

void AdsSetLastDiagnostic(const std::string& text) { t_last_diagnostic = text; }
