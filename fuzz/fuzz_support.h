// The one harness of the fuzz targets: a run whose output goes nowhere, the check a selector byte
// picks, and small helpers for splitting inputs.
#ifndef LORVEX_FUZZ_FUZZ_SUPPORT_H_
#define LORVEX_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "directory/directory_context.h"
#include "run/run_context.h"
#include "util/output.h"

/// "Now" of every fuzzed run: 5 January 2011 09:08:07 local time.
constexpr uint32_t kFuzzNow = 1294218487;

struct FuzzRun {
  RunContext run;
  OutputContext out;
  DirectoryContext dir;
};
using FuzzCheck = void (*)(FuzzRun* f, const std::string& input);

/// The shared run reset: output routed to nothing, fixed now, empty in-memory directory, g_run set.
FuzzRun* ResetFuzzRun();
/// Resets the run, then runs the check the input's first byte selects (modulo count) on the rest.
int RunSelectedCheck(const FuzzCheck* checks, size_t count, const uint8_t* data, size_t size);
#define FUZZ_TARGET(...)                                                            \
  extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {         \
    static const FuzzCheck kChecks[] = {__VA_ARGS__};                               \
    return RunSelectedCheck(kChecks, sizeof kChecks / sizeof *kChecks, data, size); \
  }

/// The text cut at its first NUL, as a C string would read it.
std::string CString(const std::string& text);
/// Splits text at the first separator; rest is empty when there is none.
void SplitAt(const std::string& text, char separator, std::string* first, std::string* rest);
/// The name of an in-memory file holding contents; one file, rewritten each call.
std::string MemoryFileName(const std::string& contents);
/// Reverses the "\\xx" escapes of an LDAP filter value; false for a backslash without two hex digits.
bool UnescapeHexPairs(const std::string& escaped, std::string* text);

/// Stops the process with a message when an invariant does not hold, so libFuzzer records a crash.
#define FUZZ_CHECK(condition)                                          \
  do {                                                                 \
    if (!(condition)) FuzzCheckFailed(#condition, __FILE__, __LINE__); \
  } while (0)
[[noreturn]] void FuzzCheckFailed(const char* condition, const char* file, int line);

#endif  // LORVEX_FUZZ_FUZZ_SUPPORT_H_
