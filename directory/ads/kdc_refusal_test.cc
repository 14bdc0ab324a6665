#include "directory/ads/kdc_refusal.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string text;
  for (int b : bytes) text.push_back(static_cast<char>(b));
  return text;
}

// The e-data a Samba DC sent when bob's account was disabled: METHOD-DATA with PA-ETYPE-INFO2 and
// PA-PW-SALT holding STATUS_ACCOUNT_DISABLED.
const std::string kDisabledFromSamba =
    Bytes({0x30, 0x49, 0x30, 0x30, 0xa1, 0x03, 0x02, 0x01, 0x13, 0xa2, 0x29, 0x04, 0x27, 0x30, 0x25,
           0x30, 0x23, 0xa0, 0x03, 0x02, 0x01, 0x12, 0xa1, 0x14, 0x1b, 0x12, 0x53, 0x41, 0x4c, 0x45,
           0x53, 0x2e, 0x43, 0x4f, 0x52, 0x50, 0x2e, 0x54, 0x45, 0x53, 0x54, 0x62, 0x6f, 0x62, 0xa2,
           0x06, 0x04, 0x04, 0x00, 0x00, 0x10, 0x00, 0x30, 0x15, 0xa1, 0x03, 0x02, 0x01, 0x03, 0xa2,
           0x0e, 0x04, 0x0c, 0x72, 0x00, 0x00, 0xc0, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00});

// What the same DC sent for a locked-out account: PA-ETYPE-INFO2 only.
const std::string kLockedFromSamba =
    Bytes({0x30, 0x34, 0x30, 0x32, 0xa1, 0x03, 0x02, 0x01, 0x13, 0xa2, 0x2b, 0x04, 0x29, 0x30,
           0x27, 0x30, 0x25, 0xa0, 0x03, 0x02, 0x01, 0x12, 0xa1, 0x16, 0x1b, 0x14, 0x53, 0x41,
           0x4c, 0x45, 0x53, 0x2e, 0x43, 0x4f, 0x52, 0x50, 0x2e, 0x54, 0x45, 0x53, 0x54, 0x67,
           0x72, 0x61, 0x63, 0x65, 0xa2, 0x06, 0x04, 0x04, 0x00, 0x00, 0x10, 0x00});

// The extended error of a status: NTSTATUS, reserved, flags 1, little-endian.
std::string ExtendedError(uint32_t status) {
  return Bytes({static_cast<int>(status & 0xFF), static_cast<int>((status >> 8) & 0xFF),
                static_cast<int>((status >> 16) & 0xFF), static_cast<int>(status >> 24), 0, 0, 0, 0, 1, 0, 0,
                0});
}

// DER element with a short length.
std::string Der(int tag, const std::string& value) {
  return Bytes({tag, static_cast<int>(value.size())}) + value;
}

std::string Entry(int first_tag, int type, const std::string& value) {
  return Der(0x30, Der(first_tag, Der(0x02, Bytes({type}))) + Der(first_tag + 1, Der(0x04, value)));
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
      {"long-form lengths",
       Bytes({0x30, 0x81, 0x19, 0x30, 0x82, 0, 0x15, 0xa1, 3, 2, 1, 3, 0xa2, 0x0e, 4, 0x0c}) +
           ExtendedError(0xC0000070),
       0xC0000070},
      {"empty", "", 0},
      {"Samba's locked-out reply", kLockedFromSamba, 0},
      {"a real salt of twelve characters", Der(0x30, Entry(0xA1, 3, "SALES.CORP.T")), 0},
      {"a success status", Der(0x30, Entry(0xA1, 3, ExtendedError(0))), 0},
      {"reserved word set", std::string(wrapped).replace(wrapped.size() - 8, 1, "\x01"), 0},
      {"extended error of eleven bytes", Der(0x30, Entry(0xA1, 3, ExtendedError(0xC0000072).substr(0, 11))),
       0},
      {"another padata type", Der(0x30, Entry(0xA1, 2, ExtendedError(0xC0000072))), 0},
      {"value not an octet string",
       Der(0x30,
           Der(0x30, Der(0xA1, Der(0x02, Bytes({3}))) + Der(0xA2, Der(0x0C, ExtendedError(0xC0000072))))),
       0},
      {"fields out of order",
       Der(0x30,
           Der(0x30, Der(0xA2, Der(0x04, ExtendedError(0xC0000072))) + Der(0xA1, Der(0x02, Bytes({3}))))),
       0},
      {"not a sequence", Der(0x31, Entry(0xA1, 3, ExtendedError(0xC0000072))), 0},
      {"indefinite length", Bytes({0x30, 0x80, 0x00, 0x00}), 0},
      {"length of five bytes", Bytes({0x30, 0x85, 0, 0, 0, 0, 0x01, 0x00}), 0},
      {"integer of five bytes",
       Der(0x30, Der(0x30, Der(0xA1, Der(0x02, Bytes({0, 0, 0, 0, 3}))) +
                               Der(0xA2, Der(0x04, ExtendedError(0xC0000072))))),
       0},
      {"garbage", "\xff\xfe\x30\x30\x30\x30\x30\x30", 0},
      {"text", "Client's credentials have been revoked", 0},
  };
  for (const auto& c : cases) {
    uint32_t status = 0x1234;
    EXPECT_EQ(KdcErrorStatus(c.e_data, &status), c.status != 0) << c.name;
    EXPECT_EQ(status, c.status ? c.status : 0x1234u) << c.name;
  }
}

TEST(KdcErrorStatus, EveryTruncationAndLengthPastTheEndIsRefused) {
  for (size_t length = 0; length < kDisabledFromSamba.size(); ++length) {
    uint32_t status = 0;
    EXPECT_FALSE(KdcErrorStatus(kDisabledFromSamba.substr(0, length), &status)) << length;
  }
  // Each length on the way to the status, made larger than what follows it.
  for (size_t at : {1, 3, 53, 55, 57, 60, 62}) {
    std::string e_data = kDisabledFromSamba;
    e_data[at] = static_cast<char>(0x7F);
    uint32_t status = 0;
    EXPECT_FALSE(KdcErrorStatus(e_data, &status)) << at;
  }
}

TEST(KdcRefusal, AccountStatesMapToTheDataCodesOfAnLdapBind) {
  struct Case {
    uint32_t status;
    uint32_t win32;
  } cases[] = {
      {0xC0000072, 0x533}, {0xC0000193, 0x701}, {0xC0000234, 0x775}, {0xC0000071, 0x532}, {0xC0000224, 0x773},
      {0xC000006F, 0x530}, {0xC0000070, 0x531}, {0xC000006A, 0},     {0xC000006D, 0},     {0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AccountStatusToWin32(c.status), c.win32) << std::hex << c.status;
    EXPECT_EQ(IsAccountStateError(c.win32), c.win32 != 0) << std::hex << c.win32;
  }
  EXPECT_FALSE(IsAccountStateError(1326));
}

TEST(KdcRefusal, TheStatusComesFirstThenTheErrorCode) {
  struct Case {
    int kdc_error;
    bool has_status;
    uint32_t status;
    uint32_t win32;
  } cases[] = {
      {kKdcErrorClientRevoked, true, 0xC0000072, 1331},
      {kKdcErrorKeyExpired, true, 0xC0000224, 1907},
      {kKdcErrorKeyExpired, true, 0xC0000071, 1330},
      {kKdcErrorClientRevoked, false, 0, 1909},       // Samba's lockout
      {kKdcErrorClientRevoked, true, 0xC0000001, 0},  // a status of no account state
      {kKdcErrorKeyExpired, false, 0, 1330},
      {kKdcErrorNameExpired, false, 0, 1793},
      {kKdcErrorPreauthFailed, false, 0, 0},  // a wrong password stays a logon failure
      {kKdcErrorPreauthFailed, true, 0xC000006A, 0},
      {6, false, 0, 0},  // unknown principal
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KdcRefusalToWin32(c.kdc_error, c.has_status, c.status), c.win32)
        << c.kdc_error << " " << std::hex << c.status;
  }
}

}  // namespace
