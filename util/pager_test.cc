// The console pager: page breaks, the prompt and its keys.
#include "util/pager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/streams_test_util.h"

namespace {

std::vector<int> g_keys;
size_t g_next_key = 0;
int FakeKey() { return g_next_key < g_keys.size() ? g_keys[g_next_key++] : 'x'; }

void UseKeys(std::vector<int> keys) {
  g_keys = std::move(keys);
  g_next_key = 0;
}

const std::string kPrompt = kPagerPrompt;

// Prints lines through the pager of a console 3 rows high.
std::string Page(TestOutput* t, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    int rows = static_cast<int>((line.size() + 78) / 79);
    if (rows < 1) rows = 1;
    PageCheckWithKeys(&t->out, rows, FakeKey);
    fprintf(t->out.console_out, "%s\n", line.c_str());
    t->out.page_rows += rows;
  }
  return t->Stdout();
}

TEST(Pager, PromptsAtEachFullPage) {
  UseKeys({' ', ' '});
  TestOutput t;
  t.out.control_flags = kControlPaging;
  t.out.page_length = 3;
  EXPECT_EQ(Page(&t, {"a", "b", "c", "d", "e", "f", "g"}),
            "a\nb\nc\n" + kPrompt + "\n\nd\ne\nf\n" + kPrompt + "\n\ng\n");
  EXPECT_EQ(g_next_key, 2u);
}

TEST(Pager, ContinuousKeyEndsPaging) {
  for (int key : {'c', 'C'}) {
    UseKeys({key});
    TestOutput t;
    t.out.control_flags = kControlPaging;
    t.out.page_length = 2;
    EXPECT_EQ(Page(&t, {"a", "b", "c", "d", "e"}), "a\nb\n" + kPrompt + "\n\nc\nd\ne\n");
    EXPECT_EQ(t.out.control_flags & kControlPaging, 0u);
  }
}

TEST(Pager, ZeroKeyCodeReadsASecondCode) {
  UseKeys({0, 'C', ' '});
  TestOutput t;
  t.out.control_flags = kControlPaging;
  t.out.page_length = 1;
  // The second code of a function key is consumed and does not count as 'C'.
  EXPECT_EQ(Page(&t, {"a", "b"}), "a\n" + kPrompt + "\n\nb\n");
  EXPECT_EQ(g_next_key, 2u);
  EXPECT_NE(t.out.control_flags & kControlPaging, 0u);
}

TEST(Pager, LongLineDoesNotStraddleAPage) {
  UseKeys({' '});
  TestOutput t;
  t.out.control_flags = kControlPaging;
  t.out.page_length = 3;
  const std::string long_line(100, 'x');
  // After two rows, a line of two rows fills the page with one empty line and starts the next.
  EXPECT_EQ(Page(&t, {"a", "b", long_line}), "a\nb\n\n" + kPrompt + "\n\n" + long_line + "\n");
  EXPECT_EQ(t.out.page_rows, 5);
}

TEST(Pager, NothingHappensWithoutPaging) {
  UseKeys({});
  TestOutput t;
  t.out.page_length = 1;
  EXPECT_EQ(Page(&t, {"a", "b", "c"}), "a\nb\nc\n");
}

TEST(Pager, EscapeEndsTheRunWithExitCodeZero) {
  UseKeys({27});
  EXPECT_EXIT(
      {
        OutputContext out = {};
        out.control_flags = kControlPaging;
        out.page_length = 1;
        out.page_rows = 1;
        PageCheckWithKeys(&out, 1, FakeKey);
      },
      testing::ExitedWithCode(0), "");
}

TEST(Pager, PrintMessageCountsConsoleRowsAndPages) {
  UseKeys({});
  TestOutput t;
  t.out.control_flags = kControlPaging;
  t.out.page_length = 100;
  t.Print("one");
  t.Print(std::string(100, 'y').c_str());
  t.Print("", -1, 0);
  EXPECT_EQ(t.out.page_rows, 4);
}

}  // namespace
