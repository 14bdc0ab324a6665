#include "directory/dir_time.h"

#include <gtest/gtest.h>

#include <cstring>

#include "util/output.h"

namespace {

// An output context whose message buffer shows the last line printed.
struct CapturedOutput {
  OutputContext out;
  CapturedOutput() {
    memset(&out, 0, sizeof out);
    strcpy(out.program_name, "LORVEX");
  }
};

constexpr char kBefore1970[] = "LORVEX: For a date and time, the date must not precede 1-Jan-1970";
// 5 January 2011 10:00:00 as a file time and as seconds since 1970.
constexpr uint64_t kFileTime20110105 = 129386952000000000ULL;
constexpr uint32_t kSeconds20110105 = 1294221600;

}  // namespace

TEST(DirTime, IntervalsAreNegatedWholeSeconds) {
  struct Case {
    int64_t interval;
    uint32_t seconds;
  } cases[] = {
      {-36000000000LL, 3600},                            // one hour
      {static_cast<int64_t>(0x8000000000000000ULL), 0},  // the directory's never value
      {0, 0},
      {-18000000000LL, 1800},
      {-19999999LL, 1},                    // truncated toward zero
      {-864000000000LL * 42, 42 * 86400},  // maxPwdAge of 42 days
  };
  for (const Case& c : cases) EXPECT_EQ(IntervalToSeconds(c.interval), c.seconds) << c.interval;
}

TEST(DirTime, FileTimeNeverAndZeroAreNoneWithoutMessage) {
  CapturedOutput captured;
  EXPECT_EQ(FileTimeToSeconds(&captured.out, 0, 0), 0u);
  EXPECT_EQ(FileTimeToSeconds(&captured.out, 0x7FFFFFFFFFFFFFFFULL, 0), 0u);
  EXPECT_EQ(FileTimeToSeconds(&captured.out, 0x12345678FFFFFFFFULL, 0), 0u);
  EXPECT_STREQ(captured.out.message, "");
}

TEST(DirTime, FileTimeShiftsByTheUtcOffset) {
  EXPECT_EQ(FileTimeToSeconds(nullptr, kFileTime20110105, 0), kSeconds20110105);
  EXPECT_EQ(FileTimeToSeconds(nullptr, kFileTime20110105, 3600), kSeconds20110105 + 3600);
  EXPECT_EQ(FileTimeToSeconds(nullptr, kFileTime20110105, -5 * 3600), kSeconds20110105 - 5 * 3600);
  // Milliseconds are dropped.
  EXPECT_EQ(FileTimeToSeconds(nullptr, kFileTime20110105 + 9999999, 0), kSeconds20110105);
}

TEST(DirTime, FileTimeBefore1970IsRefusedWithErrorLine) {
  CapturedOutput captured;
  // 31 December 1969 23:00:00 UTC.
  EXPECT_EQ(FileTimeToSeconds(&captured.out, 116444700000000000ULL, 0), 0u);
  EXPECT_STREQ(captured.out.message, kBefore1970);
  // The same instant an hour east of UTC is midnight of 1 January 1970 and is accepted.
  EXPECT_EQ(FileTimeToSeconds(nullptr, 116444700000000000ULL, 3600), 0u);
  // The first file times (1601) are before 1970 too.
  captured.out.message[0] = '\0';
  EXPECT_EQ(FileTimeToSeconds(&captured.out, 1, 0), 0u);
  EXPECT_STREQ(captured.out.message, kBefore1970);
}

TEST(DirTime, TimesBeyondTheOneByteYearReadAsNone) {
  // 1 January 2156 00:00:00 UTC cannot be held in a TimeParts.
  EXPECT_EQ(FileTimeToSeconds(nullptr, (5869584000ULL + 11644473600ULL) * 10000000ULL, 0), 0u);
  EXPECT_EQ(UtcTimeToSeconds(2156, 1, 1, 0, 0, 0), 0u);
}

TEST(DirTime, FileTimeWithoutOutputContextIsSilent) {
  EXPECT_EQ(FileTimeToSeconds(nullptr, 116444700000000000ULL, 0), 0u);
}

TEST(DirTime, UtcTimesConvertWithoutOffset) {
  EXPECT_EQ(UtcTimeToSeconds(2011, 1, 5, 10, 0, 0), kSeconds20110105);
  EXPECT_EQ(UtcTimeToSeconds(1970, 1, 1, 0, 0, 1), 1u);
  EXPECT_EQ(UtcTimeToSeconds(1969, 12, 31, 23, 59, 59), 0u);
  EXPECT_EQ(UtcTimeToSeconds(1601, 1, 1, 0, 0, 0), 0u);
}

TEST(DirTime, TimePartsCountLeapDaysOfTheGregorianCalendar) {
  struct Case {
    TimeParts parts;
    uint32_t seconds;
  } cases[] = {
      {{0, 0, 0, 0, 0, 0}, 0},                // all zero: none
      {{70, 1, 1, 0, 0, 0}, 0},               // 1 January 1970
      {{70, 2, 5, 0, 0, 0}, 3024000},         // 5 February 1970
      {{112, 2, 29, 0, 0, 0}, 1330473600},    // 29 February 2012
      {{112, 3, 1, 0, 0, 0}, 1330560000},     // 1 March 2012 counts the leap day of 2012
      {{200, 2, 28, 0, 0, 0}, 4107456000u},   // 28 February 2100
      {{200, 3, 1, 0, 0, 0}, 4107542400u},    // 1 March 2100: 2100 has no leap day
      {{111, 1, 1, 12, 30, 15}, 1293885015},  // 1 January 2011 12:30:15
      {{206, 2, 7, 6, 28, 15}, 4294967295u},  // the last second the representation holds
  };
  for (const Case& c : cases) {
    uint32_t seconds = 12345;
    EXPECT_EQ(TimePartsToSeconds(nullptr, c.parts, &seconds), 0);
    EXPECT_EQ(seconds, c.seconds) << int(c.parts.year) << "-" << int(c.parts.month) << "-"
                                  << int(c.parts.day);
  }
}

TEST(DirTime, TimePartsBefore1970AreRefused) {
  CapturedOutput captured;
  uint32_t seconds = 12345;
  EXPECT_EQ(TimePartsToSeconds(&captured.out, TimeParts{69, 12, 31, 23, 59, 59}, &seconds), 1);
  EXPECT_EQ(seconds, 0u);
  EXPECT_STREQ(captured.out.message, kBefore1970);
  seconds = 12345;
  EXPECT_EQ(TimePartsToSeconds(nullptr, TimeParts{0, 1, 1, 0, 0, 0}, &seconds), 1);
  EXPECT_EQ(seconds, 0u);
}
