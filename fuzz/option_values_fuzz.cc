// Fuzzes the parsers of the enumerated option values: /a layouts, /s, /o and /y.
//
// Input: a selector character, then the value. 'a', 's', 'o' and 'y' pick their parser (an 'S'
// gives /s without a value); any other first byte picks one by its remainder.
#include <bit>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "query/program_options.h"
#include "run/codes.h"

namespace {

void CheckLayout(const RunContext& run, bool ok) {
  const ColumnFormat& columns = run.options.columns;
  if (!ok) {
    FUZZ_CHECK(columns.count == 0 && columns.line_width == 0);
    return;
  }
  FUZZ_CHECK(columns.count >= 0 && columns.count <= kMaxColumns);
  int total = -1;
  for (int i = 0; i < columns.count; ++i) {
    char letter = static_cast<char>(columns.letters[i]);
    FUZZ_CHECK(letter == 'd' || letter == 'f' || letter == 'u' || letter == 'v');
    FUZZ_CHECK(columns.widths[i] > 0);
    total += columns.widths[i] + 1;
  }
  if (columns.count == 0) {
    FUZZ_CHECK(columns.line_width == 0);
  } else {
    // The line holds every field and one blank between neighbours, and fits the message buffer.
    FUZZ_CHECK(columns.line_width == total);
    FUZZ_CHECK(columns.line_width < kMessageBufferSize);
  }
}

void CheckSort(const RunContext& run, bool ok) {
  if (!ok) return;
  uint32_t mode = run.options.sort_mode;
  FUZZ_CHECK((mode & ~(kSortName | kSortValue | kSortReverse)) == 0);
  // Exactly one key: by name or by value.
  FUZZ_CHECK(((mode & kSortName) != 0) != ((mode & kSortValue) != 0));
}

void CheckClass(const RunContext& run, const std::string& value, bool ok) {
  if (!ok) return;
  const std::string& name = run.options.object_class;
  FUZZ_CHECK(name == "user" || name == "group" || name == "computer" || name == "person" ||
             name == "inetOrgPerson");
  FUZZ_CHECK(!value.empty() && value.size() <= name.size());
}

void CheckForm(const RunContext& run, bool ok) {
  if (!ok) {
    FUZZ_CHECK(run.options.name_form == kFormCanonical);  // the default stays
    return;
  }
  uint32_t form = run.options.name_form;
  FUZZ_CHECK(form != 0 && form <= 0x1FF);
  // At most one form, with or without "remove types".
  FUZZ_CHECK(std::popcount(form & ~static_cast<uint32_t>(kFormNoTypes)) <= 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string value = InputText(data + 1, size - 1);
  char selector = static_cast<char>(data[0]);
  if (selector != 'a' && selector != 's' && selector != 'S' && selector != 'o' && selector != 'y') {
    selector = "asSoy"[data[0] % 5];
  }
  FuzzRun* f = ResetFuzzRun();
  switch (selector) {
    case 'a':
      CheckLayout(f->run, ParseColumnLayout(&f->run, value));
      break;
    case 's':
      CheckSort(f->run, ParseSortValue(&f->run, InputCString(data + 1, size - 1).c_str()));
      break;
    case 'S':
      FUZZ_CHECK(ParseSortValue(&f->run, nullptr));
      FUZZ_CHECK(f->run.options.sort_mode == kSortName);
      break;
    case 'o':
      CheckClass(f->run, value, ParseObjectClass(&f->run, value));
      break;
    case 'y':
      CheckForm(f->run, ParseNameForm(&f->run, value));
      break;
  }
  return 0;
}
