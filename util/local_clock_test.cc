#include "util/local_clock.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Calendar, SecondsAndDatesConvertBothWaysAcrossLeapRules) {
  const struct {
    int64_t seconds;
    std::vector<int> civil;  // year, month, day, hour, minute, second
  } cases[] = {
      {-1, {1969, 12, 31, 23, 59, 59}},       {1294218487, {2011, 1, 5, 9, 8, 7}},
      {951868799, {2000, 2, 29, 23, 59, 59}},  // 2000 has a leap day
      {4107542400, {2100, 3, 1, 0, 0, 0}},     // 2100 has none
      {1356955200, {2012, 12, 31, 12, 0, 0}},  // the 366th day of a leap year
      {4294967295, {2106, 2, 7, 6, 28, 15}},  {-2208988800, {1900, 1, 1, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    const CivilTime t = CivilFromSeconds(c.seconds);
    EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second}), c.civil) << c.seconds;
    EXPECT_EQ(DaysFromCivil(c.civil[0], c.civil[1], c.civil[2]) * kSecondsPerDay + c.civil[3] * 3600 +
                  c.civil[4] * 60 + c.civil[5],
              c.seconds);
  }
  EXPECT_EQ(DaysFromCivil(2011, 2, 31), DaysFromCivil(2011, 3, 3));  // a day past the month runs on
  const int days_in_month[][3] = {{2011, 2, 28}, {2012, 2, 29}, {2100, 2, 28}, {2000, 2, 29}, {2011, 13, 0}};
  for (const auto& c : days_in_month) EXPECT_EQ(DaysInMonth(c[0], c[1]), c[2]) << c[0] << "-" << c[1];
  EXPECT_STREQ(MonthAbbreviation(13), "XXX");
}
