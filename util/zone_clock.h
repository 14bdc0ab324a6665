// The system's local calendar clock and time zone, behind one platform-free interface.
#ifndef LORVEX_UTIL_ZONE_CLOCK_H_
#define LORVEX_UTIL_ZONE_CLOCK_H_

/// The local calendar time at one instant and the zone's offset from UTC at that instant.
struct LocalClock {
  int year;                ///< full year, e.g. 2011
  int month;               ///< 1-12
  int day;                 ///< 1-31
  int hour;                ///< 0-23
  int minute;              ///< 0-59
  int second;              ///< 0-59 (a leap second reads as 59)
  bool offset_known;       ///< false when the system cannot tell the zone
  int utc_offset_minutes;  ///< minutes east of UTC, daylight saving included
};

/// Reads the local calendar time and zone offset now; false when the clock cannot be read.
bool ReadLocalClock(LocalClock* clock);

#endif  // LORVEX_UTIL_ZONE_CLOCK_H_
