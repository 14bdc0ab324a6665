#include "app/window_metrics.h"

#include <gtest/gtest.h>

namespace {

WindowMetrics Metrics() {
  WindowMetrics m;
  m.char_width = 8;
  m.char_height = 15;
  m.external_leading = 1;
  m.frame_width = 3;
  m.frame_height = 3;
  m.caption_height = 19;
  m.menu_height = 19;
  m.vscroll_width = 16;
  m.screen_width = 1024;
  m.screen_height = 768;
  return m;
}

TEST(WindowMetrics, StartUpWindowIs82By27CellsCentred) {
  WindowRect rect = InitialWindowRect(Metrics(), kStartColumns, kStartRows);
  EXPECT_EQ(rect.width, 82 * 8 + 6 + 4);
  EXPECT_EQ(rect.height, 27 * 16 + 6 + 19 + 19 + 4);
  EXPECT_EQ(rect.left, 512 - rect.width / 2);
  EXPECT_EQ(rect.top, 384 - rect.height / 2);
}

TEST(WindowMetrics, CellsAreLimitedAndTallTextAddsTheScrollBar) {
  struct Case {
    int columns, rows, width_chars, height_lines;
  };
  const Case cases[] = {{80, 25, 82, 27}, {5, 3, 20, 5}, {200, 100, 82, 27}, {18, 25, 20, 27}};
  for (const Case& c : cases) {
    int w = 0, h = 0;
    WindowCells(c.columns, c.rows, &w, &h);
    EXPECT_EQ(w, c.width_chars);
    EXPECT_EQ(h, c.height_lines);
  }
  EXPECT_EQ(InitialWindowRect(Metrics(), 80, 30).width, 82 * 8 + 10 + 16);
  EXPECT_EQ(InitialWindowRect(Metrics(), 80, 29).width, 82 * 8 + 10);
}

}  // namespace
