// Start-up decisions taken from the raw command line before the driver runs.
#ifndef LORVEX_QUERY_STARTUP_H_
#define LORVEX_QUERY_STARTUP_H_

#include <string>

/// Whether a raw command line (program path first) asks for a silent run with /0 or -0.
bool IsSilentCommandLine(const std::string& raw_line);

#endif  // LORVEX_QUERY_STARTUP_H_
