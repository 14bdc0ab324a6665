// printf-style formatting into a string: the one way the program builds a formatted text outside
// the message buffer. The text is never cut short.
#ifndef LORVEX_UTIL_MESSAGE_TEXT_H_
#define LORVEX_UTIL_MESSAGE_TEXT_H_

#include <cstdarg>
#include <string>

/// The formatted text.
std::string MessageText(const char* format, ...) __attribute__((format(printf, 1, 2)));
/// The formatted text of an argument list, for functions that take a format of their own.
std::string MessageTextV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

#endif  // LORVEX_UTIL_MESSAGE_TEXT_H_
