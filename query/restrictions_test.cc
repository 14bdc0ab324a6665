#include "query/restrictions.h"

#include <gtest/gtest.h>

#include <cstring>

#include "util/output.h"

namespace {

struct RestrictionsTest : testing::Test {
  void SetUp() override {
    strcpy(out.program_name, "LORVEX");
    out.normal_flags = kChannelCon;
    out.error_flags = kChannelCon;
    run.output = &out;
  }
  OutputContext out{};
  RunContext run;
};

struct KeywordCase {
  const char* typed;
  RestrictionCode code;
  const char* display_name;
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

TEST_F(RestrictionsTest, EveryKeywordAndAliasGivesItsCodeAndDisplayName) {
  for (const KeywordCase& c : kKeywords) {
    run.restriction = kRestrictionNone;
    std::string display_name;
    EXPECT_TRUE(LookupRestriction(&run, c.typed, &display_name)) << c.typed;
    EXPECT_EQ(run.restriction, c.code) << c.typed;
    EXPECT_EQ(display_name, c.display_name) << c.typed;
  }
}

TEST_F(RestrictionsTest, UnknownOrAbbreviatedKeywordIsRefusedWithItsText) {
  for (const char* typed : {"ll", "last", "lldx", "", "12"}) {
    std::string display_name = "unchanged";
    run.restriction = kAll;
    EXPECT_FALSE(LookupRestriction(&run, typed, &display_name)) << typed;
    EXPECT_EQ(run.restriction, kAll);
    EXPECT_EQ(display_name, "unchanged");
    EXPECT_EQ(std::string(out.message),
              std::string("LORVEX: Unrecognised account restriction '") + typed + "'");
  }
}

TEST_F(RestrictionsTest, KeywordsAreCaseSensitiveAfterTheDriverLowersThem) {
  std::string display_name;
  EXPECT_FALSE(LookupRestriction(&run, "LLD", &display_name));
}

TEST(RestrictionTable, KeywordsOfCodes) {
  EXPECT_STREQ(RestrictionKeyword(kLh), "tr");
  EXPECT_STREQ(RestrictionKeyword(kPmx), "pmx");
  EXPECT_STREQ(RestrictionKeyword(kWr), "wr");
  EXPECT_STREQ(RestrictionKeyword(static_cast<RestrictionCode>(12)), "");
  EXPECT_EQ(FindRestriction(static_cast<RestrictionCode>(12)), nullptr);
  EXPECT_EQ(FindRestriction(kSortByName), nullptr);
}

TEST(RestrictionTable, DateKindsAreExactlyTheEightDateRestrictions) {
  for (uint32_t code = 0; code <= 33; ++code) {
    const bool expected = code == 3 || code == 6 || code == 7 || code == 11 || code == 13 || code == 14 ||
                          code == 18 || code == 21;
    EXPECT_EQ(IsDateRestriction(static_cast<RestrictionCode>(code)), expected) << code;
  }
}

TEST(RestrictionTable, EqualOnlyRestrictions) {
  const RestrictionCode kEqualOnly[] = {kAd, kAe, kAl, kPcl, kPe, kPne, kPr, kPre, kPuc, kPur, kLh};
  for (uint32_t code = 0; code <= 33; ++code) {
    bool expected = false;
    for (RestrictionCode c : kEqualOnly) expected = expected || c == code;
    EXPECT_EQ(IsEqualOnlyRestriction(static_cast<RestrictionCode>(code)), expected) << code;
  }
  EXPECT_FALSE(IsEqualOnlyRestriction(kPcr));
}

TEST(RestrictionTable, PerControllerAndSortableFlags) {
  for (uint32_t code = 1; code <= 32; ++code) {
    const RestrictionInfo* info = FindRestriction(static_cast<RestrictionCode>(code));
    if (code == 12) continue;
    ASSERT_NE(info, nullptr) << code;
    EXPECT_EQ(info->per_controller, code == kLld || code == kMd || code == kAll) << code;
    EXPECT_EQ(info->sortable, code != kLh && code != kAll) << code;
    EXPECT_EQ(CanSortByValue(static_cast<RestrictionCode>(code)), info->sortable) << code;
  }
}

struct OperatorCase {
  const char* text;
  OperatorCode code;
};

const OperatorCase kOperatorSpellings[] = {
    {"eq", kOpEq},       {"=", kOpEq},       {"ne", kOpNe},         {"!=", kOpNe},
    {"gt", kOpGt},       {">", kOpGt},       {"ge", kOpGe},         {">=", kOpGe},
    {"lt", kOpLt},       {"<", kOpLt},       {"le", kOpLe},         {"<=", kOpLe},
    {"in", kOpIncludes}, {"i", kOpIncludes}, {"inc", kOpIncludes},  {"includes", kOpIncludes},
    {"ni", kOpExcludes}, {"!", kOpExcludes}, {"!inc", kOpExcludes}, {"!includes", kOpExcludes},
};

TEST_F(RestrictionsTest, EveryOperatorSpellingForWorkstationRestrictions) {
  for (const OperatorCase& c : kOperatorSpellings) {
    run.op = kOpNone;
    std::string error;
    EXPECT_TRUE(ParseOperator(&run, kWr, c.text, &error)) << c.text;
    EXPECT_EQ(run.op, c.code) << c.text;
    EXPECT_EQ(error, "");
  }
}

TEST_F(RestrictionsTest, UnrecognisedOperators) {
  for (const char* text : {"=<", "=>", "<>", "==", "includesx", "!includesx", "n", "", "lte"}) {
    run.op = kOpNone;
    std::string error;
    EXPECT_FALSE(ParseOperator(&run, kWr, text, &error)) << text;
    EXPECT_EQ(error, std::string("Unrecognised comparison operator '") + text + "'");
    EXPECT_EQ(run.op, kOpNone);
  }
}

TEST_F(RestrictionsTest, IncludesAndExcludesOnlyForWorkstationRestrictions) {
  for (const char* text : {"in", "inc", "i", "ni", "!inc", "!"}) {
    for (RestrictionCode code : {kLld, kPcr, kPso, kBlc, kAd}) {
      run.op = kOpNone;
      std::string error;
      EXPECT_FALSE(ParseOperator(&run, code, text, &error)) << text;
      EXPECT_EQ(
          error,
          "Operators 'include' and '!include' can be used only with field \"Workstation restrictions\"");
      EXPECT_EQ(run.op, kOpNone);
    }
  }
}

TEST_F(RestrictionsTest, OrderingOperatorsParseForAnyRestriction) {
  std::string error;
  EXPECT_TRUE(ParseOperator(&run, kPe, "gt", &error));
  EXPECT_EQ(run.op, kOpGt);
  EXPECT_TRUE(ParseOperator(&run, kPcr, "lt", &error));
  EXPECT_EQ(run.op, kOpLt);
}

}  // namespace
