#include "directory/ads/kdc_refusal.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Hex(const char* digits) {
  std::string bytes;
  for (; digits[0] && digits[1]; digits += 2)
    bytes.push_back(static_cast<char>(strtol(std::string(digits, 2).c_str(), nullptr, 16)));
  return bytes;
}

// The e-data a Samba DC sent when bob's account was disabled: METHOD-DATA with PA-ETYPE-INFO2 and
// PA-PW-SALT holding STATUS_ACCOUNT_DISABLED; and what it sent for a locked-out account:
// PA-ETYPE-INFO2 only.
const std::string kDisabledFromSamba = Hex("30493030a103020113a229042730253023a003020112a1141b12") +
                                       "SALES.CORP.TESTbob" +
                                       Hex("a2060404000010003015a103020103a20e040c720000c00000000001000000");
const std::string kLockedFromSamba = Hex("30343032a103020113a22b042930273025a003020112a1161b14") +
                                     "SALES.CORP.TESTgrace" + Hex("a206040400001000");

// The extended error of a status: NTSTATUS, reserved, flags 1, little-endian.
std::string ExtendedError(uint32_t status) {
  std::string error(12, '\0');
  for (int i = 0; i < 4; ++i) error[i] = static_cast<char>(status >> (8 * i));
  error[8] = 1;
  return error;
}

// DER element with a short length.
std::string Der(int tag, const std::string& value) {
  return std::string{static_cast<char>(tag), static_cast<char>(value.size())} + value;
}

std::string Entry(int first_tag, int type, const std::string& value) {
  return Der(0x30, Der(first_tag, Der(0x02, std::string(1, static_cast<char>(type)))) +
                       Der(first_tag + 1, Der(0x04, value)));
}

TEST(KdcErrorStatus, ReadsTheStatusOfEveryShapeOfEData) {
  const std::string wrapped = Der(0x30, Entry(0xA1, 3, ExtendedError(0xC0000072)));
  std::string unreadable_first = kDisabledFromSamba;  // its first entry claims more than its field
  unreadable_first[12] = static_cast<char>(0x7F);
  const struct {
    const char* name;
    std::string e_data;
    uint32_t status;  // 0: none found
  } cases[] = {
      {"Samba's METHOD-DATA", kDisabledFromSamba, 0xC0000072},
      {"PA-PW-SALT alone", Der(0x30, Entry(0xA1, 3, ExtendedError(0xC0000234))), 0xC0000234},
      {"TYPED-DATA", Der(0x30, Entry(0xA0, 3, ExtendedError(0xC0000193))), 0xC0000193},
      {"KERB-ERROR-DATA", Entry(0xA1, 3, ExtendedError(0xC000006F)), 0xC000006F},
      {"after another entry", Der(0x30, Entry(0xA1, 19, "xx") + Entry(0xA1, 3, ExtendedError(0xC0000224))),
       0xC0000224},
      {"after an entry that cannot be read", unreadable_first, 0xC0000072},
      {"long-form lengths", Hex("30811930820015a103020103a20e040c") + ExtendedError(0xC0000070), 0xC0000070},
      {"empty", "", 0},
      {"Samba's locked-out reply", kLockedFromSamba, 0},
      {"a real salt of twelve characters", Der(0x30, Entry(0xA1, 3, "SALES.CORP.T")), 0},
      {"a success status", Der(0x30, Entry(0xA1, 3, ExtendedError(0))), 0},
      {"reserved word set", std::string(wrapped).replace(wrapped.size() - 8, 1, "\x01"), 0},
      {"extended error of eleven bytes", Der(0x30, Entry(0xA1, 3, ExtendedError(0xC0000072).substr(0, 11))),
       0},
      {"another padata type", Der(0x30, Entry(0xA1, 2, ExtendedError(0xC0000072))), 0},
      {"value not an octet string", Hex("30173015a103020103a20e0c0c") + ExtendedError(0xC0000072), 0},
      {"fields out of order", Hex("30173015a20e040c") + ExtendedError(0xC0000072) + Hex("a103020103"), 0},
      {"not a sequence", Der(0x31, Entry(0xA1, 3, ExtendedError(0xC0000072))), 0},
      {"indefinite length", Hex("30800000"), 0},
      {"length of five bytes", Hex("3085000000000100"), 0},
      {"integer of five bytes", Hex("301b3019a10702050000000003a20e040c") + ExtendedError(0xC0000072), 0},
      {"garbage", "\xff\xfe\x30\x30\x30\x30\x30\x30", 0},
  };
  for (const auto& c : cases) {
    uint32_t status = 0x1234;
    EXPECT_EQ(KdcErrorStatus(c.e_data, &status), c.status != 0) << c.name;
    EXPECT_EQ(status, c.status ? c.status : 0x1234u) << c.name;
  }
}

TEST(KdcErrorStatus, EveryTruncationAndLengthPastTheEndIsRefused) {
  uint32_t status = 0;
  for (size_t length = 0; length < kDisabledFromSamba.size(); ++length)
    EXPECT_FALSE(KdcErrorStatus(kDisabledFromSamba.substr(0, length), &status)) << length;
  // Each length on the way to the status, made larger than what follows it.
  for (size_t at : {1, 3, 53, 55, 57, 60, 62})
    EXPECT_FALSE(KdcErrorStatus(std::string(kDisabledFromSamba).replace(at, 1, "\x7F"), &status)) << at;
}

TEST(KdcRefusal, AccountStatesMapToTheDataCodesOfAnLdapBind) {
  const std::pair<uint32_t, uint32_t> cases[] = {
      {0xC0000072, 0x533}, {0xC0000193, 0x701}, {0xC0000234, 0x775}, {0xC0000071, 0x532}, {0xC0000224, 0x773},
      {0xC000006F, 0x530}, {0xC0000070, 0x531}, {0xC000006A, 0},     {0xC000006D, 0},     {0, 0}};
  for (const auto& [status, win32] : cases) {
    EXPECT_EQ(AccountStatusToWin32(status), win32) << std::hex << status;
    EXPECT_EQ(IsAccountStateError(win32), win32 != 0) << std::hex << win32;
  }
  EXPECT_FALSE(IsAccountStateError(1326));
  // The status comes first, then the error code: Samba's lockout has none, a wrong password stays
  // a logon failure, and an unknown principal (6) is no account state.
  const std::tuple<int, bool, uint32_t, uint32_t> refusals[] = {
      {kKdcErrorClientRevoked, true, 0xC0000072, 1331}, {kKdcErrorKeyExpired, true, 0xC0000224, 1907},
      {kKdcErrorKeyExpired, true, 0xC0000071, 1330},    {kKdcErrorClientRevoked, false, 0, 1909},
      {kKdcErrorClientRevoked, true, 0xC0000001, 0},    {kKdcErrorKeyExpired, false, 0, 1330},
      {kKdcErrorNameExpired, false, 0, 1793},           {kKdcErrorPreauthFailed, false, 0, 0},
      {kKdcErrorPreauthFailed, true, 0xC000006A, 0},    {6, false, 0, 0}};
  for (const auto& [error, has_status, status, win32] : refusals)
    EXPECT_EQ(KdcRefusalToWin32(error, has_status, status), win32) << error << " " << std::hex << status;
}

}  // namespace
