// The output window's first size and place.
#include "app/window_metrics.h"

#include <algorithm>

void WindowCells(int columns, int rows, int* width_chars, int* height_lines) {
  // One empty column and row frame the text on each side.
  *width_chars = std::clamp(columns + 2, 20, 82);
  *height_lines = std::min(rows + 2, 27);
}

WindowRect InitialWindowRect(const WindowMetrics& metrics, int columns, int rows) {
  int width_chars = 0;
  int height_lines = 0;
  WindowCells(columns, rows, &width_chars, &height_lines);
  WindowRect rect;
  rect.width = width_chars * metrics.char_width + 2 * metrics.frame_width + 4;
  if (rows > height_lines + 2) rect.width += metrics.vscroll_width;
  rect.height = height_lines * (metrics.char_height + metrics.external_leading) + 2 * metrics.frame_height +
                metrics.caption_height + metrics.menu_height + 4;
  rect.left = metrics.screen_width / 2 - rect.width / 2;
  rect.top = metrics.screen_height / 2 - rect.height / 2;
  return rect;
}
