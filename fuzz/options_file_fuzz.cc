// Fuzzes the reader of options files (zemutils.ini and /@ files).
//
// Input: the file's contents. The file is an in-memory file named through /proc, so nothing is
// written to disk. Where every line fits the reader's line buffer, the result must equal parsing
// the option lines one by one.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/fuzz_support.h"
#include "fuzz/gathered_checks.h"
#include "query/program_options.h"
#include "util/cmdline.h"
#include "util/option_parser.h"

namespace {

constexpr size_t kLongestLine = 254;

// The options file read the plain way: each line, its option text, parsed in turn.
bool ReadByLines(const std::string& contents, const std::string& source, GatheredOptions* found) {
  std::string rest = contents;
  while (!rest.empty()) {
    std::string line;
    SplitAt(rest, '\n', &line, &rest);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == ';') continue;
    std::string text = line.substr(start);
    if (text[0] == '-' || text[0] == '/') {
      // the line is option text as it stands
    } else if (text.compare(0, 4, "all:") == 0) {
      text = text.substr(4);
    } else if (text.compare(0, 7, "lorvex:") == 0) {
      text = text.substr(7);
    } else {
      continue;
    }
    if (!ParseOptionText("LORVEX", text, kPlainOptionLetters, kValuedOptionLetters, found, source.c_str())) {
      return false;
    }
  }
  return true;
}

bool LinesFit(const std::string& contents) {
  size_t length = 0;
  for (char c : contents) {
    if (c == '\0') return false;
    length = c == '\n' ? 0 : length + 1;
    if (length > kLongestLine) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetFuzzRun();
  static int fd = memfd_create("options", 0);
  FUZZ_CHECK(fd >= 0);
  FUZZ_CHECK(ftruncate(fd, 0) == 0);
  FUZZ_CHECK(pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
  const std::string name = "/proc/self/fd/" + std::to_string(fd);

  GatheredOptions found;
  bool ok = ReadOptionsFile("LORVEX", name, kPlainOptionLetters, kValuedOptionLetters, &found, false);
  if (ok) CheckGathered(found, kPlainOptionLetters, kValuedOptionLetters);

  const std::string contents = InputText(data, size);
  if (LinesFit(contents)) {
    GatheredOptions expected;
    FUZZ_CHECK(ReadByLines(contents, name, &expected) == ok);
    if (ok) {
      FUZZ_CHECK(expected.without_value == found.without_value);
      FUZZ_CHECK(expected.with_value == found.with_value);
      for (int slot = 0; slot < 26; ++slot) FUZZ_CHECK(expected.values[slot] == found.values[slot]);
    }
  }
  return 0;
}
