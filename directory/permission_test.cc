#include "directory/permission.h"

#include <gtest/gtest.h>

#include "directory/sid.h"

namespace {

// The User-Change-Password right {AB721A53-1E2F-11D0-9819-00AA0040529B} in its packed layout.
const std::string kChangePassword("\x53\x1A\x72\xAB\x2F\x1E\xD0\x11\x98\x19\x00\xAA\x00\x40\x52\x9B", 16);
// Another right: User-Force-Change-Password {00299570-246D-11D0-A768-00AA006E0529}.
const std::string kResetPassword("\x70\x95\x29\x00\x6D\x24\xD0\x11\xA7\x68\x00\xAA\x00\x6E\x05\x29", 16);
const std::string kUserClass(16, '\x42');

void Put16(std::string* bytes, size_t value) {
  bytes->push_back(static_cast<char>(value & 0xFF));
  bytes->push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string* bytes, uint32_t value) {
  Put16(bytes, value & 0xFFFF);
  Put16(bytes, value >> 16);
}

std::string Sid(const char* text) {
  std::string sid;
  EXPECT_TRUE(TextToSid(text, &sid));
  return sid;
}

// An object entry: type, object flags, the GUIDs those flags announce, and the trustee.
std::string ObjectAce(int type, uint32_t object_flags, const std::string& object_type, const char* trustee,
                      const std::string& inherited_type = kUserClass) {
  std::string body;
  Put32(&body, 0x100);  // control access
  Put32(&body, object_flags);
  if (object_flags & 1) body += object_type;
  if (object_flags & 2) body += inherited_type;
  body += Sid(trustee);
  std::string ace;
  ace.push_back(static_cast<char>(type));
  ace.push_back(0);
  Put16(&ace, body.size() + 4);
  return ace + body;
}

std::string DenyChange(const char* trustee) { return ObjectAce(6, 1, kChangePassword, trustee); }

// A plain entry (allowed or denied) with a mask and a trustee.
std::string PlainAce(int type, const char* trustee) {
  std::string body;
  Put32(&body, 0x100);
  body += Sid(trustee);
  std::string ace;
  ace.push_back(static_cast<char>(type));
  ace.push_back(0);
  Put16(&ace, body.size() + 4);
  return ace + body;
}

std::string Acl(const std::vector<std::string>& aces) {
  std::string body;
  for (const std::string& ace : aces) body += ace;
  std::string acl;
  acl.push_back(4);
  acl.push_back(0);
  Put16(&acl, body.size() + 8);
  Put16(&acl, aces.size());
  Put16(&acl, 0);
  return acl + body;
}

// A self-relative descriptor with an owner SID, then the DACL.
std::string Descriptor(const std::string& acl, uint16_t control = 0x8004) {
  std::string owner = Sid("S-1-5-32-544");
  std::string sd;
  sd.push_back(1);
  sd.push_back(0);
  Put16(&sd, control);
  Put32(&sd, 20);
  Put32(&sd, 0);
  Put32(&sd, 0);
  Put32(&sd, acl.empty() ? 0 : static_cast<uint32_t>(20 + owner.size()));
  return sd + owner + acl;
}

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

}  // namespace
