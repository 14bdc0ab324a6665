#include "directory/ads/prefetched_names.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

constexpr char kBase[] = "DC=sales,DC=corp";

PrefetchedEntry Entry(const std::string& dn, const std::string& account, const std::string& principal = "",
                      const std::string& class_name = "user") {
  PrefetchedEntry entry{
      dn, {}, {}, class_name, {{"distinguishedName", kAdsTypeDn, {AdsValue{dn, 0, "", {}}}}}};
  if (!account.empty()) entry.accounts.push_back(account);
  if (!principal.empty()) entry.principal_names.push_back(principal);
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

// What the prefetch answers for a look-up of an account (a), principal name (p), DN (d) or identity
// (i): "found DN [CLASS]", "absent" or "unknown".
std::string Answer(const PrefetchedNames& names, char kind, const std::string& name, const char* server = "",
                   const char* base = kBase) {
  std::string dn, class_name;
  PrefetchAnswer answer = PrefetchAnswer::kUnknown;
  if (kind == 'a') answer = names.FindAccount(server, base, name, &dn);
  if (kind == 'p') answer = names.FindPrincipalName(server, base, name, &dn);
  if (kind == 'd' && names.FindByDn(server, name, &dn)) answer = PrefetchAnswer::kFound;
  if (kind == 'i' && names.FindIdentity(server, name, &dn, &class_name))
    return "found " + dn + " " + class_name;
  return answer == PrefetchAnswer::kFound    ? "found " + dn
         : answer == PrefetchAnswer::kAbsent ? "absent"
                                             : "unknown";
}

TEST(PrefetchedNames, OnlyNamesWhoseMatchesCanBeToldAreLookedFor) {
  // Names between '|', each after "A" when it may be looked for as an account and "D" as a DN.
  std::istringstream cases(
      "A-alice|A-WS01$|A-a(b)c|--|--al ice|--al*|--J\xc3\xbcrgen|--tab\there|AD"
      "CN=Ann,OU=Staff,DC=sales,DC=corp|-DCN=Lee\\, Ann,OU=Staff|-DCN=Lee\\, Ann,OU=Staff,DC=sales|"
      "-DCN=Big Group,OU=Groups|ADCN=Ann|--CN=Ann, OU=Staff|A-CN=,OU=Staff|--Ann Lee,Staff|A-1CN=Ann|"
      "--CN=J\xc3\xbcrgen,OU=Staff|--CN=a*,OU=Staff|A-CN=Ann\\");
  for (std::string c; std::getline(cases, c, '|');) {
    EXPECT_EQ(IsPrefetchableAccount(c.substr(2)), c[0] == 'A') << c;
    EXPECT_EQ(IsPrefetchableDn(c.substr(2)), c[1] == 'D') << c;
  }
  EXPECT_TRUE(IsPrefetchablePrincipalName("alice@sales.corp"));
  EXPECT_FALSE(IsPrefetchablePrincipalName("alice") ||
               IsPrefetchablePrincipalName("j\xc3\xbcrgen@sales.corp"));
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

TEST(PrefetchedNames, AnswersTheNamesAskedForFromWhatWasFound) {
  const std::string alice = "CN=alice,OU=People,DC=sales,DC=corp", staff = "OU=Staff,DC=sales,DC=corp";
  const PrefetchedNames names =
      Found(AdsNameHint{{"Alice", "nobody", "twice"},
                        {"alice@sales.corp", "nobody@sales.corp"},
                        {"ou=staff,DC=sales,DC=corp"}},
            {Entry(alice, "alice", "Alice@Sales.Corp"), Entry(alice, "alice", "Alice@Sales.Corp"),
             Entry("CN=twice,OU=A,DC=sales,DC=corp", "twice"),
             Entry("CN=twice,OU=B,DC=sales,DC=corp", "TWICE"), Entry(staff, "", "", "organizationalUnit")});
  const std::tuple<char, std::string, std::string> cases[] = {
      {'a', "ALICE", "found " + alice},  // found by two of the searches: one object
      {'a', "nobody", "absent"},
      {'a', "twice", "unknown"},  // two objects: its own look-up says so in its own words
      {'a', "carol", "unknown"},  // not asked for
      {'p', "alice@sales.corp", "found " + alice},
      {'p', "nobody@sales.corp", "absent"},
      {'d', "OU=STAFF,dc=sales,dc=corp", "found " + staff},
      {'d', "OU=Staff, DC=sales,DC=corp", "unknown"},  // written otherwise than by case
      {'i', "cn=alice,ou=people,DC=sales,DC=corp", "found " + alice + " user"},
      {'i', "CN=bob,OU=People,DC=sales,DC=corp", "unknown"}};
  for (const auto& [kind, name, answer] : cases) EXPECT_EQ(Answer(names, kind, name), answer) << kind << name;
  // Another domain, or the same names on another server, are not what the search looked at.
  EXPECT_EQ(Answer(names, 'a', "alice", "", "dc=SALES,dc=Corp"), "found " + alice);
  EXPECT_EQ(Answer(names, 'a', "alice", "", "DC=other,DC=corp") + Answer(names, 'a', "alice", "dc2") +
                Answer(names, 'i', alice, "dc2"),
            "unknownunknownunknown");
  std::vector<AdsAttribute> attributes;
  ASSERT_TRUE(names.FindDnAttribute("", staff, &attributes));
  ASSERT_EQ(attributes.size(), 1u);
  EXPECT_EQ(attributes[0].name + " " + attributes[0].values[0].text, "distinguishedName " + staff);
}

TEST(PrefetchedNames, AnAccountNameFoundThatIsNotPlainAsciiLeavesEveryAccountToItsLookUp) {
  // The server may take "J\xc3\xbcrgen" or "ann " to match a name by rules of its own; principal
  // names are told by their own values.
  for (const char* odd : {"J\xc3\xbcrgen", "ann "}) {
    const PrefetchedNames names = Found(
        AdsNameHint{{"alice", "ann"}, {"x@sales.corp"}, {}},
        {Entry("CN=alice,DC=sales,DC=corp", "alice"), Entry("CN=x,DC=sales,DC=corp", odd, "x@sales.corp")});
    EXPECT_EQ(Answer(names, 'a', "alice") + Answer(names, 'a', "ann"), "unknownunknown") << odd;
    EXPECT_EQ(Answer(names, 'p', "X@SALES.CORP"), "found CN=x,DC=sales,DC=corp") << odd;
  }
  const PrefetchedNames odd = Found(AdsNameHint{{}, {"alice@sales.corp"}, {}},
                                    {Entry("CN=x,DC=sales,DC=corp", "x", "\xc3\xa4lice@sales.corp")});
  EXPECT_EQ(Answer(odd, 'p', "alice@sales.corp"), "unknown");
}

TEST(PrefetchedNames, ASearchThatFailedOrReturnedTooMuchAnswersNothing) {
  PrefetchedNames names;
  names.Begin("", kBase, AdsNameHint{{"alice", "nobody"}, {}, {}});
  names.Add(Entry("CN=alice,DC=sales,DC=corp", "alice"));
  EXPECT_EQ(Answer(names, 'a', "nobody"), "unknown");  // nothing before the search has ended
  names.Finish(false);
  EXPECT_EQ(Answer(names, 'a', "alice") + Answer(names, 'a', "nobody"), "unknownunknown");
  EXPECT_EQ(Answer(names, 'i', "CN=alice,DC=sales,DC=corp"), "unknown");
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
  EXPECT_EQ(Answer(names, 'a', "alice") + Answer(names, 'i', "CN=alice,DC=sales,DC=corp"), "unknownunknown");
  EXPECT_FALSE(names.FindClassProperties("", "user", &mandatory, &optional));
  // Names beyond the bound of one hint are left to their look-ups.
  AdsNameHint many;
  for (size_t i = 0; i <= PrefetchedNames::kMaxNames; ++i) many.accounts.push_back("u" + std::to_string(i));
  names.Begin("", kBase, many);
  names.Finish(true);
  EXPECT_EQ(Answer(names, 'a', "u0"), "absent");
  EXPECT_EQ(Answer(names, 'a', "u" + std::to_string(PrefetchedNames::kMaxNames)), "unknown");
  // Forgotten, nothing is answered and no class kept.
  names.Clear();
  names.KeepClassProperties("", "user", {"objectClass"}, {});
  EXPECT_FALSE(names.FindClassProperties("", "user", &mandatory, &optional));
  EXPECT_EQ(Answer(names, 'a', "u0"), "unknown");
}

}  // namespace
