// What the LDAP layer makes of the wire: result codes, attribute values, endpoints and SRV replies.
// The forms the in-memory directory also reads (paths, times, integers, GUIDs) are checked by the
// golden runs.
#include "directory/ads/ldap_values.h"

#include <gtest/gtest.h>

TEST(LdapValues, ResultCodesAndRefusedBindsGiveTheReportedCode) {
  const struct {
    int ldap;
    const char* diagnostic;
    uint32_t hresult;
  } cases[] = {{0, "", 0},
               {32, "", 0x80072030},
               {49, "", 0x8007052E},
               {50, "", 0x80070005},
               {1, "", 0x80072020},
               {53, "", 0x80072035},
               {-1, "", 0x8007203A},
               {81, "", 0x8007203A},
               {-5, "", 0x800705B4},
               {-7, "", 0x8007203E},
               {-11, "", 0x800704C9},
               {-18, "", 0x8007203A},
               {-2, "", 0x8007203B},
               {4, "", 0x80072023},
               {99, "", 0x80072095},
               {8, "BindSimple: Transport encryption required.", 0x80072028},
               // A refused bind names the account's state after "data"; only a refused bind does.
               {49, "80090308: LdapErr: DSID-0C09041C, comment: AcceptSecurityContext error, data 52e, v4563",
                0x8007052E},
               {49, "... error, data 533, v1db1", 0x80070533},
               {49, "... error, data 775, v1db1", 0x80070775},
               {50, "... error, data 533, v1db1", 0x80070005}};
  for (const auto& c : cases)
    EXPECT_EQ(static_cast<uint32_t>(LdapFailureCode(c.ldap, c.diagnostic)), c.hresult)
        << c.ldap << c.diagnostic;
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
  TestBerval values[] = {{3, number}, {4, flag}, {3, bytes}, {17, time}, {10, dn}};
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
  EXPECT_EQ(entry[3].values[0].time.year * 10000 + entry[3].values[0].time.month * 100 +
                entry[3].values[0].time.hour,
            20240110);
  EXPECT_EQ(entry[4].name + " " + entry[4].values[0].text, "MEMBER;range=0-* <CN=M\xc3\xbcller>");
  EXPECT_EQ(entry[4].type, kAdsTypeDn);
  EXPECT_EQ(EscapeFilterBytes(std::string("\x01\x00\xff", 3)), "\\01\\00\\ff");
}

// Forms only the wire gives: a yes/no value with a NUL after the word (found by fuzzing), an empty
// number, a GUID without braces, a global-catalog path, GUID bytes cut short.
TEST(LdapValues, FormsTheDomainTextCannotHold) {
  bool flag = false;
  int64_t value = 0;
  AdsPathParts parts;
  std::string bytes;
  EXPECT_FALSE(ParseBoolean(std::string("TRUE\0", 5), &flag) || ParseLargeInteger("", &value) ||
               ParseAdsPath("GC://rootDSE", &parts));
  ASSERT_TRUE(GuidTextToBytes("4fa050f0-f561-11cf-bdd9-00aa003a77b6", &bytes));
  EXPECT_EQ(GuidBytesToText(bytes) + GuidBytesToText("short"), "{4FA050F0-F561-11CF-BDD9-00AA003A77B6}");
}

TEST(LdapValues, EndpointsAndDomainNamesAreTakenApart) {
  // Each text, then the host, port and transport it names.
  const std::pair<const char*, const char*> endpoints[] = {
      {"", ":389"},
      {"dc1.sales.corp.test", "dc1.sales.corp.test:389"},
      {"dc1:3890", "dc1:3890"},
      {"dc1:636", "dc1:636 tls"},
      {"dc1:3269", "dc1:3269 tls"},
      {"ldap://dc1.sales.corp.test", "dc1.sales.corp.test:389"},
      {"LDAPS://dc1.sales.corp.test", "dc1.sales.corp.test:636 tls"},
      {"ldaps://127.0.0.11:10636/", "127.0.0.11:10636 tls"},
      {"ldaps://dc1 ldap://dc2", "dc1:636 tls"},
      {"ldap://dc2,ldaps://dc1", "dc2:389"}};
  for (const auto& [text, named] : endpoints) {
    const LdapEndpoint endpoint = ParseLdapEndpoint(text);
    EXPECT_EQ(endpoint.host + ":" + std::to_string(endpoint.port) + (endpoint.tls ? " tls" : ""), named)
        << text;
  }
  EXPECT_EQ(DnToDnsName("DC=sales,DC=corp,DC=test") + DnToDnsName("CN=Ann"), "sales.corp.test");
  EXPECT_EQ(DnToDnsName("CN=Ann,OU=x,dc=sales, DC=corp"), "sales.corp");
  EXPECT_EQ(FirstRdnValue("CN=DC1,CN=Servers,CN=Default-First-Site-Name"), "DC1");
  EXPECT_EQ(FirstRdnValue("CN=Lee\\, Ann,OU=x"), "Lee\\, Ann");
  const int uses[] = {SidUseFromAccountType(805306368), SidUseFromAccountType(805306369),
                      SidUseFromAccountType(268435456), SidUseFromAccountType(536870912),
                      SidUseFromAccountType(0)};
  EXPECT_EQ(std::vector<int>(uses, uses + 5),
            (std::vector<int>{kSidTypeUser, kSidTypeUser, kSidTypeGroup, kSidTypeAlias, 8}));
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
  EXPECT_EQ(records[0].target + ":" + std::to_string(records[0].port), "dc2.x:389");
  OrderSrvRecords(&records);
  EXPECT_EQ(records[0].target + " " + records[1].target, "dc1.x dc2.x");
  EXPECT_FALSE(ParseSrvReply(data, 20, &records));
}
