// The system clock and zone offset from the C library's time zone (TZ, /etc/localtime).
#include <ctime>

#include "util/local_clock.h"

bool ReadSystemClock(ClockReading* reading) {
  const time_t now = time(nullptr);
  if (now == static_cast<time_t>(-1)) return false;
  struct tm local;
  if (localtime_r(&now, &local) == nullptr) return false;
  // tm_gmtoff already includes daylight saving when it is in force.
  reading->local_seconds = static_cast<int64_t>(now) + local.tm_gmtoff;
  reading->offset_known = true;
  reading->utc_offset_minutes = static_cast<int>(local.tm_gmtoff / 60);
  return true;
}
