// LDAP values as the wire gives them, result codes, paths, endpoints and SRV replies, turned into
// what the directory layer works with.
#include "directory/ads/ldap_values.h"

#include <gtest/gtest.h>

TEST(LdapValues, ResultCodesAndRefusedBindsGiveTheReportedCode) {
  const struct {
    int ldap;
    const char* diagnostic;
    uint32_t hresult;
  } cases[] = {
      {0, "", 0},
      {32, "", 0x80072030},  // no such object
      {49, "", 0x8007052E},  // invalid credentials: logon failure
      {50, "", 0x80070005},  // insufficient access
      {8, "BindSimple: Transport encryption required.", 0x80072028},
      {1, "", 0x80072020},
      {53, "", 0x80072035},
      {-1, "", 0x8007203A},   // OpenLDAP's server down
      {81, "", 0x8007203A},   // the same as wldap32 numbers it
      {-5, "", 0x800705B4},   // timeout
      {-7, "", 0x8007203E},   // bad filter
      {-11, "", 0x800704C9},  // connect error
      {-18, "", 0x8007203A},
      {-2, "", 0x8007203B},
      {4, "", 0x80072023},
      {99, "", 0x80072095},  // unknown: generic directory error
      // A refused bind names the account's state after "data"; only a refused bind does.
      {49, "80090308: LdapErr: DSID-0C09041C, comment: AcceptSecurityContext error, data 52e, v4563",
       0x8007052E},
      {49, "80090308: LdapErr: DSID-0C0903A9, comment: AcceptSecurityContext error, data 533, v1db1",
       0x80070533},
      {49, "... error, data 775, v1db1", 0x80070775},
      {50, "... error, data 533, v1db1", 0x80070005},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<uint32_t>(LdapFailureCode(c.ldap, c.diagnostic)), c.hresult)
        << c.ldap << c.diagnostic;
  }
  EXPECT_EQ(HresultFromWin32(0), 0);
  EXPECT_EQ(static_cast<uint32_t>(HresultFromWin32(1332)), 0x80070534u);
  EXPECT_EQ(HresultFromWin32(8470), kAdsNameNotFound);
}

// Both transports decode entries through AddLdapAttribute; their bervals differ in bv_len only.
struct TestBerval {
  unsigned long bv_len;
  char* bv_val;
};

TEST(LdapValues, AttributesAreDecodedByTypeAndThoseWithoutValuesLeftOut) {
  char number[] = "-42", flag[] = "TRUE", bytes[] = "\x01\x00\x02", time[] = "20240105100000.0Z",
       dn[] = "CN=M\xc3\xbcller";
  TestBerval values[] = {{sizeof number - 1, number},
                         {sizeof flag - 1, flag},
                         {sizeof bytes - 1, bytes},
                         {sizeof time - 1, time},
                         {sizeof dn - 1, dn}};
  auto one = [](TestBerval* value) { return std::vector<TestBerval*>{value, nullptr}; };
  std::vector<AdsAttribute> entry;
  AddLdapAttribute("accountExpires", one(&values[0]).data(), nullptr, &entry);
  AddLdapAttribute("msDS-PasswordComplexityEnabled", one(&values[1]).data(), nullptr, &entry);
  AddLdapAttribute("logonHours", one(&values[2]).data(), nullptr, &entry);
  AddLdapAttribute("whenChanged", one(&values[3]).data(), nullptr, &entry);
  // A ranged read past the last value, and the plain name AD sends beside a ranged one.
  AddLdapAttribute("member;range=20-*", std::vector<TestBerval*>{nullptr}.data(), nullptr, &entry);
  AddLdapAttribute<TestBerval>("member", nullptr, nullptr, &entry);
  AddLdapAttribute(
      "MEMBER;range=0-*", one(&values[4]).data(),
      [](const char* data, size_t size) { return "<" + std::string(data, size) + ">"; }, &entry);
  ASSERT_EQ(entry.size(), 5u);
  EXPECT_EQ(entry[0].values[0].integer, -42);
  EXPECT_EQ(entry[1].values[0].integer, 1);
  EXPECT_EQ(entry[2].values[0].bytes, std::string("\x01\x00\x02", 3));
  EXPECT_EQ(entry[3].values[0].time.year, 2024);
  EXPECT_EQ(entry[3].values[0].time.hour, 10);
  EXPECT_EQ(entry[4].name, "MEMBER;range=0-*");
  EXPECT_EQ(entry[4].type, kAdsTypeDn);
  EXPECT_EQ(entry[4].values[0].text, "<CN=M\xc3\xbcller>");
  EXPECT_EQ(AttributeType("rDNAttId"), kAdsTypeCaseIgnoreString);
}

TEST(LdapValues, TextValuesAreReadWhole) {
  const struct {
    const char* text;
    bool ok;
    int64_t value;
  } integers[] = {
      {"0", true, 0},
      {"9223372036854775807", true, INT64_MAX},
      {"-9223372036854775808", true, INT64_MIN},
      {"134409549853520220", true, 134409549853520220},
      {"9223372036854775808", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"12a", false, 0},
  };
  for (const auto& c : integers) {
    int64_t value = 0;
    EXPECT_EQ(ParseLargeInteger(c.text, &value), c.ok) << c.text;
    EXPECT_EQ(value, c.ok ? c.value : value) << c.text;
  }
  AdsUtcTime t{};
  ASSERT_TRUE(ParseGeneralizedTime("19991231235958.0Z", &t));
  EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second}),
            (std::vector<int>{1999, 12, 31, 23, 59, 58}));
  for (const char* text :
       {"", "2011", "20111305100000.0Z", "20110105100000.0", "20110105100000.0Zx", "2011a105100000Z"}) {
    EXPECT_FALSE(ParseGeneralizedTime(text, &t)) << text;
  }
  bool flag = false;
  EXPECT_TRUE(ParseBoolean("TRUE", &flag) && flag);
  EXPECT_TRUE(ParseBoolean("FALSE", &flag) && !flag);
  // Found by fuzzing: a value with a NUL after the word read as the word.
  for (const std::string& text : {std::string("1"), std::string("FALSE\0 a,", 9), std::string("TRUE\0", 5)})
    EXPECT_FALSE(ParseBoolean(text, &flag));
}

TEST(LdapValues, GuidBytesAndTextRoundTrip) {
  const std::string bytes("\xf0\x50\xa0\x4f\x61\xf5\xcf\x11\xbd\xd9\x00\xaa\x00\x3a\x77\xb6", 16);
  EXPECT_EQ(GuidBytesToText(bytes), "{4FA050F0-F561-11CF-BDD9-00AA003A77B6}");
  EXPECT_EQ(GuidBytesToText("short"), "");
  std::string back;
  ASSERT_TRUE(GuidTextToBytes("{4fa050f0-f561-11cf-bdd9-00aa003a77b6}", &back));
  EXPECT_EQ(back, bytes);
  ASSERT_TRUE(GuidTextToBytes("4fa050f0-f561-11cf-bdd9-00aa003a77b6", &back));
  EXPECT_EQ(back, bytes);
  // Found by fuzzing: further dashes in place of digits left fewer than 32 digits, and the
  // conversion read past them.
  for (const char* text :
       {"{4fa050f0-f561-11cf-bdd9-00aa003a77bx}", "{ann}", "ab721a53-1e21-0f1d-9819-0021-0f1d-98",
        "{ab721a53-1e21-0f1d-9819-00aa-040529b}"}) {
    EXPECT_FALSE(GuidTextToBytes(text, &back)) << text;
  }
  EXPECT_EQ(GuidBytesToText(bytes + "extra"), "{4FA050F0-F561-11CF-BDD9-00AA003A77B6}");
  EXPECT_EQ(EscapeFilterBytes(std::string("\x01\x00\xff", 3)), "\\01\\00\\ff");
}

TEST(LdapValues, PathsServersAndDomainNamesAreTakenApart) {
  const struct {
    const char* path;
    const char* server;
    AdsPathKind kind;
    const char* dn;
  } paths[] = {
      {"LDAP://127.0.0.12/CN=Ann/Bo,DC=sales", "127.0.0.12", kAdsPathObject, "CN=Ann/Bo,DC=sales"},
      {"LDAP://dc1/schema/inetOrgPerson", "dc1", kAdsPathSchemaClass, ""},
      {"LDAP://dc1", "dc1", kAdsPathObject, ""},
  };
  for (const auto& c : paths) {
    AdsPathParts parts;
    ASSERT_TRUE(ParseAdsPath(c.path, &parts)) << c.path;
    EXPECT_EQ(parts.server + "|" + parts.dn, std::string(c.server) + "|" + c.dn) << c.path;
    EXPECT_EQ(parts.kind, c.kind) << c.path;
  }
  AdsPathParts parts;
  EXPECT_FALSE(ParseAdsPath("GC://rootDSE", &parts));
  const struct {
    const char* text;
    const char* host;
    unsigned port;
    bool tls;
  } endpoints[] = {
      {"", "", 389, false},
      {"dc1.sales.corp.test", "dc1.sales.corp.test", 389, false},
      {"dc1:3890", "dc1", 3890, false},
      {"dc1:636", "dc1", 636, true},
      {"dc1:3269", "dc1", 3269, true},
      {"ldap://dc1.sales.corp.test", "dc1.sales.corp.test", 389, false},
      {"LDAPS://dc1.sales.corp.test", "dc1.sales.corp.test", 636, true},
      {"ldaps://127.0.0.11:10636/", "127.0.0.11", 10636, true},
      {"ldaps://dc1 ldap://dc2", "dc1", 636, true},
      {"ldap://dc2,ldaps://dc1", "dc2", 389, false},
  };
  for (const auto& c : endpoints) {
    const LdapEndpoint endpoint = ParseLdapEndpoint(c.text);
    EXPECT_EQ(endpoint.host, c.host) << c.text;
    EXPECT_EQ(endpoint.port, c.port) << c.text;
    EXPECT_EQ(endpoint.tls, c.tls) << c.text;
  }
  EXPECT_EQ(DnToDnsName("DC=sales,DC=corp,DC=test"), "sales.corp.test");
  EXPECT_EQ(DnToDnsName("CN=Ann,OU=x,dc=sales, DC=corp"), "sales.corp");
  EXPECT_EQ(DnToDnsName("CN=Ann"), "");
  EXPECT_EQ(FirstRdnValue("CN=DC1,CN=Servers,CN=Default-First-Site-Name"), "DC1");
  EXPECT_EQ(FirstRdnValue("CN=Lee\\, Ann,OU=x"), "Lee\\, Ann");
  EXPECT_EQ(SidUseFromAccountType(805306368) * 10 + SidUseFromAccountType(805306369), kSidTypeUser * 11);
  EXPECT_EQ(SidUseFromAccountType(268435456), kSidTypeGroup);
  EXPECT_EQ(SidUseFromAccountType(536870912), kSidTypeAlias);
  EXPECT_EQ(SidUseFromAccountType(0), 8);
}

TEST(LdapValues, SrvRepliesAreDecodedAndOrdered) {
  // A reply for _ldap._tcp.x with two answers, the second target compressed: priority 10, weight 5,
  // port 389, dc2.x; then priority 0, weight 100, dc1.x.
  const char reply[] =
      "\x12\x34\x81\x80\0\1\0\2\0\0\0\0"
      "\5_ldap\4_tcp\1x\0\0\x21\0\1"
      "\xC0\x0C\0\x21\0\1\0\0\0\x3C\0\x0C\0\x0A\0\5\1\x85\3dc2\xC0\x17"
      "\xC0\x0C\0\x21\0\1\0\0\0\x3C\0\x0C\0\0\0\x64\1\x85\3dc1\xC0\x17";
  const auto* data = reinterpret_cast<const unsigned char*>(reply);
  std::vector<SrvRecord> records;
  ASSERT_TRUE(ParseSrvReply(data, sizeof reply - 1, &records));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].target, "dc2.x");
  EXPECT_EQ(records[0].port, 389);
  OrderSrvRecords(&records);
  EXPECT_EQ(records[0].target + " " + records[1].target, "dc1.x dc2.x");
  EXPECT_FALSE(ParseSrvReply(data, 20, &records));
}
