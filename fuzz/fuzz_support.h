// Shared set-up of the fuzz targets: a run whose output goes nowhere, and input splitting.
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

/// A run, its output state and its directory context, fresh for each input.
struct FuzzRun {
  RunContext run;
  OutputContext out;
  DirectoryContext dir;
};

/// Resets the shared run for the next input: output routed to nothing, fixed now, empty fake
/// directory, g_run pointing at it.
FuzzRun* ResetFuzzRun();

/// The input as text (it may hold any byte, NUL included).
std::string InputText(const uint8_t* data, size_t size);
/// The input cut at its first NUL, as a C string would read it.
std::string InputCString(const uint8_t* data, size_t size);
/// Splits text at the first occurrence of separator; rest is empty when there is none.
void SplitAt(const std::string& text, char separator, std::string* first, std::string* rest);

/// Reverses the "\\xx" escapes of an LDAP filter value; false when a backslash is not followed by
/// two hexadecimal digits.
bool UnescapeHexPairs(const std::string& escaped, std::string* text);

/// Stops the process with a message on stderr when an invariant does not hold, so libFuzzer
/// records the input as a crash.
#define FUZZ_CHECK(condition)                                          \
  do {                                                                 \
    if (!(condition)) FuzzCheckFailed(#condition, __FILE__, __LINE__); \
  } while (0)

[[noreturn]] void FuzzCheckFailed(const char* condition, const char* file, int line);

#endif  // LORVEX_FUZZ_FUZZ_SUPPORT_H_
