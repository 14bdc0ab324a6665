#include "directory/directory_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "directory/ads/fake/ads_fake.h"
#include "util/output.h"

namespace {

const char kDomain[] = "DC=sales,DC=corp";
const char kSchema[] = "CN=Schema,CN=Configuration,DC=sales,DC=corp";
const char kServer[] =
    "CN=DC1,CN=Servers,CN=Default-First-Site-Name,CN=Sites,CN=Configuration,DC=sales,DC=corp";
const char kAnn[] = "CN=Ann,OU=Staff,DC=sales,DC=corp";

// A console that answers the credential prompt from a script and records what it shows.
struct ScriptedConsole {
  bool terminal = true;
  std::string shown;
  std::string line;
  std::deque<int> keys;
};
ScriptedConsole* g_script = nullptr;

const PromptConsole kScripted = {
    [] { return g_script->terminal; },
    [](const char* text) { g_script->shown += text; },
    [] {
      if (g_script->keys.empty()) return -1;
      int key = g_script->keys.front();
      g_script->keys.pop_front();
      return key;
    },
    [](std::string* line, size_t max_length) {
      *line = g_script->line.substr(0, max_length);
      return true;
    },
};

class DirectoryContextTest : public testing::Test {
 protected:
  void SetUp() override {
    FakeReset();
    g_credentials = AdsCredentials();
    g_script = &script_;
    SetPromptConsole(&kScripted);
    out_ = OutputContext();
    FakeSetRootDse(kDomain, kSchema, kServer);
    FakeAddObject(kDomain, {"top", "domain", "domainDNS"});
    FakeAddObject(kSchema, {"top", "dMD"});
    FakeAddObject("CN=Partitions,CN=Configuration,DC=sales,DC=corp", {"top", "crossRefContainer"});
    FakeUserName("ann");
  }
  void TearDown() override {
    SetPromptConsole(nullptr);
    g_credentials = AdsCredentials();
  }
  static void FakeUserName(const char* name) { FakeSetUserName(name); }
  static void AddCrossRef() {
    FakeAddObject("CN=SALES,CN=Partitions,CN=Configuration,DC=sales,DC=corp", {"top", "crossRef"},
                  {FakeDn("nCName", kDomain), FakeString("nETBIOSName", "SALESNB"),
                   FakeString("dnsRoot", "sales.corp")});
  }
  static void AddAnn() {
    FakeAddObject(kAnn, {"top", "person", "organizationalPerson", "user"},
                  {FakeString("sAMAccountName", "ann")});
  }
  static bool Called(const std::string& call) {
    const std::vector<std::string>& calls = FakeCalls();
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }

  ScriptedConsole script_;
  OutputContext out_;
  DirectoryContext dir_;
  std::string error_;
};

TEST_F(DirectoryContextTest, OpenFillsTheContextFromTheRootDseAndTheCrossReference) {
  AddCrossRef();
  AddAnn();
  ASSERT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), 1);
  EXPECT_EQ(error_, "");
  EXPECT_EQ(dir_.path_prefix, "LDAP://");
  EXPECT_EQ(dir_.server_name, "DC1");
  EXPECT_EQ(dir_.default_naming_context, kDomain);
  EXPECT_EQ(dir_.domain_short_name, "SALES");
  EXPECT_EQ(dir_.schema_naming_context, kSchema);
  EXPECT_EQ(dir_.netbios_domain_name, "SALESNB");
  EXPECT_EQ(dir_.dns_domain_name, "sales.corp");
  EXPECT_EQ(dir_.account_dn, kAnn);
  EXPECT_EQ(dir_.open_count, 1);
  // Accepted at once: no prompt, the credentials stay unset.
  EXPECT_EQ(script_.shown, "");
  EXPECT_FALSE(g_credentials.set);
  EXPECT_TRUE(Called("open LDAP://rootDSE"));
  EXPECT_TRUE(Called("open LDAP://CN=Schema,CN=Configuration,DC=sales,DC=corp"));
  EXPECT_TRUE(
      Called("search CN=Partitions,CN=Configuration,DC=sales,DC=corp 2 1 "
             "(&(objectCategory=crossRef)(nCName=DC=sales,DC=corp))"));
  EXPECT_TRUE(Called("search DC=sales,DC=corp 2 1 (&(sAMAccountName=ann))"));
}

TEST_F(DirectoryContextTest, WithoutCrossReferenceTheDomainNamesAreTheShortName) {
  ASSERT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), 1);
  EXPECT_EQ(dir_.netbios_domain_name, "SALES");
  EXPECT_EQ(dir_.dns_domain_name, "SALES");
}

TEST_F(DirectoryContextTest, AnAccountNotFoundKeepsItsPlainName) {
  ASSERT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), 1);
  EXPECT_EQ(dir_.account_dn, "ann");
}

TEST_F(DirectoryContextTest, UnreachableRootDseFailsTheOpen) {
  FakeFailServer("", kAdsServerDown);
  EXPECT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), kAdsServerDown);
  EXPECT_EQ(error_, "Cannot connect to LDAP://rootDSE");
  EXPECT_EQ(dir_.open_count, 0);
}

TEST_F(DirectoryContextTest, MissingRootDseValuesNameTheValue) {
  FakeSetRootDse(kDomain, "", kServer);
  EXPECT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), kAdsPropertyNotFound);
  EXPECT_EQ(error_, "Cannot get the schema naming context");
  FakeSetRootDse(kDomain, kSchema, "");
  EXPECT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), kAdsPropertyNotFound);
  EXPECT_EQ(error_, "Cannot get the default server name");
  FakeSetRootDse("", kSchema, kServer);
  EXPECT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), kAdsPropertyNotFound);
  EXPECT_EQ(error_, "Cannot get the default naming context");
}

TEST_F(DirectoryContextTest, RefusedLogonWithRedirectedOutputEndsWithoutPrompt) {
  FakeRequireCredentials("SALES\\ann", "pw");
  script_.terminal = false;
  EXPECT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), -1);
  EXPECT_EQ(error_, "Cannot authenticate to domain SALES when output is redirected");
  EXPECT_EQ(script_.shown, "");
  EXPECT_EQ(dir_.open_count, 0);
}

TEST_F(DirectoryContextTest, PromptedCredentialsAreKeptAndTheAccountIsTheNamePart) {
  AddAnn();
  FakeRequireCredentials("SALES\\ann", "pw");
  script_.line = "SALES\\ann";
  // Backspace before any character rings the bell; a wrong character is taken back.
  script_.keys = {8, 'p', 'x', 127, 'w', '\r'};
  out_.page_rows = 5;
  ASSERT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), 1);
  EXPECT_EQ(script_.shown,
            "\nAuthentication is required for domain SALES\nUsername: Password for SALES\\ann: \a\n");
  EXPECT_TRUE(g_credentials.set);
  EXPECT_EQ(g_credentials.user, "SALES\\ann");
  EXPECT_EQ(g_credentials.password, "pw");
  EXPECT_EQ(out_.page_rows, 8);
  EXPECT_EQ(dir_.account_dn, kAnn);
  EXPECT_TRUE(Called("search DC=sales,DC=corp 2 1 (&(sAMAccountName=ann))"));
}

TEST_F(DirectoryContextTest, AWrongAnswerAtThePromptEndsTheOpen) {
  FakeRequireCredentials("SALES\\ann", "pw");
  script_.line = "SALES\\ann";
  script_.keys = {'n', 'o', '\r'};
  EXPECT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), kAdsLogonFailure);
  EXPECT_EQ(error_, "Cannot authenticate to domain SALES");
  EXPECT_FALSE(g_credentials.set);
}

TEST_F(DirectoryContextTest, OtherBindFailuresAreNotPrompted) {
  FakeFailBind(kSchema, kAdsAccessDenied);
  EXPECT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), kAdsAccessDenied);
  EXPECT_EQ(error_, "Cannot authenticate to domain SALES");
  EXPECT_EQ(script_.shown, "");
}

TEST_F(DirectoryContextTest, AccountSearchFailuresAreNamed) {
  std::string dn, message;
  FakeFailSearch(kDomain, kAdsServerDown);
  dir_.path_prefix = "LDAP://";
  dir_.default_naming_context = kDomain;
  EXPECT_EQ(LocateAccount(&dir_, "ann", &dn, &message), kAdsServerDown);
  EXPECT_EQ(message, "Failed to complete the search for ann");
  EXPECT_EQ(dn, "ann");
  FakeFailBind(kDomain, kAdsNoSuchObject);
  EXPECT_EQ(LocateAccount(&dir_, "ann", &dn, &message), kAdsNoSuchObject);
  EXPECT_EQ(message, "Cannot connect to LDAP://DC=sales,DC=corp to locate ann");
}

TEST_F(DirectoryContextTest, CurrentDomainNamesAreRewrittenWithoutASwitch) {
  AddCrossRef();
  ASSERT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), 1);
  struct Case {
    const char* entity;
    const char* result;
  } cases[] = {
      {"sales\\ann", "SALESNB\\ann"},
      {"salesnb\\ann", "SALESNB\\ann"},
      {"Sales.Corp\\ann", "SALESNB\\ann"},
      {"sales\\cn=ann", "cn=ann"},
      // A brace after the backslash is not a name character: not NT format, left alone.
      {"sales\\{4FA050F0-F561-11CF-BDD9-00AA003A77B6}", "sales\\{4FA050F0-F561-11CF-BDD9-00AA003A77B6}"},
      {"ann", "ann"},
      {"CN=a\\b,DC=x", "CN=a\\b,DC=x"},
  };
  for (const Case& c : cases) {
    std::string entity = c.entity;
    EXPECT_EQ(SwitchDomain(&dir_, &out_, &entity, &error_), 1) << c.entity;
    EXPECT_EQ(entity, c.result) << c.entity;
  }
  EXPECT_EQ(dir_.path_prefix, "LDAP://");
}

TEST_F(DirectoryContextTest, UnknownDomainCannotBeReached) {
  ASSERT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), 1);
  std::string entity = "otherdom\\ann";
  EXPECT_EQ(SwitchDomain(&dir_, &out_, &entity, &error_), -1);
  EXPECT_EQ(error_, "Cannot connect to domain otherdom");
  EXPECT_EQ(entity, "otherdom\\ann");
}

TEST_F(DirectoryContextTest, AnotherDomainReopensTheContextOnItsController) {
  ASSERT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), 1);
  struct Case {
    const char* entity;
    const char* dc_address;
    const char* prefix;
    const char* result;
  } cases[] = {
      {"otherdom\\ann", "10.1.1.5", "LDAP://10.1.1.5/", "otherdom\\ann"},
      {"otherdom\\cn=ann", "10.1.1.5", "LDAP://10.1.1.5/", "cn=ann"},
      // Without an address from the locator the controller's name is resolved.
      {"otherdom\\ann", "", "LDAP://10.1.1.9/", "otherdom\\ann"},
  };
  for (const Case& c : cases) {
    FakeReset();
    FakeSetRootDse(kDomain, kSchema, kServer);
    FakeAddObject(kSchema, {"top", "dMD"});
    FakeAddDomainController("otherdom", "dc7.other.test", c.dc_address);
    FakeAddHost("dc7.other.test", "10.1.1.9");
    dir_.path_prefix = "LDAP://";
    std::string entity = c.entity;
    EXPECT_EQ(SwitchDomain(&dir_, &out_, &entity, &error_), 1) << c.entity;
    EXPECT_EQ(dir_.path_prefix, c.prefix) << c.entity;
    EXPECT_EQ(entity, c.result) << c.entity;
    EXPECT_TRUE(Called(std::string("open ") + c.prefix + "rootDSE")) << c.entity;
  }
}

TEST_F(DirectoryContextTest, DottedDomainWhoseFirstLabelIsOursIsRewrittenWithOurNames) {
  AddCrossRef();
  ASSERT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), 1);
  FakeAddDomainController("sales.old.test", "dc9", "10.1.1.9");
  std::string entity = "sales.old.test\\ann";
  EXPECT_EQ(SwitchDomain(&dir_, &out_, &entity, &error_), 1);
  EXPECT_EQ(entity, "SALESNB\\ann");
  EXPECT_EQ(dir_.path_prefix, "LDAP://10.1.1.9/");
}

TEST_F(DirectoryContextTest, CloseEmptiesTheContext) {
  ASSERT_EQ(OpenDirectoryContext(&dir_, &out_, &error_), 1);
  CloseDirectoryContext(&dir_);
  EXPECT_EQ(dir_.path_prefix, "");
  EXPECT_EQ(dir_.default_naming_context, "");
  EXPECT_EQ(dir_.open_count, 0);
}

TEST_F(DirectoryContextTest, BindsUseTheProcessCredentials) {
  AddAnn();
  FakeRequireCredentials("SALES\\ann", "pw");
  AdsObject* object = nullptr;
  EXPECT_EQ(BindObject(std::string("LDAP://") + kAnn, kAdsSecureAuthentication, &object), kAdsLogonFailure);
  g_credentials = AdsCredentials{"SALES\\ann", "pw", true};
  EXPECT_EQ(BindObject(std::string("LDAP://") + kAnn, kAdsSecureAuthentication, &object), kAdsOk);
  AdsRelease(object);
}

TEST(DirectoryPaths, NtFormatNeedsABackslashBeforeAnyEqualsFollowedByANameCharacter) {
  struct Case {
    const char* name;
    bool nt;
  } cases[] = {
      {"SALES\\ann", true}, {"sales\\c*", true},     {"sales\\7", true}, {"SALES\\Ölaf", true},
      {"SALES\\", false},   {"SALES\\,x", false},    {"ann", false},     {"CN=Lee\\, Ann", false},
      {"CN=a\\b", false},   {"sales\\cn=ann", true}, {"\\ann", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsNtFormat(c.name), c.nt) << c.name;
}

}  // namespace
