// The local clock and zone offset from the Windows time zone settings.
#include <windows.h>

#include "util/zone_clock.h"

bool ReadLocalClock(LocalClock* clock) {
  SYSTEMTIME local;
  GetLocalTime(&local);
  clock->year = local.wYear;
  clock->month = local.wMonth;
  clock->day = local.wDay;
  clock->hour = local.wHour;
  clock->minute = local.wMinute;
  clock->second = local.wSecond;
  TIME_ZONE_INFORMATION zone;
  DWORD which = GetTimeZoneInformation(&zone);
  // The bias is in minutes west of UTC; an unknown zone (or a failed call) leaves no offset.
  clock->offset_known = true;
  if (which == TIME_ZONE_ID_STANDARD) {
    clock->utc_offset_minutes = -static_cast<int>(zone.Bias);
  } else if (which == TIME_ZONE_ID_DAYLIGHT) {
    clock->utc_offset_minutes = -static_cast<int>(zone.Bias + zone.DaylightBias);
  } else {
    clock->offset_known = false;
    clock->utc_offset_minutes = 0;
  }
  return true;
}
