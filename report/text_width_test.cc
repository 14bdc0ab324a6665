#include "report/text_width.h"

#include <gtest/gtest.h>

TEST(TextWidth, CountsCharactersNotBytes) {
  EXPECT_EQ(CharCount(""), 0u);
  EXPECT_EQ(CharCount("Muller"), 6u);
  EXPECT_EQ(CharCount("M\xC3\xBCller"), 6u);  // Müller
  EXPECT_EQ(CharCount("\xE2\x82\xAC"
                      "5"),
            2u);                                  // €5
  EXPECT_EQ(CharCount("\xF0\x9F\x98\x80x"), 2u);  // a four-byte character and x
}

TEST(TextWidth, FirstCharsNeverSplitsASequence) {
  struct Case {
    const char* text;
    size_t count;
    const char* expected;
  } cases[] = {
      {"abcdef", 3, "abc"},      {"M\xC3\xBCller", 2, "M\xC3\xBC"},
      {"M\xC3\xBCller", 1, "M"}, {"\xE2\x82\xAC\xE2\x82\xAC", 1, "\xE2\x82\xAC"},
      {"abc", 10, "abc"},        {"abc", 0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(FirstChars(c.text, c.count), c.expected) << c.text;
}

TEST(TextWidth, PaddingCountsCharacters) {
  EXPECT_EQ(PadRight("M\xC3\xBCller", 8), "M\xC3\xBCller  ");
  EXPECT_EQ(PadLeft("M\xC3\xBCller", 8), "  M\xC3\xBCller");
  EXPECT_EQ(PadRight("toolong", 3), "toolong");
  EXPECT_EQ(PadLeft("toolong", 3), "toolong");
  EXPECT_EQ(PadLeft("", 4), "    ");
}

TEST(TextWidth, SkipsOnlyLeadingSpaces) {
  EXPECT_EQ(SkipLeadingSpaces("   12 x "), "12 x ");
  EXPECT_EQ(SkipLeadingSpaces("    "), "");
  EXPECT_EQ(SkipLeadingSpaces("Yes"), "Yes");
}
