// Whether changing an account's password is denied by its DACL. The descriptor arrives as the raw
// bytes of a self-relative security descriptor and is read byte by byte: every offset and size is
// checked against the bytes actually present.
#include "directory/permission.h"

#include "directory/ads/ldap_values.h"
#include "directory/ads/sid.h"
#include "directory/name_forms.h"
#include "util/ascii_text.h"

namespace {

constexpr char kSecurityDescriptorAttribute[] = "ntSecurityDescriptor";
// The control access right "User-Change-Password".
constexpr char kChangePasswordRight[] = "{AB721A53-1E2F-11D0-9819-00AA0040529B}";
constexpr char kEveryoneSid[] = "S-1-1-0";
constexpr char kSelfSid[] = "S-1-5-10";

constexpr size_t kDescriptorHeaderSize = 20;
constexpr uint16_t kControlDaclPresent = 0x4;
constexpr size_t kAclHeaderSize = 8;
constexpr size_t kAceHeaderSize = 4;
constexpr uint8_t kAccessDeniedObjectAce = 6;
// Header, access mask and object flags come before the optional GUIDs of an object entry.
constexpr size_t kObjectAceFixedSize = 12;
constexpr size_t kGuidSize = 16;
constexpr uint32_t kObjectTypePresent = 0x1;
constexpr uint32_t kInheritedObjectTypePresent = 0x2;

uint16_t Read16(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

uint32_t Read32(const std::string& bytes, size_t at) {
  return static_cast<uint32_t>(Read16(bytes, at)) | (static_cast<uint32_t>(Read16(bytes, at + 2)) << 16);
}

// Which trustee an entry denying the change-password right names, if it is one.
enum class Trustee { kOther, kEveryone, kSelf };

// Reads one entry that lies wholly inside the DACL (ace_size bytes at ace).
Trustee DeniedChangePasswordTrustee(const std::string& bytes, size_t ace, size_t ace_size) {
  if (static_cast<uint8_t>(bytes[ace]) != kAccessDeniedObjectAce || ace_size < kObjectAceFixedSize) {
    return Trustee::kOther;
  }
  uint32_t object_flags = Read32(bytes, ace + 8);
  if (!(object_flags & kObjectTypePresent)) return Trustee::kOther;
  if (ace_size < kObjectAceFixedSize + kGuidSize) return Trustee::kOther;
  if (!EqualsIgnoreCase(GuidBytesToText(bytes.substr(ace + kObjectAceFixedSize, kGuidSize)),
                        kChangePasswordRight)) {
    return Trustee::kOther;
  }
  size_t sid_offset = kObjectAceFixedSize + kGuidSize;
  if (object_flags & kInheritedObjectTypePresent) sid_offset += kGuidSize;
  if (sid_offset >= ace_size) return Trustee::kOther;
  std::string sid_text;
  // A SID that does not fit the entry gives an empty text, which names no trustee.
  SidToText(bytes.substr(ace + sid_offset, ace_size - sid_offset), &sid_text);
  if (EqualsIgnoreCase(sid_text, kSelfSid)) return Trustee::kSelf;
  if (EqualsIgnoreCase(sid_text, kEveryoneSid)) return Trustee::kEveryone;
  return Trustee::kOther;
}

}  // namespace

DaclWalk WalkChangePasswordDacl(const std::string& descriptor, bool* denied) {
  *denied = false;
  if (descriptor.size() < kDescriptorHeaderSize || static_cast<uint8_t>(descriptor[0]) != 1)
    return kDaclUnreadable;
  uint16_t control = Read16(descriptor, 2);
  uint32_t dacl = Read32(descriptor, 16);
  // Without a DACL, or with a null one, nothing is denied.
  if (!(control & kControlDaclPresent) || dacl == 0) return kDaclAnswered;
  if (dacl > descriptor.size() || descriptor.size() - dacl < kAclHeaderSize) return kDaclUnreadable;

  size_t acl_size = Read16(descriptor, dacl + 2);
  size_t ace_count = Read16(descriptor, dacl + 4);
  if (acl_size < kAclHeaderSize || acl_size > descriptor.size() - dacl) return kDaclInfoUnreadable;

  bool self_denied = false;
  bool everyone_denied = false;
  // Entries follow each other, each as long as its header says; one whose bytes do not lie
  // inside the DACL cannot be fetched and is skipped.
  size_t position = kAclHeaderSize;
  for (size_t index = 0; index < ace_count; ++index) {
    if (acl_size - position < kAceHeaderSize) break;
    size_t ace = dacl + position;
    size_t ace_size = Read16(descriptor, ace + 2);
    position += ace_size;
    if (ace_size < kAceHeaderSize || position > acl_size) {
      if (position > acl_size) break;
      continue;
    }
    Trustee trustee = DeniedChangePasswordTrustee(descriptor, ace, ace_size);
    if (trustee == Trustee::kSelf) self_denied = true;
    if (trustee == Trustee::kEveryone) everyone_denied = true;
    if (self_denied && everyone_denied) {
      *denied = true;
      break;
    }
  }
  return kDaclAnswered;
}

bool DaclDeniesChangePassword(const std::string& descriptor, bool* denied) {
  return WalkChangePasswordDacl(descriptor, denied) == kDaclAnswered;
}

AdsResult CheckChangePasswordDenied(const AdsCredentials* credentials, const std::string& path,
                                    const std::string& object_name, std::string* message, int* denied) {
  *denied = 0;
  message->clear();
  AdsObject* object = nullptr;
  AdsResult result = AdsOpenObject(path, credentials, kAdsSecureAuthentication, &object);
  if (result < 0) {
    *message = "Cannot connect to " + object_name;
    return result;
  }
  std::vector<AdsAttribute> attributes;
  result = AdsGetObjectAttributes(object, {kSecurityDescriptorAttribute}, &attributes);
  if (result < 0) {
    AdsRelease(object);
    *message =
        std::string("Cannot read the \"") + kSecurityDescriptorAttribute + "\" attribute for " + object_name;
    return result;
  }
  std::string descriptor;
  bool found = false;
  for (const AdsAttribute& attribute : attributes) {
    if (EqualsIgnoreCase(attribute.name, kSecurityDescriptorAttribute) && !attribute.values.empty()) {
      descriptor = attribute.values.front().bytes;
      found = true;
      break;
    }
  }
  AdsRelease(object);

  bool is_denied = false;
  DaclWalk walk = found ? WalkChangePasswordDacl(descriptor, &is_denied) : kDaclUnreadable;
  if (walk == kDaclUnreadable) {
    *message = "Failed to read the DACL for " + object_name;
    return kInvalidSecurityDescriptor;
  }
  if (walk == kDaclInfoUnreadable) {
    *message = "Failed to read the DACL information for " + object_name;
    return kInvalidAcl;
  }
  *denied = is_denied ? 1 : 0;
  return kAdsOk;
}
