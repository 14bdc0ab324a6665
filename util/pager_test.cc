// The console pager: page breaks, the prompt and its keys.
#include "util/pager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/streams_test_util.h"

namespace {

std::vector<int> g_keys;
size_t g_next_key = 0;
int NextKey() { return g_next_key < g_keys.size() ? g_keys[g_next_key++] : 'x'; }

// A key with code zero is followed by a second code, which is read and is no 'C'; a line of two
// rows never straddles a page.
TEST(Pager, PromptsAtEachFullPageAndReadsItsKeys) {
  const std::string prompt = std::string(kPagerPrompt) + "\n\n";
  const std::string long_line(100, 'x');  // two rows
  const struct {
    const char* what;
    int page_length;
    std::vector<std::string> lines;
    std::vector<int> keys;
    std::string shown;
    size_t keys_read;
    bool paging_after;
  } cases[] = {
      {"pages", 2, {"a", "b", "c", "d", "e"}, {}, "a\nb\n" + prompt + "c\nd\n" + prompt + "e\n", 0, true},
      {"c ends paging", 2, {"a", "b", "c", "d", "e"}, {'c'}, "a\nb\n" + prompt + "c\nd\ne\n", 1, false},
      {"C ends paging", 2, {"a", "b", "c", "d"}, {'C'}, "a\nb\n" + prompt + "c\nd\n", 1, false},
      {"zero code", 1, {"a", "b"}, {0, 'C', ' '}, "a\n" + prompt + "b\n", 2, true},
      {"no straddling", 3, {"a", "b", long_line}, {' '}, "a\nb\n\n" + prompt + long_line + "\n", 1, true},
  };
  for (const auto& c : cases) {
    g_keys = c.keys;
    g_next_key = 0;
    TestOutput t;
    t.out.control_flags = kControlPaging;
    t.out.page_length = c.page_length;
    for (const std::string& line : c.lines) {
      const int rows = line.size() > 79 ? 2 : 1;
      PageCheckWithKeys(&t.out, rows, NextKey);
      fprintf(t.out.console_out, "%s\n", line.c_str());
      t.out.page_rows += rows;
    }
    EXPECT_EQ(t.Stdout(), c.shown) << c.what;
    EXPECT_EQ(g_next_key, c.keys_read) << c.what;
    EXPECT_EQ((t.out.control_flags & kControlPaging) != 0, c.paging_after) << c.what;
  }
}

TEST(Pager, EscapeEndsTheRunWithExitCodeZero) {
  g_keys = {27};
  g_next_key = 0;
  OutputContext out = {};
  out.control_flags = kControlPaging;
  out.page_length = 1;
  out.page_rows = 1;
  EXPECT_EXIT(PageCheckWithKeys(&out, 1, NextKey), testing::ExitedWithCode(0), "");
}

}  // namespace
