// Cutting a message into output lines at 78 columns.
#include "util/line_wrap.h"

size_t Utf8Length(std::string_view text) {
  size_t count = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++count;
  }
  return count;
}

std::vector<std::string_view> WrapMessage(std::string_view text, size_t prefix_columns, bool wrap) {
  std::vector<std::string_view> lines;
  if (!wrap) {
    lines.push_back(text);
    return lines;
  }
  const size_t n = text.size();
  size_t pos = 0;
  bool first = true;
  while (true) {
    if (!first) {
      // Continuation lines start at their first word.
      while (pos < n && text[pos] == ' ') ++pos;
      if (pos == n) break;
    }
    const size_t base = first ? prefix_columns : 1;
    const size_t start = pos;
    size_t end = pos;
    size_t scan = pos;
    bool has_word = false;
    while (true) {
      size_t word = scan;
      while (word < n && text[word] == ' ') ++word;
      if (word == n) {
        // No further word: the line keeps the rest as it stands.
        end = n;
        break;
      }
      size_t word_end = word;
      while (word_end < n && text[word_end] != ' ') ++word_end;
      size_t column = base + Utf8Length(text.substr(start, word_end - start));
      if (has_word && column >= static_cast<size_t>(kWrapColumn)) break;
      has_word = true;
      end = word_end;
      scan = word_end;
      // A word too long for any line stays whole on a line of its own.
      if (column >= static_cast<size_t>(kWrapColumn)) break;
    }
    lines.push_back(text.substr(start, end - start));
    pos = end;
    first = false;
    if (pos >= n) break;
  }
  return lines;
}
