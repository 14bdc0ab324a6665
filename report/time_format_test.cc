#include "report/time_format.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TimeParts Parts(int year, int month, int day, int hour, int minute, int second) {
  return TimeParts{static_cast<uint8_t>(year - 1900), static_cast<uint8_t>(month),
                   static_cast<uint8_t>(day),         static_cast<uint8_t>(hour),
                   static_cast<uint8_t>(minute),      static_cast<uint8_t>(second)};
}

}  // namespace

TEST(TimeFormat, SplitTimeCountsYearsFrom1900AndZeroIsNone) {
  TimeParts p = SplitTime(4294967295u);  // 7 February 2106 06:28:15
  EXPECT_EQ((std::vector<int>{p.year, p.month, p.day, p.hour, p.minute, p.second}),
            (std::vector<int>{206, 2, 7, 6, 28, 15}));
  p = SplitTime(0);
  EXPECT_EQ(p.year + p.month + p.day + p.hour + p.minute + p.second, 0);
}

TEST(TimeFormat, DatesAndDateTimes) {
  struct Case {
    TimeParts parts;
    int width;
    std::string date;
    const char* date_time;
  } cases[] = {
      {Parts(2011, 1, 5, 13, 4, 5), 20, "05-Jan-2011", "05-Jan-2011 13:04:05"},
      {Parts(2011, 12, 31, 0, 0, 0), 0, "31-Dec-2011", "31-Dec-2011 00:00:00"},
      {Parts(2011, 13, 1, 0, 0, 0), 20, "01-XXX-2011", "01-XXX-2011 00:00:00"},
      {Parts(2011, 0, 1, 0, 0, 0), 20, "01-XXX-2011", "01-XXX-2011 00:00:00"},
      {TimeParts{}, 20, "                None", "                None"},
      {TimeParts{}, 0, "None", "None"},
      {TimeParts{}, 4, "None", "None"},
      {TimeParts{}, 11, "       None", "       None"},
      {TimeParts{}, 254, std::string(46, ' ') + "None", nullptr},
      {TimeParts{}, 255, "No expiry date", nullptr},
      {TimeParts{}, 300, "No expiry date", nullptr},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatDate(c.parts, c.width), c.date) << c.width;
    if (c.date_time) {
      EXPECT_EQ(FormatDateTime(c.parts, c.width), c.date_time) << c.width;
    }
  }
}

TEST(TimeFormat, DateTimeNoneIsCappedAtFiftyCharacters) {
  EXPECT_EQ(FormatDateTime(TimeParts{}, 255), std::string(46, ' ') + "None");
  EXPECT_EQ(FormatDateTime(TimeParts{}, -3), "None");
}

TEST(TimeFormat, TimeOfDayAloneStillFormatsAsDateTime) {
  // Only a missing date with a time of day: the date-time formatter shows it, the date one says None.
  TimeParts p{0, 0, 0, 1, 0, 0};
  EXPECT_EQ(FormatDateTime(p, 20), "00-XXX-1900 01:00:00");
  EXPECT_EQ(FormatDate(p, 20), "                None");
}

TEST(TimeFormat, Durations) {
  struct Case {
    uint32_t seconds;
    const char* text;
  } cases[] = {
      {0, "0:00:00:00"},
      {1800, "0:00:30:00"},
      {42u * 86400, "42:00:00:00"},
      {86400 + 3600 * 2 + 60 * 3 + 4, "1:02:03:04"},
      {86399, "0:23:59:59"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDuration(c.seconds), c.text) << c.seconds;
}
