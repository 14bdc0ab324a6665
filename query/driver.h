// The main driver: one run from the command line to the exit value.
#ifndef LORVEX_QUERY_DRIVER_H_
#define LORVEX_QUERY_DRIVER_H_

#include <cstdint>

/// What a run takes from outside instead of the clock and the time zone (tests fix both).
struct RunSettings {
  uint32_t fixed_now = 0;     ///< local "now" in seconds; 0 reads the clock
  bool fixed_offset = false;  ///< use local_offset instead of the system's time zone
  int16_t local_offset = 0;   ///< half-hours east of UTC
};

/// Runs the program as the process command line asks; returns the exit value 0 to 255.
int MainRun();
/// The same with the clock and time zone given.
int MainRun(const RunSettings& settings);

#endif  // LORVEX_QUERY_DRIVER_H_
