// Fuzzes the reading of the account status from a KDC refusal's e-data, a DER structure that
// arrives from the network before any authentication.
#include <cstdint>
#include <string>

#include "directory/ads/kdc_refusal.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string e_data = InputText(data, size);
  uint32_t status = 0;
  if (!KdcErrorStatus(e_data, &status)) {
    FUZZ_CHECK(status == 0);
    return 0;
  }
  // A status is only read from a twelve-byte extended error inside an entry (23 bytes at the least),
  // and it is always an error status.
  FUZZ_CHECK(size >= 23 && (status >> 30) == 3);
  // The extended error holds the status little-endian: its four bytes appear in the input.
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((status >> shift) & 0xFF));
  FUZZ_CHECK(e_data.find(bytes) != std::string::npos);
  // Every refusal maps to an account state or to none, and a mapped one is an account state.
  uint32_t win32 = KdcRefusalToWin32(18, true, status);
  FUZZ_CHECK(win32 == 0 || IsAccountStateError(win32));
  return 0;
}
