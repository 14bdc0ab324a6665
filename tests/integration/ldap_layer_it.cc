// The directory layer against the test domain (scripts/testdomain.sh): run inside its network
// namespace, with alice's Kerberos credential cache as the running logon. What a run shows is
// held by the golden scripts; these hold what it does not show: round trips, paging, ranges,
// failures of the connection and of the logon.
#include <gtest/gtest.h>
#include <strings.h>

#include <cstdlib>
#include <fstream>

#include "directory/ads/ads.h"
#include "directory/ads/ldap_values.h"
#include "directory/ads/sid.h"

namespace {

const std::string kBase = "DC=sales,DC=corp,DC=test";
const std::string kAlice = "CN=alice,OU=People," + kBase;
const AdsCredentials kLogon;

std::string Dir() {
  const char* dir = getenv("LORVEX_TESTDOMAIN_DIR");
  return dir ? dir : "/var/tmp/lorvex-testdomain";
}

std::string SidText(const std::string& sid) {
  std::string text;
  SidToText(sid, &text);
  return text;
}

const AdsAttribute* Find(const std::vector<AdsAttribute>& attributes, const std::string& name) {
  for (const AdsAttribute& attribute : attributes) {
    if (strcasecmp(attribute.name.c_str(), name.c_str()) == 0) return &attribute;
  }
  return nullptr;
}

std::vector<AdsAttribute> Read(const std::string& dn, const std::vector<std::string>& names) {
  AdsObject* object = nullptr;
  std::vector<AdsAttribute> attributes;
  EXPECT_EQ(AdsOpenObject("LDAP://" + dn, &kLogon, kAdsSecureAuthentication, &object), kAdsOk) << dn;
  if (object == nullptr) return attributes;
  EXPECT_EQ(AdsGetObjectAttributes(object, names, &attributes), kAdsOk) << dn;
  AdsRelease(object);
  return attributes;
}

class LdapLayer : public testing::Test {
 protected:
  void SetUp() override {
    setenv("KRB5CCNAME", ("FILE:" + Dir() + "/ccache-alice").c_str(), 1);
    AdsShutdown();
  }
  // Each test ends the layer as the program does, so no connection outlives it (LeakSanitizer
  // runs after the cache's destructor, which does not unbind).
  void TearDown() override { AdsShutdown(); }
};

TEST_F(LdapLayer, AMissingObjectIsNoSuchObjectWithTheServersWords) {
  AdsObject* object = nullptr;
  EXPECT_EQ(AdsOpenObject("LDAP://CN=nobody,OU=People," + kBase, &kLogon, kAdsSecureAuthentication, &object),
            kAdsNoSuchObject);
  EXPECT_EQ(object, nullptr);
  EXPECT_NE(LastDiagnostic(), "");
  // A fast bind does not look; the read then finds nothing.
  ASSERT_EQ(AdsOpenObject("LDAP://CN=nobody,OU=People," + kBase, &kLogon,
                          kAdsSecureAuthentication | kAdsFastBind, &object),
            kAdsOk);
  std::vector<AdsAttribute> values;
  EXPECT_EQ(AdsGetObjectAttributes(object, {"cn"}, &values), kAdsNoSuchObject);
  AdsRelease(object);
}

TEST_F(LdapLayer, AStoppedServerIsNotOperational) {
  AdsObject* object = nullptr;
  EXPECT_EQ(AdsOpenObject("LDAP://127.0.0.13/rootDSE", nullptr, kAdsSecureAuthentication, &object),
            kAdsServerDown);
  EXPECT_EQ(AdsOpenObject("LDAP://127.0.0.13/" + kAlice, &kLogon, kAdsSecureAuthentication, &object),
            kAdsServerDown);
}

TEST_F(LdapLayer, ASearchForTheSecurityDescriptorGetsItAsAnOrdinaryUserMayReadIt) {
  AdsObject* base = nullptr;
  ASSERT_EQ(AdsOpenObject("LDAP://" + kBase, &kLogon, kAdsSecureAuthentication | kAdsFastBind, &base),
            kAdsOk);
  AdsSearch* search = nullptr;
  const std::string heidi = "CN=heidi,OU=People," + kBase;
  ASSERT_EQ(AdsExecuteSearch(base, kAdsScopeSubtree, 1000,
                             "(|(distinguishedName=" + heidi + ")(distinguishedName=" + kAlice + "))",
                             {"nTSecurityDescriptor", "distinguishedName"}, &search),
            kAdsOk);
  std::vector<AdsAttribute> row;
  int rows = 0;
  while (AdsGetNextRow(search, &row) == kAdsOk) {
    ++rows;
    const AdsAttribute* sd = Find(row, "nTSecurityDescriptor");
    ASSERT_NE(sd, nullptr);
    EXPECT_EQ(sd->type, kAdsTypeSecurityDescriptor);
    EXPECT_EQ(sd->values[0].bytes[0], 1);
  }
  AdsCloseSearch(search);
  AdsRelease(base);
  EXPECT_EQ(rows, 2);
}

TEST_F(LdapLayer, TheDomainOfNt4NamesIsLookedUpOncePerConnection) {
  AdsNameTranslator* translator = nullptr;
  ASSERT_EQ(AdsNameTranslateInit(kAdsNameInitServer, "DC1", &kLogon, &translator), kAdsOk);
  uint64_t before = AdsRoundTrips();
  ASSERT_EQ(AdsNameTranslateSet(translator, kAdsNameNt4, "SALES\\alice"), kAdsOk);
  EXPECT_EQ(AdsRoundTrips() - before, 2u);  // the domain of SALES, then the account
  before = AdsRoundTrips();
  ASSERT_EQ(AdsNameTranslateSet(translator, kAdsNameNt4, "sales\\bob"), kAdsOk);
  EXPECT_EQ(AdsRoundTrips() - before, 1u);  // the account alone
  EXPECT_EQ(AdsNameTranslateSet(translator, kAdsNameNt4, "OTHER\\bob"), kAdsNameNotFound);
  before = AdsRoundTrips();
  EXPECT_EQ(AdsNameTranslateSet(translator, kAdsNameNt4, "OTHER\\alice"), kAdsNameNotFound);
  EXPECT_EQ(AdsRoundTrips() - before, 0u);  // a domain known to be missing is not asked for again
  AdsNameTranslateRelease(translator);
}

TEST_F(LdapLayer, TheNamesOfAHintAreFoundWithOneSearchAndLookedUpFromIt) {
  // As in a run, the rootDSE read first makes the default server the one the translation names.
  AdsObject* root = nullptr;
  ASSERT_EQ(AdsOpenObject("LDAP://rootDSE", nullptr, kAdsSecureAuthentication, &root), kAdsOk);
  AdsRelease(root);
  AdsNameTranslator* translator = nullptr;
  ASSERT_EQ(AdsNameTranslateInit(kAdsNameInitServer, "DC1", &kLogon, &translator), kAdsOk);
  // The domain of SALES is known before the hint, as it is once a run has looked up one name.
  ASSERT_EQ(AdsNameTranslateSet(translator, kAdsNameNt4, "SALES\\dave"), kAdsOk);
  const std::string bulk = "OU=Bulk," + kBase;
  uint64_t before = AdsRoundTrips();
  AdsPrefetchNames("LDAP://" + kBase, &kLogon,
                   AdsNameHint{{"alice", "BOB", "nobody", "J\u00fcrgen"}, {"alice@sales.corp.test"}, {bulk}});
  EXPECT_EQ(AdsRoundTrips() - before, 1u);

  struct Case {
    std::string name;
    AdsResult code;
    std::string dn;
    uint64_t requests;
  } cases[] = {
      {"SALES\\alice", kAdsOk, kAlice, 0},
      {"SALES\\Alice", kAdsOk, kAlice, 0},
      {"SALES\\bob", kAdsOk, "CN=bob,OU=People," + kBase, 0},
      {"SALES\\nobody", kAdsNameNotFound, "", 0},
      {"alice@sales.corp.test", kAdsOk, kAlice, 0},
      {"ou=bulk," + kBase, kAdsOk, bulk, 0},
      // Not hinted: looked up as ever.
      {"SALES\\carol", kAdsOk, "CN=carol,OU=People," + kBase, 1},
  };
  for (const Case& c : cases) {
    before = AdsRoundTrips();
    EXPECT_EQ(AdsNameTranslateSet(translator, kAdsNameUnknown, c.name), c.code) << c.name;
    std::string dn;
    if (c.code == kAdsOk) {
      EXPECT_EQ(AdsNameTranslateGet(translator, kAdsName1779, &dn), kAdsOk);
    }
    EXPECT_EQ(dn, c.dn) << c.name;
    EXPECT_EQ(AdsRoundTrips() - before, c.requests) << c.name;
  }

  // Binding an object found reads nothing more; nor does the DN of a container found.
  before = AdsRoundTrips();
  AdsObject* object = nullptr;
  ASSERT_EQ(AdsOpenObject("LDAP://" + kAlice, &kLogon, kAdsSecureAuthentication, &object), kAdsOk);
  std::string path, class_name;
  EXPECT_EQ(AdsGetObjectInformation(object, &path, &class_name), kAdsOk);
  EXPECT_EQ(path, "LDAP://" + kAlice);
  EXPECT_EQ(class_name, "user");
  AdsRelease(object);
  ASSERT_EQ(AdsOpenObject("LDAP://OU=BULK," + kBase, &kLogon, kAdsSecureAuthentication, &object), kAdsOk);
  std::vector<AdsAttribute> values;
  EXPECT_EQ(AdsGetObjectAttributes(object, {"distinguishedName"}, &values), kAdsOk);
  ASSERT_NE(Find(values, "distinguishedName"), nullptr);
  EXPECT_EQ(Find(values, "distinguishedName")->values[0].text, bulk);
  AdsRelease(object);
  EXPECT_EQ(AdsRoundTrips() - before, 0u);

  // Forgotten, the same names are looked up again.
  AdsForgetPrefetch();
  before = AdsRoundTrips();
  EXPECT_EQ(AdsNameTranslateSet(translator, kAdsNameNt4, "SALES\\alice"), kAdsOk);
  EXPECT_EQ(AdsNameTranslateSet(translator, kAdsNameNt4, "SALES\\nobody"), kAdsNameNotFound);
  EXPECT_EQ(AdsRoundTrips() - before, 2u);
  AdsNameTranslateRelease(translator);
}

TEST_F(LdapLayer, SearchesArePagedWithThePageSizeAsked) {
  AdsObject* base = nullptr;
  ASSERT_EQ(AdsOpenObject("LDAP://OU=Bulk," + kBase, &kLogon, kAdsSecureAuthentication, &base), kAdsOk);
  uint64_t before = AdsRoundTrips();
  AdsSearch* search = nullptr;
  ASSERT_EQ(
      AdsExecuteSearch(base, kAdsScopeOneLevel, 20, "(objectClass=user)", {"distinguishedName"}, &search),
      kAdsOk);
  std::vector<AdsAttribute> row;
  int rows = 0;
  AdsResult code;
  while ((code = AdsGetNextRow(search, &row)) == kAdsOk) {
    ++rows;
    EXPECT_EQ(row.size(), 1u);
  }
  EXPECT_EQ(code, kAdsNoMoreRows);
  AdsCloseSearch(search);
  AdsRelease(base);
  EXPECT_EQ(rows, 45);
  EXPECT_EQ(AdsRoundTrips() - before, 3u);  // pages of 20, 20 and 5
}

TEST_F(LdapLayer, ThePageInHandOutlivesItsConnection) {
  // Between two rows other work may drop the connection the page came on, as when its server goes
  // down; the rows already fetched are still handed out, and only the next page fails.
  AdsObject* base = nullptr;
  ASSERT_EQ(AdsOpenObject("LDAP://OU=Bulk," + kBase, &kLogon, kAdsSecureAuthentication, &base), kAdsOk);
  AdsSearch* search = nullptr;
  ASSERT_EQ(
      AdsExecuteSearch(base, kAdsScopeOneLevel, 20, "(objectClass=user)", {"distinguishedName"}, &search),
      kAdsOk);
  AdsRelease(base);
  std::vector<AdsAttribute> row;
  ASSERT_EQ(AdsGetNextRow(search, &row), kAdsOk);
  AdsShutdown();
  int rows = 1;
  AdsResult code;
  while ((code = AdsGetNextRow(search, &row)) == kAdsOk) {
    ASSERT_NE(Find(row, "distinguishedName"), nullptr);
    EXPECT_EQ(Find(row, "distinguishedName")->values[0].text.find("CN=bulk"), 0u);
    ++rows;
  }
  AdsCloseSearch(search);
  EXPECT_EQ(rows, 20);
  EXPECT_LT(code, 0) << "the next page continues a position the new connection does not know";
}

TEST_F(LdapLayer, MemberRangesComeBackAsTheServerNamesThem) {
  AdsObject* group = nullptr;
  ASSERT_EQ(
      AdsOpenObject("LDAP://CN=Big Group,OU=Groups," + kBase, &kLogon, kAdsSecureAuthentication, &group),
      kAdsOk);
  struct Case {
    int low;
    const char* name;
    size_t count;
  } cases[] = {{0, "member;range=0-19", 20}, {20, "member;range=20-39", 20}, {40, "member;range=40-*", 5}};
  for (const Case& c : cases) {
    std::vector<AdsAttribute> values;
    std::string asked = "member;Range=" + std::to_string(c.low) + "-" + std::to_string(c.low + 19);
    ASSERT_EQ(AdsGetObjectAttributes(group, {asked}, &values), kAdsOk);
    ASSERT_EQ(values.size(), 1u) << asked;
    EXPECT_EQ(values[0].name, c.name);
    EXPECT_EQ(values[0].type, kAdsTypeDn);
    EXPECT_EQ(values[0].values.size(), c.count);
  }
  AdsRelease(group);
}

TEST_F(LdapLayer, SidsAreLookedUpInTheTableAndTheDomain) {
  std::string alice_sid = Find(Read(kAlice, {"objectSid"}), "objectSid")->values[0].bytes;
  std::string staff_sid =
      Find(Read("CN=Staff,OU=Groups," + kBase, {"objectSid"}), "objectSid")->values[0].bytes;
  std::string text;
  struct Case {
    std::string sid;
    const char* domain;
    const char* name;
    int use;
  } cases[] = {
      {"S-1-5-11", "NT AUTHORITY", "Authenticated Users", kSidTypeWellKnownGroup},
      {"S-1-1-0", "", "Everyone", kSidTypeWellKnownGroup},
      {"S-1-5-32-544", "BUILTIN", "Administrators", kSidTypeAlias},
      {SidText(alice_sid), "SALES", "alice", kSidTypeUser},
      {SidText(staff_sid), "SALES", "Staff", kSidTypeGroup},
  };
  for (const Case& c : cases) {
    std::string bytes, domain, name;
    int use = 0;
    ASSERT_TRUE(TextToSid(c.sid, &bytes)) << c.sid;
    ASSERT_EQ(AdsLookupAccountSid("", bytes, &domain, &name, &use), kAdsOk) << c.sid;
    EXPECT_EQ(domain, c.domain) << c.sid;
    EXPECT_EQ(name, c.name) << c.sid;
    EXPECT_EQ(use, c.use) << c.sid;
  }
  std::string foreign, domain, name;
  int use = 0;
  ASSERT_TRUE(TextToSid("S-1-5-21-1111111111-2222222222-3333333333-1105", &foreign));
  EXPECT_EQ(AdsLookupAccountSid("DC1", foreign, &domain, &name, &use), HresultFromWin32(1332));
}

TEST_F(LdapLayer, ControllersAreLocatedThroughDns) {
  std::string name, address;
  ASSERT_EQ(AdsGetDcName("sales.corp.test", &name, &address), kAdsOk);
  EXPECT_EQ(strcasecmp(name.c_str(), "dc1.sales.corp.test"), 0) << name;
  EXPECT_EQ(address, "127.0.0.11");
  EXPECT_EQ(AdsGetDcName("otherdom", &name, &address), HresultFromWin32(1355));
  EXPECT_EQ(AdsHostToAddress("dc2.sales.corp.test"), "127.0.0.12");
  EXPECT_EQ(AdsHostToAddress("no-such-host.sales.corp.test"), "");
}

TEST_F(LdapLayer, TypedCredentialsGetATicketInMemory) {
  AdsObject* object = nullptr;
  std::ifstream before_file(Dir() + "/ccache-alice", std::ios::binary);
  std::string before((std::istreambuf_iterator<char>(before_file)), std::istreambuf_iterator<char>());
  AdsCredentials frank{"SALES\\frank", "Passw0rd!user", true};
  ASSERT_EQ(AdsOpenObject("LDAP://" + kAlice, &frank, kAdsSecureAuthentication, &object), kAdsOk);
  AdsRelease(object);
  AdsCredentials upn{"kate@sales.corp.test", "Passw0rd!user", true};
  ASSERT_EQ(AdsOpenObject("LDAP://" + kAlice, &upn, kAdsSecureAuthentication, &object), kAdsOk);
  AdsRelease(object);
  std::ifstream after_file(Dir() + "/ccache-alice", std::ios::binary);
  std::string after((std::istreambuf_iterator<char>(after_file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(before, after);  // the user's own cache is untouched
  // A wrong password and an unknown name are a logon failure; a disabled account says so.
  struct Case {
    const char* user;
    const char* password;
    AdsResult code;
  } refused[] = {{"SALES\\frank", "wrong", kAdsLogonFailure},
                 {"SALES\\bob", "Passw0rd!user", HresultFromWin32(1331)},
                 {"SALES\\nobody", "x", kAdsLogonFailure}};
  for (const Case& c : refused) {
    AdsCredentials credentials{c.user, c.password, true};
    EXPECT_EQ(AdsOpenObject("LDAP://" + kAlice, &credentials, kAdsSecureAuthentication, &object), c.code)
        << c.user;
    EXPECT_NE(LastDiagnostic(), "") << c.user;
  }
}

TEST_F(LdapLayer, WithoutAUsableCredentialCacheTheLogonIsRefused) {
  setenv("KRB5CCNAME", ("FILE:" + Dir() + "/no-such-ccache").c_str(), 1);
  AdsObject* object = nullptr;
  EXPECT_EQ(AdsOpenObject("LDAP://" + kAlice, &kLogon, kAdsSecureAuthentication, &object), kAdsLogonFailure);
  EXPECT_NE(LastDiagnostic(), "");
  // The rootDSE is still read anonymously.
  EXPECT_EQ(AdsOpenObject("LDAP://rootDSE", nullptr, kAdsSecureAuthentication, &object), kAdsOk);
  AdsRelease(object);
}

TEST_F(LdapLayer, WithoutAKdcTypedCredentialsBindSimplyInsideTls) {
  std::string conf = Dir() + "/krb5-no-kdc.conf";
  std::ofstream(conf) << "[libdefaults]\n default_realm = SALES.CORP.TEST\n dns_lookup_kdc = false\n"
                         "[realms]\n SALES.CORP.TEST = {\n  kdc = 127.0.0.13\n }\n";
  const char* saved = getenv("KRB5_CONFIG");
  std::string saved_config = saved ? saved : "";
  setenv("KRB5_CONFIG", conf.c_str(), 1);
  AdsObject* object = nullptr;
  AdsCredentials grace_free{"carol@sales.corp.test", "Passw0rd!user", true};
  AdsCredentials kate{"kate@sales.corp.test", "Passw0rd!user", true};
  // The default server is located through the SRV records of the realm named by KRB5_CONFIG.
  AdsResult expired =
      AdsOpenObject("LDAP://dc1.sales.corp.test/" + kAlice, &grace_free, kAdsSecureAuthentication, &object);
  // The simple bind's "data 701" is the account's state: expired.
  EXPECT_EQ(expired, HresultFromWin32(1793));
  EXPECT_NE(LastDiagnostic().find("data 701"), std::string::npos) << LastDiagnostic();
  AdsResult bound =
      AdsOpenObject("LDAP://dc1.sales.corp.test/" + kAlice, &kate, kAdsSecureAuthentication, &object);
  setenv("KRB5_CONFIG", saved_config.c_str(), 1);
  ASSERT_EQ(bound, kAdsOk) << LastDiagnostic();
  AdsRelease(object);
}

}  // namespace
