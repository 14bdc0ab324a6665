#include "app/print_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(PrintLayout, LinesPerPageLeaveTwoMarginRows) {
  EXPECT_EQ(LinesPerPage(52 * 100, 100), 50);
  EXPECT_EQ(LinesPerPage(52 * 100 + 99, 100), 50);
  EXPECT_EQ(LinesPerPage(250, 100), 1);  // never less than one line
  EXPECT_EQ(PageCount(100, 50), 2);
  EXPECT_EQ(PageCount(101, 50), 3);
  EXPECT_EQ(PageCount(0, 50), 0);
}

TEST(PrintLayout, PagesHoldConsecutiveLinesBelowTheMargin) {
  int first = 0, end = 0;
  PageLines(1, 50, 100, &first, &end);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(end, 50);
  PageLines(2, 50, 120, &first, &end);
  EXPECT_EQ(first, 50);
  EXPECT_EQ(end, 100);
  PageLines(3, 50, 120, &first, &end);
  EXPECT_EQ(end, 120);
  EXPECT_EQ(PageLineY(0, 100), 200);
  EXPECT_EQ(PageLineY(49, 100), 5100);
}

TEST(PrintLayout, CopiesCollationAndRangeDecideThePageOrder) {
  struct Case {
    int pages;
    PrintChoice choice;
    std::vector<int> order;
  };
  const Case cases[] = {
      {2, {1, false, false, 1, 1}, {1, 2}},      {2, {2, false, false, 1, 1}, {1, 1, 2, 2}},
      {2, {2, true, false, 1, 1}, {1, 2, 1, 2}}, {4, {1, false, true, 2, 3}, {2, 3}},
      {4, {2, true, true, 3, 9}, {3, 4, 3, 4}},  {3, {3, false, true, 2, 2}, {2, 2, 2}},
      {0, {1, false, false, 1, 1}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(PageSequence(c.pages, c.choice), c.order);
}

TEST(PrintLayout, WindowImageScalesByWholeMultiples) {
  ImagePlacement place = PlaceWindowImage(4800, 6400, 700, 500);
  EXPECT_EQ(place.left, 240);
  EXPECT_EQ(place.top, 320);
  EXPECT_EQ(place.width, 4320);
  EXPECT_EQ(place.height, 6 * 500);  // 4320 / 700 = 6
  place = PlaceWindowImage(4800, 2000, 700, 500);
  EXPECT_EQ(place.height, 1800);  // limited to 9/10 of the printable height
}

}  // namespace
