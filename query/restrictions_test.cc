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

TEST_F(RestrictionsTest, UnknownOrAbbreviatedKeywordIsRefusedWithItsText) {
  for (const char* typed : {"ll", ""}) {
    std::string display_name = "unchanged";
    run.restriction = kAll;
    EXPECT_FALSE(LookupRestriction(&run, typed, &display_name)) << typed;
    EXPECT_EQ(run.restriction, kAll);
    EXPECT_EQ(display_name, "unchanged");
    EXPECT_EQ(std::string(out.message),
              std::string("LORVEX: Unrecognised account restriction '") + typed + "'");
  }
}

TEST_F(RestrictionsTest, AKnownKeywordSetsTheCodeAndGivesTheLabel) {
  std::string label;
  EXPECT_TRUE(LookupRestriction(&run, "lh", &label));
  EXPECT_EQ(run.restriction, kLh);
  EXPECT_EQ(label, "Logon hours");
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
