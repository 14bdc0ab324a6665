// ASCII character rules for names, keywords and typed text (locale-independent): the one place
// the program compares, folds and classifies characters.
#ifndef LORVEX_UTIL_ASCII_TEXT_H_
#define LORVEX_UTIL_ASCII_TEXT_H_

#include <string>
#include <string_view>

/// Whether a character is a blank or a tab, the separators of typed text.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
/// The text without the blanks and tabs at either end.
inline std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}
/// The ASCII upper-case of a character; other bytes (UTF-8 included) are unchanged.
inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
/// The ASCII lower-case of a character; other bytes are unchanged.
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
/// The value of a hexadecimal digit, -1 for any other character.
int HexDigit(char c);
/// Whether two texts are equal when ASCII letters are compared without regard to case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
/// Whether text begins with prefix, ASCII letters compared without regard to case.
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);
/// Whether text is a non-empty beginning of word ("inc" of "includes"), compared as above.
inline bool IsAbbreviationOf(std::string_view text, std::string_view word) {
  return !text.empty() && StartsWithIgnoreCase(word, text);
}
/// An ASCII upper-cased copy.
std::string UpperCase(std::string text);
/// An ASCII lower-cased copy.
std::string LowerCase(std::string text);

#endif  // LORVEX_UTIL_ASCII_TEXT_H_
