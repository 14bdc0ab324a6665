// Fuzzes the walk of a security descriptor's DACL for the change-password right.
//
// The first byte chooses the mode. Even: the rest is taken as the descriptor's raw bytes. Odd: the
// rest describes entries (three bytes each) from which a well-formed descriptor is built, and the
// walk must find exactly the denial those entries hold.
#include <cstdint>
#include <string>

#include "directory/permission.h"
#include "fuzz/fuzz_support.h"

namespace {

const uint8_t kChangePasswordGuid[16] = {0x53, 0x1A, 0x72, 0xAB, 0x2F, 0x1E, 0xD0, 0x11,
                                         0x98, 0x19, 0x00, 0xAA, 0x00, 0x40, 0x52, 0x9B};
const uint8_t kOtherGuid[16] = {0x00, 0x42, 0x16, 0x4C, 0xC0, 0x20, 0xD0, 0x11,
                                0xA7, 0x68, 0x00, 0xAA, 0x00, 0x6E, 0x05, 0x29};
const uint8_t kEveryone[12] = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
const uint8_t kSelf[12] = {1, 1, 0, 0, 0, 0, 0, 5, 10, 0, 0, 0};
const uint8_t kAdministrators[16] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0};

constexpr uint8_t kAccessAllowedObject = 5;
constexpr uint8_t kAccessDeniedObject = 6;
constexpr uint8_t kAccessDenied = 1;

void Put16(std::string* bytes, size_t at, uint16_t value) {
  (*bytes)[at] = static_cast<char>(value & 0xFF);
  (*bytes)[at + 1] = static_cast<char>(value >> 8);
}

void Append(std::string* bytes, const uint8_t* data, size_t size) {
  bytes->append(reinterpret_cast<const char*>(data), size);
}

void Append32(std::string* bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Builds a descriptor from three-byte entry descriptions; sets whether Everyone and SELF are both
// denied the change-password right by them.
std::string BuildDescriptor(const uint8_t* data, size_t size, bool* expect_denied) {
  bool everyone = false, self = false;
  std::string acl(8, '\0');
  acl[0] = 4;  // revision with object entries
  int count = 0;
  for (size_t i = 0; i + 3 <= size && count < 200; i += 3, ++count) {
    uint8_t kind = data[i] % 4, options = data[i + 1], trustee = data[i + 2] % 3;
    std::string ace(4, '\0');
    bool denies_change = false;
    if (kind == 3) {
      ace[0] = static_cast<char>(kAccessDenied);
      Append32(&ace, 0x100);
    } else {
      ace[0] = static_cast<char>(kind == 1 ? kAccessAllowedObject : kAccessDeniedObject);
      Append32(&ace, 0x100);  // control access
      uint32_t flags = 0x1 | ((options & 1) ? 0x2 : 0);
      Append32(&ace, flags);
      Append(&ace, kind == 2 ? kOtherGuid : kChangePasswordGuid, 16);
      if (flags & 0x2) Append(&ace, kOtherGuid, 16);
      denies_change = kind == 0;
    }
    ace[1] = static_cast<char>(options & 0xF0);  // inheritance flags do not matter
    if (trustee == 0) {
      Append(&ace, kEveryone, sizeof kEveryone);
      everyone = everyone || denies_change;
    } else if (trustee == 1) {
      Append(&ace, kSelf, sizeof kSelf);
      self = self || denies_change;
    } else {
      Append(&ace, kAdministrators, sizeof kAdministrators);
    }
    Put16(&ace, 2, static_cast<uint16_t>(ace.size()));
    acl += ace;
  }
  Put16(&acl, 2, static_cast<uint16_t>(acl.size()));
  Put16(&acl, 4, static_cast<uint16_t>(count));

  std::string descriptor(20, '\0');
  descriptor[0] = 1;
  Put16(&descriptor, 2, 0x8004);  // self-relative, DACL present
  Put16(&descriptor, 16, 20);     // the DACL follows the header
  descriptor += acl;
  *expect_denied = everyone && self;
  return descriptor;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  bool denied = true;
  if ((data[0] & 1) == 0) {
    std::string descriptor = InputText(data + 1, size - 1);
    DaclWalk walk = WalkChangePasswordDacl(descriptor, &denied);
    FUZZ_CHECK(walk == kDaclAnswered || walk == kDaclUnreadable || walk == kDaclInfoUnreadable);
    if (walk != kDaclAnswered) FUZZ_CHECK(!denied);
    bool short_denied = true;
    FUZZ_CHECK(DaclDeniesChangePassword(descriptor, &short_denied) == (walk == kDaclAnswered));
    FUZZ_CHECK(short_denied == denied);
    // Without the DACL-present bit nothing is denied, whatever follows.
    if (descriptor.size() >= 20 && static_cast<uint8_t>(descriptor[0]) == 1) {
      std::string no_dacl = descriptor;
      no_dacl[2] = static_cast<char>(no_dacl[2] & ~0x4);
      FUZZ_CHECK(WalkChangePasswordDacl(no_dacl, &denied) == kDaclAnswered);
      FUZZ_CHECK(!denied);
    }
    return 0;
  }
  bool expect = false;
  std::string descriptor = BuildDescriptor(data + 1, size - 1, &expect);
  FUZZ_CHECK(WalkChangePasswordDacl(descriptor, &denied) == kDaclAnswered);
  FUZZ_CHECK(denied == expect);
  return 0;
}
