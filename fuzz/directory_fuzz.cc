// Fuzzes the readers of what the directory and the network send: LDAP values (times, large
// integers, GUIDs, SIDs, paths, DNS SRV replies), filter escapes, security descriptors, KDC
// refusals, and the forms of entity names.
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

// A real calendar time inside the representable years comes back as the same date and time.
void CheckGeneralizedTime(FuzzRun*, const std::string& text) {
  AdsUtcTime t{};
  if (!ParseGeneralizedTime(text, &t)) return;
  FUZZ_CHECK(t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour <= 23 && t.minute <= 59);
  if (t.second >= 60 || t.day > DaysInMonth(t.year, t.month)) return;
  uint32_t seconds = UtcTimeToSeconds(t.year, t.month, t.day, t.hour, t.minute, t.second);
  int year = 0, month = 0, day = 0;
  CivilFromDays(seconds / 86400, &year, &month, &day);
  if (seconds != 0 && t.year >= 1970 && t.year <= 2105)
    FUZZ_CHECK(year == t.year && month == t.month && day == t.day &&
               seconds % 86400 == t.hour * 3600u + t.minute * 60u + t.second);
}

// A large integer reads back from its text, and converts as a time and an interval without overflow.
void CheckLargeInteger(FuzzRun*, const std::string& text) {
  int64_t value = 0, again = 0;
  if (!ParseLargeInteger(text, &value)) return;
  FUZZ_CHECK(ParseLargeInteger(std::to_string(value), &again) && again == value);
  for (int32_t offset : {0, 3600, -43200, 50400})
    FileTimeToSeconds(nullptr, static_cast<uint64_t>(value), offset);
  IntervalToSeconds(value);
}

void CheckGuid(FuzzRun*, const std::string& input) {
  std::string bytes, back;
  if (GuidTextToBytes(input, &bytes))
    FUZZ_CHECK(bytes.size() == 16 && GuidTextToBytes(GuidBytesToText(bytes), &back) && back == bytes);
  if (input.size() == 16) FUZZ_CHECK(GuidTextToBytes(GuidBytesToText(input), &back) && back == input);
  FUZZ_CHECK(GuidBytesToText(input).size() == (input.size() < 16 ? 0u : 38u));
}

// Input: bytes read as a binary SID, and as a SID text. TextToSid needs a sub-authority and
// builds at most eight; what it builds is a SID whose text is a fixed point of the round trip.
void CheckSid(FuzzRun*, const std::string& input) {
  std::string text, back, again;
  if (SidToText(input, &text)) {
    int count = static_cast<uint8_t>(input[1]);
    FUZZ_CHECK(text.compare(0, 4, "S-1-") == 0 && TextToSid(text, &back) == (count > 0));
    if (count > 0 && count <= 8) FUZZ_CHECK(back == input.substr(0, 8 + 4 * count));
    if (count > 0) FUZZ_CHECK(SidToText(back, &again) && (count > 8 || again == text));
  } else {
    FUZZ_CHECK(text.empty());
  }
  if (!TextToSid(CString(input), &back)) {
    FUZZ_CHECK(back.empty());
    return;
  }
  FUZZ_CHECK(SidToText(back, &text) && TextToSid(text, &again) && again == back);
  FUZZ_CHECK(SidToText(again, &back) && back == text);
}

// Input: any text, escaped for a filter as bytes, as a literal and as a name: as a name, the
// unescaped stars stay wildcards ("\c" stands for c) and the rest is the name's own text.
void CheckFilterEscapes(FuzzRun*, const std::string& input) {
  std::string back, expected;
  FUZZ_CHECK(EscapeFilterBytes(input).size() == 3 * input.size());
  FUZZ_CHECK(UnescapeHexPairs(EscapeFilterBytes(input), &back) && back == input);
  const std::string literal = EscapeFilterLiteral(input), escaped = EscapeNameForFilter(input);
  FUZZ_CHECK(literal.find_first_of(std::string("*()\0", 4)) == std::string::npos);
  FUZZ_CHECK(UnescapeHexPairs(literal, &back) && back == input);
  FUZZ_CHECK(escaped.find_first_of(std::string("()\0", 3)) == std::string::npos);
  size_t wildcards = 0;
  for (size_t i = 0; i < input.size(); ++i) {
    bool escape = input[i] == '\\' && i + 1 < input.size();
    wildcards += !escape && input[i] == '*';
    expected += input[escape ? ++i : i];
  }
  FUZZ_CHECK(static_cast<size_t>(std::count(escaped.begin(), escaped.end(), '*')) == wildcards);
  FUZZ_CHECK(UnescapeHexPairs(escaped, &back) && back == expected);
}

// Readers that must not read past their input; a boolean is exactly TRUE or FALSE.
void CheckPaths(FuzzRun*, const std::string& input) {
  AdsPathParts parts;
  ParseAdsPath(input, &parts);
  FUZZ_CHECK(DnToDnsName(input).size() <= input.size() && FirstRdnValue(input).size() <= input.size());
  DiagnosticDataCode(input);
  AttributeType(input);
  bool value = false;
  if (ParseBoolean(input, &value)) FUZZ_CHECK(input.size() == (value ? 4u : 5u));
}

void CheckSrvReply(FuzzRun*, const std::string& input) {
  std::vector<SrvRecord> records;
  ParseSrvReply(reinterpret_cast<const unsigned char*>(input.data()), static_cast<int>(input.size()),
                &records);
  OrderSrvRecords(&records);
  for (size_t i = 1; i < records.size(); ++i)
    FUZZ_CHECK(
        records[i - 1].priority < records[i].priority ||
        (records[i - 1].priority == records[i].priority && records[i - 1].weight >= records[i].weight));
}

// Input: a byte, then a descriptor's raw bytes: both readers agree, and nothing unreadable denies.
void CheckDacl(FuzzRun*, const std::string& input) {
  bool denied = true, short_denied = true;
  const std::string descriptor = input.empty() ? input : input.substr(1);
  DaclWalk walk = WalkChangePasswordDacl(descriptor, &denied);
  FUZZ_CHECK(walk == kDaclAnswered || ((walk == kDaclUnreadable || walk == kDaclInfoUnreadable) && !denied));
  FUZZ_CHECK(DaclDeniesChangePassword(descriptor, &short_denied) == (walk == kDaclAnswered) &&
             short_denied == denied);
}

// Input: a KDC refusal's e-data: a status read is an error status whose bytes are in the input.
void CheckKdcRefusal(FuzzRun*, const std::string& e_data) {
  uint32_t status = 0;
  bool found = KdcErrorStatus(e_data, &status);
  FUZZ_CHECK(found ? (status >> 30) == 3 && e_data.find(std::string(reinterpret_cast<const char*>(&status),
                                                                    4)) != std::string::npos
                   : status == 0);
  uint32_t win32 = KdcRefusalToWin32(18, true, status);
  FUZZ_CHECK(win32 == 0 || IsAccountStateError(win32));
}

// Input: a name of an object of the in-memory directory. A form computed from the name is cut out
// of it, the same without the directory; one the directory gives is its value or the canonical one.
void CheckNameForms(FuzzRun* f, const std::string& input) {
  const std::string name = CString(input);
  f->dir.default_naming_context = "DC=corp,DC=example";
  std::string bad_line;
  FakeLoad("@names CORP corp.example", &bad_line);
  if (!name.empty()) FakeAddObject(name, {"person", "user"}, {{"displayName", "Shown"}});
  const std::string canonical = FormatName(&f->dir, kFormCanonical, name);
  for (uint32_t form : {kFormCanonical, kFormRelative, kFormWithDomain, kFormUntypedCn, kFormNoTypes}) {
    std::string shown = FormatName(&f->dir, form, name);
    FUZZ_CHECK(shown.size() <= name.size() && FormatName(nullptr, form, name) == shown);
  }
  std::string shown = FormatName(&f->dir, kFormDisplay, name);
  FUZZ_CHECK(FormatName(nullptr, kFormDisplay, name) == canonical &&
             (shown == "Shown" || shown == canonical));
  FUZZ_CHECK(RemoveTypes(name).size() <= name.size());
}

// Input: a name: its container, relative value and type.
void CheckEntityForms(FuzzRun*, const std::string& name) {
  size_t start = ContainerStart(name);
  FUZZ_CHECK(start == std::string::npos ||
             (start >= 2 && name[start - 1] == ',' &&
              name.compare(start, std::string::npos, ContainerPart(name)) == 0));
  NextUnescapedComma(name, name.size() / 2);
  IsGuidForm(name);
  std::string upper = name;
  UpperCaseLeadingType(&upper);
  FUZZ_CHECK(RelativeValue(name).size() <= name.size() && IsTypedName(upper) == IsTypedName(name));
}

}  // namespace

FUZZ_TARGET(CheckGeneralizedTime, CheckLargeInteger, CheckGuid, CheckSid, CheckFilterEscapes, CheckPaths,
            CheckSrvReply, CheckDacl, CheckKdcRefusal, CheckNameForms, CheckEntityForms)
