// The in-memory directory that logic tests stand on must answer like the real layer.
#include "directory/ads/fake/ads_fake.h"

#include <gtest/gtest.h>

#include "retrieval/sales_run_test_util.h"

namespace {

class FakeDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFakeSalesRoot();
    FakeAddObject("DC=sales,DC=corp", {"top", "domain", "domainDNS"});
    FakeAddObject("OU=Staff,DC=sales,DC=corp", {"top", "organizationalUnit"});
    FakeAddObject("CN=Ann,OU=Staff,DC=sales,DC=corp", {"top", "person", "organizationalPerson", "user"},
                  {FakeString("sAMAccountName", "ann"), FakeString("userPrincipalName", "ann@sales.corp")});
    FakeAddObject("CN=Carl,DC=sales,DC=corp", {"top", "person", "organizationalPerson", "user", "computer"},
                  {FakeString("sAMAccountName", "carl$")});
    std::vector<std::string> members;
    for (int i = 0; i < 45; ++i) members.push_back("CN=M" + std::to_string(i) + ",DC=sales,DC=corp");
    FakeAddObject("CN=Big,DC=sales,DC=corp", {"top", "group"}, {FakeDns("member", members)});
  }

  std::vector<std::string> SearchDns(const std::string& base, int scope, const std::string& filter) {
    AdsObject* object = nullptr;
    EXPECT_EQ(AdsOpenObject("LDAP://" + base, nullptr, kAdsSecureAuthentication, &object), kAdsOk);
    AdsSearch* search = nullptr;
    std::vector<std::string> dns;
    if (AdsExecuteSearch(object, scope, 20, filter, {"distinguishedName"}, &search) == kAdsOk) {
      std::vector<AdsAttribute> row;
      while (AdsGetNextRow(search, &row) == kAdsOk) dns.push_back(row.at(0).values.at(0).text);
    }
    AdsCloseSearch(search);
    AdsRelease(object);
    return dns;
  }
};

TEST_F(FakeDirectoryTest, SearchesHonourScopeAndClassFilters) {
  EXPECT_EQ(SearchDns("DC=sales,DC=corp", kAdsScopeSubtree, "(&(sAMAccountType=805306368)(CN=a*))"),
            std::vector<std::string>{"CN=Ann,OU=Staff,DC=sales,DC=corp"});
  EXPECT_EQ(SearchDns("DC=sales,DC=corp", kAdsScopeOneLevel, "(&(sAMAccountType=805306368)(CN=a*))"),
            std::vector<std::string>{});
  EXPECT_EQ(SearchDns("DC=sales,DC=corp", kAdsScopeSubtree, "(objectCategory=computer)"),
            std::vector<std::string>{"CN=Carl,DC=sales,DC=corp"});
  EXPECT_EQ(SearchDns("DC=sales,DC=corp", kAdsScopeSubtree, "(&(objectCategory=person)(!(CN=Carl)))"),
            std::vector<std::string>{"CN=Ann,OU=Staff,DC=sales,DC=corp"});
}

TEST_F(FakeDirectoryTest, RangedMemberReadsNameTheServedRange) {
  AdsObject* group = nullptr;
  ASSERT_EQ(AdsOpenObject("LDAP://CN=Big,DC=sales,DC=corp", nullptr, kAdsSecureAuthentication, &group),
            kAdsOk);
  std::vector<AdsAttribute> attributes;
  ASSERT_EQ(AdsGetObjectAttributes(group, {"member;Range=20-39"}, &attributes), kAdsOk);
  ASSERT_EQ(attributes.size(), 1u);
  EXPECT_EQ(attributes[0].name, "member;range=20-39");
  EXPECT_EQ(attributes[0].values.size(), 20u);
  ASSERT_EQ(AdsGetObjectAttributes(group, {"member;Range=40-59"}, &attributes), kAdsOk);
  EXPECT_EQ(attributes[0].name, "member;range=40-*");
  EXPECT_EQ(attributes[0].values.size(), 5u);
  ASSERT_EQ(AdsGetObjectAttributes(group, {"member;Range=60-79"}, &attributes), kAdsOk);
  EXPECT_TRUE(attributes.empty());
  AdsRelease(group);
}

TEST_F(FakeDirectoryTest, BindsFailLikeTheDirectory) {
  AdsObject* object = nullptr;
  EXPECT_EQ(AdsOpenObject("LDAP://CN=Nobody,DC=sales,DC=corp", nullptr, kAdsSecureAuthentication, &object),
            kAdsNoSuchObject);
  EXPECT_EQ(AdsOpenObject("LDAP://CN=Nobody,DC=sales,DC=corp", nullptr,
                          kAdsSecureAuthentication | kAdsFastBind, &object),
            kAdsOk);
  std::vector<AdsAttribute> attributes;
  EXPECT_EQ(AdsGetObjectAttributes(object, {"cn"}, &attributes), kAdsNoSuchObject);
  AdsRelease(object);
  FakeFailServer("dc2", kAdsServerDown);
  EXPECT_EQ(AdsOpenObject("LDAP://dc2/CN=Ann,OU=Staff,DC=sales,DC=corp", nullptr, 1, &object),
            kAdsServerDown);
  FakeRequireCredentials("SALES\\admin", "secret");
  EXPECT_EQ(AdsOpenObject("LDAP://DC=sales,DC=corp", nullptr, 1, &object), kAdsLogonFailure);
  AdsCredentials typed{"SALES\\admin", "secret", true};
  ASSERT_EQ(AdsOpenObject("LDAP://DC=sales,DC=corp", &typed, 1, &object), kAdsOk);
  AdsRelease(object);
}

TEST_F(FakeDirectoryTest, TranslatesNamesOfEveryForm) {
  AdsNameTranslator* translator = nullptr;
  ASSERT_EQ(AdsNameTranslateInit(kAdsNameInitServer, "DC1", nullptr, &translator), kAdsOk);
  std::string dn;
  for (const char* name : {"SALES\\ann", "ann@sales.corp", "CN=Ann,OU=Staff,DC=sales,DC=corp"}) {
    ASSERT_EQ(AdsNameTranslateSet(translator, kAdsNameUnknown, name), kAdsOk) << name;
    ASSERT_EQ(AdsNameTranslateGet(translator, kAdsName1779, &dn), kAdsOk);
    EXPECT_EQ(dn, "CN=Ann,OU=Staff,DC=sales,DC=corp");
  }
  EXPECT_EQ(AdsNameTranslateSet(translator, kAdsNameUnknown, "OTHER\\ann"), kAdsNameNotFound);
  ASSERT_EQ(AdsNameTranslateSet(translator, kAdsName1779, "CN=Ann,OU=Staff,DC=sales,DC=corp"), kAdsOk);
  ASSERT_EQ(AdsNameTranslateGet(translator, kAdsNameNt4, &dn), kAdsOk);
  EXPECT_EQ(dn, "SALES\\ann");
  AdsNameTranslateRelease(translator);
}

TEST_F(FakeDirectoryTest, LooksUpWellKnownAndDomainSids) {
  std::string domain, name;
  int use = 0;
  const std::string everyone("\x01\x01\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00", 12);
  ASSERT_EQ(AdsLookupAccountSid("DC1", everyone, &domain, &name, &use), kAdsOk);
  EXPECT_EQ(name, "Everyone");
  EXPECT_EQ(domain, "");
  EXPECT_EQ(use, kSidTypeWellKnownGroup);
  const std::string unknown("\x01\x01\x00\x00\x00\x00\x00\x05\x63\x00\x00\x00", 12);
  EXPECT_EQ(AdsLookupAccountSid("DC1", unknown, &domain, &name, &use), static_cast<int32_t>(0x80070534));
}

}  // namespace
