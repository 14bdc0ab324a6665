// Fuzzes the option parser over option texts, as they come from the environment, an options-file
// line or the command line.
//
// Input: up to three option texts separated by newlines, parsed in turn into the same letters and
// values (as later sources add to and override earlier ones).
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "fuzz/gathered_checks.h"
#include "query/program_options.h"
#include "util/option_parser.h"

namespace {

bool Parse(const std::string& text, GatheredOptions* found, const char* source) {
  return ParseOptionText("LORVEX", text, kPlainOptionLetters, kValuedOptionLetters, found, source);
}

std::string Sorted(std::string letters) {
  std::sort(letters.begin(), letters.end());
  return letters;
}

// The same letters (in any order) and the same values.
bool SameOptions(const GatheredOptions& a, const GatheredOptions& b) {
  if (Sorted(a.without_value) != Sorted(b.without_value) || Sorted(a.with_value) != Sorted(b.with_value)) {
    return false;
  }
  for (int slot = 0; slot < 26; ++slot) {
    if (a.has_value[slot] != b.has_value[slot] || a.values[slot] != b.values[slot]) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetFuzzRun();
  const std::string input = InputCString(data, size);
  std::string rest = input;
  static const char* const kSources[] = {"environment", "zemutils.ini", "command line"};
  GatheredOptions found;
  for (const char* source : kSources) {
    std::string text;
    SplitAt(rest, '\n', &text, &rest);
    if (!Parse(text, &found, source)) return 0;
    CheckGathered(found, kPlainOptionLetters, kValuedOptionLetters);
    if (rest.empty()) break;
  }

  // A text given twice in a row leaves what it left the first time.
  std::string first, unused;
  SplitAt(input, '\n', &first, &unused);
  GatheredOptions once;
  if (!Parse(first, &once, "command line")) return 0;
  GatheredOptions twice = once;
  FUZZ_CHECK(Parse(first, &twice, "command line"));
  FUZZ_CHECK(SameOptions(once, twice));
  return 0;
}
