// The static-buffer forms of the code-page conversions on a UTF-8 system.
#include "util/codepage.h"

#include <gtest/gtest.h>

#include <string>

TEST(Codepage, StaticFormsKeepAtMost1023BytesAndWholeCharacters) {
  // 1022 bytes of 'a' then a two-byte character that would end at byte 1024: it is left out.
  const std::string mixed = std::string(1022, 'a') + "\xC3\xBC" + "b";
  EXPECT_EQ(std::string(OemToAnsiStatic(mixed.c_str())), std::string(1022, 'a'));
  EXPECT_STREQ(AnsiToOemStatic("M\xC3\xBCller \xE2\x82\xAC"), "M\xC3\xBCller \xE2\x82\xAC");
}
