// The system clock and zone offset from the Windows time zone settings.
#include <windows.h>

#include "util/local_clock.h"

bool ReadSystemClock(ClockReading* reading) {
  // FILETIME counts 100-nanosecond units since 1601; 1970 is 11644473600 seconds later.
  FILETIME utc;
  FILETIME local;
  GetSystemTimeAsFileTime(&utc);
  if (!FileTimeToLocalFileTime(&utc, &local)) return false;
  const uint64_t ticks = (static_cast<uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
  reading->local_seconds = static_cast<int64_t>(ticks / 10000000ULL) - 11644473600LL;
  TIME_ZONE_INFORMATION zone;
  const DWORD which = GetTimeZoneInformation(&zone);
  // The bias is in minutes west of UTC; an unknown zone (or a failed call) leaves no offset.
  reading->offset_known = which == TIME_ZONE_ID_STANDARD || which == TIME_ZONE_ID_DAYLIGHT;
  reading->utc_offset_minutes = 0;
  if (which == TIME_ZONE_ID_STANDARD) reading->utc_offset_minutes = -static_cast<int>(zone.Bias);
  if (which == TIME_ZONE_ID_DAYLIGHT)
    reading->utc_offset_minutes = -static_cast<int>(zone.Bias + zone.DaylightBias);
  return true;
}
