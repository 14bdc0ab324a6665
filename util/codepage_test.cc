// Code-page conversions on a UTF-8 system.
#include "util/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Codepage, ConversionsKeepUtf8TextAsItIs) {
  const char* text = "M\xC3\xBCller \xE2\x82\xAC 5";
  char buffer[64];
  OemToAnsi(text, buffer);
  EXPECT_STREQ(buffer, text);
  AnsiToOem(text, buffer);
  EXPECT_STREQ(buffer, text);
  EXPECT_STREQ(OemToAnsiStatic(text), text);
  EXPECT_STREQ(AnsiToOemStatic(text), text);
}

TEST(Codepage, StaticFormsHoldAtMost1023BytesAndWholeCharacters) {
  const std::string ascii(2000, 'a');
  EXPECT_EQ(std::string(OemToAnsiStatic(ascii.c_str())), std::string(1023, 'a'));
  // 1022 bytes of 'a' then a two-byte character that would end at byte 1024: it is left out.
  const std::string mixed = std::string(1022, 'a') + "\xC3\xBC" + "b";
  EXPECT_EQ(std::string(AnsiToOemStatic(mixed.c_str())), std::string(1022, 'a'));
}

}  // namespace
