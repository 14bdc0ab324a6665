#include "directory/ads/ldap_filter.h"

#include <gtest/gtest.h>

#include <string>

TEST(FilterEscaping, EscapedCharactersBecomeHexAndWildcardsStay) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"Ann Lee", "Ann Lee"},
      {"c*", "c*"},                         // the user's wildcard
      {"CN=Lee\\, Ann", "CN=Lee\\2C Ann"},  // DN-escaped comma
      {"a\\*b", "a\\2Ab"},                  // an escaped star is a plain star
      {"x\\\\y", "x\\5Cy"},                 // an escaped backslash
      {"Sales (EU)", "Sales \\28EU\\29"},   // parentheses never reach the filter bare
      {"end\\", "end\\5C"},                 // a lone backslash at the end is itself
      {std::string("a\0b", 3), "a\\00b"},   // NUL
      {"Müller", "Müller"},                 // UTF-8 passes as it is
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeNameForFilter(c.in), c.out) << c.in;
}

TEST(FilterEscaping, LiteralEscapesStarsToo) {
  EXPECT_EQ(EscapeFilterLiteral("dc*(1)\\"), "dc\\2A\\281\\29\\5C");
  EXPECT_EQ(EscapeFilterLiteral("513"), "513");
}

TEST(ClassFilter, ElementFollowsTheClass) {
  const struct {
    const char* object_class;
    const char* element;
  } cases[] = {
      {"user", "(sAMAccountType=805306368)"},
      {"User", "(sAMAccountType=805306368)"},
      {"inetOrgPerson", "(objectClass=inetOrgPerson)"},
      {"contact", "(objectClass=contact)"},
      {"computer", "(objectCategory=computer)"},
      {"group", "(objectCategory=group)"},
      {"organizationalUnit", "(objectCategory=organizationalUnit)"},
      {"person", "(objectCategory=person)"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassFilterElement(c.object_class), c.element) << c.object_class;
}
