// ASCII case rules for directory names, attribute names and keywords (locale-independent).
#ifndef LORVEX_UTIL_ASCII_TEXT_H_
#define LORVEX_UTIL_ASCII_TEXT_H_

#include <string>

/// The ASCII upper-case of a character; other bytes (UTF-8 included) are unchanged.
inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

/// Whether two texts are equal when ASCII letters are compared without regard to case.
inline bool AsciiEqualsIgnoreCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

#endif  // LORVEX_UTIL_ASCII_TEXT_H_
