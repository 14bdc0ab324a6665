// The change-password question asked of a security descriptor: which entries deny it, and which
// descriptors cannot be read.
#include "directory/permission.h"

#include <gtest/gtest.h>

#include "directory/ads/sid.h"

namespace {

// User-Change-Password {AB721A53-1E2F-11D0-9819-00AA0040529B} and User-Force-Change-Password, packed.
const std::string kChange("\x53\x1A\x72\xAB\x2F\x1E\xD0\x11\x98\x19\x00\xAA\x00\x40\x52\x9B", 16);
const std::string kReset("\x70\x95\x29\x00\x6D\x24\xD0\x11\xA7\x68\x00\xAA\x00\x6E\x05\x29", 16);

std::string Little(uint64_t value, int bytes) {
  std::string text;
  for (int i = 0; i < bytes; ++i) text.push_back(static_cast<char>(value >> (8 * i)));
  return text;
}

std::string Sid(const char* text) {
  std::string sid;
  TextToSid(text, &sid);
  return sid;
}

// An entry: type, flags, access mask 0x100, then for an object entry its object flags and the GUIDs
// they announce (the inherited type is the right itself when it comes alone), then the trustee.
std::string Ace(int type, const char* trustee, int object_flags = -1,
                const std::string& object_type = kChange) {
  std::string body = Little(0x100, 4);
  if (object_flags >= 0) body += Little(object_flags, 4);
  if (object_flags > 0 && (object_flags & 1)) body += object_type;
  if (object_flags > 0 && (object_flags & 2)) body += object_flags & 1 ? std::string(16, '\x42') : kChange;
  body += Sid(trustee);
  return std::string(1, static_cast<char>(type)) + '\0' + Little(body.size() + 4, 2) + body;
}

std::string Deny(const char* trustee) { return Ace(6, trustee, 1); }

std::string Acl(const std::vector<std::string>& aces) {
  std::string body;
  for (const std::string& ace : aces) body += ace;
  return std::string("\x04\x00", 2) + Little(body.size() + 8, 2) + Little(aces.size(), 2) + Little(0, 2) +
         body;
}

// A self-relative descriptor: header, owner SID at 20, the DACL after it (offset 0 when empty).
std::string Descriptor(const std::string& acl, uint16_t control = 0x8004) {
  const std::string owner = Sid("S-1-5-32-544");
  return std::string("\x01\x00", 2) + Little(control, 2) + Little(20, 4) + Little(0, 8) +
         Little(acl.empty() ? 0 : 20 + owner.size(), 4) + owner + acl;
}

TEST(ChangePasswordDacl, DeniedOnlyWhenEveryoneAndSelfAreBothDenied) {
  std::string overcounted = Acl({Deny("S-1-5-10"), Deny("S-1-1-0")});
  overcounted[4] = 3;  // three entries counted, two there
  std::string short_sid = Deny("S-1-1-0");
  short_sid[2] = static_cast<char>(short_sid.size() - 4);  // the entry ends inside its SID
  short_sid.resize(short_sid.size() - 4);
  std::string long_entry = Deny("S-1-1-0"), zero_size = Deny("S-1-1-0");
  long_entry[2] = static_cast<char>(200);
  zero_size[2] = 0;
  const std::string short_object =
      std::string("\x06\x00\x10\x00\x00\x01\x00\x00\x01\x00\x00\x00", 12) + "xxxx";
  const struct {
    const char* label;
    std::string descriptor;
    bool denied;
  } cases[] = {
      {"both, self first", Descriptor(Acl({Deny("S-1-5-10"), Deny("S-1-1-0")})), true},
      {"both among other entries",
       Descriptor(Acl({Ace(0, "S-1-5-18"), Deny("S-1-1-0"), Ace(1, "S-1-5-11"), Ace(5, "S-1-5-10", 1),
                       Deny("s-1-5-10")})),
       true},
      {"self alone", Descriptor(Acl({Deny("S-1-5-10")})), false},
      {"everyone alone", Descriptor(Acl({Deny("S-1-1-0"), Deny("S-1-1-0")})), false},
      {"allow entries", Descriptor(Acl({Ace(5, "S-1-5-10", 1), Ace(5, "S-1-1-0", 1)})), false},
      {"plain deny entries", Descriptor(Acl({Ace(1, "S-1-5-10"), Ace(1, "S-1-1-0")})), false},
      {"another right", Descriptor(Acl({Ace(6, "S-1-5-10", 1, kReset), Ace(6, "S-1-1-0", 1, kReset)})),
       false},
      {"other trustees", Descriptor(Acl({Deny("S-1-5-11"), Deny("S-1-5-10-1")})), false},
      {"no object type", Descriptor(Acl({Ace(6, "S-1-5-10", 0), Ace(6, "S-1-1-0", 0)})), false},
      {"both GUIDs", Descriptor(Acl({Ace(6, "S-1-5-10", 3), Ace(6, "S-1-1-0", 3)})), true},
      {"inherited type only", Descriptor(Acl({Ace(6, "S-1-5-10", 2), Ace(6, "S-1-1-0", 2)})), false},
      {"no DACL present", Descriptor(Acl({Deny("S-1-5-10"), Deny("S-1-1-0")}), 0x8000), false},
      {"null DACL", Descriptor("", 0x8004), false},
      {"empty DACL", Descriptor(Acl({})), false},
      {"more entries counted than present", Descriptor(overcounted), true},
      {"SID cut short", Descriptor(Acl({Deny("S-1-5-10"), short_sid})), false},
      {"entry longer than the DACL", Descriptor(Acl({Deny("S-1-5-10"), long_entry})), false},
      {"entry of size zero", Descriptor(Acl({Deny("S-1-5-10"), zero_size})), false},
      {"object entry shorter than its GUID", Descriptor(Acl({Deny("S-1-5-10"), short_object})), false},
  };
  for (const auto& c : cases) {
    bool denied = !c.denied;
    EXPECT_EQ(WalkChangePasswordDacl(c.descriptor, &denied), kDaclAnswered) << c.label;
    EXPECT_EQ(denied, c.denied) << c.label;
    EXPECT_TRUE(DaclDeniesChangePassword(c.descriptor, &denied)) << c.label;
  }
}

TEST(ChangePasswordDacl, MalformedDescriptorsAreReported) {
  const std::string good = Descriptor(Acl({Deny("S-1-5-10"), Deny("S-1-1-0")}));
  std::string bad_revision = good, dacl_outside = good, acl_too_long = good, acl_too_short = good;
  bad_revision[0] = 2;
  dacl_outside[16] = static_cast<char>(good.size() - 4);
  acl_too_long[38] = acl_too_long[39] = static_cast<char>(0xFF);  // the ACL size, after the owner SID
  acl_too_short[38] = 4;
  acl_too_short[39] = 0;
  const struct {
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
  // Every prefix and every single-byte corruption is walked without reading out of bounds (the
  // sanitizer build turns such a read into a failure).
  const std::string full = Descriptor(Acl({Ace(0, "S-1-5-18"), Ace(6, "S-1-5-10", 3), Deny("S-1-1-0")}));
  bool denied = false;
  for (size_t i = 0; i < full.size(); ++i) {
    std::string prefix(full.data(), i);
    prefix.shrink_to_fit();
    WalkChangePasswordDacl(prefix, &denied);
    for (int value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
      std::string corrupt = full;
      corrupt[i] = static_cast<char>(value);
      WalkChangePasswordDacl(corrupt, &denied);
    }
  }
  EXPECT_EQ(WalkChangePasswordDacl(full, &denied), kDaclAnswered);
  EXPECT_TRUE(denied);
}

}  // namespace
