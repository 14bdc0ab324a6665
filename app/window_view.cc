// Scroll and paint arithmetic of the output window.
#include "app/window_view.h"

#include <algorithm>

void ComputeScrollRanges(WindowView* view, int client_width, int client_height, int count, int longest) {
  view->client_width = client_width;
  view->client_height = client_height;
  view->lines_at_size = count;
  view->longest_at_size = longest;
  // Two spare rows and columns: the empty frame before the text and one after it.
  view->vertical.limit = std::max(0, count + 2 - client_height / view->line_height);
  view->vertical.position = std::min(view->vertical.position, view->vertical.limit);
  view->horizontal.limit = std::max(0, longest + 2 - client_width / view->char_width);
  view->horizontal.position = std::min(view->horizontal.position, view->horizontal.limit);
}

int VerticalPage(const WindowView& view) { return std::max(1, view.client_height / view.line_height); }

int HorizontalPage(const WindowView& view) { return view.client_width / view.char_width; }

int ClampScroll(const ScrollAxis& axis, int delta) {
  return std::max(-axis.position, std::min(delta, axis.limit - axis.position));
}

void LinesToPaint(const WindowView& view, int top, int bottom, int count, int* first, int* end) {
  *first = std::max(0, view.vertical.position + top / view.line_height - 1);
  *end = std::min(count, view.vertical.position + bottom / view.line_height);
}

int LineX(const WindowView& view) { return (1 - view.horizontal.position) * view.char_width; }

int LineY(const WindowView& view, int line) { return (1 - view.vertical.position + line) * view.line_height; }

ViewRect HighlightRect(const WindowView& view, const Highlight& highlight) {
  ViewRect rect;
  rect.left = (1 - view.horizontal.position + highlight.column) * view.char_width;
  rect.top = LineY(view, highlight.line);
  rect.width = highlight.length * view.char_width;
  rect.height = view.line_height;
  return rect;
}

bool FollowsAppendedLine(const WindowView& view) {
  // The ranges were recomputed for the new line just before, so a view that showed the end
  // before it now stands one line short of the limit.
  return view.vertical.limit != 0 && view.vertical.position == view.vertical.limit - 1;
}

int ScrollToLineDelta(const WindowView& view, int line) {
  return ClampScroll(view.vertical, line - view.vertical.position);
}

void RetireHighlight(WindowView* view) {
  view->last_highlight = view->highlight;
  view->highlight = Highlight();
}
