// Cutting messages into lines below column 79.
#include "util/line_wrap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines Wrap(const std::string& text, size_t prefix, bool wrap = true) {
  Lines lines;
  for (std::string_view line : WrapMessage(text, prefix, wrap)) lines.emplace_back(line);
  return lines;
}

std::string Repeat(const std::string& piece, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

TEST(LineWrap, WordReachingColumn79MovesToTheNextLine) {
  const std::string x38(38, 'x'), x74(74, 'x'), x76(76, 'x'), x77(77, 'x'), x120(120, 'x');
  const std::string u76 = Repeat("\xC3\xBC", 76), u77 = Repeat("\xC3\xBC", 77);
  struct Case {
    const char* name;
    std::string text;
    size_t prefix;
    Lines lines;
  } cases[] = {
      {"ends at column 78", x76 + " y", 0, {x76 + " y"}},
      {"would end at column 79", x77 + " y", 0, {x77, "y"}},
      {"prefix counts", x76 + " y", 1, {x76, "y"}},
      {"spaces before a moved word are dropped", "ab    cd", 72, {"ab", "cd"}},
      {"prefix of 73 leaves room for ab cd", "ab cd", 73, {"ab cd"}},
      {"continuation lines start after one space",
       x38 + " " + x38 + " " + x38 + " " + x38,
       0,
       {x38 + " " + x38, x38 + " " + x38}},
      {"continuation line of 77 characters", "a " + x77 + " " + x77 + " b", 0, {"a", x77, x77, "b"}},
      {"long word stays whole on its own line", "a " + x120 + " b", 0, {"a", x120, "b"}},
      {"long first word stays whole", x120, 19, {x120}},
      {"leading spaces stay on the first line", "   " + x74 + " y", 0, {"   " + x74, "y"}},
      {"leading spaces of continuation lines are skipped", x77 + "     y", 0, {x77, "y"}},
      {"trailing spaces stay when no word follows", "abc   ", 0, {"abc   "}},
      {"only spaces", "   ", 5, {"   "}},
      {"characters, not bytes", u76 + " y", 0, {u76 + " y"}},
      {"characters, not bytes, moving", u77 + " y", 0, {u77, "y"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Wrap(c.text, c.prefix), c.lines) << c.name;
}

TEST(LineWrap, WithoutWrapTheMessageIsOneLine) {
  const std::string text = Repeat("word ", 40);
  EXPECT_EQ(Wrap(text, 19, false), Lines{text});
}

TEST(LineWrap, CountsUtf8CodePoints) {
  EXPECT_EQ(Utf8Length("M\xC3\xBCller"), 6u);
  EXPECT_EQ(Utf8Length("\xE2\x82\xAC"), 1u);
  EXPECT_EQ(Utf8Length(""), 0u);
}

}  // namespace
