#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "directory/ads/fake/ads_fake.h"
#include "directory/directory_context.h"
#include "directory/times_test_util.h"
#include "retrieval/retrieval.h"
#include "retrieval/sales_run_test_util.h"
#include "util/output.h"

namespace {

using namespace test_times;

constexpr uint32_t kNow = Seconds(2024, 6, 15, 12, 0, 0);
const char* const kDomain = kSalesDomain;
const char kPso[] = "CN=pso1,CN=Password Settings Container,CN=System,DC=sales,DC=corp";
const char kAnn[] = "CN=Ann,OU=Staff,DC=sales,DC=corp";

class PasswordPolicy : public SalesRunTest {
 protected:
  PasswordPolicy() : SalesRunTest(kNow) {}

  void AddDomain(std::vector<AdsAttribute> attributes) {
    FakeAddObject(kDomain, {"top", "domain", "domainDNS"}, std::move(attributes));
  }

  static std::vector<AdsAttribute> FullDomainPolicy() { return SalesDomainPolicy(15 * kMinute); }

  void AddPso(const std::string& dn, std::vector<AdsAttribute> attributes) {
    FakeAddObject(dn, {"top", "msDS-PasswordSettings"}, std::move(attributes));
  }

  RestrictionRecord FillAnn() {
    RestrictionRecord record;
    std::string error;
    EXPECT_EQ(FillRestrictionRecord(&run_, kAnn, "NAME", kNow, &record, &error), kAdsOk);
    return record;
  }
};

TEST_F(PasswordPolicy, DomainPolicyIsReadFromTheDomainHead) {
  AddDomain(FullDomainPolicy());
  run_.policy.max_password_age = 99;  // replaced, not merged
  EXPECT_EQ(ReadDomainPolicy(&run_), 0);
  const DomainPolicy& policy = run_.policy;
  EXPECT_EQ(policy.max_password_age, 42 * kDay);
  EXPECT_EQ(policy.min_password_age, kDay);
  EXPECT_EQ(policy.min_password_length, 7u);
  EXPECT_EQ(policy.password_history_length, 24u);
  EXPECT_EQ(policy.complexity, 1u);
  EXPECT_EQ(policy.lockout_policy, 1u);
  EXPECT_EQ(policy.lockout_threshold, 5u);
  EXPECT_EQ(policy.lockout_duration, 30 * kMinute);
  EXPECT_EQ(policy.lockout_observation_window, 15 * kMinute);
  EXPECT_EQ(FakeCalls().front(), std::string("open LDAP://") + kDomain);
}

TEST_F(PasswordPolicy, DomainPolicyValuesOfNoneAndNever) {
  AddDomain({FakeLargeInteger("maxPwdAge", kNeverInterval), FakeLargeInteger("minPwdAge", 0),
             FakeInteger("pwdProperties", 0x10), FakeInteger("lockoutThreshold", 0),
             FakeLargeInteger("lockOutObservationWindow", Interval(15 * kMinute)),
             FakeLargeInteger("lockoutDuration", kNeverInterval)});
  ReadDomainPolicy(&run_);
  EXPECT_EQ(run_.policy.max_password_age, 0u);
  EXPECT_EQ(run_.policy.min_password_age, 0u);
  // Clear-text storage (0x10) is not complexity.
  EXPECT_EQ(run_.policy.complexity, 0u);
  // No threshold: no lockout policy, whatever the window.
  EXPECT_EQ(run_.policy.lockout_policy, 0u);
  EXPECT_EQ(run_.policy.lockout_duration, 0u);
}

TEST_F(PasswordPolicy, UnreadableDomainHeadLeavesNoPolicy) {
  AddDomain(FullDomainPolicy());
  run_.policy.lockout_threshold = 3;
  FakeFailBind(kDomain, kAdsAccessDenied);
  ReadDomainPolicy(&run_);
  EXPECT_EQ(run_.policy.lockout_threshold, 0u);
  EXPECT_EQ(run_.policy.max_password_age, 0u);

  FakeReset();
  AddDomain(FullDomainPolicy());
  FakeFailRead(kDomain, kAdsServerDown);
  run_.policy.lockout_threshold = 3;
  ReadDomainPolicy(&run_);
  EXPECT_EQ(run_.policy.lockout_threshold, 0u);
  EXPECT_EQ(run_.policy.lockout_policy, 0u);
  EXPECT_EQ(out_.error_count, 0);
}

TEST_F(PasswordPolicy, PasswordSettingsObjectOverridesTheDomain) {
  AddDomain(FullDomainPolicy());
  AddPso(kPso, {FakeLargeInteger("msDS-MaximumPasswordAge", Interval(10 * kDay)),
                FakeLargeInteger("msDS-MinimumPasswordAge", Interval(2 * kDay)),
                FakeInteger("msDS-MinimumPasswordLength", 12), FakeInteger("msDS-PasswordHistoryLength", 5),
                FakeBoolean("msDS-PasswordComplexityEnabled", false),
                FakeBoolean("msDS-PasswordReversibleEncryptionEnabled", true),
                FakeInteger("msDS-LockoutThreshold", 3), FakeLargeInteger("msDS-LockoutObservationWindow", 0),
                FakeLargeInteger("msDS-LockoutDuration", Interval(10 * kMinute))});
  FakeAddObject(kAnn, {"top", "user"},
                {FakeInteger("userAccountControl", 0x200), FakeDn("msDS-ResultantPSO", kPso),
                 FakeLargeInteger("pwdLastSet", FileTime(kNow - 20 * kDay)),
                 FakeLargeInteger("lockoutTime", FileTime(kNow - 15 * kMinute))});
  ReadDomainPolicy(&run_);
  RestrictionRecord record = FillAnn();
  EXPECT_EQ(record.pso, kPso);
  EXPECT_EQ(record.max_password_age, 10 * kDay);
  EXPECT_EQ(record.min_password_age, 2 * kDay);
  EXPECT_EQ(record.min_password_length, 12u);
  EXPECT_EQ(record.password_history_length, 5u);
  EXPECT_EQ(record.lockout_threshold, 3u);
  EXPECT_EQ(record.lockout_reset_period, 0u);
  EXPECT_EQ(record.lockout_duration, 10 * kMinute);
  // Complexity false clears the domain's complexity; an observation window of 0 clears lockout policy.
  EXPECT_FALSE(record.flags & kFlagComplexity);
  EXPECT_FALSE(record.flags & kFlagLockoutPolicy);
  EXPECT_TRUE(record.flags & kFlagReversible);
  // Unique passwords follow the domain's history length.
  EXPECT_TRUE(record.flags & kFlagUniqueRequired);
  // Expiry and lockout use the object's values: ten-day maximum age, ten-minute lockout.
  EXPECT_EQ(record.password_expires, kNow - 10 * kDay);
  EXPECT_TRUE(record.flags & kFlagPasswordExpired);
  EXPECT_FALSE(record.flags & kFlagLocked);
  EXPECT_NE(std::find(FakeCalls().begin(), FakeCalls().end(), std::string("open LDAP://") + kPso),
            FakeCalls().end());
}

TEST_F(PasswordPolicy, AttributesThePasswordSettingsObjectLacksKeepTheDomainValues) {
  AddDomain(FullDomainPolicy());
  AddPso(kPso, {FakeInteger("msDS-MinimumPasswordLength", 14)});
  FakeAddObject(kAnn, {"top", "user"},
                {FakeInteger("userAccountControl", 0x280), FakeDn("msDS-ResultantPSO", kPso)});
  ReadDomainPolicy(&run_);
  RestrictionRecord record = FillAnn();
  EXPECT_EQ(record.min_password_length, 14u);
  EXPECT_EQ(record.max_password_age, 42 * kDay);
  EXPECT_EQ(record.lockout_threshold, 5u);
  EXPECT_EQ(record.lockout_reset_period, 15 * kMinute);
  EXPECT_TRUE(record.flags & kFlagComplexity);
  EXPECT_TRUE(record.flags & kFlagLockoutPolicy);
  EXPECT_TRUE(record.flags & kFlagReversible);  // from userAccountControl 0x80
}

TEST_F(PasswordPolicy, PasswordSettingsBooleansSetAndClearTheirFlags) {
  struct {
    int complexity, reversible;  // -1: absent
    bool domain_complexity;
    int64_t control;
    uint32_t flags;
  } cases[] = {
      {1, 0, false, 0x280, kFlagComplexity},
      {0, 1, true, 0x200, kFlagReversible},
      {-1, -1, true, 0x280, kFlagComplexity | kFlagReversible},
      {-1, 0, false, 0x280, 0},
  };
  int n = 0;
  for (const auto& c : cases) {
    FakeReset();
    std::vector<AdsAttribute> domain = FullDomainPolicy();
    if (!c.domain_complexity) domain[4] = FakeInteger("pwdProperties", 0);
    AddDomain(domain);
    std::vector<AdsAttribute> pso;
    if (c.complexity >= 0) pso.push_back(FakeBoolean("msDS-PasswordComplexityEnabled", c.complexity));
    if (c.reversible >= 0)
      pso.push_back(FakeBoolean("msDS-PasswordReversibleEncryptionEnabled", c.reversible));
    AddPso(kPso, pso);
    FakeAddObject(kAnn, {"top", "user"},
                  {FakeInteger("userAccountControl", c.control), FakeDn("msDS-ResultantPSO", kPso)});
    ReadDomainPolicy(&run_);
    EXPECT_EQ(FillAnn().flags & (kFlagComplexity | kFlagReversible), c.flags) << "case " << n;
    ++n;
  }
}

TEST_F(PasswordPolicy, UnreachablePasswordSettingsObjectKeepsTheDomainValues) {
  AddDomain(FullDomainPolicy());
  AddPso(kPso, {FakeInteger("msDS-MinimumPasswordLength", 14)});
  FakeAddObject(kAnn, {"top", "user"}, {FakeDn("msDS-ResultantPSO", kPso)});
  FakeFailBind(kPso, kAdsAccessDenied);
  ReadDomainPolicy(&run_);
  RestrictionRecord record = FillAnn();
  EXPECT_EQ(record.pso, kPso);
  EXPECT_EQ(record.min_password_length, 7u);
  EXPECT_TRUE(record.flags & kFlagLockoutPolicy);

  RestrictionRecord direct;
  EXPECT_FALSE(ReadPasswordSettings(&run_, kPso, &direct));
}

TEST_F(PasswordPolicy, UnreadablePasswordSettingsObjectRecomputesOnlyLockoutPolicy) {
  AddPso(kPso, {FakeInteger("msDS-MinimumPasswordLength", 14)});
  FakeFailRead(kPso, kAdsServerDown);
  RestrictionRecord record;
  record.flags = kFlagLockoutPolicy;
  record.lockout_threshold = 5;
  record.min_password_length = 7;
  EXPECT_TRUE(ReadPasswordSettings(&run_, kPso, &record));
  EXPECT_EQ(record.min_password_length, 7u);
  // Without an observation window there is no lockout policy.
  EXPECT_EQ(record.flags, 0u);
}

}  // namespace
