// Fuzzes the decoding of directory values as LDAP sends them: generalized times, large integers
// (file times and intervals), booleans, GUIDs, binary filter values, paths and DNS SRV
// replies.
//
// Input: a selector byte, then the value.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "directory/ads/ldap_values.h"
#include "directory/dir_time.h"
#include "fuzz/fuzz_support.h"
#include "util/local_clock.h"

namespace {

void CheckGeneralizedTime(const std::string& text) {
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

void CheckLargeInteger(const std::string& text) {
  int64_t value = 0;
  if (!ParseLargeInteger(text, &value)) return;
  // The canonical decimal text of the value reads as the same value.
  int64_t again = 0;
  FUZZ_CHECK(ParseLargeInteger(std::to_string(value), &again));
  FUZZ_CHECK(again == value);
  // As a file time and as an interval, any value converts without overflow.
  for (int32_t offset : {0, 3600, -43200, 50400}) {
    uint32_t seconds = FileTimeToSeconds(nullptr, static_cast<uint64_t>(value), offset);
    (void)seconds;
  }
  uint32_t interval = IntervalToSeconds(value);
  if (value < 0 && (static_cast<uint64_t>(value) & 0xFFFFFFFFu) != 0 && value > -4294967295LL * 10000000LL) {
    FUZZ_CHECK(interval == static_cast<uint32_t>(-value / 10000000));
  }
}

void CheckGuid(const std::string& input) {
  std::string bytes;
  if (GuidTextToBytes(input, &bytes)) {
    FUZZ_CHECK(bytes.size() == 16);
    std::string text = GuidBytesToText(bytes);
    FUZZ_CHECK(text.size() == 38);
    std::string back;
    FUZZ_CHECK(GuidTextToBytes(text, &back) && back == bytes);
  }
  if (input.size() == 16) {
    std::string text = GuidBytesToText(input);
    std::string back;
    FUZZ_CHECK(GuidTextToBytes(text, &back) && back == input);
  }
}

void CheckEscapes(const std::string& input) {
  std::string back;
  std::string hex = EscapeFilterBytes(input);
  FUZZ_CHECK(hex.size() == 3 * input.size());
  FUZZ_CHECK(UnescapeHexPairs(hex, &back) && back == input);
}

void CheckNames(const std::string& input) {
  AdsPathParts parts;
  if (ParseAdsPath(input, &parts)) {
    // The server is part of the path as written; the DN never grows.
    FUZZ_CHECK(input.find(parts.server, 7) != std::string::npos);
    FUZZ_CHECK(parts.dn.size() <= input.size());
  }
  FUZZ_CHECK(DnToDnsName(input).size() <= input.size());
  FUZZ_CHECK(FirstRdnValue(input).size() <= input.size());
  DiagnosticDataCode(input);
  AttributeType(input);
  // A boolean is exactly TRUE or FALSE: a value with more after a NUL is not one.
  bool value = false;
  if (ParseBoolean(input, &value)) FUZZ_CHECK(input.size() == (value ? 4u : 5u));
}

void CheckSrvReply(const std::string& input) {
  std::vector<SrvRecord> records;
  bool ok = ParseSrvReply(reinterpret_cast<const unsigned char*>(input.data()),
                          static_cast<int>(input.size()), &records);
  if (!ok) return;
  OrderSrvRecords(&records);
  for (size_t i = 1; i < records.size(); ++i) {
    FUZZ_CHECK(records[i - 1].priority <= records[i].priority);
    if (records[i - 1].priority == records[i].priority)
      FUZZ_CHECK(records[i - 1].weight >= records[i].weight);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string input = InputText(data + 1, size - 1);
  ResetFuzzRun();
  switch (data[0] % 6) {
    case 0:
      CheckGeneralizedTime(input);
      break;
    case 1:
      CheckLargeInteger(input);
      break;
    case 2:
      CheckGuid(input);
      break;
    case 3:
      CheckEscapes(input);
      break;
    case 4:
      CheckNames(input);
      break;
    case 5:
      CheckSrvReply(input);
      break;
  }
  return 0;
}
