#include "app/line_store.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LineStore, GrowsInStepsAndTracksTheLongestLine) {
  LineStore store;
  for (int i = 0; i < 251; ++i) ASSERT_TRUE(LineStoreAppend(&store, i == 7 ? "a longer line" : "x"));
  EXPECT_EQ(store.count, 251);
  EXPECT_EQ(store.capacity, 500);
  EXPECT_EQ(store.longest, 13);
  EXPECT_STREQ(store.lines[7], "a longer line");
  EXPECT_STREQ(store.lines[250], "x");
  LineStoreRelease(&store);
  EXPECT_EQ(store.count, 0);
  EXPECT_EQ(store.capacity, 0);
  EXPECT_EQ(store.longest, 0);
  EXPECT_EQ(store.lines, nullptr);
}

TEST(LineStore, TextEndsEveryLineWithCarriageReturnAndLineFeed) {
  struct Case {
    std::vector<const char*> lines;
    std::string text;
  };
  const Case cases[] = {
      {{}, ""},
      {{"a", "bc", ""}, "a\r\nbc\r\n\r\n"},
      {{"", ""}, "\r\n\r\n"},
  };
  for (const Case& c : cases) {
    LineStore store;
    for (const char* line : c.lines) ASSERT_TRUE(LineStoreAppend(&store, line));
    const size_t size = LineStoreTextSize(store);
    EXPECT_EQ(size, c.text.size() + 1);
    std::string buffer(size, '?');
    LineStoreCopyText(store, buffer.data());
    EXPECT_EQ(buffer, c.text + '\0');
    LineStoreRelease(&store);
  }
}

}  // namespace
