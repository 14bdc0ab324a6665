// Handing finished report text to the message output.
#ifndef LORVEX_REPORT_PRINT_LINE_H_
#define LORVEX_REPORT_PRINT_LINE_H_

#include <cstdint>
#include <string>

struct OutputContext;

/// Copies text into the message buffer, cut at a character boundary when it does not fit.
void SetMessageText(OutputContext* out, const std::string& text);
/// Puts text into the message buffer and prints it with the given message code.
void PrintText(OutputContext* out, int32_t code, const std::string& text);

#endif  // LORVEX_REPORT_PRINT_LINE_H_
