// Character-counted padding and cutting of UTF-8 text for aligned columns.
#ifndef LORVEX_REPORT_TEXT_WIDTH_H_
#define LORVEX_REPORT_TEXT_WIDTH_H_

#include <cstddef>
#include <string>

/// Number of characters (UTF-8 code points) in text.
size_t CharCount(const std::string& text);
/// The first count characters of text, never cutting inside a multi-byte sequence.
std::string FirstChars(const std::string& text, size_t count);
/// Text followed by spaces up to width characters (like "%-*s"); longer text is kept whole.
std::string PadRight(const std::string& text, size_t width);
/// Text preceded by spaces up to width characters (like "%*s"); longer text is kept whole.
std::string PadLeft(const std::string& text, size_t width);
/// Text without its leading spaces.
std::string SkipLeadingSpaces(const std::string& text);

#endif  // LORVEX_REPORT_TEXT_WIDTH_H_
