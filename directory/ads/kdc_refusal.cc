// What a Kerberos KDC's refusal of a logon says about the account.
#include "directory/ads/kdc_refusal.h"

#include <cstddef>

namespace {

// DER tags met in the e-data.
constexpr unsigned char kTagInteger = 0x02;
constexpr unsigned char kTagOctetString = 0x04;
constexpr unsigned char kTagSequence = 0x30;
constexpr unsigned char kTagContext0 = 0xA0;

// The padata type of PA-PW-SALT, which is also the data type KERB_ERR_TYPE_EXTENDED: AD and Samba
// carry the account status in an entry of that type.
constexpr long kExtendedErrorType = 3;
// The extended error: NTSTATUS, a reserved word and flags, each four bytes little-endian.
constexpr size_t kExtendedErrorSize = 12;

// One DER element inside a bounded byte range.
struct Element {
  unsigned char tag = 0;
  const unsigned char* value = nullptr;
  size_t length = 0;
};

// Reads the element at *at, no further than end, and moves *at past it. Only definite lengths of
// at most four bytes are taken; anything running past end is refused.
bool ReadElement(const unsigned char** at, const unsigned char* end, Element* element) {
  const unsigned char* p = *at;
  if (end - p < 2) return false;
  element->tag = *p++;
  size_t length = *p++;
  if (length & 0x80) {
    size_t bytes = length & 0x7F;
    if (bytes == 0 || bytes > 4 || static_cast<size_t>(end - p) < bytes) return false;
    length = 0;
    for (size_t i = 0; i < bytes; ++i) length = (length << 8) | *p++;
  }
  if (static_cast<size_t>(end - p) < length) return false;
  element->value = p;
  element->length = length;
  *at = p + length;
  return true;
}

// A DER INTEGER of one to four bytes, two's complement.
bool ReadInteger(const Element& element, long* value) {
  if (element.tag != kTagInteger || element.length == 0 || element.length > 4) return false;
  long result = (element.value[0] & 0x80) ? -1 : 0;
  for (size_t i = 0; i < element.length; ++i) result = (result * 256) | element.value[i];
  *value = result;
  return true;
}

// The type and value of one entry: PA-DATA and KERB-ERROR-DATA number their fields [1] and [2],
// TYPED-DATA [0] and [1]. The first field gives the numbering.
bool ReadEntry(const unsigned char* begin, const unsigned char* end, long* type, Element* value) {
  const unsigned char* at = begin;
  Element field;
  if (!ReadElement(&at, end, &field)) return false;
  unsigned char type_tag = field.tag;
  if (type_tag != kTagContext0 && type_tag != kTagContext0 + 1) return false;
  const unsigned char* inner = field.value;
  Element integer;
  if (!ReadElement(&inner, field.value + field.length, &integer) || !ReadInteger(integer, type)) return false;
  if (!ReadElement(&at, end, &field) || field.tag != type_tag + 1) return false;
  inner = field.value;
  return ReadElement(&inner, field.value + field.length, value) && value->tag == kTagOctetString;
}

uint32_t LittleEndian32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The status of an extended error. A real salt of twelve characters has the same type and size;
// the reserved word of zero and the error severity of the status tell the two apart.
bool ExtendedErrorStatus(long type, const Element& value, uint32_t* status) {
  if (type != kExtendedErrorType || value.length != kExtendedErrorSize) return false;
  uint32_t code = LittleEndian32(value.value);
  if (LittleEndian32(value.value + 4) != 0 || (code >> 30) != 3) return false;
  *status = code;
  return true;
}

struct StatusEntry {
  uint32_t status;
  uint32_t win32;
};

constexpr StatusEntry kAccountStates[] = {
    {0xC0000072, 1331},  // STATUS_ACCOUNT_DISABLED: ERROR_ACCOUNT_DISABLED
    {0xC0000193, 1793},  // STATUS_ACCOUNT_EXPIRED: ERROR_ACCOUNT_EXPIRED
    {0xC0000234, 1909},  // STATUS_ACCOUNT_LOCKED_OUT: ERROR_ACCOUNT_LOCKED_OUT
    {0xC0000071, 1330},  // STATUS_PASSWORD_EXPIRED: ERROR_PASSWORD_EXPIRED
    {0xC0000224, 1907},  // STATUS_PASSWORD_MUST_CHANGE: ERROR_PASSWORD_MUST_CHANGE
    {0xC000006F, 1328},  // STATUS_INVALID_LOGON_HOURS: ERROR_INVALID_LOGON_HOURS
    {0xC0000070, 1329},  // STATUS_INVALID_WORKSTATION: ERROR_INVALID_WORKSTATION
};

}  // namespace

bool KdcErrorStatus(const std::string& e_data, uint32_t* status) {
  const unsigned char* at = reinterpret_cast<const unsigned char*>(e_data.data());
  const unsigned char* end = at + e_data.size();
  Element outer;
  if (!ReadElement(&at, end, &outer) || outer.tag != kTagSequence) return false;
  const unsigned char* inside = outer.value;
  const unsigned char* inside_end = outer.value + outer.length;
  long type = 0;
  Element value;
  // A KERB-ERROR-DATA is one entry; METHOD-DATA and TYPED-DATA are sequences of entries.
  if (inside < inside_end && *inside != kTagSequence) {
    return ReadEntry(inside, inside_end, &type, &value) && ExtendedErrorStatus(type, value, status);
  }
  while (inside < inside_end) {
    Element entry;
    if (!ReadElement(&inside, inside_end, &entry) || entry.tag != kTagSequence) return false;
    if (ReadEntry(entry.value, entry.value + entry.length, &type, &value) &&
        ExtendedErrorStatus(type, value, status)) {
      return true;
    }
  }
  return false;
}

uint32_t AccountStatusToWin32(uint32_t status) {
  for (const StatusEntry& entry : kAccountStates) {
    if (entry.status == status) return entry.win32;
  }
  return 0;
}

bool IsAccountStateError(uint32_t win32) {
  for (const StatusEntry& entry : kAccountStates) {
    if (entry.win32 == win32) return true;
  }
  return false;
}

uint32_t KdcRefusalToWin32(int kdc_error, bool has_status, uint32_t status) {
  if (has_status) {
    uint32_t win32 = AccountStatusToWin32(status);
    if (win32 != 0) return win32;
  }
  switch (kdc_error) {
    case kKdcErrorNameExpired:
      return 1793;
    case kKdcErrorKeyExpired:
      return 1330;
    case kKdcErrorClientRevoked:
      // AD always says why it revokes. Samba refuses a locked-out account before its own account
      // checks run, and that refusal alone comes without a status (disabled, expired and
      // restricted accounts all carry theirs), so a bare revocation from a DC is a lockout.
      return has_status ? 0 : 1909;
    default:
      return 0;
  }
}
