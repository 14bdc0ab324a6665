// LDAP wire values decoded into the directory layer's types, paths taken apart, and LDAP
// result codes turned into the codes the program reports.
#include "directory/ads/ldap_values.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "directory/ads/ads_path.h"
#include "directory/ads/kdc_refusal.h"
#include "util/ascii_text.h"

namespace {

// LDAP result codes (RFC 4511, and the client-side codes as wldap32 numbers them) with the
// Win32 error the Active Directory Service Interfaces report for each.
struct LdapCodeEntry {
  int ldap;
  uint32_t win32;
};

const LdapCodeEntry kLdapCodes[] = {
    {0, 0},     {1, 8224},  {2, 8225},  {3, 8226},  {4, 8227},  {5, 8229},  {6, 8230},  {7, 8231},
    {8, 8232},  {10, 8235}, {11, 8228}, {12, 8236}, {13, 8237}, {14, 8341}, {16, 8202}, {17, 8204},
    {18, 8238}, {19, 8239}, {20, 8205}, {21, 8203}, {32, 8240}, {33, 8241}, {34, 8242}, {35, 8243},
    {36, 8244}, {48, 8233}, {49, 1326}, {50, 5},    {51, 8206}, {52, 8207}, {53, 8245}, {54, 8246},
    {64, 8247}, {65, 8212}, {66, 8213}, {67, 8214}, {68, 5010}, {69, 8215}, {71, 8249}, {80, 31},
    {81, 8250}, {82, 8251}, {83, 8252}, {84, 8253}, {85, 1460}, {86, 8234}, {87, 8254}, {88, 1223},
    {89, 8255}, {90, 8},    {91, 1225}, {92, 8256}, {93, 8258}, {94, 8257}, {95, 8341}, {96, 8259},
    {97, 8260},
};

constexpr uint32_t kWin32GenericDirectoryError = 8341;  // ERROR_DS_GENERIC_ERROR

// Attributes the program reads, by the type the directory interfaces give them. Anything not
// listed is read as a case-ignore string, which is what the schema gives the names and texts.
struct AttributeTypeEntry {
  const char* name;
  AdsType type;
};

const AttributeTypeEntry kAttributeTypes[] = {
    // Distinguished names.
    {"distinguishedName", kAdsTypeDn},
    {"member", kAdsTypeDn},
    {"memberOf", kAdsTypeDn},
    {"msDS-ResultantPSO", kAdsTypeDn},
    {"msDS-PSOAppliesTo", kAdsTypeDn},
    {"defaultNamingContext", kAdsTypeDn},
    {"schemaNamingContext", kAdsTypeDn},
    {"configurationNamingContext", kAdsTypeDn},
    {"rootDomainNamingContext", kAdsTypeDn},
    {"namingContexts", kAdsTypeDn},
    {"serverName", kAdsTypeDn},
    {"dsServiceName", kAdsTypeDn},
    {"nCName", kAdsTypeDn},
    {"objectCategory", kAdsTypeDn},
    {"defaultObjectCategory", kAdsTypeDn},
    {"managedBy", kAdsTypeDn},
    {"manager", kAdsTypeDn},
    {"serverReference", kAdsTypeDn},
    // Integers.
    {"badPwdCount", kAdsTypeInteger},
    {"userAccountControl", kAdsTypeInteger},
    {"msDS-User-Account-Control-Computed", kAdsTypeInteger},
    {"minPwdLength", kAdsTypeInteger},
    {"pwdHistoryLength", kAdsTypeInteger},
    {"pwdProperties", kAdsTypeInteger},
    {"lockoutThreshold", kAdsTypeInteger},
    {"msDS-LockoutThreshold", kAdsTypeInteger},
    {"msDS-MinimumPasswordLength", kAdsTypeInteger},
    {"msDS-PasswordHistoryLength", kAdsTypeInteger},
    {"msDS-PasswordSettingsPrecedence", kAdsTypeInteger},
    {"sAMAccountType", kAdsTypeInteger},
    {"primaryGroupID", kAdsTypeInteger},
    {"groupType", kAdsTypeInteger},
    {"logonCount", kAdsTypeInteger},
    {"instanceType", kAdsTypeInteger},
    {"systemFlags", kAdsTypeInteger},
    {"msDS-Behavior-Version", kAdsTypeInteger},
    // Large integers: file times and intervals.
    {"accountExpires", kAdsTypeLargeInteger},
    {"badPasswordTime", kAdsTypeLargeInteger},
    {"lastLogon", kAdsTypeLargeInteger},
    {"lastLogoff", kAdsTypeLargeInteger},
    {"lastLogonTimestamp", kAdsTypeLargeInteger},
    {"pwdLastSet", kAdsTypeLargeInteger},
    {"lockoutTime", kAdsTypeLargeInteger},
    {"maxPwdAge", kAdsTypeLargeInteger},
    {"minPwdAge", kAdsTypeLargeInteger},
    {"lockoutDuration", kAdsTypeLargeInteger},
    {"lockOutObservationWindow", kAdsTypeLargeInteger},
    {"forceLogoff", kAdsTypeLargeInteger},
    {"msDS-MaximumPasswordAge", kAdsTypeLargeInteger},
    {"msDS-MinimumPasswordAge", kAdsTypeLargeInteger},
    {"msDS-LockoutDuration", kAdsTypeLargeInteger},
    {"msDS-LockoutObservationWindow", kAdsTypeLargeInteger},
    {"msDS-UserPasswordExpiryTimeComputed", kAdsTypeLargeInteger},
    {"uSNChanged", kAdsTypeLargeInteger},
    {"uSNCreated", kAdsTypeLargeInteger},
    {"creationTime", kAdsTypeLargeInteger},
    // Booleans.
    {"msDS-PasswordComplexityEnabled", kAdsTypeBoolean},
    {"msDS-PasswordReversibleEncryptionEnabled", kAdsTypeBoolean},
    {"isCriticalSystemObject", kAdsTypeBoolean},
    {"showInAdvancedViewOnly", kAdsTypeBoolean},
    // Octet strings.
    {"objectGUID", kAdsTypeOctetString},
    {"objectSid", kAdsTypeOctetString},
    {"logonHours", kAdsTypeOctetString},
    {"tokenGroups", kAdsTypeOctetString},
    {"sIDHistory", kAdsTypeOctetString},
    {"schemaIDGUID", kAdsTypeOctetString},
    {"attributeSecurityGUID", kAdsTypeOctetString},
    {"userCertificate", kAdsTypeOctetString},
    // Times.
    {"whenCreated", kAdsTypeUtcTime},
    {"whenChanged", kAdsTypeUtcTime},
    {"dSCorePropagationData", kAdsTypeUtcTime},
    // Security descriptors.
    {"nTSecurityDescriptor", kAdsTypeSecurityDescriptor},
};

bool AllDigits(const char* text, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (!isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

int Number(const char* text, size_t count) {
  int value = 0;
  for (size_t i = 0; i < count; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

// Reads a possibly compressed DNS name starting at offset; returns the offset after it in the
// record (not after the pointer target), or -1.
int ReadDnsName(const unsigned char* reply, int length, int offset, std::string* name) {
  name->clear();
  int after = -1;
  for (int jumps = 0; jumps < 64; ++jumps) {
    if (offset >= length) return -1;
    unsigned char label = reply[offset];
    if (label == 0) {
      return after < 0 ? offset + 1 : after;
    }
    if ((label & 0xC0) == 0xC0) {
      if (offset + 1 >= length) return -1;
      if (after < 0) after = offset + 2;
      offset = ((label & 0x3F) << 8) | reply[offset + 1];
      continue;
    }
    if (offset + 1 + label > length) return -1;
    if (!name->empty()) name->push_back('.');
    name->append(reinterpret_cast<const char*>(reply + offset + 1), label);
    offset += 1 + label;
  }
  return -1;
}

uint16_t Read16(const unsigned char* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

}  // namespace

AdsResult HresultFromWin32(uint32_t error) {
  if (error == 0) return 0;
  return static_cast<AdsResult>(0x80070000u | (error & 0xFFFFu));
}

AdsResult LdapResultToHresult(int ldap_code) {
  // OpenLDAP numbers its client-side conditions -1 to -18; wldap32 gives the same ones 0x51 on.
  if (ldap_code < 0) ldap_code = ldap_code == -18 ? 81 : 80 - ldap_code;
  for (const LdapCodeEntry& entry : kLdapCodes) {
    if (entry.ldap == ldap_code) return HresultFromWin32(entry.win32);
  }
  return HresultFromWin32(kWin32GenericDirectoryError);
}

uint32_t DiagnosticDataCode(const std::string& diagnostic) {
  size_t at = diagnostic.find(", data ");
  if (at == std::string::npos) return 0;
  return static_cast<uint32_t>(strtoul(diagnostic.c_str() + at + 7, nullptr, 16));
}

AdsResult LdapFailureCode(int ldap_code, const std::string& diagnostic) {
  // AD refuses a bind of a disabled, expired, locked-out or restricted account with invalid
  // credentials and names the account's state after "data"; the state is what the report gives,
  // as a Kerberos logon of the same account reports it.
  constexpr int kInvalidCredentials = 49;
  if (ldap_code == kInvalidCredentials) {
    const uint32_t state = DiagnosticDataCode(diagnostic);
    if (IsAccountStateError(state)) return HresultFromWin32(state);
  }
  return LdapResultToHresult(ldap_code);
}

AdsType AttributeType(const std::string& name) {
  std::string base = name.substr(0, name.find(';'));
  for (const AttributeTypeEntry& entry : kAttributeTypes) {
    if (strcasecmp(entry.name, base.c_str()) == 0) return entry.type;
  }
  return kAdsTypeCaseIgnoreString;
}

bool ParseGeneralizedTime(const std::string& text, AdsUtcTime* time) {
  // YYYYMMDDHH[MM[SS]][.fraction](Z|+hhmm|-hhmm); AD always sends all fields and "Z".
  const char* s = text.c_str();
  if (text.size() < 10 || !AllDigits(s, 10)) return false;
  AdsUtcTime t{};
  t.year = static_cast<uint16_t>(Number(s, 4));
  t.month = static_cast<uint16_t>(Number(s + 4, 2));
  t.day = static_cast<uint16_t>(Number(s + 6, 2));
  t.hour = static_cast<uint16_t>(Number(s + 8, 2));
  size_t at = 10;
  if (text.size() >= at + 2 && AllDigits(s + at, 2)) {
    t.minute = static_cast<uint16_t>(Number(s + at, 2));
    at += 2;
    if (text.size() >= at + 2 && AllDigits(s + at, 2)) {
      t.second = static_cast<uint16_t>(Number(s + at, 2));
      at += 2;
    }
  }
  if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
    ++at;
    while (at < text.size() && isdigit(static_cast<unsigned char>(text[at]))) ++at;
  }
  if (at >= text.size()) return false;
  // Offsets other than Z are not written by directory servers; the local time is taken as is.
  if (text[at] == 'Z' && at + 1 != text.size()) return false;
  if (text[at] != 'Z' && text[at] != '+' && text[at] != '-') return false;
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
      t.second > 60) {
    return false;
  }
  *time = t;
  return true;
}

bool ParseLargeInteger(const std::string& text, int64_t* value) {
  if (text.empty()) return false;
  size_t at = 0;
  bool negative = false;
  if (text[0] == '-' || text[0] == '+') {
    negative = text[0] == '-';
    at = 1;
  }
  if (at == text.size()) return false;
  uint64_t magnitude = 0;
  for (; at < text.size(); ++at) {
    if (!isdigit(static_cast<unsigned char>(text[at]))) return false;
    uint64_t digit = static_cast<uint64_t>(text[at] - '0');
    if (magnitude > (UINT64_MAX - digit) / 10) return false;
    magnitude = magnitude * 10 + digit;
  }
  if (negative) {
    if (magnitude > static_cast<uint64_t>(INT64_MAX) + 1) return false;
    *value = magnitude == static_cast<uint64_t>(INT64_MAX) + 1 ? INT64_MIN : -static_cast<int64_t>(magnitude);
  } else {
    if (magnitude > static_cast<uint64_t>(INT64_MAX)) return false;
    *value = static_cast<int64_t>(magnitude);
  }
  return true;
}

AdsValue DecodeLdapValue(AdsType type, const char* data, size_t size, DirectoryTextConverter text) {
  AdsValue value;
  const std::string raw(data, size);
  switch (type) {
    case kAdsTypeInteger:
    case kAdsTypeLargeInteger:
      ParseLargeInteger(raw, &value.integer);
      break;
    case kAdsTypeBoolean: {
      bool flag = false;
      ParseBoolean(raw, &flag);
      value.integer = flag ? 1 : 0;
      break;
    }
    case kAdsTypeOctetString:
    case kAdsTypeSecurityDescriptor:
      value.bytes = raw;
      break;
    case kAdsTypeUtcTime:
      ParseGeneralizedTime(raw, &value.time);
      break;
    default:
      value.text = text != nullptr ? text(data, size) : raw;
      break;
  }
  return value;
}

bool ParseBoolean(const std::string& text, bool* value) {
  // Values arrive with their length: "TRUE" followed by a NUL and more is not a boolean.
  if (text.find('\0') != std::string::npos) return false;
  if (strcasecmp(text.c_str(), "TRUE") == 0) {
    *value = true;
    return true;
  }
  if (strcasecmp(text.c_str(), "FALSE") == 0) {
    *value = false;
    return true;
  }
  return false;
}

std::string GuidBytesToText(const std::string& bytes) {
  if (bytes.size() < 16) return "";
  const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes.data());
  char text[40];
  snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3],
           b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
  return text;
}

bool GuidTextToBytes(const std::string& text, std::string* bytes) {
  std::string t = text;
  if (t.size() == 38 && t.front() == '{' && t.back() == '}') t = t.substr(1, 36);
  if (t.size() != 36 || t[8] != '-' || t[13] != '-' || t[18] != '-' || t[23] != '-') return false;
  // Every character but the four dashes is a hexadecimal digit, so there are exactly 32 of them.
  std::string hex;
  for (size_t i = 0; i < t.size(); ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23) continue;
    if (HexDigit(t[i]) < 0) return false;
    hex.push_back(t[i]);
  }
  unsigned char v[16];
  for (int i = 0; i < 16; ++i)
    v[i] = static_cast<unsigned char>(HexDigit(hex[2 * i]) * 16 + HexDigit(hex[2 * i + 1]));
  // Data1, Data2 and Data3 are stored little-endian, Data4 as written.
  const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  bytes->assign(16, '\0');
  for (int i = 0; i < 16; ++i) (*bytes)[i] = static_cast<char>(v[order[i]]);
  return true;
}

std::string EscapeFilterBytes(const std::string& bytes) {
  std::string out;
  for (char c : bytes) {
    char hex[4];
    snprintf(hex, sizeof hex, "\\%02x", static_cast<unsigned char>(c));
    out += hex;
  }
  return out;
}

LdapEndpoint ParseLdapEndpoint(const std::string& text) {
  LdapEndpoint endpoint;
  std::string rest = text.substr(0, text.find_first_of(" \t,"));
  if (StartsWithIgnoreCase(rest, "ldaps://")) {
    endpoint.tls = true;
    endpoint.port = 636;
    rest.erase(0, 8);
  } else if (StartsWithIgnoreCase(rest, "ldap://")) {
    rest.erase(0, 7);
  }
  rest = rest.substr(0, rest.find('/'));
  const size_t colon = rest.rfind(':');
  if (colon != std::string::npos && colon + 1 < rest.size()) {
    endpoint.port = static_cast<unsigned>(strtoul(rest.c_str() + colon + 1, nullptr, 10));
    rest.resize(colon);
    if (endpoint.port == 636 || endpoint.port == 3269) endpoint.tls = true;
  }
  endpoint.host = rest;
  return endpoint;
}

bool ParseAdsPath(const std::string& path, AdsPathParts* parts) {
  *parts = AdsPathParts();
  if (!StartsWithIgnoreCase(path, "LDAP://")) return false;
  std::string rest = path.substr(7);
  // A server part ends at the first unescaped '/' and never holds '='.
  for (size_t i = 0; i < rest.size() && !StartsWithIgnoreCase(rest, "schema/"); ++i) {
    if (rest[i] == '\\') {
      ++i;
      continue;
    }
    if (rest[i] == '=') break;
    if (rest[i] == '/') {
      parts->server = rest.substr(0, i);
      rest = rest.substr(i + 1);
      break;
    }
  }
  if (parts->server.empty() && rest.find('=') == std::string::npos && !rest.empty() &&
      strcasecmp(rest.c_str(), "rootDSE") != 0 && !StartsWithIgnoreCase(rest, "schema/")) {
    // "LDAP://host" names the server alone: its domain object.
    parts->server = rest;
    rest.clear();
  }
  if (strcasecmp(rest.c_str(), "rootDSE") == 0) {
    parts->kind = kAdsPathRootDse;
    return true;
  }
  if (StartsWithIgnoreCase(rest, "schema/")) {
    parts->kind = kAdsPathSchemaClass;
    parts->class_name = rest.substr(7);
    return !parts->class_name.empty();
  }
  parts->dn = UnescapeSlashes(rest);
  return true;
}

std::string DnToDnsName(const std::string& dn) {
  std::string dns;
  size_t at = 0;
  while (at < dn.size()) {
    size_t end = at;
    while (end < dn.size() && dn[end] != ',') end += dn[end] == '\\' ? 2 : 1;
    std::string component = dn.substr(at, end - at);
    while (!component.empty() && component[0] == ' ') component.erase(0, 1);
    if (StartsWithIgnoreCase(component, "DC=")) {
      if (!dns.empty()) dns.push_back('.');
      dns += component.substr(3);
    }
    at = end + 1;
  }
  return dns;
}

std::string FirstRdnValue(const std::string& dn) {
  size_t end = 0;
  while (end < dn.size() && dn[end] != ',') end += dn[end] == '\\' ? 2 : 1;
  std::string rdn = dn.substr(0, std::min(end, dn.size()));
  size_t equals = rdn.find('=');
  return equals == std::string::npos ? rdn : rdn.substr(equals + 1);
}

int SidUseFromAccountType(int64_t sam_account_type) {
  switch ((sam_account_type >> 28) & 0xF) {
    case 0x3:
      return kSidTypeUser;
    case 0x1:
      return kSidTypeGroup;
    case 0x2:
    case 0x4:
      return kSidTypeAlias;
    default:
      return 8;  // SidTypeUnknown
  }
}

void OrderSrvRecords(std::vector<SrvRecord>* records) {
  std::stable_sort(records->begin(), records->end(), [](const SrvRecord& a, const SrvRecord& b) {
    if (a.priority != b.priority) return a.priority < b.priority;
    return a.weight > b.weight;
  });
}

bool ParseSrvReply(const unsigned char* reply, int length, std::vector<SrvRecord>* records) {
  records->clear();
  if (length < 12) return false;
  int questions = Read16(reply + 4);
  int answers = Read16(reply + 6);
  int offset = 12;
  std::string name;
  for (int i = 0; i < questions; ++i) {
    offset = ReadDnsName(reply, length, offset, &name);
    if (offset < 0 || offset + 4 > length) return false;
    offset += 4;
  }
  for (int i = 0; i < answers; ++i) {
    offset = ReadDnsName(reply, length, offset, &name);
    if (offset < 0 || offset + 10 > length) return false;
    uint16_t type = Read16(reply + offset);
    uint16_t data_length = Read16(reply + offset + 8);
    offset += 10;
    if (offset + data_length > length) return false;
    if (type == 33 && data_length >= 7) {  // SRV
      SrvRecord record;
      record.priority = Read16(reply + offset);
      record.weight = Read16(reply + offset + 2);
      record.port = Read16(reply + offset + 4);
      if (ReadDnsName(reply, length, offset + 6, &record.target) < 0) return false;
      records->push_back(record);
    }
    offset += data_length;
  }
  return true;
}
