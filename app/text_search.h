// Searching the output window's lines for a text, down or up, without regard to case.
#ifndef LORVEX_APP_TEXT_SEARCH_H_
#define LORVEX_APP_TEXT_SEARCH_H_

/// Where the next search starts: a line and a column in it.
struct SearchPosition {
  int line = 0;
  int column = 0;
};

/// Searches lines[0..count) for text from position, downwards or upwards. On a match returns true,
/// sets the match's line and column and moves position to just after the match; otherwise returns
/// false and leaves position as it was.
bool SearchLines(const char* const* lines, int count, const char* text, bool down, SearchPosition* position,
                 int* found_line, int* found_column);

#endif  // LORVEX_APP_TEXT_SEARCH_H_
