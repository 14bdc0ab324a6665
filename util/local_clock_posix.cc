// The system clock in local time.
#include <ctime>

#include "util/local_clock.h"

uint32_t LocalClockSeconds() {
  time_t now = time(nullptr);
  struct tm local = {};
  localtime_r(&now, &local);
  return static_cast<uint32_t>(static_cast<int64_t>(now) + local.tm_gmtoff);
}
