#include "retrieval/name_hint.h"

#include <gtest/gtest.h>

#include "directory/ads/fake/ads_fake.h"
#include "retrieval/sample_domain_test_util.h"

namespace {

// A hint as one line: "account:a upn:u dn:d", in that order.
std::string HintText(const AdsNameHint& hint) {
  std::string text;
  for (const std::string& name : hint.accounts) text += " account:" + name;
  for (const std::string& name : hint.principal_names) text += " upn:" + name;
  for (const std::string& dn : hint.dns) text += " dn:" + dn;
  return text.empty() ? text : text.substr(1);
}

struct HintCase {
  const char* entity;
  const char* object_class;
  bool searched;
  const char* hint;
};

const HintCase kHints[] = {
    // Plain names are looked up as account names of the domain, whatever their case.
    {"ann", "", false, "account:ann"},
    {"ANN", "", false, "account:ANN"},
    {"ws01$", "", false, "account:ws01$"},
    {"ann", "user", false, "account:ann"},
    {"ann", "Group", false, "account:ann"},
    {"ann", "inetOrgPerson", false, "account:ann"},
    // A class without account names makes a plain name a typed name of its naming attribute.
    {"ann", "person", false, ""},
    // NT names of this domain by any of its names; another domain is looked up there.
    {"SALES\\ann", "", false, "account:ann"},
    {"sales\\ann", "", false, "account:ann"},
    {"sales.corp\\ann", "", false, "account:ann"},
    {"OTHER\\ann", "", false, ""},
    {"SALES\\{01234567-89ab-cdef-0123-456789abcdef}", "", false, ""},
    {"SALES\\CN=Ann,OU=Staff", "", false, "dn:OU=Staff,DC=sales,DC=corp dn:CN=Ann,OU=Staff,DC=sales,DC=corp"},
    // Principal names, with the account name their implicit form is looked up by.
    {"ann@sales.corp", "", false, "account:ann upn:ann@sales.corp"},
    {"a(n)n@sales.corp", "", false, "account:a(n)n upn:a(n)n@sales.corp"},
    // Typed names: the container first, then the object; completed with the domain's DN.
    {"cn=ann,ou=staff", "", false, "dn:OU=staff,DC=sales,DC=corp dn:CN=ann,ou=staff,DC=sales,DC=corp"},
    {"CN=Ann,OU=Staff,DC=sales,DC=corp", "", false,
     "dn:OU=Staff,DC=sales,DC=corp dn:CN=Ann,OU=Staff,DC=sales,DC=corp"},
    {"cn=ann", "", false, "dn:CN=ann,DC=sales,DC=corp"},
    {"CN=Lee\\, Ann,OU=Staff", "", false,
     "dn:OU=Staff,DC=sales,DC=corp dn:CN=Lee\\, Ann,OU=Staff,DC=sales,DC=corp"},
    // Names that are searched for, or looked up otherwise, give nothing.
    {"ann", "", true, ""},
    {"SALES\\ann", "", true, ""},
    {"a*", "", false, ""},
    {"cn=a*,ou=staff", "", false, ""},
    {".", "", false, ""},
    {"", "", false, ""},
    {"{01234567-89ab-cdef-0123-456789abcdef}", "", false, ""},
    {"S-1-5-21-1000-2000-3000-1105", "", false, ""},
    {"Lee, Ann", "", false, ""},
};

TEST(NameHint, NamesTheLookUpsOfEachForm) {
  SampleDomain domain;
  for (const HintCase& c : kHints) {
    AdsNameHint hint;
    AddEntityToHint(domain.dir, c.object_class, c.searched, c.entity, &hint);
    EXPECT_EQ(HintText(hint), c.hint) << c.entity << " /o=" << c.object_class;
  }
}

TEST(NameHint, HintsTheEntitiesFromTheOneGivenOnInTheCurrentDomain) {
  SampleDomain domain;
  InputPrefetch prefetch(&domain.run);
  EXPECT_FALSE(prefetch.Moved());
  prefetch.Hint({"ann", "k*", "SALES\\bob", "cn=x,ou=staff"}, 1);
  EXPECT_FALSE(prefetch.Moved());
  // A line that named another domain moved the run's context.
  domain.dir.path_prefix = "LDAP://10.0.0.2/";
  domain.dir.default_naming_context = "DC=other,DC=corp";
  EXPECT_TRUE(prefetch.Moved());
  prefetch.Hint({"ann", "carol"}, 1);
  EXPECT_FALSE(prefetch.Moved());
  const std::vector<std::string> expected = {
      "LDAP://DC=sales,DC=corp account:bob dn:OU=staff,DC=sales,DC=corp dn:CN=x,ou=staff,DC=sales,DC=corp",
      "LDAP://10.0.0.2/DC=other,DC=corp account:carol"};
  EXPECT_EQ(FakeHints(), expected);
}

TEST(NameHint, ForgetsWhatWasFoundAtTheEndOfTheFile) {
  SampleDomain domain;
  {
    InputPrefetch prefetch(&domain.run);
    prefetch.Hint({"ann"}, 0);
  }
  const std::vector<std::string> expected = {"LDAP://DC=sales,DC=corp account:ann", "forget"};
  EXPECT_EQ(FakeHints(), expected);
}

TEST(NameHint, TheOneObjectAtATimeRunHintsNothing) {
  SampleDomain domain;
  domain.run.per_object_reads = true;
  {
    InputPrefetch prefetch(&domain.run);
    prefetch.Hint({"ann", "bob"}, 0);
    domain.dir.path_prefix = "LDAP://10.0.0.2/";
    EXPECT_FALSE(prefetch.Moved());
  }
  EXPECT_TRUE(FakeHints().empty());
}

TEST(NameHint, TheClassOfTheRunAtTheStartDecidesNotTheOneALineSet) {
  SampleDomain domain;
  domain.run.options.object_class = "person";
  InputPrefetch prefetch(&domain.run);
  // Resolution sets the class of each line's object; the next lines start from /o again.
  domain.run.options.object_class = "user";
  prefetch.Hint({"ann"}, 0);
  domain.run.subtree_flag = true;
  prefetch.Hint({"bob"}, 0);
  const std::vector<std::string> expected = {"LDAP://DC=sales,DC=corp", "LDAP://DC=sales,DC=corp"};
  EXPECT_EQ(FakeHints(), expected);
}

}  // namespace
