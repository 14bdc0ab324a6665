// The fixed domain of the test build: one account for each restriction a report can show.
#include "tests/fakebin/fake_domain.h"

#include <string>
#include <vector>

#include "directory/ads/fake/ads_fake.h"
#include "directory/ads/sid.h"
#include "directory/descriptors_test_util.h"

namespace {

using test_descriptors::Acl;
using test_descriptors::CannotChangeDescriptor;
using test_descriptors::DenyChange;
using test_descriptors::Descriptor;
using test_descriptors::ObjectAce;
using test_descriptors::PlainAce;

constexpr char kDomain[] = "DC=corp,DC=example";
constexpr char kSchema[] = "CN=Schema,CN=Configuration,DC=corp,DC=example";
constexpr char kStaff[] = "OU=Staff,DC=corp,DC=example";
constexpr char kPso[] = "CN=Strict,CN=Password Settings Container,CN=System,DC=corp,DC=example";
constexpr int64_t kTicks = 10000000;
constexpr int64_t kMinute = 60 * kTicks;
constexpr int64_t kDay = 86400 * kTicks;
constexpr int64_t kNever = 0x7FFFFFFFFFFFFFFFLL;

// A file time of a UTC date and time.
int64_t At(int year, int month, int day, int hour = 0, int minute = 0) {
  const int64_t seconds = DaysFrom1970(year, month, day) * 86400 + hour * 3600 + minute * 60;
  return (seconds + 11644473600LL) * kTicks;
}

std::string SidBytes(const std::string& text) {
  std::string sid;
  TextToSid(text, &sid);
  return sid;
}

std::string Dn(const std::string& cn) { return "CN=" + cn + "," + kStaff; }

// A user with an account name and the times every account has.
void User(const std::string& cn, const std::string& account, int64_t control, int rid,
          std::vector<AdsAttribute> more) {
  more.push_back(FakeString("sAMAccountName", account));
  more.push_back(FakeString("userPrincipalName", account + "@corp.example"));
  more.push_back(FakeInteger("userAccountControl", control));
  more.push_back(FakeOctets("objectSid", SidBytes("S-1-5-21-7-8-9-" + std::to_string(rid))));
  more.push_back(FakeUtcTime("whenCreated", 2024, 3, 4, 9, 15, 0));
  FakeAddObject(Dn(cn), {"top", "person", "organizationalPerson", "user"}, more);
}

void Controller(const std::string& name, const std::string& address) {
  const std::string host = name + ".corp.example";
  FakeAddObject("CN=" + name + ",OU=Domain Controllers," + kDomain, {"top", "person", "user", "computer"},
                {FakeString("dNSHostName", host), FakeInteger("userAccountControl", 0x82000),
                 FakeString("sAMAccountName", name + "$")});
  FakeAddHost(host, address);
}

// Mondays to Fridays 08:00 to 18:00 UTC; bit h of the week's hours, Sunday 00:00 first.
std::string OfficeHours() {
  std::string bits(21, '\0');
  for (int day = 1; day <= 5; ++day) {
    for (int hour = 8; hour < 18; ++hour) {
      const int h = day * 24 + hour;
      bits[h / 8] = static_cast<char>(bits[h / 8] | (1 << (h % 8)));
    }
  }
  return bits;
}

}  // namespace

int64_t DaysFrom1970(int year, int month, int day) {
  // Days of civil dates counted from 1 March of year 0, shifted to 1 January 1970.
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

void SeedFakeDomain() {
  FakeReset();
  FakeSetRootDse(kDomain, kSchema,
                 "CN=DC1,CN=Servers,CN=Default-First-Site-Name,CN=Sites,CN=Configuration,DC=corp,DC=example");
  FakeSetDomainNames("CORP", "corp.example");
  FakeSetUserName("ann");
  FakeAddObject(kSchema, {"top", "dMD"});
  for (const char* name : {"user", "group", "computer", "inetOrgPerson", "person", "contact"}) {
    FakeAddObject(std::string("CN=") + name + "," + kSchema, {"top", "classSchema"},
                  {FakeString("lDAPDisplayName", name), FakeString("rDNAttId", "cn")});
  }
  for (const char* name : {"user", "group", "computer", "inetOrgPerson"})
    FakeSetClassProperties(name, {"objectClass"}, {"sAMAccountName"});
  FakeSetClassProperties("person", {"objectClass", "cn"}, {"description"});

  FakeAddObject(
      kDomain, {"top", "domain", "domainDNS"},
      {FakeOctets("objectSid", SidBytes("S-1-5-21-7-8-9")), FakeLargeInteger("maxPwdAge", -42 * kDay),
       FakeLargeInteger("minPwdAge", -1 * kDay), FakeInteger("minPwdLength", 7),
       FakeInteger("pwdHistoryLength", 24), FakeInteger("pwdProperties", 1),
       FakeInteger("lockoutThreshold", 5), FakeLargeInteger("lockoutDuration", -30 * kMinute),
       FakeLargeInteger("lockOutObservationWindow", -30 * kMinute)});
  FakeAddObject(std::string("CN=Partitions,CN=Configuration,") + kDomain, {"top", "crossRefContainer"});
  FakeAddObject(std::string("CN=System,") + kDomain, {"top", "container"});
  FakeAddObject(std::string("CN=Password Settings Container,CN=System,") + kDomain,
                {"top", "msDS-PasswordSettingsContainer"});
  FakeAddObject(
      kPso, {"top", "msDS-PasswordSettings"},
      {FakeString("cn", "Strict"), FakeInteger("msDS-PasswordSettingsPrecedence", 10),
       FakeLargeInteger("msDS-MaximumPasswordAge", -10 * kDay),
       FakeLargeInteger("msDS-MinimumPasswordAge", -2 * kDay), FakeInteger("msDS-MinimumPasswordLength", 14),
       FakeInteger("msDS-PasswordHistoryLength", 5), FakeBoolean("msDS-PasswordComplexityEnabled", true),
       FakeBoolean("msDS-PasswordReversibleEncryptionEnabled", true), FakeInteger("msDS-LockoutThreshold", 3),
       FakeLargeInteger("msDS-LockoutDuration", -60 * kMinute),
       FakeLargeInteger("msDS-LockoutObservationWindow", -15 * kMinute)});
  FakeAddObject(kStaff, {"top", "organizationalUnit"});
  FakeAddObject(std::string("OU=Domain Controllers,") + kDomain, {"top", "organizationalUnit"});
  Controller("DC1", "10.0.0.1");
  Controller("DC2", "10.0.0.2");
  Controller("DC3", "10.0.0.3");

  const int64_t set = At(2026, 6, 1, 8, 30);  // two weeks before the fixed now
  User("Ann Archer", "ann", 0x200, 1101,
       {FakeString("displayName", "Ann Archer"), FakeLargeInteger("pwdLastSet", set),
        FakeLargeInteger("accountExpires", kNever), FakeLargeInteger("lastLogon", At(2026, 6, 14, 7, 5)),
        FakeLargeInteger("badPasswordTime", At(2026, 5, 2, 23, 40)), FakeInteger("badPwdCount", 1),
        FakeUtcTime("whenChanged", 2026, 6, 1, 8, 30, 5)});
  FakeSetServerAttribute("10.0.0.2", Dn("Ann Archer"),
                         FakeLargeInteger("lastLogon", At(2026, 6, 15, 10, 45)));
  FakeSetServerAttribute("10.0.0.2", Dn("Ann Archer"), FakeUtcTime("whenChanged", 2026, 6, 15, 10, 45, 0));
  FakeSetServerAttribute("10.0.0.3", Dn("Ann Archer"), FakeLargeInteger("lastLogon", 0));
  User("Bob Baker", "bob", 0x202, 1102,
       {FakeString("displayName", "Bob Baker"), FakeLargeInteger("pwdLastSet", At(2026, 5, 20, 12, 0)),
        FakeLargeInteger("accountExpires", 0), FakeUtcTime("whenChanged", 2026, 5, 21, 0, 0, 0)});
  User("Carol Clark", "carol", 0x200, 1103,
       {FakeLargeInteger("pwdLastSet", At(2026, 6, 10, 9, 0)),
        FakeLargeInteger("accountExpires", At(2026, 6, 1)), FakeUtcTime("whenChanged", 2026, 6, 1, 0, 0, 0)});
  User("Dave Dunn", "dave", 0x10200, 1104,
       {FakeLargeInteger("pwdLastSet", At(2025, 1, 31, 17, 0)),
        FakeLargeInteger("accountExpires", At(2027, 1, 1)),
        FakeUtcTime("whenChanged", 2025, 1, 31, 17, 0, 0)});
  User("Erin Ellis", "erin", 0x200, 1105,
       {FakeLargeInteger("pwdLastSet", 0), FakeUtcTime("whenChanged", 2026, 6, 14, 22, 0, 0)});
  User("Frank Foster", "frank", 0x200, 1106,
       {FakeLargeInteger("pwdLastSet", At(2026, 4, 1, 6, 0)),
        FakeLargeInteger("lockoutTime", At(2026, 6, 15, 11, 50)), FakeInteger("badPwdCount", 5),
        FakeLargeInteger("badPasswordTime", At(2026, 6, 15, 11, 50)),
        FakeUtcTime("whenChanged", 2026, 6, 15, 11, 50, 0)});
  User("Grace Green", "grace", 0x200, 1107,
       {FakeDn("msDS-ResultantPSO", kPso), FakeLargeInteger("pwdLastSet", At(2026, 6, 1, 8, 30)),
        FakeLargeInteger("lockoutTime", At(2026, 6, 15, 11, 30)), FakeInteger("badPwdCount", 3),
        FakeUtcTime("whenChanged", 2026, 6, 1, 8, 30, 0)});
  User("Heidi Hall", "heidi", 0x200, 1108,
       {FakeSecurityDescriptor(CannotChangeDescriptor()),
        FakeLargeInteger("pwdLastSet", At(2026, 6, 12, 0, 0)),
        FakeUtcTime("whenChanged", 2026, 6, 12, 0, 0, 0)});
  // Denies both trustees in the other order, each entry limited to user objects by inheritance.
  User("Hugo Hart", "hugo", 0x200, 1112,
       {FakeSecurityDescriptor(Descriptor(Acl({ObjectAce(6, 3, test_descriptors::kChangePassword, "S-1-5-10"),
                                               PlainAce(0, "S-1-5-11"), DenyChange("S-1-1-0")}))),
        FakeLargeInteger("pwdLastSet", At(2026, 6, 12, 0, 0)),
        FakeUtcTime("whenChanged", 2026, 6, 12, 0, 0, 0)});
  User("Ivan Ives", "ivan", 0x200, 1109,
       {FakeOctets("logonHours", OfficeHours()), FakeString("userWorkstations", "WS01,WS02,LAB-PC"),
        FakeLargeInteger("pwdLastSet", At(2026, 6, 2, 0, 0)),
        FakeUtcTime("whenChanged", 2026, 6, 2, 0, 0, 0)});
  User("Judy Jones", "judy", 0x220, 1110,
       {FakeLargeInteger("pwdLastSet", At(2026, 6, 3, 0, 0)),
        FakeString("displayName", "Judy Jones (no password)"),
        FakeOctets("logonHours", std::string(21, '\0')), FakeUtcTime("whenChanged", 2026, 6, 3, 0, 0, 0)});
  User("Zoë Ångström-Øvergaard Þórsdóttir of the Northern Lights Office", "zoe", 0x80200, 1111,
       {FakeString("displayName",
                   "Zoë Ångström-Øvergaard Þórsdóttir, Ärztin für Überseeische Angelegenheiten"),
        FakeLargeInteger("pwdLastSet", At(2026, 6, 13, 23, 59)),
        FakeUtcTime("whenChanged", 2026, 6, 13, 23, 59, 0)});

  std::vector<std::string> members;
  for (const char* cn : {"Ann Archer", "Bob Baker", "Carol Clark", "Dave Dunn", "Erin Ellis", "Frank Foster",
                         "Grace Green", "Heidi Hall", "Hugo Hart", "Ivan Ives", "Judy Jones",
                         "Zoë Ångström-Øvergaard Þórsdóttir of the Northern Lights Office"}) {
    members.push_back(Dn(cn));
  }
  FakeAddObject(Dn("Staff Group"), {"top", "group"},
                {FakeString("sAMAccountName", "staff"), FakeDns("member", members)});
}
