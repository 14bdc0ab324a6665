// Code-page conversions on a UTF-8 system and the date parts of the output clock.
#include "util/codepage.h"

#include <gtest/gtest.h>

#include <string>

#include "util/local_clock.h"

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

TEST(LocalClock, BreaksLocalSecondsIntoDateAndTime) {
  struct Case {
    uint32_t seconds;
    LocalClockParts parts;
  } cases[] = {
      {1294218487, {2011, 1, 5, 9, 8, 7}},       {86399, {1970, 1, 1, 23, 59, 59}},
      {951782400, {2000, 2, 29, 0, 0, 0}},       {1330560000, {2012, 3, 1, 0, 0, 0}},
      {4102444799u, {2099, 12, 31, 23, 59, 59}},
  };
  for (const Case& c : cases) {
    LocalClockParts p = LocalClockNow(c.seconds);
    EXPECT_EQ(p.year, c.parts.year) << c.seconds;
    EXPECT_EQ(p.month, c.parts.month) << c.seconds;
    EXPECT_EQ(p.day, c.parts.day) << c.seconds;
    EXPECT_EQ(p.hour, c.parts.hour) << c.seconds;
    EXPECT_EQ(p.minute, c.parts.minute) << c.seconds;
    EXPECT_EQ(p.second, c.parts.second) << c.seconds;
  }
  EXPECT_STREQ(UpperMonthName(1), "JAN");
  EXPECT_STREQ(UpperMonthName(12), "DEC");
}

}  // namespace
