// The server's own message about the last failed directory operation, kept per thread so that
// the reason line of an error report can quote it.
#ifndef LORVEX_UTIL_LAST_DIAGNOSTIC_H_
#define LORVEX_UTIL_LAST_DIAGNOSTIC_H_

#include <cstdint>
#include <string>

/// The server's own message about this thread's last failed directory operation (AD's
/// "80090308: LdapErr: ... data 52e ..."), for the reason text; empty when it gave none.
std::string LastDiagnostic();
/// Records the diagnostic of a failure; the layer clears it (empty text) when an operation starts.
/// A diagnostic recorded this way belongs to no particular code (DiagnosticFor ignores it).
void SetLastDiagnostic(const std::string& text);
/// Records the diagnostic together with the failure code the operation returns with it.
void SetLastFailure(int32_t code, const std::string& text);
/// The diagnostic of this thread's last failed operation when that operation failed with this
/// code, else empty: a report of some other failure never quotes it.
std::string DiagnosticFor(int32_t code);

#endif  // LORVEX_UTIL_LAST_DIAGNOSTIC_H_
