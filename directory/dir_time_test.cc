// Calendar parts that no directory value gives: all zero, or a day without year and month.
#include "directory/dir_time.h"

#include <gtest/gtest.h>

TEST(DirTime, ZeroPartsAreTheStartOf1970AndADayAloneIsBeforeIt) {
  uint32_t seconds = 12345;
  EXPECT_EQ(TimePartsToSeconds(nullptr, TimeParts{0, 0, 0, 0, 0, 5}, &seconds), 0);
  EXPECT_EQ(seconds, 5u);
  EXPECT_EQ(TimePartsToSeconds(nullptr, TimeParts{0, 0, 1, 0, 0, 0}, &seconds), 1);
  EXPECT_EQ(seconds, 0u);
}
