// Fuzzes the readers of what the directory and the network send: LDAP values (times, large
// integers, GUIDs, SIDs, paths, DNS SRV replies), filter escapes, security descriptors, KDC
// refusals, and the forms of entity names.
//
// Input: a selector byte, then the input of the check it picks (see kChecks at the end).
#include <algorithm>
#include <vector>

#include "directory/ads/fake/ads_fake.h"
#include "directory/ads/kdc_refusal.h"
#include "directory/ads/ldap_filter.h"
#include "directory/ads/ldap_values.h"
#include "directory/ads/sid.h"
#include "directory/dir_time.h"
#include "directory/entity_forms.h"
#include "directory/name_forms.h"
#include "directory/permission.h"
#include "fuzz/fuzz_support.h"
#include "run/codes.h"
#include "util/local_clock.h"

namespace {

void CheckGeneralizedTime(FuzzRun*, const std::string& text) {
  AdsUtcTime time{};
  if (!ParseGeneralizedTime(text, &time)) return;
  FUZZ_CHECK(time.month >= 1 && time.month <= 12 && time.day >= 1 && time.day <= 31);
  FUZZ_CHECK(time.hour <= 23 && time.minute <= 59 && time.second <= 60);
  uint32_t seconds = UtcTimeToSeconds(time.year, time.month, time.day, time.hour, time.minute, time.second);
  // A real calendar time inside the representable years comes back as the same date.
  if (seconds != 0 && time.second < 60 && time.day <= DaysInMonth(time.year, time.month) &&
      time.year >= 1970 && time.year <= 2105) {
    int year = 0, month = 0, day = 0;
    CivilFromDays(seconds / 86400, &year, &month, &day);
    FUZZ_CHECK(year == time.year && month == time.month && day == time.day);
    FUZZ_CHECK(seconds % 86400 == time.hour * 3600u + time.minute * 60u + time.second);
  }
}

void CheckLargeInteger(FuzzRun*, const std::string& text) {
  int64_t value = 0, again = 0;
  if (!ParseLargeInteger(text, &value)) return;
  FUZZ_CHECK(ParseLargeInteger(std::to_string(value), &again) && again == value);
  // As a file time and as an interval, any value converts without overflow.
  for (int32_t offset : {0, 3600, -43200, 50400})
    FileTimeToSeconds(nullptr, static_cast<uint64_t>(value), offset);
  IntervalToSeconds(value);
}

void CheckGuid(FuzzRun*, const std::string& input) {
  std::string bytes, back;
  if (GuidTextToBytes(input, &bytes)) {
    FUZZ_CHECK(bytes.size() == 16 && GuidBytesToText(bytes).size() == 38);
    FUZZ_CHECK(GuidTextToBytes(GuidBytesToText(bytes), &back) && back == bytes);
  }
  if (input.size() == 16) FUZZ_CHECK(GuidTextToBytes(GuidBytesToText(input), &back) && back == input);
  FUZZ_CHECK(input.size() < 16 ? GuidBytesToText(input).empty() : GuidBytesToText(input).size() == 38);
}

// Input: bytes read as a binary SID, and the same read as a SID text.
void CheckSid(FuzzRun*, const std::string& input) {
  std::string text, back, again;
  if (SidToText(input, &text)) {
    FUZZ_CHECK(text.compare(0, 4, "S-1-") == 0);
    // Bytes beyond the sub-authorities the SID counts are not part of it; the text of a SID
    // without sub-authorities has no third '-', which TextToSid needs; it builds at most eight.
    int count = static_cast<uint8_t>(input[1]);
    FUZZ_CHECK(TextToSid(text, &back) == (count > 0));
    if (count > 0 && count <= 8) FUZZ_CHECK(back == input.substr(0, 8 + 4 * count));
    if (count > 0) FUZZ_CHECK(SidToText(back, &again) && (count > 8 || again == text));
  } else {
    FUZZ_CHECK(text.empty());
  }
  // What TextToSid builds is always a SID, and its text is a fixed point of the round trip.
  if (TextToSid(CString(input), &back)) {
    FUZZ_CHECK(SidToText(back, &text) && TextToSid(text, &again) && again == back);
    FUZZ_CHECK(SidToText(again, &back) && back == text);
  } else {
    FUZZ_CHECK(back.empty());
  }
}

// Input: any text, escaped for a filter as bytes, as a literal and as a name.
void CheckFilterEscapes(FuzzRun*, const std::string& input) {
  std::string back;
  FUZZ_CHECK(EscapeFilterBytes(input).size() == 3 * input.size());
  FUZZ_CHECK(UnescapeHexPairs(EscapeFilterBytes(input), &back) && back == input);
  // As a literal, nothing the filter syntax reads survives unescaped.
  const std::string literal = EscapeFilterLiteral(input);
  FUZZ_CHECK(literal.find_first_of(std::string("*()\0", 4)) == std::string::npos);
  FUZZ_CHECK(UnescapeHexPairs(literal, &back) && back == input);
  // As a name, the unescaped stars stay wildcards ("\\c" stands for c, a backslash at the very
  // end for itself) and everything else is the name's own text.
  const std::string escaped = EscapeNameForFilter(input);
  FUZZ_CHECK(escaped.find_first_of(std::string("()\0", 3)) == std::string::npos);
  std::string expected;
  size_t wildcards = 0, stars = 0;
  for (size_t i = 0; i < input.size(); ++i) {
    bool escape = input[i] == '\\' && i + 1 < input.size();
    if (!escape && input[i] == '*') ++wildcards;
    expected += input[escape ? ++i : i];
  }
  for (char c : escaped) stars += c == '*';
  FUZZ_CHECK(stars == wildcards && UnescapeHexPairs(escaped, &back) && back == expected);
}

void CheckPaths(FuzzRun*, const std::string& input) {
  AdsPathParts parts;
  // The server is part of the path as written; the DN never grows.
  if (ParseAdsPath(input, &parts)) {
    FUZZ_CHECK(input.find(parts.server, 7) != std::string::npos && parts.dn.size() <= input.size());
  }
  FUZZ_CHECK(DnToDnsName(input).size() <= input.size() && FirstRdnValue(input).size() <= input.size());
  DiagnosticDataCode(input);
  AttributeType(input);
  // A boolean is exactly TRUE or FALSE: a value with more after a NUL is not one.
  bool value = false;
  if (ParseBoolean(input, &value)) FUZZ_CHECK(input.size() == (value ? 4u : 5u));
}

void CheckSrvReply(FuzzRun*, const std::string& input) {
  std::vector<SrvRecord> records;
  if (!ParseSrvReply(reinterpret_cast<const unsigned char*>(input.data()), static_cast<int>(input.size()),
                     &records)) {
    return;
  }
  OrderSrvRecords(&records);
  for (size_t i = 1; i < records.size(); ++i) {
    FUZZ_CHECK(records[i - 1].priority <= records[i].priority);
    if (records[i - 1].priority == records[i].priority)
      FUZZ_CHECK(records[i - 1].weight >= records[i].weight);
  }
}

const char kChangePasswordGuid[] = "\x53\x1A\x72\xAB\x2F\x1E\xD0\x11\x98\x19\x00\xAA\x00\x40\x52\x9B";
const char kOtherGuid[] = "\x00\x42\x16\x4C\xC0\x20\xD0\x11\xA7\x68\x00\xAA\x00\x6E\x05\x29";
// Everyone, SELF and Administrators.
const std::string kTrustees[3] = {std::string("\1\1\0\0\0\0\0\1\0\0\0\0", 12),
                                  std::string("\1\1\0\0\0\0\0\5\12\0\0\0", 12),
                                  std::string("\1\2\0\0\0\0\0\5\40\0\0\0\40\2\0\0", 16)};

void Put16(std::string* bytes, size_t at, size_t value) {
  (*bytes)[at] = static_cast<char>(value & 0xFF);
  (*bytes)[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

// Builds a well-formed descriptor from three-byte entry descriptions (kind, options, trustee);
// sets whether they deny both Everyone and SELF the change-password right.
std::string BuildDescriptor(const std::string& input, bool* expect_denied) {
  bool denied[3] = {false, false, false};
  std::string acl(8, '\0');
  acl[0] = 4;  // revision with object entries
  size_t count = 0;
  for (size_t i = 0; i + 3 <= input.size() && count < 200; i += 3, ++count) {
    uint8_t kind = static_cast<uint8_t>(input[i]) % 4, options = static_cast<uint8_t>(input[i + 1]);
    uint8_t trustee = static_cast<uint8_t>(input[i + 2]) % 3;
    // Kind 3: plain deny; else an object entry of control access: 0 denies change password,
    // 1 allows it, 2 denies another right. Inheritance flags do not matter.
    std::string ace = {
        kind == 3 ? '\1' : kind == 1 ? '\5' : '\6', static_cast<char>(options & 0xF0), 0, 0, 0, 1, 0, 0};
    if (kind != 3) {
      ace += std::string((options & 1) ? "\3\0\0\0" : "\1\0\0\0", 4) +
             std::string(kind == 2 ? kOtherGuid : kChangePasswordGuid, 16);
      if (options & 1) ace += std::string(kOtherGuid, 16);
    }
    denied[trustee] = denied[trustee] || kind == 0;
    ace += kTrustees[trustee];
    Put16(&ace, 2, ace.size());
    acl += ace;
  }
  Put16(&acl, 2, acl.size());
  Put16(&acl, 4, count);
  std::string descriptor(20, '\0');
  descriptor[0] = 1;
  Put16(&descriptor, 2, 0x8004);  // self-relative, DACL present
  Put16(&descriptor, 16, 20);     // the DACL follows the header
  *expect_denied = denied[0] && denied[1];
  return descriptor + acl;
}

// Input: a mode byte; even: the rest is a descriptor's raw bytes; odd: the rest describes entries
// of a well-formed descriptor, and the walk must find exactly the denial they hold.
void CheckDacl(FuzzRun*, const std::string& input) {
  if (input.empty()) return;
  bool denied = true, short_denied = true, expect = false;
  if (input[0] & 1) {
    FUZZ_CHECK(WalkChangePasswordDacl(BuildDescriptor(input.substr(1), &expect), &denied) == kDaclAnswered);
    FUZZ_CHECK(denied == expect);
    return;
  }
  std::string descriptor = input.substr(1);
  DaclWalk walk = WalkChangePasswordDacl(descriptor, &denied);
  FUZZ_CHECK(walk == kDaclAnswered || walk == kDaclUnreadable || walk == kDaclInfoUnreadable);
  if (walk != kDaclAnswered) FUZZ_CHECK(!denied);
  FUZZ_CHECK(DaclDeniesChangePassword(descriptor, &short_denied) == (walk == kDaclAnswered) &&
             short_denied == denied);
  // Without the DACL-present bit nothing is denied, whatever follows.
  if (descriptor.size() >= 20 && descriptor[0] == 1) {
    descriptor[2] = static_cast<char>(descriptor[2] & ~0x4);
    FUZZ_CHECK(WalkChangePasswordDacl(descriptor, &denied) == kDaclAnswered && !denied);
  }
}

// Input: a KDC refusal's e-data, a DER structure that arrives before any authentication.
void CheckKdcRefusal(FuzzRun*, const std::string& e_data) {
  uint32_t status = 0;
  if (!KdcErrorStatus(e_data, &status)) {
    FUZZ_CHECK(status == 0);
    return;
  }
  // A status is only read from a twelve-byte extended error inside an entry (23 bytes at the
  // least), it is an error status, and its four bytes (little-endian) appear in the input.
  FUZZ_CHECK(e_data.size() >= 23 && (status >> 30) == 3);
  FUZZ_CHECK(e_data.find(std::string(reinterpret_cast<const char*>(&status), 4)) != std::string::npos);
  uint32_t win32 = KdcRefusalToWin32(18, true, status);
  FUZZ_CHECK(win32 == 0 || IsAccountStateError(win32));
}

size_t CountCommas(const std::string& text) { return std::count(text.begin(), text.end(), ','); }

// Input: a name. The in-memory directory holds an object of that name, so the forms read from
// the directory find their values when the name can address it.
void CheckNameForms(FuzzRun* f, const std::string& input) {
  const std::string name = CString(input);
  f->dir.default_naming_context = "DC=corp,DC=example";
  f->dir.netbios_domain_name = "CORP";
  std::string bad_line;
  FakeLoad("@names CORP corp.example", &bad_line);
  if (!name.empty()) {
    FakeAddObject(name, {"person", "user"},
                  {{"displayName", "Shown Name"},
                   {"userPrincipalName", "someone@corp.example"},
                   {"sAMAccountName", "someone"},
                   {"objectGUID", "{04030201-0605-0807-090A-0B0C0D0E0F10}"}});
  }
  FUZZ_CHECK(FormatName(&f->dir, kFormCanonical, "").empty());
  const std::string canonical = FormatName(&f->dir, kFormCanonical, name);
  for (uint32_t form : {kFormCanonical, kFormRelative, kFormWithDomain, kFormUntypedCn}) {
    for (uint32_t types : {0u, static_cast<uint32_t>(kFormNoTypes)}) {
      // A form computed from the name is cut out of it, the same without the directory.
      std::string shown = FormatName(&f->dir, form | types, name);
      FUZZ_CHECK(shown.size() <= name.size() && FormatName(nullptr, form | types, name) == shown);
    }
  }
  // A form the directory cannot give falls back to the canonical one.
  const std::pair<uint32_t, const char*> kDirectoryForms[] = {
      {kFormNt, nullptr},
      {kFormDisplay, "Shown Name"},
      {kFormPrincipal, "someone@corp.example"},
      {kFormGuid, "{04030201-0605-0807-090A-0B0C0D0E0F10}"}};
  for (const auto& [form, value] : kDirectoryForms) {
    std::string shown = FormatName(&f->dir, form, name);
    FUZZ_CHECK(FormatName(nullptr, form, name) == canonical);
    if (value != nullptr) FUZZ_CHECK(shown == value || shown == canonical);
  }
  std::string untyped = RemoveTypes(name);
  FUZZ_CHECK(untyped.size() <= name.size() && CountCommas(untyped) == CountCommas(name));
  size_t domain = DomainPartPosition(name);
  FUZZ_CHECK(domain == std::string::npos || domain + 3 <= name.size());
}

// Input: a name: GUIDs, typed names, the container part and the relative value.
void CheckEntityForms(FuzzRun*, const std::string& name) {
  size_t start = ContainerStart(name);
  // The container follows a comma that is neither the first character nor escaped.
  if (start == std::string::npos) FUZZ_CHECK(ContainerPart(name).empty());
  if (start != std::string::npos) {
    FUZZ_CHECK(start >= 2 && start <= name.size() && name[start - 1] == ',');
    FUZZ_CHECK(name.compare(start, std::string::npos, ContainerPart(name)) == 0);
  }
  for (size_t from = 0; from <= name.size(); from += 1 + name.size() / 8) {
    size_t comma = NextUnescapedComma(name, from);
    if (comma != std::string::npos) FUZZ_CHECK(comma >= from && comma < name.size() && name[comma] == ',');
  }
  std::string relative = RelativeValue(name);
  FUZZ_CHECK(relative.size() <= name.size() && IsPlainName(name) == (relative == name));
  if (IsGuidForm(name)) FUZZ_CHECK(name.front() == '{' && name.back() == '}');
  std::string upper = name;
  UpperCaseLeadingType(&upper);
  FUZZ_CHECK(upper.size() == name.size() && IsTypedName(upper) == IsTypedName(name));
  if (name.size() > 2) FUZZ_CHECK(upper.compare(2, std::string::npos, name, 2, std::string::npos) == 0);
}

}  // namespace

FUZZ_TARGET(CheckGeneralizedTime, CheckLargeInteger, CheckGuid, CheckSid, CheckFilterEscapes, CheckPaths,
            CheckSrvReply, CheckDacl, CheckKdcRefusal, CheckNameForms, CheckEntityForms)
