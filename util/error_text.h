// Explanations of error codes: the directory code table, system texts and zemerr.msg.
#ifndef LORVEX_UTIL_ERROR_TEXT_H_
#define LORVEX_UTIL_ERROR_TEXT_H_

#include <cstdint>
#include <string>

#include "util/output.h"

/// Prints "PROGRAM: description" and, for a code other than -1, "Reason(s): <text of the code>",
/// then, indented under that text, the server's own diagnostic when the directory layer kept one
/// for this very failure (DiagnosticFor).
int ReportDirectoryError(OutputContext* out, int32_t code, const char* description);
/// The operating system's text for an error code; false when it has none.
bool SystemErrorText(int32_t code, std::string* text);
/// The message-file text for a code, or a fallback text.
std::string LookupMessageText(OutputContext* out, int32_t code);

#endif  // LORVEX_UTIL_ERROR_TEXT_H_
