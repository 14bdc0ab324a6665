#include "directory/permission.h"

#include <gtest/gtest.h>

#include "directory/ads/fake/ads_fake.h"
#include "directory/descriptors_test_util.h"

namespace {

using namespace test_descriptors;

struct DaclCase {
  const char* label;
  std::string descriptor;
  bool denied;
};

TEST(ChangePasswordDacl, DeniedOnlyWhenBothEveryoneAndSelfAreDenied) {
  const DaclCase cases[] = {
      {"both, self first", Descriptor(Acl({DenyChange("S-1-5-10"), DenyChange("S-1-1-0")})), true},
      {"both, everyone first, among other entries",
       Descriptor(Acl({PlainAce(0, "S-1-5-18"), DenyChange("S-1-1-0"), PlainAce(1, "S-1-5-11"),
                       ObjectAce(5, 1, kChangePassword, "S-1-5-10"), DenyChange("s-1-5-10")})),
       true},
      {"self alone", Descriptor(Acl({DenyChange("S-1-5-10")})), false},
      {"everyone alone", Descriptor(Acl({DenyChange("S-1-1-0"), DenyChange("S-1-1-0")})), false},
      {"allow entries do not deny",
       Descriptor(
           Acl({ObjectAce(5, 1, kChangePassword, "S-1-5-10"), ObjectAce(5, 1, kChangePassword, "S-1-1-0")})),
       false},
      {"plain deny entries do not count", Descriptor(Acl({PlainAce(1, "S-1-5-10"), PlainAce(1, "S-1-1-0")})),
       false},
      {"another right",
       Descriptor(
           Acl({ObjectAce(6, 1, kResetPassword, "S-1-5-10"), ObjectAce(6, 1, kResetPassword, "S-1-1-0")})),
       false},
      {"other trustees", Descriptor(Acl({DenyChange("S-1-5-11"), DenyChange("S-1-5-10-1")})), false},
      {"no object type present",
       Descriptor(Acl({ObjectAce(6, 0, "", "S-1-5-10"), ObjectAce(6, 0, "", "S-1-1-0")})), false},
      {"both GUIDs: trustee 44 bytes in",
       Descriptor(
           Acl({ObjectAce(6, 3, kChangePassword, "S-1-5-10"), ObjectAce(6, 3, kChangePassword, "S-1-1-0")})),
       true},
      {"inherited type only does not name the right",
       Descriptor(Acl({ObjectAce(6, 2, "", "S-1-5-10", kChangePassword),
                       ObjectAce(6, 2, "", "S-1-1-0", kChangePassword)})),
       false},
      {"no DACL present", Descriptor(Acl({DenyChange("S-1-5-10"), DenyChange("S-1-1-0")}), 0x8000), false},
      {"null DACL", Descriptor("", 0x8004), false},
      {"empty DACL", Descriptor(Acl({})), false},
  };
  for (const DaclCase& c : cases) {
    bool denied = !c.denied;
    EXPECT_EQ(WalkChangePasswordDacl(c.descriptor, &denied), kDaclAnswered) << c.label;
    EXPECT_EQ(denied, c.denied) << c.label;
    EXPECT_TRUE(DaclDeniesChangePassword(c.descriptor, &denied)) << c.label;
  }
}

TEST(ChangePasswordDacl, EntriesThatCannotBeFetchedAreSkipped) {
  std::string both = Acl({DenyChange("S-1-5-10"), DenyChange("S-1-1-0")});
  // The count says three entries, but only two are there: the third cannot be fetched.
  std::string overcounted = both;
  overcounted[4] = 3;
  // A SID cut short by the entry's own size matches no trustee.
  std::string short_sid = DenyChange("S-1-1-0");
  short_sid[2] = static_cast<char>(short_sid.size() - 4);
  short_sid.resize(short_sid.size() - 4);
  // An entry whose size runs past the DACL cannot be fetched.
  std::string long_entry = DenyChange("S-1-1-0");
  long_entry[2] = static_cast<char>(200);
  // An entry of size 0 stays at the same place; the walk ends after the count.
  std::string zero_size = DenyChange("S-1-1-0");
  zero_size[2] = 0;
  const DaclCase cases[] = {
      {"more entries counted than present", Descriptor(overcounted), true},
      {"SID cut short", Descriptor(Acl({DenyChange("S-1-5-10"), short_sid})), false},
      {"entry longer than the DACL", Descriptor(Acl({DenyChange("S-1-5-10"), long_entry})), false},
      {"entry of size zero", Descriptor(Acl({DenyChange("S-1-5-10"), zero_size})), false},
      {"object entry shorter than its GUID",
       Descriptor(
           Acl({DenyChange("S-1-5-10"),
                std::string("\x06\x00\x10\x00\x00\x01\x00\x00\x01\x00\x00\x00", 12) + std::string(4, 'x')})),
       false},
  };
  for (const DaclCase& c : cases) {
    bool denied = !c.denied;
    EXPECT_EQ(WalkChangePasswordDacl(c.descriptor, &denied), kDaclAnswered) << c.label;
    EXPECT_EQ(denied, c.denied) << c.label;
  }
}

TEST(ChangePasswordDacl, MalformedDescriptorsAreReported) {
  std::string good = Descriptor(Acl({DenyChange("S-1-5-10"), DenyChange("S-1-1-0")}));
  std::string bad_revision = good;
  bad_revision[0] = 2;
  std::string dacl_outside = good;
  dacl_outside[16] = static_cast<char>(good.size() - 4);
  const size_t acl_size_at = 20 + 16 + 2;  // after the header and the owner SID
  std::string acl_too_long = good;
  acl_too_long[acl_size_at] = static_cast<char>(0xFF);
  acl_too_long[acl_size_at + 1] = static_cast<char>(0xFF);
  std::string acl_too_short = good;
  acl_too_short[acl_size_at] = 4;
  acl_too_short[acl_size_at + 1] = 0;
  struct {
    const char* label;
    std::string descriptor;
    DaclWalk walk;
  } cases[] = {
      {"empty", "", kDaclUnreadable},
      {"header cut", good.substr(0, 19), kDaclUnreadable},
      {"revision 2", bad_revision, kDaclUnreadable},
      {"DACL header past the end", dacl_outside, kDaclUnreadable},
      {"ACL size past the end", acl_too_long, kDaclInfoUnreadable},
      {"ACL size below its header", acl_too_short, kDaclInfoUnreadable},
      {"descriptor cut inside the DACL", good.substr(0, good.size() - 1), kDaclInfoUnreadable},
  };
  for (const auto& c : cases) {
    bool denied = true;
    EXPECT_EQ(WalkChangePasswordDacl(c.descriptor, &denied), c.walk) << c.label;
    EXPECT_FALSE(denied) << c.label;
    EXPECT_FALSE(DaclDeniesChangePassword(c.descriptor, &denied)) << c.label;
  }
}

TEST(ChangePasswordDacl, ArbitraryBytesNeverReadOutOfBounds) {
  // Every prefix and every single-byte corruption of a valid descriptor is walked safely (a build
  // with sanitizers or library assertions turns any out-of-bounds read into a failure).
  std::string good = Descriptor(
      Acl({PlainAce(0, "S-1-5-18"), ObjectAce(6, 3, kChangePassword, "S-1-5-10"), DenyChange("S-1-1-0")}));
  bool denied = false;
  for (size_t length = 0; length <= good.size(); ++length) {
    std::string prefix(good.data(), length);
    prefix.shrink_to_fit();
    WalkChangePasswordDacl(prefix, &denied);
  }
  for (size_t i = 0; i < good.size(); ++i) {
    for (int value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
      std::string corrupt = good;
      corrupt[i] = static_cast<char>(value);
      WalkChangePasswordDacl(corrupt, &denied);
    }
  }
  EXPECT_EQ(WalkChangePasswordDacl(good, &denied), kDaclAnswered);
  EXPECT_TRUE(denied);
}

class ChangePasswordCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeReset();
    FakeSetRootDse("DC=sales,DC=corp", "CN=Schema,CN=Configuration,DC=sales,DC=corp",
                   "CN=DC1,CN=Servers,CN=Site,CN=Sites,CN=Configuration,DC=sales,DC=corp");
    FakeAddObject("CN=Ann,DC=sales,DC=corp", {"top", "user"},
                  {FakeSecurityDescriptor(CannotChangeDescriptor())});
    FakeAddObject("CN=Bob,DC=sales,DC=corp", {"top", "user"},
                  {FakeSecurityDescriptor(Descriptor(Acl({DenyChange("S-1-5-10")})))});
    FakeAddObject("CN=Cid,DC=sales,DC=corp", {"top", "user"});
    std::string bad_acl = CannotChangeDescriptor();
    bad_acl[38] = 2;  // AclSize below the ACL header
    bad_acl[39] = 0;
    FakeAddObject("CN=Dee,DC=sales,DC=corp", {"top", "user"}, {FakeSecurityDescriptor(bad_acl)});
  }

  AdsResult Check(const std::string& dn, std::string* message, int* denied) {
    AdsCredentials credentials;
    *message = "stale";
    *denied = 7;
    return CheckChangePasswordDenied(&credentials, "LDAP://" + dn, "NAME", message, denied);
  }
};

TEST_F(ChangePasswordCheck, AnswersFromTheObjectsDescriptor) {
  std::string message;
  int denied = 0;
  EXPECT_EQ(Check("CN=Ann,DC=sales,DC=corp", &message, &denied), kAdsOk);
  EXPECT_EQ(denied, 1);
  EXPECT_EQ(message, "");
  EXPECT_EQ(FakeCalls().back(), "read CN=Ann,DC=sales,DC=corp ntSecurityDescriptor");

  EXPECT_EQ(Check("CN=Bob,DC=sales,DC=corp", &message, &denied), kAdsOk);
  EXPECT_EQ(denied, 0);
  EXPECT_EQ(message, "");
}

TEST_F(ChangePasswordCheck, FailuresLeaveAMessageAndNoAnswer) {
  FakeFailBind("CN=Eve,DC=sales,DC=corp", kAdsAccessDenied);
  FakeFailRead("CN=Ann,DC=sales,DC=corp", kAdsServerDown);
  struct {
    const char* dn;
    AdsResult code;
    const char* message;
  } cases[] = {
      {"CN=Eve,DC=sales,DC=corp", kAdsAccessDenied, "Cannot connect to NAME"},
      {"CN=Nobody,DC=sales,DC=corp", kAdsNoSuchObject, "Cannot connect to NAME"},
      {"CN=Ann,DC=sales,DC=corp", kAdsServerDown,
       "Cannot read the \"ntSecurityDescriptor\" attribute for NAME"},
      {"CN=Cid,DC=sales,DC=corp", kInvalidSecurityDescriptor, "Failed to read the DACL for NAME"},
      {"CN=Dee,DC=sales,DC=corp", kInvalidAcl, "Failed to read the DACL information for NAME"},
  };
  for (const auto& c : cases) {
    std::string message;
    int denied = 0;
    EXPECT_EQ(Check(c.dn, &message, &denied), c.code) << c.dn;
    EXPECT_EQ(message, c.message) << c.dn;
    EXPECT_EQ(denied, 0) << c.dn;
  }
}

}  // namespace
