#include "directory/ads/ads_path.h"

#include <gtest/gtest.h>

TEST(DirectoryPaths, SlashesAreEscapedAndUnescaped) {
  EXPECT_EQ(EscapeSlashes("CN=Ann/Bo,OU=x/y"), "CN=Ann\\/Bo,OU=x\\/y");
  EXPECT_EQ(EscapeSlashes("CN=Lee\\, Ann"), "CN=Lee\\, Ann");
  EXPECT_EQ(UnescapeSlashes("CN=Ann\\/Bo,OU=Lee\\, Ann"), "CN=Ann/Bo,OU=Lee\\, Ann");
  EXPECT_EQ(UnescapeSlashes(EscapeSlashes("a/b//c\\d")), "a/b//c\\d");
}
