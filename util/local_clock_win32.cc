// The system clock in local time.
#include <windows.h>

#include "util/local_clock.h"

uint32_t LocalClockSeconds() {
  // FILETIME counts 100-nanosecond units since 1601; 1970 is 11644473600 seconds later.
  FILETIME utc;
  FILETIME local;
  GetSystemTimeAsFileTime(&utc);
  FileTimeToLocalFileTime(&utc, &local);
  const uint64_t ticks = (static_cast<uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
  return static_cast<uint32_t>(ticks / 10000000ULL - 11644473600ULL);
}
