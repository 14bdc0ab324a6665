#include "directory/ads/fake/ads_fake_filter.h"

#include <gtest/gtest.h>
#include <strings.h>

#include <map>

namespace {

// An object as the filter sees it: attribute names without case, values as text.
FakeValuesOf Object(const std::map<std::string, std::vector<std::string>>& values) {
  return [values](const std::string& name) {
    for (const auto& [attribute, texts] : values)
      if (strcasecmp(attribute.c_str(), name.c_str()) == 0) return texts;
    return std::vector<std::string>();
  };
}

TEST(FakeFilter, MatchesTheWayADomainControllerDoes) {
  FakeValuesOf alice = Object({{"objectClass", {"top", "person", "user"}},
                               {"sAMAccountName", {"alice"}},
                               {"userAccountControl", {"514"}},
                               {"objectCategory", {"Person"}},
                               {"lastLogon", {"1000"}}});
  struct Case {
    const char* filter;
    bool matches;
  } cases[] = {
      {"(sAMAccountName=ALICE)", true},
      {"(sAMAccountName=al*)", true},
      {"(sAMAccountName=*ic*)", true},
      {"(sAMAccountName=b*)", false},
      {"(sAMAccountName=al\\2a)", false},  // an escaped star is a literal star
      {"(objectClass=user)", true},
      {"(objectClass=computer)", false},
      {"(objectClass=*)", true},
      {"(mail=*)", false},
      {"(&(objectClass=user)(sAMAccountName=alice))", true},
      {"(&(objectClass=user)(sAMAccountName=bob))", false},
      {"(|(sAMAccountName=bob)(sAMAccountName=alice))", true},
      {"(!(sAMAccountName=alice))", false},
      {"(userAccountControl:1.2.840.113556.1.4.803:=2)", true},
      {"(userAccountControl:1.2.840.113556.1.4.803:=3)", false},
      {"(userAccountControl:1.2.840.113556.1.4.804:=3)", true},
      {"(lastLogon>=1000)", true},
      {"(lastLogon<=999)", false},
      {"(objectCategory=CN=Person,CN=Schema,CN=Configuration,DC=x)", true},
  };
  for (const Case& c : cases) {
    FakeFilter filter;
    ASSERT_TRUE(ParseFakeFilter(c.filter, &filter)) << c.filter;
    EXPECT_EQ(EvaluateFakeFilter(filter, alice), c.matches) << c.filter;
  }
}

TEST(FakeFilter, RefusesMalformedFilters) {
  for (const char* text : {"", "sAMAccountName=alice", "(sAMAccountName=alice", "(=alice)", "(a=b))",
                           "(a=\\4)", "(a:9.9:=1)", "(&(a=b)", "(a=b)(c=d)"}) {
    FakeFilter filter;
    EXPECT_FALSE(ParseFakeFilter(text, &filter)) << text;
  }
}

}  // namespace
