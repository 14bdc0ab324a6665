// Entity resolution against the sample domain: every main form of name, and the refusals.
#include "retrieval/entity.h"

#include <gtest/gtest.h>

#include "retrieval/sample_domain_test_util.h"

namespace {

constexpr char kAnn[] = "CN=Ann,OU=Staff,DC=sales,DC=corp";

class Resolution : public testing::Test {
 protected:
  bool Resolve(const std::string& entity, const std::string& object_class = "") {
    d.run.entity = entity;
    d.run.options.object_class = object_class;
    return ResolveEntity(&d.run);
  }
  SampleDomain d;
};

TEST_F(Resolution, MainFormsResolveToTheObject) {
  AddUser("CN=Ann Lee,OU=Staff,DC=sales,DC=corp", "alee");
  const struct {
    const char* entity;
    const char* dn;
  } cases[] = {
      {".", kAnn},
      {"CN=Ann,OU=Staff,DC=sales,DC=corp", kAnn},
      {"CN=Ann,OU=Staff", kAnn},  // completed with the domain
      {"cn=Ann,ou=Staff", kAnn},  // types in any case
      {"ann", kAnn},              // account name, tried as SALES\ann
      {"SALES\\ann", kAnn},       // NT format
      {"ann@sales.corp", kAnn},   // user principal name
      {"{04030201-0605-0807-090A-0B0C0D0E0F10}", kAnn},
      {"S-1-5-21-1000-2000-3000-1105", kAnn},               // security identifier
      {"Ann Lee", "CN=Ann Lee,OU=Staff,DC=sales,DC=corp"},  // common name
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(Resolve(c.entity)) << c.entity << "\n" << d.output.Stderr();
    EXPECT_EQ(d.run.entity, c.dn) << c.entity;
    EXPECT_EQ(d.run.options.object_class, "user") << c.entity;
    EXPECT_FALSE(d.run.search_flag) << c.entity;
  }
  EXPECT_EQ(d.output.Stderr(), "");
  EXPECT_EQ(d.output.out.error_count, 0);
}

TEST_F(Resolution, PlainNameTriesAccountNameBeforeCommonName) {
  EXPECT_TRUE(Resolve("ann"));
  EXPECT_EQ(SampleDomain::Calls("translate 8 "),
            (std::vector<std::string>{"translate 8 ann", "translate 8 SALES\\ann"}));
  EXPECT_TRUE(SampleDomain::Calls("search ").empty());
}

TEST_F(Resolution, ClassWithAccountNamesGoesStraightToTheNtName) {
  EXPECT_TRUE(Resolve("ann", "user"));
  EXPECT_EQ(d.run.entity, kAnn);
  EXPECT_EQ(SampleDomain::Calls("translate 8 "), (std::vector<std::string>{"translate 8 SALES\\ann"}));
}

TEST_F(Resolution, CommonNameMustBeUniqueAndPresent) {
  AddUser("CN=Ann Lee,OU=Staff,DC=sales,DC=corp", "alee");
  AddUser("CN=Ann Lee,CN=Users,DC=sales,DC=corp", "alee2");
  EXPECT_FALSE(Resolve("Ann Lee"));
  EXPECT_FALSE(Resolve("Bob Smith"));
  EXPECT_EQ(d.output.Stderr(),
            "LORVEX: Name Ann Lee is not unique (2 matches)\n"
            "LORVEX: No objects named Bob Smith were found\n");
  EXPECT_EQ(d.output.out.error_count, 2);
  EXPECT_EQ(SampleDomain::Calls("search DC=sales,DC=corp 2 1 (&(CN=Bob Smith))").size(), 1u);
}

TEST_F(Resolution, UnknownGuidIsReportedWithoutFurtherAttempts) {
  EXPECT_FALSE(Resolve("{00000000-0000-0000-0000-000000000000}"));
  EXPECT_EQ(d.output.Stderr(),
            "LORVEX: Cannot verify {00000000-0000-0000-0000-000000000000}\n"
            "Reason(s): There is no such object on the server\n");
  EXPECT_EQ(SampleDomain::Calls("translate 8 ").size(), 1u);
  EXPECT_TRUE(SampleDomain::Calls("search ").empty());
}

TEST_F(Resolution, OtherClassesAreRefusedWithTheirArticle) {
  FakeAddObject("CN=Printer Desk,OU=Staff,DC=sales,DC=corp", {"top", "contact"});
  EXPECT_FALSE(Resolve("CN=Printer Desk,OU=Staff"));
  EXPECT_FALSE(Resolve("OU=Staff"));
  EXPECT_EQ(
      d.output.Stderr(),
      "LORVEX: CN=Printer Desk,OU=Staff is not a user, computer, inetOrgPerson or group (it is a contact)\n"
      "LORVEX: OU=Staff is not a user, computer, inetOrgPerson or group (it is an organizationalUnit)\n");
  EXPECT_EQ(d.output.out.error_count, 2);
}

TEST_F(Resolution, ObjectOfAnotherClassThanAskedIsRefused) {
  EXPECT_FALSE(Resolve(".", "group"));
  EXPECT_EQ(d.output.Stderr(), "LORVEX: CN=Ann,OU=Staff is not a group (it is a user)\n");
  FakeAddObject("CN=Carl,OU=Staff,DC=sales,DC=corp",
                {"top", "person", "organizationalPerson", "user", "inetOrgPerson"},
                {FakeString("sAMAccountName", "carl")});
  EXPECT_TRUE(Resolve("CN=Carl,OU=Staff"));
  EXPECT_EQ(d.run.options.object_class, "inetOrgPerson");
  EXPECT_FALSE(Resolve("CN=Carl,OU=Staff", "user"));
  EXPECT_EQ(d.output.Stderr(),
            "LORVEX: CN=Ann,OU=Staff is not a group (it is a user)\n"
            "LORVEX: CN=Carl,OU=Staff is not a user (it is an inetOrgPerson)\n");
}

TEST_F(Resolution, WildcardsAndTypedNamesAreMarkedForTheSearch) {
  FakeAddObject("OU=Sales,DC=sales,DC=corp", {"top", "organizationalUnit"});
  const struct {
    const char* entity;
    const char* object_class;
    const char* resolved;
    bool subtree;
    const char* class_after;
  } cases[] = {
      {"c*", "", "c*", true, "User"},
      {"c*", "group", "CN=c*", true, "group"},
      {"cn=c*", "", "CN=c*", false, "User"},
      {"cn=c*,ou=sales", "", "CN=c*,OU=Sales,DC=sales,DC=corp", false, "User"},
      {"SALES\\c*", "", "SALES\\c*", true, "User"},
      {"SALES\\c*", "user", "CN=c*", true, "user"},
  };
  for (const auto& c : cases) {
    d.run.subtree_flag = false;
    EXPECT_TRUE(Resolve(c.entity, c.object_class)) << c.entity << "\n" << d.output.Stderr();
    EXPECT_TRUE(d.run.search_flag) << c.entity;
    EXPECT_EQ(d.run.subtree_flag, c.subtree) << c.entity;
    EXPECT_EQ(d.run.entity, c.resolved) << c.entity;
    EXPECT_EQ(d.run.options.object_class, c.class_after) << c.entity;
  }
}

TEST_F(Resolution, WildcardSubtreeFlagStaysForLaterNames) {
  EXPECT_TRUE(Resolve("c*"));
  EXPECT_TRUE(d.run.subtree_flag);
  EXPECT_TRUE(Resolve("ann"));  // a later file line: searched too
  EXPECT_TRUE(d.run.search_flag);
  EXPECT_EQ(d.run.entity, "ann");
}

TEST_F(Resolution, SubtreeOptionMarksEveryNameForTheSearch) {
  d.run.options.subtree = true;
  EXPECT_TRUE(Resolve("cn=ann"));
  EXPECT_TRUE(d.run.search_flag);
  EXPECT_TRUE(d.run.subtree_flag);
}

TEST_F(Resolution, ContainerThatIsNoOrganizationalUnitIsFoundAsContainer) {
  FakeAddObject("CN=Projects,DC=sales,DC=corp", {"top", "container"});
  EXPECT_TRUE(Resolve("cn=c*,projects"));
  EXPECT_EQ(d.run.entity, "CN=c*,CN=Projects,DC=sales,DC=corp");
  EXPECT_EQ(SampleDomain::Calls("open LDAP://OU=projects"),
            (std::vector<std::string>{"open LDAP://OU=projects,DC=sales,DC=corp"}));
  EXPECT_EQ(SampleDomain::Calls("open LDAP://CN=projects"),
            (std::vector<std::string>{"open LDAP://CN=projects,DC=sales,DC=corp"}));
}

TEST_F(Resolution, ContainerIsBuiltFromItsLastComponent) {
  FakeAddObject("OU=Emea,DC=sales,DC=corp", {"top", "organizationalUnit"});
  FakeAddObject("OU=Sales,OU=Emea,DC=sales,DC=corp", {"top", "organizationalUnit"});
  EXPECT_TRUE(Resolve("cn=c*,sales,emea"));
  EXPECT_EQ(d.run.entity, "CN=c*,OU=Sales,OU=Emea,DC=sales,DC=corp");
  std::vector<std::string> steps;
  for (const std::string& line : SampleDomain::Calls("open LDAP://OU=")) steps.push_back(line.substr(12));
  EXPECT_EQ(steps,
            (std::vector<std::string>{"OU=emea,DC=sales,DC=corp", "OU=sales,OU=emea,DC=sales,DC=corp"}));
}

TEST_F(Resolution, ContainerWithEscapedCommaKeepsTheName) {
  AddUser("CN=Lee\\, Ann,OU=Staff,DC=sales,DC=corp", "leea");
  EXPECT_TRUE(Resolve("CN=Lee\\, Ann,OU=Staff"));
  EXPECT_EQ(d.run.entity, "CN=Lee\\, Ann,OU=Staff,DC=sales,DC=corp");
}

TEST_F(Resolution, MissingContainerIsReported) {
  EXPECT_FALSE(Resolve("cn=c*,nowhere"));
  EXPECT_EQ(d.output.Stderr(),
            "LORVEX: Cannot verify container nowhere\n"
            "Reason(s): There is no such object on the server\n");
  EXPECT_EQ(d.output.out.error_count, 1);
}

TEST_F(Resolution, ServerNotOperationalIsReportedAsNoSuchObject) {
  FakeFailBind(kAnn, kAdsServerDown);
  std::string name = kAnn, class_name, error;
  EXPECT_EQ(VerifyObject(&d.run, &name, &class_name, &error), kAdsNoSuchObject);
  EXPECT_EQ(error, "Cannot verify CN=Ann,OU=Staff,DC=sales,DC=corp");
  class_name = "user";
  EXPECT_EQ(VerifyObject(&d.run, &name, &class_name, &error), kAdsNoSuchObject);
  EXPECT_EQ(error, "Cannot verify user CN=Ann,OU=Staff,DC=sales,DC=corp");
}

TEST(TranslateToDN, PreparesTheNameBeforeTranslation) {
  SampleDomain d;
  const struct {
    const char* name;
    const char* translated;
  } cases[] = {
      {"cn=Nobody", "CN=Nobody,DC=sales,DC=corp"},  // typed: completed with the domain
      {"cn=Nobody,ou=x", "CN=Nobody,ou=x,DC=sales,DC=corp"},
      {"Nobody,Staff", "Nobody,Staff,DC=sales,DC=corp"},             // comma and no type
      {"CN=Nobody,DC=other,DC=corp", "CN=Nobody,DC=other,DC=corp"},  // has its domain already
      {"sales/nobody", "sales\\nobody"},                             // slash read as NT format
      {"nobody", "nobody"},
  };
  for (const auto& c : cases) {
    std::string dn;
    EXPECT_EQ(TranslateToDN(&d.dir, c.name, &dn), kAdsNoSuchObject) << c.name;
    EXPECT_EQ(dn, c.translated) << c.name;
  }
}

TEST(TranslateToDN, FallsBackToDomainAndCatalogueInitialisation) {
  SampleDomain d;
  FakeFailTranslateInit(kAdsNameInitServer, kAdsServerDown);
  FakeFailTranslateInit(kAdsNameInitDomain, kAdsServerDown);
  std::string dn;
  EXPECT_EQ(TranslateToDN(&d.dir, "SALES\\ann", &dn), kAdsOk);
  EXPECT_EQ(dn, kAnn);
  EXPECT_EQ(
      SampleDomain::Calls("translate-init "),
      (std::vector<std::string>{"translate-init 2 DC1", "translate-init 1 SALES", "translate-init 3 "}));
}

}  // namespace
