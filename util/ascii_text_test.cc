#include "util/ascii_text.h"

#include <gtest/gtest.h>

TEST(AsciiText, CasesFoldOnlyAsciiLetters) {
  EXPECT_TRUE(EqualsIgnoreCase("Group", "gROUP"));
  EXPECT_FALSE(EqualsIgnoreCase("group", "groups"));
  EXPECT_FALSE(EqualsIgnoreCase("M\xC3\xBCller", "M\xC3\x9Cller"));  // ü and Ü are not ASCII
  EXPECT_TRUE(StartsWithIgnoreCase("cN=ann", "CN="));
  EXPECT_FALSE(StartsWithIgnoreCase("c", "cn="));
  EXPECT_EQ(UpperCase("dc1.sales\xC3\xBC"), "DC1.SALES\xC3\xBC");
  EXPECT_EQ(LowerCase("CN=ForeignSecurityPrincipals"), "cn=foreignsecurityprincipals");
  const std::pair<char, int> hex[] = {{'7', 7}, {'a', 10}, {'F', 15}, {'g', -1}};
  for (const auto& [digit, value] : hex) EXPECT_EQ(HexDigit(digit), value) << digit;
  EXPECT_TRUE(IsAbbreviationOf("INC", "includes") && !IsAbbreviationOf("", "includes"));
  EXPECT_FALSE(IsAbbreviationOf("includesx", "includes"));
  EXPECT_EQ(TrimBlanks(" \t a b\t "), "a b");
  EXPECT_EQ(TrimBlanks(" \n "), "\n");
}
