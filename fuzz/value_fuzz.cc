// Fuzzes the value argument of every restriction that takes one.
//
// Input: "<keyword> <value>". A keyword the table knows picks its restriction; any other first
// word picks one by the sum of its bytes, so every input reaches some value kind.
#include <cstdint>
#include <string>

#include "directory/dir_time.h"
#include "fuzz/fuzz_support.h"
#include "query/values.h"
#include "run/restriction_table.h"

namespace {

const RestrictionCode kValueCodes[] = {kAd,  kAe,  kAed, kAl,  kBlc, kCd,  kIld, kIlp, kIlr, kIlt,
                                       kLld, kLud, kMd,  kPcr, kPcl, kPe,  kPed, kPhl, kPmx, kPlc,
                                       kPml, kPmn, kPne, kPr,  kPre, kPso, kPuc, kPur, kLh,  kWr};

RestrictionCode PickCode(const std::string& word) {
  for (RestrictionCode code : kValueCodes) {
    if (word == RestrictionRow(code).keyword) return code;
  }
  unsigned sum = 0;
  for (unsigned char c : word) sum += c;
  return kValueCodes[sum % (sizeof kValueCodes / sizeof kValueCodes[0])];
}

void CheckResult(const FuzzRun& f, RestrictionCode code, const std::string& text, bool ok,
                 const std::string& error) {
  const RunContext& run = f.run;
  const RestrictionInfo* info = &RestrictionRow(code);
  FUZZ_CHECK(info->code == code);
  if (!ok) {
    // A refused value always says why, unless it printed its own message (an object name).
    FUZZ_CHECK(!error.empty() || code == kPso);
    return;
  }
  FUZZ_CHECK(error.empty());
  switch (info->kind) {
    case kValueYesNo:
      FUZZ_CHECK(run.filter_number <= 1);
      FUZZ_CHECK(run.filter_range == 0);
      FUZZ_CHECK(!run.has_filter_text);
      break;
    case kValueDate:
      FUZZ_CHECK(!run.has_filter_text);
      if (run.filter_number == 0 && run.filter_range == 0) break;  // none
      // A time is the start of the period it names.
      FUZZ_CHECK(run.filter_range == 0 || run.filter_range == 60 || run.filter_range == 3600 ||
                 run.filter_range == 86400);
      if (run.filter_range != 0) FUZZ_CHECK(run.filter_number % run.filter_range == 0);
      // The period lies inside the years a time can hold.
      FUZZ_CHECK(static_cast<uint64_t>(run.filter_number) + run.filter_range <= 0x100000000ull);
      break;
    case kValueInteger:
      FUZZ_CHECK(run.filter_range == 0);
      FUZZ_CHECK(!run.has_filter_text);
      break;
    case kValueObject:
    case kValueText:
      FUZZ_CHECK(run.has_filter_text);
      FUZZ_CHECK(run.filter_text == "[None]" || run.filter_text == text || code == kPso);
      break;
    case kValueLogonHours:
      FUZZ_CHECK(run.has_filter_text);
      FUZZ_CHECK(run.filter_text == text);
      FUZZ_CHECK(text.size() <= 4);
      break;
    case kValueNone:
      FUZZ_CHECK(false);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string word, text;
  SplitAt(InputText(data, size), ' ', &word, &text);
  RestrictionCode code = PickCode(word);
  FuzzRun* f = ResetFuzzRun();
  std::string error;
  bool ok = ParseValue(&f->run, text, RestrictionRow(code).keyword, &error, code);
  CheckResult(*f, code, text, ok, error);

  // Without an error buffer the message is printed instead; the outcome is the same.
  uint32_t number = f->run.filter_number;
  f = ResetFuzzRun();
  bool printed_ok = ParseValue(&f->run, text, RestrictionRow(code).keyword, nullptr, code);
  FUZZ_CHECK(printed_ok == ok);
  if (ok) FUZZ_CHECK(f->run.filter_number == number);
  return 0;
}
