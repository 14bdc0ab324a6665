// The output window's text: a growing list of separately allocated lines.
#ifndef LORVEX_APP_LINE_STORE_H_
#define LORVEX_APP_LINE_STORE_H_

#include <cstddef>

/// Lines are added in steps of this many slots.
constexpr int kLineStoreStep = 250;

/// The lines of the output window, without line ends, in the window's (ANSI) code page.
struct LineStore {
  char** lines = nullptr;
  int count = 0;
  int longest = 0;  ///< length of the longest line ever added
  int capacity = 0;
};

/// The output window's lines, shared by the window, its commands and the printing thread.
extern LineStore g_line_store;

/// Appends a copy of text; false (and the store unchanged) when memory runs out.
bool LineStoreAppend(LineStore* store, const char* text);
/// Frees every line and the store itself; the store is empty afterwards.
void LineStoreRelease(LineStore* store);
/// Bytes the whole text takes: every line with carriage return and line feed, and a closing zero.
size_t LineStoreTextSize(const LineStore& store);
/// Writes the whole text into buffer (LineStoreTextSize bytes): each line, CR LF, and a closing zero.
void LineStoreCopyText(const LineStore& store, char* buffer);

#endif  // LORVEX_APP_LINE_STORE_H_
