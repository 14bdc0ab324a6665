// The output window as a channel of PrintMessage: a hook the windowed build fills in.
#ifndef LORVEX_UTIL_WINDOW_CHANNEL_H_
#define LORVEX_UTIL_WINDOW_CHANNEL_H_

#include <cstddef>

/// The operations PrintMessage needs from an output window's line store.
struct WindowChannel {
  /// Number of lines the window holds.
  size_t (*line_count)();
  /// Appends one line (ANSI text, no line end) and notifies the window so it follows the output.
  void (*append_line)(const char* text);
  /// Dispatches the printing thread's pending window messages after the last line of a message.
  void (*flush)();
};

/// Installs the output window's operations; null removes them (window lines are then dropped).
void SetWindowChannel(const WindowChannel* channel);
/// The installed window operations, or null on a build without an output window.
const WindowChannel* CurrentWindowChannel();

#endif  // LORVEX_UTIL_WINDOW_CHANNEL_H_
