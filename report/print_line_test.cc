#include "report/print_line.h"

#include <gtest/gtest.h>

#include "util/output.h"

TEST(PrintLine, CopiesTextIntoTheMessageBuffer) {
  OutputContext out{};
  SetMessageText(&out, "Account disabled");
  EXPECT_STREQ(out.message, "Account disabled");
  SetMessageText(&out, "");
  EXPECT_STREQ(out.message, "");
  SetMessageText(nullptr, "no output: nothing is kept");
}

TEST(PrintLine, OverlongTextIsCutBetweenCharacters) {
  OutputContext out{};
  // Two-byte characters up to past the buffer's end: the last byte that fits (an odd index) is the
  // middle of a character, so that character is left out whole.
  std::string text;
  while (text.size() < sizeof out.message + 4) text += "\xC3\xA9";
  SetMessageText(&out, text);
  size_t length = strlen(out.message);
  EXPECT_EQ(length, sizeof out.message - 2);
  EXPECT_EQ(static_cast<unsigned char>(out.message[length - 1]), 0xA9);

  // With one ASCII byte in front the same place is a boundary and the buffer fills up.
  SetMessageText(&out, "a" + text);
  EXPECT_EQ(strlen(out.message), sizeof out.message - 1);
}
