// The local clock and zone offset from the C library's time zone (TZ, /etc/localtime).
#include <ctime>

#include "util/zone_clock.h"

bool ReadLocalClock(LocalClock* clock) {
  time_t now = time(nullptr);
  if (now == static_cast<time_t>(-1)) return false;
  struct tm local;
  if (localtime_r(&now, &local) == nullptr) return false;
  clock->year = local.tm_year + 1900;
  clock->month = local.tm_mon + 1;
  clock->day = local.tm_mday;
  clock->hour = local.tm_hour;
  clock->minute = local.tm_min;
  clock->second = local.tm_sec > 59 ? 59 : local.tm_sec;
  // tm_gmtoff already includes daylight saving when it is in force.
  clock->offset_known = true;
  clock->utc_offset_minutes = static_cast<int>(local.tm_gmtoff / 60);
  return true;
}
