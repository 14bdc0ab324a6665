// Missing dates in the widths the reports give them; dates and durations themselves are in the
// golden runs (all-*, kind-*, report-clock).
#include "report/time_format.h"

#include <gtest/gtest.h>

namespace {

TEST(TimeFormat, AMissingDateReadsNoneRightAlignedInAtMostFiftyColumns) {
  const TimeParts none{};
  EXPECT_EQ(FormatDate(none, 255), "No expiry date");
  EXPECT_EQ(FormatDate(none, 254), std::string(46, ' ') + "None");
  EXPECT_EQ(FormatDateTime(none, 300), std::string(46, ' ') + "None");
  EXPECT_EQ(FormatDateTime(none, -3), "None");
  // A time of day without a date is still a time, and no date.
  const TimeParts hour_only{0, 0, 0, 1, 0, 0};
  EXPECT_EQ(FormatDateTime(hour_only, 20), "00-XXX-1900 01:00:00");
  EXPECT_EQ(FormatDate(hour_only, 20), "                None");
  EXPECT_EQ(FormatDate(TimeParts{111, 13, 1, 0, 0, 0}, 20), "01-XXX-2011");
}

}  // namespace
