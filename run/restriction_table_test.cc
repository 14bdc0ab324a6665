#include "run/restriction_table.h"

#include <gtest/gtest.h>

namespace {

struct KeywordCase {
  const char* typed;
  RestrictionCode code;
  const char* label;
};

const KeywordCase kKeywords[] = {
    {"ad", kAd, "Account disabled"},
    {"ae", kAe, "Account expired"},
    {"aed", kAed, "Account expiration date"},
    {"al", kAl, "Account locked"},
    {"blc", kBlc, "Bad logon count"},
    {"cd", kCd, "Creation date"},
    {"ild", kIld, "Intruder lockout date"},
    {"ilp", kIlp, "Intruder lockout period"},
    {"ilr", kIlr, "Intruder reset period"},
    {"ilt", kIlt, "Intruder lockout threshold"},
    {"lld", kLld, "Last logon date"},
    {"lud", kLud, "Last unsuccessful logon date"},
    {"md", kMd, "Modification date"},
    {"pcr", kPcr, "Password complexity required"},
    {"pcl", kPcl, "Password change next logon"},
    {"pe", kPe, "Password expired"},
    {"ped", kPed, "Password expiration date"},
    {"phl", kPhl, "Password history length"},
    {"pmx", kPmx, "Password maximum age"},
    {"pei", kPmx, "Password maximum age"},
    {"plc", kPlc, "Password last change date"},
    {"pml", kPml, "Password minimum length"},
    {"mpl", kPml, "Password minimum length"},
    {"pmn", kPmn, "Password minimum age"},
    {"pne", kPne, "Password never expires"},
    {"pr", kPr, "Password required"},
    {"pre", kPre, "Password reversible encryption"},
    {"pso", kPso, "Password settings object"},
    {"puc", kPuc, "Password user can change"},
    {"ucp", kPuc, "Password user can change"},
    {"pur", kPur, "Password unique required"},
    {"upr", kPur, "Password unique required"},
    {"lh", kLh, "Logon hours"},
    {"tr", kLh, "Logon hours"},
    {"wr", kWr, "Workstation restrictions"},
    {"ar", kWr, "Workstation restrictions"},
    {"sr", kWr, "Workstation restrictions"},
    {"all", kAll, "All restrictions"},
};

}  // namespace

TEST(RestrictionTable, EveryKeywordAndAliasNamesItsRow) {
  for (const KeywordCase& c : kKeywords) {
    const RestrictionInfo* info = FindRestrictionKeyword(c.typed);
    ASSERT_NE(info, nullptr) << c.typed;
    EXPECT_EQ(info->code, c.code) << c.typed;
    EXPECT_STREQ(info->label, c.label) << c.typed;
    EXPECT_EQ(&RestrictionRow(c.code), info) << c.typed;
  }
  // Abbreviations and upper case name nothing: the driver lowers the keyword before the look-up.
  for (const char* typed : {"ll", "last", "lldx", "", "12", "LLD"})
    EXPECT_EQ(FindRestrictionKeyword(typed), nullptr);
  EXPECT_EQ(RestrictionRow(static_cast<RestrictionCode>(12)).code, kRestrictionNone);
  EXPECT_STREQ(RestrictionRow(kSortByName).keyword, "");
}
