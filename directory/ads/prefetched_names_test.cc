#include "directory/ads/prefetched_names.h"

#include <gtest/gtest.h>

namespace {

constexpr char kBase[] = "DC=sales,DC=corp";

PrefetchedEntry Entry(const std::string& dn, const std::string& account, const std::string& principal = "",
                      const std::string& class_name = "user") {
  PrefetchedEntry entry;
  entry.dn = dn;
  if (!account.empty()) entry.accounts.push_back(account);
  if (!principal.empty()) entry.principal_names.push_back(principal);
  entry.class_name = class_name;
  entry.dn_attribute.push_back(AdsAttribute{"distinguishedName", kAdsTypeDn, {AdsValue{dn, 0, "", {}}}});
  return entry;
}

// A prefetch on the default server that asked for these names and found these objects.
PrefetchedNames Found(const AdsNameHint& hint, const std::vector<PrefetchedEntry>& entries) {
  PrefetchedNames names;
  names.Begin("", kBase, hint);
  for (const PrefetchedEntry& entry : entries) names.Add(entry);
  names.Finish(true);
  return names;
}

struct NameCase {
  const char* name;
  bool account;
  bool dn;
};

const NameCase kNames[] = {
    {"alice", true, false},
    {"WS01$", true, false},
    {"a(b)c", true, false},
    {"", false, false},
    {"al ice", false, false},
    {"al*", false, false},
    {"J\xc3\xbcrgen", false, false},
    {"tab\there", false, false},
    {"CN=Ann,OU=Staff,DC=sales,DC=corp", true, true},
    {"CN=Lee\\, Ann,OU=Staff", false, true},
    {"CN=Big Group,OU=Groups", false, true},
    {"CN=Lee\\, Ann,OU=Staff,DC=sales", false, true},
    {"CN=Ann", true, true},
    {"CN=Ann, OU=Staff", false, false},
    {"CN=,OU=Staff", true, false},
    {"Ann Lee,Staff", false, false},
    {"1CN=Ann", true, false},
    {"CN=J\xc3\xbcrgen,OU=Staff", false, false},
    {"CN=a*,OU=Staff", false, false},
    {"CN=Ann\\", true, false},
};

TEST(PrefetchedNames, OnlyNamesWhoseMatchesCanBeToldAreLookedFor) {
  for (const NameCase& c : kNames) {
    EXPECT_EQ(IsPrefetchableAccount(c.name), c.account) << c.name;
    EXPECT_EQ(IsPrefetchableDn(c.name), c.dn) << c.name;
  }
  EXPECT_TRUE(IsPrefetchablePrincipalName("alice@sales.corp"));
  EXPECT_FALSE(IsPrefetchablePrincipalName("alice"));
  EXPECT_FALSE(IsPrefetchablePrincipalName("j\xc3\xbcrgen@sales.corp"));
  EXPECT_FALSE(IsPrefetchableAccount(std::string(301, 'a')));
}

TEST(PrefetchedNames, OneSearchForEveryNameOnceEscaped) {
  PrefetchedNames names;
  EXPECT_TRUE(names.Filters().empty());
  names.Begin("", kBase,
              AdsNameHint{{"alice", "ALICE", "a(b)", "al ice", "bob"},
                          {"carol@sales.corp", "Carol@Sales.Corp"},
                          {"CN=Lee\\, Ann,OU=Staff,DC=sales,DC=corp", "Ann Lee,Staff"}});
  EXPECT_EQ(names.Filters(),
            std::vector<std::string>{"(|(sAMAccountName=alice)(sAMAccountName=a\\28b\\29)(sAMAccountName=bob)"
                                     "(userPrincipalName=carol@sales.corp)(distinguishedName=CN=Lee\\5C, "
                                     "Ann,OU=Staff,DC=sales,DC=corp))"});
  names.Begin("", kBase, AdsNameHint{{"al ice"}, {}, {}});
  EXPECT_TRUE(names.Filters().empty());
}

TEST(PrefetchedNames, AnswersAccountNamesWithoutRegardToCase) {
  const PrefetchedNames names = Found(
      AdsNameHint{{"Alice", "bob", "nobody", "twice"}, {}, {}},
      // alice is found by two of the searches: one object all the same.
      {Entry("CN=alice,OU=People,DC=sales,DC=corp", "alice"),
       Entry("CN=alice,OU=People,DC=sales,DC=corp", "alice"),
       Entry("CN=Bob,OU=People,DC=sales,DC=corp", "BOB"), Entry("CN=twice,OU=A,DC=sales,DC=corp", "twice"),
       Entry("CN=twice,OU=B,DC=sales,DC=corp", "TWICE")});
  struct {
    const char* account;
    PrefetchAnswer answer;
    const char* dn;
  } cases[] = {
      {"alice", PrefetchAnswer::kFound, "CN=alice,OU=People,DC=sales,DC=corp"},
      {"ALICE", PrefetchAnswer::kFound, "CN=alice,OU=People,DC=sales,DC=corp"},
      {"Bob", PrefetchAnswer::kFound, "CN=Bob,OU=People,DC=sales,DC=corp"},
      {"nobody", PrefetchAnswer::kAbsent, ""},
      // Two objects: the look-up of its own says so in its own words.
      {"twice", PrefetchAnswer::kUnknown, ""},
      // Not asked for: the search says nothing about it.
      {"carol", PrefetchAnswer::kUnknown, ""},
  };
  for (const auto& c : cases) {
    std::string dn;
    EXPECT_EQ(names.FindAccount("", kBase, c.account, &dn), c.answer) << c.account;
    EXPECT_EQ(dn, c.dn) << c.account;
  }
  std::string dn;
  // Another domain, or the same names on another server, are not what the search looked at.
  EXPECT_EQ(names.FindAccount("", "DC=other,DC=corp", "alice", &dn), PrefetchAnswer::kUnknown);
  EXPECT_EQ(names.FindAccount("dc2", kBase, "alice", &dn), PrefetchAnswer::kUnknown);
  EXPECT_EQ(names.FindAccount("", "dc=SALES,dc=Corp", "alice", &dn), PrefetchAnswer::kFound);
}

TEST(PrefetchedNames, AnAccountNameFoundThatIsNotPlainAsciiLeavesEveryAccountToItsLookUp) {
  // The server may take "J\xc3\xbcrgen" or "ann " to match a name by rules of its own.
  for (const char* odd : {"J\xc3\xbcrgen", "ann "}) {
    const PrefetchedNames names = Found(
        AdsNameHint{{"alice", "ann"}, {"x@sales.corp"}, {}},
        {Entry("CN=alice,DC=sales,DC=corp", "alice"), Entry("CN=x,DC=sales,DC=corp", odd, "x@sales.corp")});
    std::string dn;
    EXPECT_EQ(names.FindAccount("", kBase, "alice", &dn), PrefetchAnswer::kUnknown) << odd;
    EXPECT_EQ(names.FindAccount("", kBase, "ann", &dn), PrefetchAnswer::kUnknown) << odd;
    // Principal names are told by their own values.
    EXPECT_EQ(names.FindPrincipalName("", kBase, "X@SALES.CORP", &dn), PrefetchAnswer::kFound) << odd;
    EXPECT_EQ(dn, "CN=x,DC=sales,DC=corp");
  }
}

TEST(PrefetchedNames, AnswersPrincipalNamesFoundAndAbsent) {
  const PrefetchedNames names = Found(
      AdsNameHint{{}, {"alice@sales.corp", "nobody@sales.corp"}, {}},
      {Entry("CN=alice,DC=sales,DC=corp", "alice", "Alice@Sales.Corp"), Entry("CN=b,DC=sales,DC=corp", "b")});
  std::string dn;
  EXPECT_EQ(names.FindPrincipalName("", kBase, "alice@sales.corp", &dn), PrefetchAnswer::kFound);
  EXPECT_EQ(dn, "CN=alice,DC=sales,DC=corp");
  EXPECT_EQ(names.FindPrincipalName("", kBase, "nobody@sales.corp", &dn), PrefetchAnswer::kAbsent);
  EXPECT_EQ(names.FindPrincipalName("", kBase, "other@sales.corp", &dn), PrefetchAnswer::kUnknown);
  const PrefetchedNames odd = Found(AdsNameHint{{}, {"alice@sales.corp"}, {}},
                                    {Entry("CN=x,DC=sales,DC=corp", "x", "\xc3\xa4lice@sales.corp")});
  EXPECT_EQ(odd.FindPrincipalName("", kBase, "alice@sales.corp", &dn), PrefetchAnswer::kUnknown);
}

TEST(PrefetchedNames, AnswersIdentityReadsOfEveryObjectFound) {
  const PrefetchedNames names = Found(AdsNameHint{{"alice"}, {}, {"ou=staff,DC=sales,DC=corp"}},
                                      {Entry("CN=alice,OU=People,DC=sales,DC=corp", "alice"),
                                       Entry("OU=Staff,DC=sales,DC=corp", "", "", "organizationalUnit")});
  std::string dn, class_name;
  EXPECT_TRUE(names.FindByDn("", "OU=STAFF,dc=sales,dc=corp", &dn));
  EXPECT_EQ(dn, "OU=Staff,DC=sales,DC=corp");
  EXPECT_TRUE(names.FindIdentity("", "cn=alice,ou=people,DC=sales,DC=corp", &dn, &class_name));
  EXPECT_EQ(dn, "CN=alice,OU=People,DC=sales,DC=corp");
  EXPECT_EQ(class_name, "user");
  std::vector<AdsAttribute> attributes;
  ASSERT_TRUE(names.FindDnAttribute("", "OU=Staff,DC=sales,DC=corp", &attributes));
  ASSERT_EQ(attributes.size(), 1u);
  EXPECT_EQ(attributes[0].name, "distinguishedName");
  EXPECT_EQ(attributes[0].values[0].text, "OU=Staff,DC=sales,DC=corp");
  // Written otherwise than by case, or not found, or on another server: read for itself.
  EXPECT_FALSE(names.FindByDn("", "OU=Staff, DC=sales,DC=corp", &dn));
  EXPECT_FALSE(names.FindIdentity("", "CN=bob,OU=People,DC=sales,DC=corp", &dn, &class_name));
  EXPECT_FALSE(names.FindIdentity("dc2", "CN=alice,OU=People,DC=sales,DC=corp", &dn, &class_name));
}

TEST(PrefetchedNames, ASearchThatFailedOrReturnedTooMuchAnswersNothing) {
  PrefetchedNames names;
  names.Begin("", kBase, AdsNameHint{{"alice", "nobody"}, {}, {}});
  names.Add(Entry("CN=alice,DC=sales,DC=corp", "alice"));
  std::string dn, class_name;
  // Nothing is answered before the search has ended.
  EXPECT_EQ(names.FindAccount("", kBase, "nobody", &dn), PrefetchAnswer::kUnknown);
  names.Finish(false);
  EXPECT_EQ(names.FindAccount("", kBase, "alice", &dn), PrefetchAnswer::kUnknown);
  EXPECT_EQ(names.FindAccount("", kBase, "nobody", &dn), PrefetchAnswer::kUnknown);
  EXPECT_FALSE(names.FindIdentity("", "CN=alice,DC=sales,DC=corp", &dn, &class_name));

  names.Begin("", kBase, AdsNameHint{{"alice"}, {}, {}});
  size_t added = 0;
  while (names.Add(Entry("CN=x" + std::to_string(added) + ",DC=sales,DC=corp", "alice"))) ++added;
  EXPECT_EQ(added, PrefetchedNames::kMaxEntries);
}

TEST(PrefetchedNames, KeepsOneHintAtATime) {
  PrefetchedNames names =
      Found(AdsNameHint{{"alice"}, {}, {}}, {Entry("CN=alice,DC=sales,DC=corp", "alice")});
  names.KeepClassProperties("", "user", {"objectClass"}, {"sAMAccountName"});
  std::vector<std::string> mandatory, optional;
  EXPECT_TRUE(names.FindClassProperties("", "User", &mandatory, &optional));
  EXPECT_EQ(optional, std::vector<std::string>{"sAMAccountName"});
  EXPECT_FALSE(names.FindClassProperties("dc2", "user", &mandatory, &optional));

  // The next hint replaces everything the last one found.
  names.Begin("", kBase, AdsNameHint{{"bob"}, {}, {}});
  names.Add(Entry("CN=bob,DC=sales,DC=corp", "bob"));
  names.Finish(true);
  std::string dn, class_name;
  EXPECT_EQ(names.FindAccount("", kBase, "alice", &dn), PrefetchAnswer::kUnknown);
  EXPECT_FALSE(names.FindIdentity("", "CN=alice,DC=sales,DC=corp", &dn, &class_name));
  EXPECT_FALSE(names.FindClassProperties("", "user", &mandatory, &optional));

  // Names beyond the bound of one hint are left to their look-ups.
  AdsNameHint many;
  for (size_t i = 0; i <= PrefetchedNames::kMaxNames; ++i) many.accounts.push_back("u" + std::to_string(i));
  names.Begin("", kBase, many);
  names.Finish(true);
  EXPECT_EQ(names.FindAccount("", kBase, "u0", &dn), PrefetchAnswer::kAbsent);
  EXPECT_EQ(names.FindAccount("", kBase, "u" + std::to_string(PrefetchedNames::kMaxNames), &dn),
            PrefetchAnswer::kUnknown);

  // Forgotten, nothing is answered and no class kept.
  names.Clear();
  names.KeepClassProperties("", "user", {"objectClass"}, {});
  EXPECT_FALSE(names.FindClassProperties("", "user", &mandatory, &optional));
  EXPECT_EQ(names.FindAccount("", kBase, "u0", &dn), PrefetchAnswer::kUnknown);
}

}  // namespace
