// Fuzzes the command words after the entity: restriction, operator and value (one or two words),
// with the grammar rules that decide which may stand together.
//
// Input: a sort byte (0-3: none, by name, by value, by value reversed), then up to six words
// separated by newlines; the first is the entity, which this step does not read.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "query/arguments.h"
#include "run/restriction_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const uint32_t kSortModes[4] = {0, kSortName, kSortValue, kSortValue | kSortReverse};
  std::vector<std::string> args;
  std::string rest = InputCString(data + 1, size - 1);
  while (args.size() < 6) {
    std::string word;
    SplitAt(rest, '\n', &word, &rest);
    args.push_back(word);
    if (rest.empty()) break;
  }
  FuzzRun* f = ResetFuzzRun();
  RunContext& run = f->run;
  run.options.sort_mode = kSortModes[data[0] & 3];
  CommandWords words;
  std::vector<std::string> typed = args;
  if (!ReadCommandWords(&run, &args, &words)) return 0;

  const size_t count = typed.size();
  const RestrictionInfo* info = &RestrictionRow(run.restriction);
  FUZZ_CHECK(info->code == run.restriction);
  FUZZ_CHECK(words.display_name == info->label);
  // At most the entity, restriction, operator and a value of one word (two for a date).
  FUZZ_CHECK(count <= (info->kind == kValueDate ? 5u : 4u));
  if (count == 3) FUZZ_CHECK(false);  // an operator always needs its value
  if (count > 2) {
    FUZZ_CHECK(run.restriction != kAll);
    FUZZ_CHECK(run.op <= kOpExcludes);
    if (info->equal_only) FUZZ_CHECK(run.op == kOpEq || run.op == kOpNe);
    if (run.op == kOpIncludes || run.op == kOpExcludes) FUZZ_CHECK(run.restriction == kWr);
  } else {
    FUZZ_CHECK(run.op == kOpNone);
  }
  if (run.options.sort_mode & kSortValue) FUZZ_CHECK(info->sortable);
  // The words are read lower-cased, and the headings show them so.
  for (size_t i = 1; i < args.size(); ++i) {
    for (char c : args[i]) FUZZ_CHECK(!(c >= 'A' && c <= 'Z'));
  }
  return 0;
}
