// Case-insensitive search of the output window's lines.
#include "app/text_search.h"

#include <cstring>
#include <string>

#include "util/ascii_text.h"

namespace {

// An upper-case copy of at most length characters of text.
std::string UpperCopy(const char* text, size_t length) {
  return UpperCase(std::string(text, strnlen(text, length)));
}

// Column of the first occurrence of needle in line at or after start, -1 when none.
int FirstFrom(const std::string& line, const std::string& needle, size_t start) {
  if (start > line.size()) return -1;
  size_t at = line.find(needle, start);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

// Column of the last occurrence of needle in line, -1 when none.
int Last(const std::string& line, const std::string& needle) {
  size_t at = line.rfind(needle);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

}  // namespace

bool SearchLines(const char* const* lines, int count, const char* text, bool down, SearchPosition* position,
                 int* found_line, int* found_column) {
  const std::string needle = UpperCopy(text, strlen(text));
  if (needle.empty() || position->line < 0 || position->line >= count) return false;
  const int length = static_cast<int>(needle.size());
  int line = position->line;
  int column = -1;
  if (down) {
    size_t start = static_cast<size_t>(position->column < 0 ? 0 : position->column);
    for (; line < count; ++line, start = 0) {
      column = FirstFrom(UpperCopy(lines[line], strlen(lines[line])), needle, start);
      if (column >= 0) break;
    }
  } else {
    // In the starting line only the text before the last match is searched, so that a search up
    // from a match finds the one before it.
    size_t limit = strlen(lines[line]);
    if (position->column != 0)
      limit = static_cast<size_t>(position->column > length ? position->column - length : 0);
    for (; line >= 0; --line) {
      column = Last(UpperCopy(lines[line], limit), needle);
      if (column >= 0) break;
      if (line > 0) limit = strlen(lines[line - 1]);
    }
  }
  if (column < 0) return false;
  *found_line = line;
  *found_column = column;
  position->line = line;
  position->column = column + length;
  return true;
}
