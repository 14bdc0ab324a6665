// Test helpers: self-relative security descriptors built entry by entry.
#ifndef LORVEX_DIRECTORY_DESCRIPTORS_TEST_UTIL_H_
#define LORVEX_DIRECTORY_DESCRIPTORS_TEST_UTIL_H_

#include <cstdint>
#include <string>
#include <vector>

#include "directory/ads/sid.h"

namespace test_descriptors {

/// The User-Change-Password right {AB721A53-1E2F-11D0-9819-00AA0040529B} in its packed layout.
inline const std::string kChangePassword("\x53\x1A\x72\xAB\x2F\x1E\xD0\x11\x98\x19\x00\xAA\x00\x40\x52\x9B",
                                         16);
/// Another right: User-Force-Change-Password {00299570-246D-11D0-A768-00AA006E0529}.
inline const std::string kResetPassword("\x70\x95\x29\x00\x6D\x24\xD0\x11\xA7\x68\x00\xAA\x00\x6E\x05\x29",
                                        16);
/// Some inherited object type.
inline const std::string kUserClass(16, '\x42');

inline void Put16(std::string* bytes, size_t value) {
  bytes->push_back(static_cast<char>(value & 0xFF));
  bytes->push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void Put32(std::string* bytes, uint32_t value) {
  Put16(bytes, value & 0xFFFF);
  Put16(bytes, value >> 16);
}

inline std::string Sid(const char* text) {
  std::string sid;
  TextToSid(text, &sid);
  return sid;
}

inline std::string Ace(int type, const std::string& body) {
  std::string ace;
  ace.push_back(static_cast<char>(type));
  ace.push_back(0);
  Put16(&ace, body.size() + 4);
  return ace + body;
}

/// An object entry: type, object flags, the GUIDs those flags announce, and the trustee.
inline std::string ObjectAce(int type, uint32_t object_flags, const std::string& object_type,
                             const char* trustee, const std::string& inherited_type = kUserClass) {
  std::string body;
  Put32(&body, 0x100);  // control access
  Put32(&body, object_flags);
  if (object_flags & 1) body += object_type;
  if (object_flags & 2) body += inherited_type;
  return Ace(type, body + Sid(trustee));
}

/// An object access-denied entry for the change-password right.
inline std::string DenyChange(const char* trustee) { return ObjectAce(6, 1, kChangePassword, trustee); }

/// A plain entry (allowed 0 or denied 1) with a trustee.
inline std::string PlainAce(int type, const char* trustee) {
  std::string body;
  Put32(&body, 0x100);
  return Ace(type, body + Sid(trustee));
}

inline std::string Acl(const std::vector<std::string>& aces) {
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

/// A self-relative descriptor: header, an owner SID (16 bytes), then the DACL at offset 36
/// (offset 0, a null DACL, when acl is empty).
inline std::string Descriptor(const std::string& acl, uint16_t control = 0x8004) {
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

/// A descriptor whose DACL denies changing the password to both Everyone and SELF.
inline std::string CannotChangeDescriptor() {
  return Descriptor(Acl({PlainAce(0, "S-1-5-18"), DenyChange("S-1-1-0"), DenyChange("S-1-5-10")}));
}

}  // namespace test_descriptors

#endif  // LORVEX_DIRECTORY_DESCRIPTORS_TEST_UTIL_H_
