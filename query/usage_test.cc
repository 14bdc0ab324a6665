// The usage text fits the window's table and names every restriction; its whole text is in the
// golden runs (usage-*).
#include "query/usage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "run/restriction_table.h"

namespace {

TEST(Usage, FitsTheWindowTableAndNamesEveryRestrictionKeyword) {
  const int count = UsageLineCount();
  EXPECT_LE(count, 205);
  std::string text;
  for (int i = 0; i < count; ++i) {
    EXPECT_LE(strlen(kUsageLines[i]), 79u) << kUsageLines[i];
    text += std::string(kUsageLines[i]) + "\n";
  }
  for (uint32_t code = 1; code <= 32; ++code) {
    const RestrictionInfo& info = RestrictionRow(static_cast<RestrictionCode>(code));
    if (info.code == kRestrictionNone) continue;
    // Logon hours is listed under "lh", the keyword users know, with "tr" as its alias.
    const std::string keyword = info.code == kLh ? "lh" : info.keyword;
    EXPECT_NE(text.find("  " + keyword + " "), std::string::npos) << keyword;
    EXPECT_NE(text.find(info.label), std::string::npos) << info.label;
  }
}

}  // namespace
