// The output window's first size and place, from the metrics of the fixed-pitch font.
#ifndef LORVEX_APP_WINDOW_METRICS_H_
#define LORVEX_APP_WINDOW_METRICS_H_

/// The font and system metrics the window size is computed from, in pixels.
struct WindowMetrics {
  int char_width = 0;        ///< average character width of the fixed-pitch font
  int char_height = 0;       ///< character height
  int external_leading = 0;  ///< space between lines
  int frame_width = 0;       ///< fixed dialog frame
  int frame_height = 0;
  int caption_height = 0;
  int menu_height = 0;
  int vscroll_width = 0;
  int screen_width = 0;
  int screen_height = 0;
};

/// A window rectangle: left, top, width and height in pixels.
struct WindowRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

/// Text area at start-up, before the window holds any line.
constexpr int kStartColumns = 80;
constexpr int kStartRows = 25;

/// The centred window rectangle for a text area of columns by rows.
WindowRect InitialWindowRect(const WindowMetrics& metrics, int columns, int rows);
/// Character cells of that rectangle: width and height in characters (frame row and column included).
void WindowCells(int columns, int rows, int* width_chars, int* height_lines);

#endif  // LORVEX_APP_WINDOW_METRICS_H_
