// Directory times in the program's seconds: the "never" values, the offset, 1970 and the end of
// the 32-bit range, and the leap days of the calendar.
#include "directory/dir_time.h"

#include <gtest/gtest.h>

#include "util/output.h"

namespace {

constexpr char kBefore1970[] = "LORVEX: For a date and time, the date must not precede 1-Jan-1970";

TEST(DirTime, FileTimesAndIntervalsInSeconds) {
  constexpr uint64_t k20110105 = 129386952000000000ULL;  // 5 January 2011 10:00:00 UTC
  constexpr uint64_t k1969 = 116444700000000000ULL;      // 31 December 1969 23:00:00 UTC
  const struct {
    uint64_t file_time;
    int32_t offset;
    uint32_t seconds;
    const char* message;
  } cases[] = {
      {k20110105, 0, 1294221600, ""},
      {k20110105 + 9999999, 3600, 1294225200, ""},  // parts of a second dropped, an hour east
      {k20110105, -5 * 3600, 1294203600, ""},
      {0, 0, 0, ""},
      {0x7FFFFFFFFFFFFFFFULL, 0, 0, ""},
      {0x12345678FFFFFFFFULL, 0, 0, ""},
      {k1969, 3600, 0, ""},  // midnight of 1 January 1970 an hour east
      {k1969, 0, 0, kBefore1970},
      {1, 0, 0, kBefore1970},
      {(5869584000ULL + 11644473600ULL) * 10000000ULL, 0, 0, ""},  // 2156, past the range
  };
  for (const auto& c : cases) {
    OutputContext out{};
    strcpy(out.program_name, "LORVEX");
    EXPECT_EQ(FileTimeToSeconds(&out, c.file_time, c.offset), c.seconds) << c.file_time;
    EXPECT_STREQ(out.message, c.message) << c.file_time;
  }
  const std::pair<int64_t, uint32_t> intervals[] = {
      {-36000000000LL, 3600}, {INT64_MIN, 0}, {0, 0}, {-19999999LL, 1}, {-864000000000LL * 42, 42 * 86400}};
  for (const auto& [interval, seconds] : intervals)
    EXPECT_EQ(IntervalToSeconds(interval), seconds) << interval;
}

TEST(DirTime, CalendarTimesCountTheLeapDaysOfTheGregorianCalendar) {
  const struct {
    TimeParts parts;
    uint32_t seconds;
  } cases[] = {
      {{0, 0, 0, 0, 0, 0}, 0},                // none
      {{70, 2, 5, 0, 0, 0}, 3024000},         // 5 February 1970
      {{112, 2, 29, 0, 0, 0}, 1330473600},    // 29 February 2012
      {{112, 3, 1, 0, 0, 0}, 1330560000},     // 1 March 2012
      {{200, 3, 1, 0, 0, 0}, 4107542400u},    // 1 March 2100: 2100 has no leap day
      {{111, 1, 1, 12, 30, 15}, 1293885015},  // 1 January 2011 12:30:15
      {{206, 2, 7, 6, 28, 15}, 4294967295u},  // the last second of the range
  };
  for (const auto& c : cases) {
    uint32_t seconds = 12345;
    EXPECT_EQ(TimePartsToSeconds(nullptr, c.parts, &seconds), 0);
    EXPECT_EQ(seconds, c.seconds) << int(c.parts.year) << "-" << int(c.parts.month) << "-"
                                  << int(c.parts.day);
  }
  OutputContext out{};
  strcpy(out.program_name, "LORVEX");
  uint32_t seconds = 12345;
  EXPECT_EQ(TimePartsToSeconds(&out, TimeParts{69, 12, 31, 23, 59, 59}, &seconds), 1);
  EXPECT_EQ(seconds, 0u);
  EXPECT_STREQ(out.message, kBefore1970);
  EXPECT_EQ(UtcTimeToSeconds(1970, 1, 1, 0, 0, 1), 1u);
  EXPECT_EQ(UtcTimeToSeconds(1601, 1, 1, 0, 0, 0), 0u);
  EXPECT_EQ(UtcTimeToSeconds(2156, 1, 1, 0, 0, 0), 0u);
}

}  // namespace
