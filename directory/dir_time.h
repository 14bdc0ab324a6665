// Directory time conversions into local seconds since 1970.
#ifndef LORVEX_DIRECTORY_DIR_TIME_H_
#define LORVEX_DIRECTORY_DIR_TIME_H_

#include <cstdint>

struct OutputContext;

/// A broken-down time: years since 1900, month 1-12, day, hour, minute, second; all zero = none.
struct TimeParts {
  uint8_t year, month, day, hour, minute, second;
};

/// A file time (100 ns since 1601 UTC) as local seconds; 0 for never, and for dates before 1970
/// (with an error line when out is given).
uint32_t FileTimeToSeconds(OutputContext* out, uint64_t file_time, int32_t utc_offset_seconds);
/// A negative directory interval as seconds; 0 for none and never.
uint32_t IntervalToSeconds(int64_t interval);
/// A UTC calendar time as seconds (no offset applied); 0 before 1970.
uint32_t UtcTimeToSeconds(int year, int month, int day, int hour, int minute, int second);
/// Converts broken-down time; returns 0 when accepted, 1 when before 1970 (seconds 0).
int TimePartsToSeconds(OutputContext* out, const TimeParts& parts, uint32_t* seconds);

#endif  // LORVEX_DIRECTORY_DIR_TIME_H_
