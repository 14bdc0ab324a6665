#include "directory/entity_forms.h"

#include <gtest/gtest.h>

#include "retrieval/entity.h"

TEST(EntityForms, GuidAndTypedNamesAreRecognised) {
  EXPECT_TRUE(IsGuidForm("{0A1B2C3D-0000-1111-2222-333344445555}"));
  EXPECT_FALSE(IsGuidForm("{0A1B"));
  EXPECT_FALSE(IsGuidForm(""));
  EXPECT_TRUE(IsTypedName("cn=c*"));
  EXPECT_TRUE(IsTypedName("OU=Sales"));
  EXPECT_TRUE(IsTypedName("Dc=sales"));
  EXPECT_FALSE(IsTypedName("o=x"));
  EXPECT_FALSE(IsTypedName("ann"));
}

TEST(EntityForms, LeadingTypeIsUpperCased) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"cn=c*,ou=sales", "CN=c*,ou=sales"},
      {"oU=x", "OU=x"},
      {"dc=sales,dc=corp", "DC=sales,dc=corp"},
      {"ann", "ann"},
      {"c=de", "c=de"},
  };
  for (const auto& c : cases) {
    std::string name = c.in;
    UpperCaseLeadingType(&name);
    EXPECT_EQ(name, c.out);
  }
}

TEST(EntityForms, ContainerPartStartsAfterTheFirstUnescapedComma) {
  const struct {
    const char* name;
    const char* container;
  } cases[] = {
      {"CN=Ann,OU=Staff,DC=sales,DC=corp", "OU=Staff,DC=sales,DC=corp"},
      {"CN=Lee\\, Ann,OU=x", "OU=x"},  // the escaped comma does not split
      {"cn=c*,sales,emea", "sales,emea"},
      {",x", ""},  // a comma in first place is not a separator
      {"ann", ""},
      {"SALES\\ann", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ContainerPart(c.name), c.container) << c.name;
  EXPECT_EQ(ContainerStart("CN=Ann,OU=Staff"), 7u);
  EXPECT_EQ(ContainerStart("ann"), std::string::npos);
}

TEST(EntityForms, NextUnescapedCommaSkipsEscapedOnes) {
  const std::string name = "a\\,b,c,d";
  EXPECT_EQ(NextUnescapedComma(name, 0), 4u);
  EXPECT_EQ(NextUnescapedComma(name, 5), 6u);
  EXPECT_EQ(NextUnescapedComma(name, 7), std::string::npos);
}

TEST(Article, VowelsTakeAnExceptUser) {
  const struct {
    const char* class_name;
    const char* article;
  } cases[] = {
      {"user", "a"},  {"User", "a"},     {"inetOrgPerson", "an"}, {"organizationalUnit", "an"},
      {"group", "a"}, {"computer", "a"}, {"NCP Server", "an"},    {"contact", "a"},
      {"", "a"},
  };
  for (const auto& c : cases) EXPECT_STREQ(ArticleFor(c.class_name), c.article) << c.class_name;
}
