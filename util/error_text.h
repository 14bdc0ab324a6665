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
/// The operating system's text for an error code, without line ends and full stops at its end;
/// false when it has none.
bool SystemErrorText(int32_t code, std::string* text);
/// The platform's own text for a system error code as it stands; empty when it has none.
std::string PlatformErrorText(uint32_t code);

/// A row of a fixed table of code texts.
struct CodeText {
  uint32_t code;
  const char* text;
};
/// The text of a code in a table, or null.
template <size_t N>
const char* FindCodeText(const CodeText (&table)[N], uint32_t code) {
  for (const CodeText& entry : table) {
    if (entry.code == code) return entry.text;
  }
  return nullptr;
}
/// The message-file text for a code, or a fallback text.
std::string LookupMessageText(OutputContext* out, int32_t code);

#endif  // LORVEX_UTIL_ERROR_TEXT_H_
