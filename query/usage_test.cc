#include "query/usage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "query/program_options.h"
#include "run/restriction_table.h"

namespace {

std::string UsageText() {
  std::string text;
  for (int i = 0; i < UsageLineCount(); ++i) text += std::string(kUsageLines[i]) + "\n";
  return text;
}

TEST(Usage, FitsTheWindowTable) {
  const int count = UsageLineCount();
  EXPECT_GT(count, 100);
  EXPECT_LE(count, 205);
  EXPECT_EQ(kUsageLines[count][0], '^');
  for (int i = 0; i < count; ++i) {
    EXPECT_LE(strlen(kUsageLines[i]), 79u) << kUsageLines[i];
    EXPECT_NE(kUsageLines[i][0], '^') << i;
  }
}

TEST(Usage, NamesEveryRestrictionKeywordAndAlias) {
  const std::string text = UsageText();
  for (uint32_t code = 1; code <= 32; ++code) {
    const RestrictionInfo& info = RestrictionRow(static_cast<RestrictionCode>(code));
    if (info.code == kRestrictionNone) continue;
    // Logon hours is listed under "lh", the keyword users know, with "tr" as its alias.
    const std::string keyword = info.code == kLh ? "lh" : info.keyword;
    EXPECT_NE(text.find("  " + keyword + " "), std::string::npos) << keyword;
    EXPECT_NE(text.find(info.label), std::string::npos) << info.label;
  }
  for (const char* alias : {"[tr]", "[mpl]", "[pei]", "[ucp]", "[upr]", "[ar sr]"}) {
    EXPECT_NE(text.find(alias), std::string::npos) << alias;
  }
}

TEST(Usage, NamesEveryOperatorSpelling) {
  const std::string text = UsageText();
  for (const char* op : {" eq ", " = ", " ne ", " != ", " gt ", " > ", " ge ", " >= ", " lt ", " < ", " le ",
                         " <= ", " in ", " ni ", "includes"}) {
    EXPECT_NE(text.find(op), std::string::npos) << op;
  }
}

TEST(Usage, NamesEveryOptionLetter) {
  const std::string text = UsageText();
  for (const char* letters : {kPlainOptionLetters, kValuedOptionLetters}) {
    for (const char* p = letters; *p; ++p) {
      EXPECT_NE(text.find(std::string("  /") + *p), std::string::npos) << *p;
    }
  }
  for (const char* keyword :
       {"APPEND", "DATE", "TIME", "WRAP", "NOWRAP", "CHAR", "NOCHAR", "NONE", "CON", "NOCON", "NOLOG", "LOG",
        "ERR", "NOERR", "NOBLANKS", "SEPARATOR", "ZEMUTILS", "zemutils.ini"}) {
    EXPECT_NE(text.find(keyword), std::string::npos) << keyword;
  }
}

TEST(Usage, ShowUsagePrintsTheLinesToStandardOutput) {
  testing::internal::CaptureStdout();
  ShowUsage();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), UsageText());
}

}  // namespace
