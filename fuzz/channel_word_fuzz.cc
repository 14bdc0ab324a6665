// Fuzzes the /l and /e channel keywords and the date and time codes of file names.
//
// Input: one control byte (bit 0: /l given, bit 1: /e given, bit 2: /l without a value, bit 3: /e
// without a value), then the /l value, a newline and the /e value.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "util/channels.h"

namespace {

constexpr uint32_t kAllChannelBits = 0x3FF;

// The file-name codes with "now" at 5 January 2011 09:08:07.
void CheckFileName(const std::string& name, uint32_t now) {
  std::string expanded = ExpandFileNameCodes(name, now);
  FUZZ_CHECK(expanded.find('"') == std::string::npos);
  std::string unquoted;
  for (char c : name) {
    if (c != '"') unquoted += c;
  }
  // Only the last path component is expanded; the directory stays as typed.
  size_t cut = unquoted.find_last_of(":\\/");
  size_t start = cut == std::string::npos ? 0 : cut + 1;
  FUZZ_CHECK(expanded.compare(0, start, unquoted, 0, start) == 0);
  // A code of two characters gives at most four ("%z", the year).
  FUZZ_CHECK(expanded.size() <= start + 2 * (unquoted.size() - start));
  if (unquoted.find('%', start) == std::string::npos) FUZZ_CHECK(expanded == unquoted);
}

void CheckWord(uint32_t word, const char* name, bool ok) {
  FUZZ_CHECK((word & ~kAllChannelBits) == 0);
  // The name fits its buffer, terminated (a name typed longer is cut).
  FUZZ_CHECK(strnlen(name, 256) < 256);
  if (!ok) FUZZ_CHECK(word == kChannelCon);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t control = data[0];
  std::string log_value, err_value;
  SplitAt(InputCString(data + 1, size - 1), '\n', &log_value, &err_value);

  FuzzRun* f = ResetFuzzRun();
  OutputContext& out = f->out;
  out.normal_flags = kChannelCon;
  out.error_flags = kChannelCon;
  if (control & 1) out.control_flags |= kControlLogGiven;
  if (control & 2) out.control_flags |= kControlErrGiven;
  bool ok = SetChannelWord(&out, 'l', (control & 4) ? nullptr : log_value.c_str());
  CheckWord(out.normal_flags, out.log_file_name, ok);
  if (ok) {
    bool err_ok = SetChannelWord(&out, 'e', (control & 8) ? nullptr : err_value.c_str());
    CheckWord(out.error_flags, out.error_file_name, err_ok);
    // ERR belongs to the /e word alone.
    FUZZ_CHECK((out.normal_flags & kChannelErr) == 0);
  }
  // An option that was not given leaves its word at the defaults and its file at the default name.
  if (!(control & 1) && ok) {
    FUZZ_CHECK(out.normal_flags == (kChannelCon | kChannelWrap));
    FUZZ_CHECK(strcmp(out.log_file_name, "lorvex.log") == 0);
  }
  CheckFileName(log_value, kFuzzNow);
  CheckFileName(err_value, 0x7FFFFFFF);
  return 0;
}
