// The harness shared by the fuzz targets.
#include "fuzz/fuzz_support.h"

#include <sanitizer/common_interface_defs.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "directory/ads/fake/ads_fake.h"

FuzzRun* ResetFuzzRun() {
  static FuzzRun fuzz_run;
  FuzzRun* f = &fuzz_run;
  f->run = RunContext();
  f->dir = DirectoryContext();
  memset(&f->out, 0, sizeof f->out);
  // Channel words without CON, LOG or ERR: messages go nowhere while they are still formatted.
  f->out.normal_flags = f->out.error_flags = kChannelWrap;
  f->out.fixed_now = kFuzzNow;
  snprintf(f->out.program_name, sizeof f->out.program_name, "LORVEX");
  f->dir.path_prefix = "LDAP://";
  f->run.output = &f->out;
  f->run.directory = &f->dir;
  g_run = &f->run;
  FakeReset();
  return f;
}

int RunSelectedCheck(const FuzzCheck* checks, size_t count, const uint8_t* data, size_t size) {
  if (size > 0)
    checks[data[0] % count](ResetFuzzRun(), std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  return 0;
}

std::string CString(const std::string& text) { return text.substr(0, text.find('\0')); }

void SplitAt(const std::string& text, char separator, std::string* first, std::string* rest) {
  size_t at = text.find(separator);
  *first = text.substr(0, at);
  *rest = at == std::string::npos ? std::string() : text.substr(at + 1);
}

std::string MemoryFileName(const std::string& contents) {
  static int fd = memfd_create("fuzz-input", 0);
  FUZZ_CHECK(fd >= 0 && ftruncate(fd, 0) == 0);
  FUZZ_CHECK(pwrite(fd, contents.data(), contents.size(), 0) == static_cast<ssize_t>(contents.size()));
  return "/proc/self/fd/" + std::to_string(fd);
}

bool UnescapeHexPairs(const std::string& escaped, std::string* text) {
  text->clear();
  for (size_t i = 0; i < escaped.size(); ++i) {
    const char* pair = escaped.c_str() + i + 1;
    if (escaped[i] == '\\' &&
        !(isxdigit(static_cast<unsigned char>(pair[0])) && isxdigit(static_cast<unsigned char>(pair[1]))))
      return false;
    text->push_back(escaped[i] == '\\' ? static_cast<char>(strtol(std::string(pair, 2).c_str(), nullptr, 16))
                                       : escaped[i]);
    i += escaped[i] == '\\' ? 2 : 0;
  }
  return true;
}

void FuzzCheckFailed(const char* condition, const char* file, int line) {
  // The sanitizer's report channel stays open when libFuzzer closes the target's stderr.
  char summary[512];
  snprintf(summary, sizeof summary, "invariant failed at %s:%d: %s", file, line, condition);
  __sanitizer_report_error_summary(summary);
  abort();
}
