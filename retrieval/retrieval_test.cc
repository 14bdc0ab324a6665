#include "retrieval/retrieval.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "directory/ads/fake/ads_fake.h"
#include "directory/descriptors_test_util.h"
#include "directory/directory_context.h"
#include "directory/times_test_util.h"
#include "retrieval/sales_run_test_util.h"
#include "retrieval/servers.h"
#include "util/output.h"

namespace {

using namespace test_times;

constexpr uint32_t kNow = Seconds(2024, 6, 15, 12, 0, 0);
constexpr uint32_t kMaxAge = 42 * kDay;  // the maximum password age of SalesDomainPolicy
constexpr int64_t kNormalAccount = 0x200;
const char* const kDomain = kSalesDomain;
// The flags every normal account of the test domain carries from the domain's policy.
constexpr uint32_t kDomainFlags = kFlagUniqueRequired | kFlagComplexity | kFlagLockoutPolicy;

std::string UserDn(const std::string& name) { return "CN=" + name + ",OU=Staff,DC=sales,DC=corp"; }

class Retrieval : public SalesRunTest {
 protected:
  Retrieval() : SalesRunTest(kNow) {}

  void SetUp() override {
    SalesRunTest::SetUp();
    FakeAddObject(kDomain, {"top", "domain", "domainDNS"}, SalesDomainPolicy(30 * kMinute));
    g_cancel = 0;
    ReadDomainPolicy(&run_);
  }

  void AddUser(const std::string& name, std::vector<AdsAttribute> attributes) {
    FakeAddObject(UserDn(name), {"top", "person", "organizationalPerson", "user"}, std::move(attributes));
  }

  // A user with a password set ten days ago, plus the given attributes.
  void AddActiveUser(const std::string& name, std::vector<AdsAttribute> attributes) {
    attributes.push_back(FakeLargeInteger("pwdLastSet", FileTime(kNow - 10 * kDay)));
    AddUser(name, std::move(attributes));
  }

  RestrictionRecord Fill(const std::string& name) {
    RestrictionRecord record;
    std::string error;
    EXPECT_EQ(FillRestrictionRecord(&run_, UserDn(name), "NAME", kNow, &record, &error), kAdsOk) << name;
    EXPECT_EQ(error, "") << name;
    return record;
  }

  bool Called(const std::string& call) {
    return std::find(FakeCalls().begin(), FakeCalls().end(), call) != FakeCalls().end();
  }
};

TEST_F(Retrieval, AccountExpiryIsStrictlyBeforeNow) {
  struct {
    const char* label;
    int64_t account_expires;
    uint32_t expires;
    bool expired;
  } cases[] = {
      {"0 never expires", 0, 0, false},
      {"the directory's never value", kNeverFileTime, 0, false},
      {"expiring now is not yet expired", FileTime(kNow), kNow, false},
      {"a second ago", FileTime(kNow - 1), kNow - 1, true},
      {"tomorrow", FileTime(kNow + kDay), kNow + kDay, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string name = "U" + std::to_string(n++);
    AddActiveUser(name, {FakeLargeInteger("accountExpires", c.account_expires)});
    RestrictionRecord record = Fill(name);
    EXPECT_EQ(record.account_expires, c.expires) << c.label;
    EXPECT_EQ((record.flags & kFlagExpired) != 0, c.expired) << c.label;
  }
}

TEST_F(Retrieval, PasswordExpiryFollowsLastSetMaximumAgeAndAccountControl) {
  const uint32_t flags = kFlagPasswordExpired | kFlagChangeNextLogon | kFlagNeverExpires;
  struct {
    const char* label;
    int64_t pwd_last_set;  // -1: attribute absent
    int64_t control;
    uint32_t max_age;
    uint32_t last_set, expires, flags;
  } cases[] = {
      {"must change at next logon", 0, kNormalAccount, kMaxAge, 0, 0,
       kFlagPasswordExpired | kFlagChangeNextLogon},
      {"must change, never expires", 0, 0x10200, kMaxAge, 0, 0, kFlagChangeNextLogon | kFlagNeverExpires},
      {"never expires", FileTime(kNow - 10 * kDay), 0x10200, kMaxAge, kNow - 10 * kDay, 0, kFlagNeverExpires},
      {"never expires, expired by account control", FileTime(kNow - 10 * kDay), 0x810200, kMaxAge,
       kNow - 10 * kDay, 0, kFlagNeverExpires | kFlagPasswordExpired},
      {"current", FileTime(kNow - 10 * kDay), kNormalAccount, kMaxAge, kNow - 10 * kDay, kNow + 32 * kDay, 0},
      {"expiring now is not yet expired", FileTime(kNow - kMaxAge), kNormalAccount, kMaxAge, kNow - kMaxAge,
       kNow, 0},
      {"expired a second ago", FileTime(kNow - kMaxAge - 1), kNormalAccount, kMaxAge, kNow - kMaxAge - 1,
       kNow - 1, kFlagPasswordExpired},
      {"current but expired by account control", FileTime(kNow - kDay), 0x800200, kMaxAge, kNow - kDay,
       kNow + 41 * kDay, kFlagPasswordExpired},
      {"no maximum age: never expires by age", FileTime(kNow - 400 * kDay), kNormalAccount, 0,
       kNow - 400 * kDay, 0, 0},
      {"no maximum age, expired by account control", FileTime(kNow - 400 * kDay), 0x800200, 0,
       kNow - 400 * kDay, 0, kFlagPasswordExpired},
      {"last set unreadable", -1, kNormalAccount, kMaxAge, 0, 0, kFlagPasswordExpired},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string name = "U" + std::to_string(n++);
    std::vector<AdsAttribute> attributes = {FakeInteger("userAccountControl", c.control)};
    if (c.pwd_last_set >= 0) attributes.push_back(FakeLargeInteger("pwdLastSet", c.pwd_last_set));
    AddUser(name, attributes);
    run_.policy.max_password_age = c.max_age;
    RestrictionRecord record = Fill(name);
    EXPECT_EQ(record.password_last_set, c.last_set) << c.label;
    EXPECT_EQ(record.password_expires, c.expires) << c.label;
    EXPECT_EQ(record.flags & flags, c.flags) << c.label;
  }
}

TEST_F(Retrieval, LockoutLastsForTheLockoutDuration) {
  struct {
    const char* label;
    uint32_t lockout_time;  // 0: the attribute holds 0
    bool locked;
  } cases[] = {
      {"not locked out", 0, false},
      {"ten minutes into a thirty-minute lockout", kNow - 10 * kMinute, true},
      {"a stale lockout time", kNow - 40 * kMinute, false},
      {"the lockout ends now", kNow - 30 * kMinute, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string name = "U" + std::to_string(n++);
    AddActiveUser(name, {FakeLargeInteger("lockoutTime", c.lockout_time ? FileTime(c.lockout_time) : 0)});
    RestrictionRecord record = Fill(name);
    EXPECT_EQ(record.lockout_time, c.lockout_time) << c.label;
    EXPECT_EQ((record.flags & kFlagLocked) != 0, c.locked) << c.label;
  }
}

TEST_F(Retrieval, LockoutDurationOfNeverLocksUntilUnlocked) {
  FakeSetAttribute(kDomain, FakeLargeInteger("lockoutDuration", kNeverInterval));
  ReadDomainPolicy(&run_);
  ASSERT_EQ(run_.policy.lockout_duration, 0u);
  AddActiveUser("Ann", {FakeLargeInteger("lockoutTime", FileTime(kNow - 400 * kDay))});
  RestrictionRecord record = Fill("Ann");
  EXPECT_EQ(record.lockout_duration, 0u);
  EXPECT_TRUE(record.flags & kFlagLocked);
  EXPECT_TRUE(record.flags & kFlagLockoutPolicy);
}

TEST_F(Retrieval, AccountControlBitsSetTheirFlags) {
  struct {
    int64_t control;
    uint32_t flags;
  } cases[] = {
      {0x200, kDomainFlags | kFlagPasswordRequired | kFlagUserCanChange},
      {0x202, kDomainFlags | kFlagPasswordRequired | kFlagUserCanChange | kFlagDisabled},
      {0x220, kDomainFlags | kFlagUserCanChange},
      {0x240, kDomainFlags | kFlagPasswordRequired},
      {0x280, kDomainFlags | kFlagPasswordRequired | kFlagUserCanChange | kFlagReversible},
      {0x10200, kDomainFlags | kFlagPasswordRequired | kFlagUserCanChange | kFlagNeverExpires},
      {0x800200, kDomainFlags | kFlagPasswordRequired | kFlagUserCanChange | kFlagPasswordExpired},
      {0x8102E2, kDomainFlags | kFlagDisabled | kFlagReversible | kFlagNeverExpires | kFlagPasswordExpired},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string name = "U" + std::to_string(n++);
    AddActiveUser(name, {FakeInteger("userAccountControl", c.control)});
    EXPECT_EQ(Fill(name).flags, c.flags) << std::hex << c.control;
  }
}

TEST_F(Retrieval, DomainPolicyFillsThePolicyValuesAndFlags) {
  AddActiveUser("Ann", {FakeInteger("userAccountControl", kNormalAccount)});
  RestrictionRecord record = Fill("Ann");
  EXPECT_EQ(record.max_password_age, kMaxAge);
  EXPECT_EQ(record.min_password_age, kDay);
  EXPECT_EQ(record.min_password_length, 7u);
  EXPECT_EQ(record.password_history_length, 24u);
  EXPECT_EQ(record.lockout_duration, 30 * kMinute);
  EXPECT_EQ(record.lockout_reset_period, 30 * kMinute);
  EXPECT_EQ(record.lockout_threshold, 5u);
  EXPECT_EQ(record.flags & kDomainFlags, kDomainFlags);

  run_.policy = DomainPolicy{};
  record = Fill("Ann");
  EXPECT_EQ(record.flags, kFlagPasswordRequired | kFlagUserCanChange);
  EXPECT_EQ(record.max_password_age, 0u);
  EXPECT_EQ(record.lockout_threshold, 0u);
}

TEST_F(Retrieval, TimesAreShiftedByTheLocalOffset) {
  run_.local_offset = 2;  // one hour east of UTC
  AddUser("Ann",
          {FakeUtcTime("whenCreated", 2011, 1, 5, 10, 0, 0), FakeUtcTime("whenChanged", 2024, 6, 1, 8, 30, 0),
           FakeLargeInteger("lastLogon", FileTime(Seconds(2024, 6, 14, 7, 0, 0))),
           FakeLargeInteger("badPasswordTime", FileTime(Seconds(2024, 6, 13, 23, 30, 0))),
           FakeLargeInteger("pwdLastSet", FileTime(Seconds(2024, 6, 10))),
           FakeLargeInteger("accountExpires", FileTime(Seconds(2025, 1, 1))),
           FakeLargeInteger("lockoutTime", FileTime(Seconds(2024, 6, 15, 11, 0, 0)))});
  RestrictionRecord record = Fill("Ann");
  EXPECT_EQ(record.created, Seconds(2011, 1, 5, 11, 0, 0));
  EXPECT_EQ(record.modified, Seconds(2024, 6, 1, 9, 30, 0));
  EXPECT_EQ(record.last_logon, Seconds(2024, 6, 14, 8, 0, 0));
  EXPECT_EQ(record.last_bad_logon, Seconds(2024, 6, 14, 0, 30, 0));
  EXPECT_EQ(record.password_last_set, Seconds(2024, 6, 10, 1, 0, 0));
  EXPECT_EQ(record.password_expires, Seconds(2024, 6, 10, 1, 0, 0) + kMaxAge);
  EXPECT_EQ(record.account_expires, Seconds(2025, 1, 1, 1, 0, 0));
  // Locked out at 12:00 local, now: thirty minutes still to go.
  EXPECT_EQ(record.lockout_time, kNow);
  EXPECT_TRUE(record.flags & kFlagLocked);
}

TEST_F(Retrieval, TextsAndCountsAreCopied) {
  const std::string pso = "CN=Gone,CN=Password Settings Container,CN=System,DC=sales,DC=corp";
  AddActiveUser("Ann", {FakeInteger("badPwdCount", 3), FakeString("userWorkstations", "PC01,PC02"),
                        FakeString("displayName", "Ann Lee"), FakeDn("msDS-ResultantPSO", pso)});
  AddActiveUser("Bob", {});
  RestrictionRecord ann = Fill("Ann");
  EXPECT_EQ(ann.bad_logon_count, 3u);
  EXPECT_TRUE(ann.has_workstations);
  EXPECT_EQ(ann.workstations, "PC01,PC02");
  EXPECT_EQ(ann.display_name, "Ann Lee");
  EXPECT_EQ(ann.pso, pso);
  EXPECT_EQ(ann.name, "");
  RestrictionRecord bob = Fill("Bob");
  EXPECT_EQ(bob.bad_logon_count, 0u);
  EXPECT_FALSE(bob.has_workstations);
  EXPECT_EQ(bob.display_name, "");
  EXPECT_EQ(bob.pso, "");
  EXPECT_EQ(bob.created, 0u);
  EXPECT_EQ(bob.last_logon, 0u);
  // Neither /n nor /u reads the display name.
  run_.options.no_display_name = true;
  EXPECT_EQ(Fill("Ann").display_name, "");
  run_.options.no_display_name = false;
  run_.options.names_only = true;
  EXPECT_EQ(Fill("Ann").display_name, "");
}

TEST_F(Retrieval, LogonHoursReplaceAtMostTwentyOneBytes) {
  std::string week;
  for (int i = 0; i < 21; ++i) week.push_back(static_cast<char>(i * 7));
  struct {
    const char* label;
    std::string value;  // empty: attribute absent
    std::string expected;
  } cases[] = {
      {"absent: every hour allowed", "", std::string(21, '\xFF')},
      {"a full week", week, week},
      {"longer: only the first 21 bytes", week + "\x01\x02\x03", week},
      {"shorter: the rest stays allowed", std::string("\x00\x0F\xF0", 3),
       std::string("\x00\x0F\xF0", 3) + std::string(18, '\xFF')},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string name = "U" + std::to_string(n++);
    std::vector<AdsAttribute> attributes;
    if (!c.value.empty()) attributes.push_back(FakeOctets("logonHours", c.value));
    AddActiveUser(name, attributes);
    RestrictionRecord record = Fill(name);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.logon_hours), kLogonHoursBytes), c.expected)
        << c.label;
  }
}

TEST_F(Retrieval, DaclAnswerOverridesTheAccountControlBit) {
  using test_descriptors::Acl;
  using test_descriptors::CannotChangeDescriptor;
  using test_descriptors::DenyChange;
  using test_descriptors::Descriptor;
  const std::string self_only = Descriptor(Acl({DenyChange("S-1-5-10")}));
  struct {
    const char* label;
    RestrictionCode restriction;
    std::string descriptor;  // empty: none readable
    int64_t control;
    bool can_change;
  } cases[] = {
      {"denied by the DACL", kPuc, CannotChangeDescriptor(), 0x200, false},
      {"denied by the DACL for all", kAll, CannotChangeDescriptor(), 0x200, false},
      {"allowed by the DACL despite 0x40", kPuc, self_only, 0x240, true},
      {"no DACL: 0x40 decides", kPuc, "", 0x240, false},
      {"no DACL, no 0x40", kPuc, "", 0x200, true},
      {"DACL not read for another restriction", kAd, CannotChangeDescriptor(), 0x200, true},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string name = "U" + std::to_string(n++);
    std::vector<AdsAttribute> attributes = {FakeInteger("userAccountControl", c.control)};
    if (!c.descriptor.empty()) attributes.push_back(FakeSecurityDescriptor(c.descriptor));
    AddActiveUser(name, attributes);
    run_.restriction = c.restriction;
    FakeClearCalls();
    EXPECT_EQ((Fill(name).flags & kFlagUserCanChange) != 0, c.can_change) << c.label;
    bool read_dacl = Called("read " + UserDn(name) + " ntSecurityDescriptor");
    EXPECT_EQ(read_dacl, c.restriction != kAd) << c.label;
  }
}

TEST_F(Retrieval, ObjectIsBoundFastAndReadOnce) {
  AddActiveUser("Ann", {});
  FakeClearCalls();
  Fill("Ann");
  EXPECT_EQ(FakeCalls(), (std::vector<std::string>{
                             "open LDAP://" + UserDn("Ann"),
                             "read " + UserDn("Ann") +
                                 " accountExpires,badPwdCount,badPasswordTime,lastLogon,logonHours,"
                                 "userWorkstations,pwdLastSet,userAccountControl,whenCreated,whenChanged,"
                                 "lockoutTime,displayName,msDS-ResultantPSO",
                         }));
  // Fast bind: an object that does not exist fails at the read, not the bind.
  RestrictionRecord record;
  std::string error;
  EXPECT_EQ(FillRestrictionRecord(&run_, UserDn("Gone"), "NAME", kNow, &record, &error), kAdsNoSuchObject);
  EXPECT_EQ(error, "Cannot get the attributes for NAME");
}

TEST_F(Retrieval, FailuresGiveTheirMessages) {
  AddActiveUser("Ann", {});
  AddActiveUser("Bob", {});
  FakeFailBind(UserDn("Ann"), kAdsAccessDenied);
  FakeFailRead(UserDn("Bob"), kAdsServerDown);
  RestrictionRecord record;
  std::string error;
  EXPECT_EQ(FillRestrictionRecord(&run_, UserDn("Ann"), "NAME", kNow, &record, &error), kAdsAccessDenied);
  EXPECT_EQ(error, "Cannot connect to NAME");
  EXPECT_EQ(FillRestrictionRecord(&run_, UserDn("Bob"), "NAME", kNow, &record, &error), kAdsServerDown);
  EXPECT_EQ(error, "Cannot get the attributes for NAME");
}

TEST_F(Retrieval, SingleControllerReadsThroughTheResolvedServer) {
  AddActiveUser("Ann", {FakeLargeInteger("lastLogon", FileTime(kNow - kDay))});
  FakeSetServerAttribute("dc2.sales.corp", UserDn("Ann"), FakeLargeInteger("lastLogon", FileTime(kNow - 60)));
  run_.options.single_controller = true;
  run_.server_prefix = "dc2";
  run_.resolved_server = "dc2.sales.corp";
  run_.restriction = kLld;
  FakeClearCalls();
  RestrictionRecord record = Fill("Ann");
  EXPECT_EQ(FakeCalls().front(), "open LDAP://dc2.sales.corp/" + UserDn("Ann"));
  EXPECT_EQ(record.last_logon, kNow - 60);
  EXPECT_EQ(record.last_logon_server, "DC2");
  EXPECT_EQ(run_.server_prefix, "DC2");

  // A failed bind names the server.
  run_.server_prefix = "dc2";
  run_.restriction = kAd;
  FakeFailServer("dc2.sales.corp", kAdsServerDown);
  std::string error;
  EXPECT_EQ(FillRestrictionRecord(&run_, UserDn("Ann"), "NAME", kNow, &record, &error), kAdsServerDown);
  EXPECT_EQ(error, "Cannot connect to NAME on dc2");
}

TEST_F(Retrieval, OwnReadCountsForTheFirstControllerOfTheList) {
  ServerEntry first;
  first.name = "DC1";
  ServerList list;
  list.head = &first;
  run_.server_list = &list;
  AddUser("Ann", {FakeLargeInteger("lastLogon", FileTime(kNow - kDay)),
                  FakeUtcTime("whenChanged", 2024, 6, 1, 0, 0, 0)});
  AddUser("Bob", {FakeLargeInteger("lastLogon", 0)});
  run_.restriction = kLld;
  RestrictionRecord ann = Fill("Ann");
  EXPECT_EQ(ann.last_logon, kNow - kDay);
  EXPECT_EQ(ann.last_logon_server, "DC1");
  EXPECT_EQ(ann.modified, Seconds(2024, 6, 1));
  EXPECT_EQ(ann.modification_server, "DC1");
  // Never logged on: no time and no controller.
  RestrictionRecord bob = Fill("Bob");
  EXPECT_EQ(bob.last_logon, 0u);
  EXPECT_EQ(bob.last_logon_server, "");
  run_.server_list = nullptr;
  EXPECT_EQ(Fill("Ann").last_logon_server, "");
}

TEST_F(Retrieval, RetrieveCountsTheObjectAndStopsWhenCancelled) {
  AddActiveUser("Ann", {});
  EXPECT_EQ(RetrieveRestrictions(&run_, UserDn("Ann")), kWorkDone);
  EXPECT_EQ(run_.examined, 1);
  // An object that cannot be read is reported and counted; the caller goes on.
  EXPECT_EQ(RetrieveRestrictions(&run_, UserDn("Gone")), kWorkDone);
  EXPECT_EQ(run_.examined, 2);
  g_cancel = 1;
  FakeClearCalls();
  EXPECT_EQ(RetrieveRestrictions(&run_, UserDn("Ann")), kWorkCancelled);
  EXPECT_EQ(run_.examined, 2);
  EXPECT_TRUE(FakeCalls().empty());
  g_cancel = 0;
}

}  // namespace
