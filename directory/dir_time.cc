// Placeholder: replaced by the real implementation.
#include "directory/dir_time.h"
uint32_t FileTimeToSeconds(OutputContext*, uint64_t, int32_t) { return 0; }
uint32_t IntervalToSeconds(int64_t) { return 0; }
uint32_t UtcTimeToSeconds(int, int, int, int, int, int) { return 0; }
uint32_t CurrentTimeSeconds() { return 0; }
int TimePartsToSeconds(OutputContext*, const TimeParts&, uint32_t* s) { *s = 0; return 1; }
