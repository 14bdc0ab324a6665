#include "app/text_search.h"

#include <gtest/gtest.h>

namespace {

const char* const kLines[] = {
    "alpha beta",       // 0
    "Gamma BETA beta",  // 1
    "",                 // 2
    "delta",            // 3
    "beta at the end",  // 4
};
constexpr int kCount = 5;

struct Step {
  bool down;
  bool found;
  int line, column;
};

void RunSteps(const char* text, SearchPosition start, std::initializer_list<Step> steps) {
  SearchPosition position = start;
  int step = 0;
  for (const Step& s : steps) {
    int line = -7, column = -7;
    const SearchPosition before = position;
    const bool found = SearchLines(kLines, kCount, text, s.down, &position, &line, &column);
    EXPECT_EQ(found, s.found) << "step " << step;
    if (s.found) {
      EXPECT_EQ(line, s.line) << "step " << step;
      EXPECT_EQ(column, s.column) << "step " << step;
      EXPECT_EQ(position.line, s.line);
      EXPECT_EQ(position.column, s.column + static_cast<int>(strlen(text)));
    } else {
      EXPECT_EQ(position.line, before.line);
      EXPECT_EQ(position.column, before.column);
    }
    ++step;
  }
}

TEST(TextSearch, DownFindsEveryMatchIgnoringCaseThenReportsNotFound) {
  RunSteps(
      "BETA", {0, 0},
      {{true, true, 0, 6}, {true, true, 1, 6}, {true, true, 1, 11}, {true, true, 4, 0}, {true, false, 0, 0}});
}

TEST(TextSearch, UpFindsThePreviousMatchInTheSameLineFirst) {
  RunSteps("beta", {1, 15}, {{false, true, 1, 6}, {false, true, 0, 6}, {false, false, 0, 0}});
}

TEST(TextSearch, UpFromColumnZeroSearchesTheWholeStartingLine) {
  RunSteps("beta", {1, 0}, {{false, true, 1, 11}});
}

TEST(TextSearch, UpFromTheEndSkipsEmptyLines) { RunSteps("DELTA", {4, 0}, {{false, true, 3, 0}}); }

TEST(TextSearch, NothingToFindOrNowhereToStart) {
  SearchPosition position{0, 0};
  int line = 0, column = 0;
  EXPECT_FALSE(SearchLines(kLines, kCount, "", true, &position, &line, &column));
  position = {9, 0};
  EXPECT_FALSE(SearchLines(kLines, kCount, "beta", true, &position, &line, &column));
  position = {3, 99};
  EXPECT_TRUE(SearchLines(kLines, kCount, "beta", true, &position, &line, &column));
  EXPECT_EQ(line, 4);
}

}  // namespace
