// The output window's shared arithmetic: its lines, size, scrolling, search and printed pages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/line_store.h"
#include "app/print_layout.h"
#include "app/text_search.h"
#include "app/window_metrics.h"
#include "app/window_view.h"

namespace {

TEST(LineStore, GrowsInStepsKeepsTheLongestAndCopiesWithLineEnds) {
  LineStore store;
  std::string expected;
  for (int i = 0; i < 251; ++i) {
    const char* line = i == 7 ? "a longer line" : (i == 8 ? "" : "x");
    ASSERT_TRUE(LineStoreAppend(&store, line));
    expected += std::string(line) + "\r\n";
  }
  EXPECT_EQ(store.capacity, 500);
  EXPECT_EQ(store.longest, 13);
  std::string text(LineStoreTextSize(store), '?');
  LineStoreCopyText(store, text.data());
  EXPECT_EQ(text, expected + '\0');
  LineStoreRelease(&store);
  EXPECT_EQ(store.count + store.capacity + store.longest, 0);
  EXPECT_EQ(store.lines, nullptr);
  EXPECT_EQ(LineStoreTextSize(store), 1u);
}

TEST(WindowMetrics, StartsCentredWithCellsLimitedAndTheScrollBarForTallText) {
  WindowMetrics m;
  m.char_width = 8, m.char_height = 15, m.external_leading = 1, m.frame_width = 3, m.frame_height = 3;
  m.caption_height = 19, m.menu_height = 19, m.vscroll_width = 16, m.screen_width = 1024,
  m.screen_height = 768;
  const WindowRect rect = InitialWindowRect(m, kStartColumns, kStartRows);
  // 82 by 27 cells of 8 by 16 pixels, the frames, caption, menu and 4 pixels, centred on the screen.
  EXPECT_EQ((std::vector<int>{rect.left, rect.top, rect.width, rect.height}),
            (std::vector<int>{512 - 666 / 2, 384 - 480 / 2, 82 * 8 + 6 + 4, 27 * 16 + 6 + 19 + 19 + 4}));
  EXPECT_EQ(InitialWindowRect(m, 80, 30).width, 82 * 8 + 10 + 16);
  EXPECT_EQ(InitialWindowRect(m, 80, 29).width, 82 * 8 + 10);
  const int cells[][4] = {{80, 25, 82, 27}, {5, 3, 20, 5}, {200, 100, 82, 27}, {18, 25, 20, 27}};
  for (const auto& c : cells) {
    int w = 0, h = 0;
    WindowCells(c[0], c[1], &w, &h);
    EXPECT_EQ(w * 1000 + h, c[2] * 1000 + c[3]) << c[0] << "x" << c[1];
  }
}

// A window of 27 lines and 82 columns of 8 by 16 pixel cells holding count lines.
WindowView View(int count, int longest = 10) {
  WindowView view;
  ComputeScrollRanges(&view, 82 * 8, 27 * 16, count, longest);
  return view;
}

TEST(WindowView, ScrollRangesLeaveAFrameRowAndColumnAndClampThePosition) {
  const int cases[][4] = {{0, 0, 0, 0}, {25, 80, 0, 0}, {26, 81, 1, 1}, {300, 500, 275, 420}};
  for (const auto& c : cases) {
    const WindowView view = View(c[0], c[1]);
    EXPECT_EQ(view.vertical.limit, c[2]) << c[0];
    EXPECT_EQ(view.horizontal.limit, c[3]) << c[1];
  }
  WindowView view = View(100);
  view.vertical.position = 70;
  ComputeScrollRanges(&view, 82 * 8, 40 * 16, 100, 10);
  EXPECT_EQ(view.vertical.limit, 62);
  EXPECT_EQ(view.vertical.position, 62);
  const ScrollAxis axis{5, 20};
  EXPECT_EQ((std::vector<int>{ClampScroll(axis, -10), ClampScroll(axis, 8), ClampScroll(axis, 100),
                              ClampScroll(ScrollAxis{0, 0}, 27)}),
            (std::vector<int>{-5, 8, 15, 0}));
}

TEST(WindowView, FollowsAppendedLinesOnlyWhileTheEndIsVisible) {
  WindowView view = View(0);
  auto append = [&view](int count) {
    ComputeScrollRanges(&view, view.client_width, view.client_height, count, 10);
    if (FollowsAppendedLine(view)) view.vertical.position += ClampScroll(view.vertical, 1);
  };
  for (int count = 1; count <= 300; ++count) append(count);
  EXPECT_EQ(view.vertical.position, 275);
  view.vertical.position -= 1;
  for (int count = 301; count <= 310; ++count) append(count);
  EXPECT_EQ(view.vertical.position, 274);
  view.vertical.position = view.vertical.limit;
  append(311);
  EXPECT_EQ(view.vertical.position, 286);
}

TEST(WindowView, PaintsScrollsToAndHighlightsLinesBelowTheFrameRow) {
  WindowView view = View(300);
  view.vertical.position = 10;
  int first = 0, end = 0;
  LinesToPaint(view, 0, 27 * 16, 300, &first, &end);
  EXPECT_EQ(first * 1000 + end, 9 * 1000 + 37);
  LinesToPaint(view, 5 * 16, 6 * 16, 300, &first, &end);
  EXPECT_EQ(first * 1000 + end, 14 * 1000 + 16);
  LinesToPaint(view, 0, 27 * 16, 12, &first, &end);
  EXPECT_EQ(end, 12);
  EXPECT_EQ(LineY(view, 10), 16);
  view.horizontal.position = 3;
  EXPECT_EQ(LineX(view), -16);
  const ViewRect rect = HighlightRect(view, Highlight{12, 10, 5});
  EXPECT_EQ((std::vector<int>{rect.left, rect.top, rect.width, rect.height}),
            (std::vector<int>{(1 - 3 + 10) * 8, (1 - 10 + 12) * 16, 40, 16}));
  view.highlight = Highlight{12, 10, 5};
  RetireHighlight(&view);
  EXPECT_EQ(view.last_highlight.line * 100 + view.highlight.line, 12 * 100 - 1);
  EXPECT_EQ(ScrollToLineDelta(view, 40), 30);
  EXPECT_EQ(ScrollToLineDelta(view, 299), 265);
  EXPECT_EQ(ScrollToLineDelta(view, 3), -7);
  EXPECT_EQ(VerticalPage(view) * 1000 + HorizontalPage(view), 27 * 1000 + 82);
}

// Each search starts where the last one left off: the line and column of each match in turn,
// then -1 for no match, which leaves the position as it was.
TEST(TextSearch, FindsEachMatchIgnoringCaseDownOrUpThenReportsNotFound) {
  const char* const lines[] = {"alpha beta", "Gamma BETA beta", "", "delta", "beta at the end"};
  const struct {
    const char* text;
    bool down;
    SearchPosition start;
    std::vector<int> matches;
  } cases[] = {{"BETA", true, {0, 0}, {0, 6, 1, 6, 1, 11, 4, 0, -1}},
               {"beta", false, {1, 15}, {1, 6, 0, 6, -1}},
               {"beta", false, {1, 0}, {1, 11}},
               {"DELTA", false, {4, 0}, {3, 0}},
               {"beta", true, {3, 99}, {4, 0}},
               {"", true, {0, 0}, {-1}},
               {"beta", true, {9, 0}, {-1}}};
  for (const auto& c : cases) {
    SearchPosition position = c.start;
    for (size_t i = 0; i < c.matches.size(); i += 2) {
      const SearchPosition before = position;
      int line = -7, column = -7;
      const bool found = SearchLines(lines, 5, c.text, c.down, &position, &line, &column);
      EXPECT_EQ(found, c.matches[i] >= 0) << c.text << " from " << before.line << ":" << before.column;
      if (!found) {
        EXPECT_EQ(position.line * 1000 + position.column, before.line * 1000 + before.column) << c.text;
        continue;
      }
      EXPECT_EQ(line * 1000 + column, c.matches[i] * 1000 + c.matches[i + 1]) << c.text;
      EXPECT_EQ(position.line * 1000 + position.column,
                line * 1000 + column + static_cast<int>(strlen(c.text)));
    }
  }
}

TEST(PrintLayout, PagesHoldConsecutiveLinesBelowTheMarginInTheOrderChosen) {
  EXPECT_EQ(LinesPerPage(52 * 100 + 99, 100), 50);
  EXPECT_EQ(LinesPerPage(250, 100), 1);
  EXPECT_EQ(PageCount(100, 50) * 100 + PageCount(101, 50) * 10 + PageCount(0, 50), 230);
  const int lines[][5] = {{1, 100, 0, 50}, {2, 120, 50, 100}, {3, 120, 100, 120}};
  for (const auto& c : lines) {
    int first = 0, end = 0;
    PageLines(c[0], 50, c[1], &first, &end);
    EXPECT_EQ(first * 1000 + end, c[2] * 1000 + c[3]) << "page " << c[0];
  }
  EXPECT_EQ(PageLineY(49, 100), 5100);
  const struct {
    int pages;
    PrintChoice choice;
    std::vector<int> order;
  } orders[] = {
      {2, {1, false, false, 1, 1}, {1, 2}},      {2, {2, false, false, 1, 1}, {1, 1, 2, 2}},
      {2, {2, true, false, 1, 1}, {1, 2, 1, 2}}, {4, {1, false, true, 2, 3}, {2, 3}},
      {4, {2, true, true, 3, 9}, {3, 4, 3, 4}},  {3, {3, false, true, 2, 2}, {2, 2, 2}},
      {0, {1, false, false, 1, 1}, {}},
  };
  for (const auto& c : orders) EXPECT_EQ(PageSequence(c.pages, c.choice), c.order);
  ImagePlacement place = PlaceWindowImage(4800, 6400, 700, 500);
  EXPECT_EQ((std::vector<int>{place.left, place.top, place.width, place.height}),
            (std::vector<int>{240, 320, 4320, 6 * 500}));
  EXPECT_EQ(PlaceWindowImage(4800, 2000, 700, 500).height, 1800);  // 9/10 of the printable height
}

}  // namespace
