#include "app/window_view.h"

#include <gtest/gtest.h>

namespace {

// A window of 27 lines and 82 columns of 8 by 16 pixel cells.
WindowView View27() {
  WindowView view;
  view.char_width = 8;
  view.line_height = 16;
  ComputeScrollRanges(&view, 82 * 8, 27 * 16, 0, 0);
  return view;
}

// Appends a line the way the window does: size notification, then the follow check.
void Append(WindowView* view, int count) {
  ComputeScrollRanges(view, view->client_width, view->client_height, count, 10);
  if (FollowsAppendedLine(*view)) view->vertical.position += ClampScroll(view->vertical, 1);
}

TEST(WindowView, ScrollRangesLeaveAFrameRowAndColumn) {
  struct Case {
    int count, longest;
    int vertical_limit, horizontal_limit;
  };
  const Case cases[] = {
      {0, 0, 0, 0},    // an empty window does not scroll
      {25, 80, 0, 0},  // exactly the text area
      {26, 81, 1, 1},
      {300, 500, 275, 420},  // a 500-character line: 500 + 2 - 82 columns
  };
  for (const Case& c : cases) {
    WindowView view = View27();
    ComputeScrollRanges(&view, 82 * 8, 27 * 16, c.count, c.longest);
    EXPECT_EQ(view.vertical.limit, c.vertical_limit) << c.count;
    EXPECT_EQ(view.horizontal.limit, c.horizontal_limit) << c.longest;
  }
}

TEST(WindowView, ShrinkingTheStoreClampsThePosition) {
  WindowView view = View27();
  ComputeScrollRanges(&view, 82 * 8, 27 * 16, 100, 10);
  view.vertical.position = 70;
  ComputeScrollRanges(&view, 82 * 8, 40 * 16, 100, 10);
  EXPECT_EQ(view.vertical.limit, 62);
  EXPECT_EQ(view.vertical.position, 62);
}

TEST(WindowView, ScrollingIsClampedToTheRange) {
  ScrollAxis axis{5, 20};
  EXPECT_EQ(ClampScroll(axis, -10), -5);
  EXPECT_EQ(ClampScroll(axis, 8), 8);
  EXPECT_EQ(ClampScroll(axis, 100), 15);
  ScrollAxis empty{0, 0};
  EXPECT_EQ(ClampScroll(empty, 27), 0);  // Page Down on an empty window
}

TEST(WindowView, FollowsOutputOnlyWhileTheEndIsVisible) {
  WindowView view = View27();
  for (int count = 1; count <= 300; ++count) Append(&view, count);
  EXPECT_EQ(view.vertical.limit, 275);
  EXPECT_EQ(view.vertical.position, 275);
  // One line up: new lines no longer move the view.
  view.vertical.position -= 1;
  for (int count = 301; count <= 310; ++count) Append(&view, count);
  EXPECT_EQ(view.vertical.position, 274);
  // Back at the end, the view follows again.
  view.vertical.position = view.vertical.limit;
  Append(&view, 311);
  EXPECT_EQ(view.vertical.position, 286);
  EXPECT_EQ(view.vertical.limit, 286);
}

TEST(WindowView, PaintsTheLinesOfTheUpdateBand) {
  WindowView view = View27();
  ComputeScrollRanges(&view, 82 * 8, 27 * 16, 300, 10);
  view.vertical.position = 10;
  int first = 0, end = 0;
  LinesToPaint(view, 0, 27 * 16, 300, &first, &end);
  EXPECT_EQ(first, 9);
  EXPECT_EQ(end, 37);
  LinesToPaint(view, 5 * 16, 6 * 16, 300, &first, &end);
  EXPECT_EQ(first, 14);
  EXPECT_EQ(end, 16);
  LinesToPaint(view, 0, 27 * 16, 12, &first, &end);
  EXPECT_EQ(end, 12);
  // Line 10 is the first visible one, drawn below the empty frame row.
  EXPECT_EQ(LineY(view, 10), 16);
  view.horizontal.position = 3;
  EXPECT_EQ(LineX(view), -16);
}

TEST(WindowView, HighlightRectangleFollowsTheScrollPositions) {
  WindowView view = View27();
  view.vertical.position = 4;
  view.horizontal.position = 2;
  Highlight h{6, 10, 5};
  ViewRect rect = HighlightRect(view, h);
  EXPECT_EQ(rect.left, (1 - 2 + 10) * 8);
  EXPECT_EQ(rect.top, (1 - 4 + 6) * 16);
  EXPECT_EQ(rect.width, 40);
  EXPECT_EQ(rect.height, 16);
  view.highlight = h;
  RetireHighlight(&view);
  EXPECT_EQ(view.last_highlight.line, 6);
  EXPECT_EQ(view.highlight.line, -1);
  EXPECT_EQ(view.highlight.length, -1);
}

TEST(WindowView, ScrollingToAFoundLineIsClamped) {
  WindowView view = View27();
  ComputeScrollRanges(&view, 82 * 8, 27 * 16, 100, 10);
  EXPECT_EQ(ScrollToLineDelta(view, 40), 40);
  EXPECT_EQ(ScrollToLineDelta(view, 99), 75);
  view.vertical.position = 30;
  EXPECT_EQ(ScrollToLineDelta(view, 3), -27);
  EXPECT_EQ(VerticalPage(view), 27);
  EXPECT_EQ(HorizontalPage(view), 82);
}

}  // namespace
