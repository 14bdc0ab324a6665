// Cutting a message into output lines at 78 columns.
#ifndef LORVEX_UTIL_LINE_WRAP_H_
#define LORVEX_UTIL_LINE_WRAP_H_

#include <string_view>
#include <vector>

/// A line may end at most at this column; a word that would reach it moves to the next line.
constexpr int kWrapColumn = 79;

/// Number of characters (UTF-8 code points) in text.
size_t Utf8Length(std::string_view text);

/// Cuts text into lines: the first follows a prefix of prefix_columns, each further line one space.
/// Without wrap the text is one line. The views point into text.
std::vector<std::string_view> WrapMessage(std::string_view text, size_t prefix_columns, bool wrap);

#endif  // LORVEX_UTIL_LINE_WRAP_H_
