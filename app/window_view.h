// The geometry of the output window: scroll ranges, scrolling, the lines to paint and the
// highlight of found text, as pure arithmetic on character cells.
#ifndef LORVEX_APP_WINDOW_VIEW_H_
#define LORVEX_APP_WINDOW_VIEW_H_

/// One scroll direction: the first visible line (or column) and the largest allowed position.
struct ScrollAxis {
  int position = 0;
  int limit = 0;
};

/// Found text shown in reverse: line, column and length; all -1 when there is none.
struct Highlight {
  int line = -1;
  int column = -1;
  int length = -1;
};

/// A rectangle in client pixels.
struct ViewRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

/// The output window's state apart from its lines.
struct WindowView {
  int char_width = 8;
  int line_height = 16;
  int client_width = 0;   ///< including the vertical scroll bar's width
  int client_height = 0;  ///< including the horizontal scroll bar's thickness
  int lines_at_size = 0;
  int longest_at_size = 0;
  ScrollAxis vertical;
  ScrollAxis horizontal;
  Highlight highlight;
  Highlight last_highlight;
  bool clear_after_paint = false;
  bool printed_on_key_down = false;  ///< the Print Screen key's press printed; its release must not
};

/// Columns the horizontal page keys and page clicks move.
constexpr int kHorizontalPage = 8;

/// Recomputes both scroll ranges for a client size (scroll bars included) and the store's extent.
void ComputeScrollRanges(WindowView* view, int client_width, int client_height, int count, int longest);
/// Whole lines in the client area, at least 1: the vertical page.
int VerticalPage(const WindowView& view);
/// Whole columns in the client area: the horizontal scroll bar's page.
int HorizontalPage(const WindowView& view);
/// A requested move clamped so that the position stays within 0 and the limit.
int ClampScroll(const ScrollAxis& axis, int delta);
/// The lines [first, end) that a paint of the band from top to bottom must draw.
void LinesToPaint(const WindowView& view, int top, int bottom, int count, int* first, int* end);
/// Client x and y of the first character of line i.
int LineX(const WindowView& view);
int LineY(const WindowView& view, int line);
/// The rectangle of a highlight in client pixels.
ViewRect HighlightRect(const WindowView& view, const Highlight& highlight);
/// Whether a line just appended should scroll the view down one line (the end was in view).
bool FollowsAppendedLine(const WindowView& view);
/// The scroll that brings a line to the top, clamped to the vertical range.
int ScrollToLineDelta(const WindowView& view, int line);
/// Makes the highlight the last highlight, to be erased, and clears it.
void RetireHighlight(WindowView* view);

#endif  // LORVEX_APP_WINDOW_VIEW_H_
