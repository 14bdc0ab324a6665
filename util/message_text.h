// printf-style formatting into a string, for the descriptions handed to the error report.
#ifndef LORVEX_UTIL_MESSAGE_TEXT_H_
#define LORVEX_UTIL_MESSAGE_TEXT_H_

#include <string>

/// The formatted text.
std::string MessageText(const char* format, ...) __attribute__((format(printf, 1, 2)));

#endif  // LORVEX_UTIL_MESSAGE_TEXT_H_
