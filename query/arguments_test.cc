#include "query/arguments.h"

#include <gtest/gtest.h>

#include <cstring>

#include "util/output.h"

namespace {

struct CommandWordsTest : testing::Test {
  void SetUp() override {
    strcpy(out.program_name, "LORVEX");
    out.normal_flags = kChannelCon;
    out.error_flags = kChannelCon;
    run.output = &out;
  }
  // Reads the words of a command line's positional arguments; the entity comes first.
  bool Read(std::vector<std::string> args) {
    args_ = std::move(args);
    out.message[0] = '\0';
    return ReadCommandWords(&run, &args_, &words);
  }
  std::string Message() const { return out.message; }
  OutputContext out{};
  RunContext run;
  CommandWords words;
  std::vector<std::string> args_;
};

// Option texts as the tokenizer gives them: each token after one blank, as typed.
TEST(RequestedInformation, OnlyWholeOptionWordsAskForHelpOrVersion) {
  const struct {
    const char* option_text;
    InformationRequest expected;
  } cases[] = {
      {"", kNoInformation},
      {" --help", kUsageRequested},
      {" /s --help /j", kUsageRequested},
      {" --version", kVersionRequested},
      {" --version --help", kUsageRequested},
      {" --helpful", kNoInformation},
      {" -help", kNoInformation},
      {" /l=\"x --version\"", kNoInformation},
      {" /l=\"a b\" --version", kVersionRequested},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RequestedInformation({"ann"}, c.option_text), c.expected) << c.option_text;
  EXPECT_EQ(RequestedInformation({"?"}, " --version"), kUsageRequested);
}

TEST_F(CommandWordsTest, EntityAloneMeansAllRestrictions) {
  EXPECT_TRUE(Read({"ann"}));
  EXPECT_EQ(run.restriction, kAll);
  EXPECT_EQ(run.op, kOpNone);
  EXPECT_EQ(words.display_name, "All restrictions");
  EXPECT_EQ(words.op_text, "");
  EXPECT_EQ(words.value_text, "");
  EXPECT_TRUE(Read({}));
  EXPECT_EQ(words.display_name, "All restrictions");
}

TEST_F(CommandWordsTest, RestrictionIsLowerCasedBeforeTheLookUp) {
  EXPECT_TRUE(Read({"ann", "LLD"}));
  EXPECT_EQ(run.restriction, kLld);
  EXPECT_EQ(words.display_name, "Last logon date");
  EXPECT_EQ(args_[1], "lld");
  EXPECT_TRUE(Read({"ann", "TR"}));
  EXPECT_EQ(words.display_name, "Logon hours");
}

struct RefusalCase {
  std::vector<std::string> args;
  uint32_t sort_mode;
  const char* message;
};

const RefusalCase kRefusals[] = {
    {{"ann", "ll"}, 0, "LORVEX: Unrecognised account restriction 'll'"},
    {{"ann", "Last"}, 0, "LORVEX: Unrecognised account restriction 'last'"},
    {{"ann"}, 0x20000000, "LORVEX: Cannot sort by value for all restrictions or logon hours"},
    {{"ann", "all"}, 0xA0000000, "LORVEX: Cannot sort by value for all restrictions or logon hours"},
    {{"ann", "lh"}, 0x20000000, "LORVEX: Cannot sort by value for all restrictions or logon hours"},
    {{"ann", "all", "eq", "yes"}, 0, "LORVEX: Cannot follow 'all' with an operator"},
    {{"ann", "all", "eq"}, 0, "LORVEX: Cannot follow 'all' with an operator"},
    {{"ann", "lld", "=<", "today"}, 0, "LORVEX: Unrecognised comparison operator '=<'"},
    {{"ann", "blc", "INC", "5"},
     0,
     "LORVEX: Operators 'include' and '!include' can be used only with field \"Workstation restrictions\""},
    {{"ann", "pe", "gt", "yes"},
     0,
     "LORVEX: Restrictions 'ad', 'ae', 'al, 'pcl', 'pe', 'pne', 'pr', 'pre', 'pur' 'puc' can only be used "
     "with "
     "operators 'eq' and 'ne'"},
    {{"ann", "lh", "lt", "none"},
     0,
     "LORVEX: Restrictions 'ad', 'ae', 'al, 'pcl', 'pe', 'pne', 'pr', 'pre', 'pur' 'puc' can only be used "
     "with "
     "operators 'eq' and 'ne'"},
    {{"ann", "ped", "ge", "none"},
     0,
     "LORVEX: Values 'none', 'n', 'unlimited', 'u', 'locked' and 'l' can only be used with operators '=', "
     "'eq' "
     "and 'ne'"},
    {{"ann", "blc", "gt", "Locked"},
     0,
     "LORVEX: Values 'none', 'n', 'unlimited', 'u', 'locked' and 'l' can only be used with operators '=', "
     "'eq' "
     "and 'ne'"},
    {{"ann", "wr", "in", "n"},
     0,
     "LORVEX: Values 'none', 'n', 'unlimited', 'u', 'locked' and 'l' can only be used with operators '=', "
     "'eq' "
     "and 'ne'"},
    {{"ann", "pmx", "le", "u"},
     0,
     "LORVEX: Values 'none', 'n', 'unlimited', 'u', 'locked' and 'l' can only be used with operators '=', "
     "'eq' "
     "and 'ne'"},
    {{"ann", "pe", "EQ"}, 0, "LORVEX: Operator 'eq' must be followed by a value"},
    {{"ann", "lld", "<"}, 0, "LORVEX: Operator '<' must be followed by a value"},
};

TEST_F(CommandWordsTest, GrammarRulesRefuseWithTheirMessages) {
  for (const RefusalCase& c : kRefusals) {
    run = RunContext();
    run.output = &out;
    run.options.sort_mode = c.sort_mode;
    EXPECT_FALSE(Read(c.args)) << c.message;
    EXPECT_EQ(Message(), c.message);
  }
}

TEST_F(CommandWordsTest, SortByNameIsAllowedForAllAndLogonHours) {
  for (uint32_t mode : {0x10000000u, 0x90000000u}) {
    run.options.sort_mode = mode;
    EXPECT_TRUE(Read({"ann"}));
    EXPECT_TRUE(Read({"ann", "lh"}));
  }
}

struct AcceptedCase {
  std::vector<std::string> args;
  RestrictionCode restriction;
  OperatorCode op;
  const char* op_text;
  const char* value_text;
  uint32_t number;
  uint32_t range;
};

// 1 January 2011 00:00 in local seconds since 1970.
constexpr uint32_t kJan2011 = 1293840000u;

const AcceptedCase kAccepted[] = {
    {{"ann", "ped", "gt", "no"}, kPed, kOpGt, "gt", "no", 0, 0},
    {{"ann", "pcr", "lt", "yes"}, kPcr, kOpLt, "lt", "yes", 1, 0},
    {{"ann", "PE", "NE", "Yes"}, kPe, kOpNe, "ne", "yes", 1, 0},
    {{"ann", "lld", "lt", "01:jan:2011", "12:00"},
     kLld,
     kOpLt,
     "lt",
     "01:jan:2011",
     kJan2011 + 12 * 3600,
     60},
    {{"ann", "lld", "eq", "1:Jan:2011"}, kLld, kOpEq, "eq", "1:jan:2011", kJan2011, 86400},
    {{"ann", "ped", "eq", "none"}, kPed, kOpEq, "eq", "none", 0, 0},
    {{"ann", "blc", "=", "locked"}, kBlc, kOpEq, "=", "locked", 4294967295u, 0},
    {{"ann", "blc", ">=", "1,000"}, kBlc, kOpGe, ">=", "1,000", 1000, 0},
};

TEST_F(CommandWordsTest, AcceptedCommands) {
  for (const AcceptedCase& c : kAccepted) {
    run = RunContext();
    run.output = &out;
    ASSERT_TRUE(Read(c.args)) << c.args[1] << ": " << Message();
    EXPECT_EQ(run.restriction, c.restriction) << c.args[1];
    EXPECT_EQ(run.op, c.op) << c.args[1];
    EXPECT_EQ(words.op_text, c.op_text) << c.args[1];
    EXPECT_EQ(words.value_text, c.value_text) << c.args[1];
    EXPECT_EQ(run.filter_number, c.number) << c.args[1];
    EXPECT_EQ(run.filter_range, c.range) << c.args[1];
  }
}

const RefusalCase kLaterRefusals[] = {
    {{"ann", "pcr", "gt", "0"}, 0, "LORVEX: Illegal value '0' - must be 'yes', 'no', 'true' or 'false'"},
    {{"ann", "ped", "eq", "nope"}, 0, "LORVEX: Invalid value 'nope' found for restriction 'ped'"},
    {{"ann", "blc", "eq", "1.5"}, 0, "LORVEX: Invalid character '.' found in decimal value '1.5'"},
    {{"ann", "lh", "eq", "x"}, 0, "LORVEX: Invalid value 'x' found for restriction 'tr'"},
    {{"ann", "blc", "gt", "5", "6"}, 0, "LORVEX: Too many parameters or missing '/' or '-'"},
    {{"ann", "pe", "eq", "yes", "no"}, 0, "LORVEX: Too many parameters or missing '/' or '-'"},
};

TEST_F(CommandWordsTest, ValueErrorsAndLeftOverWords) {
  for (const RefusalCase& c : kLaterRefusals) {
    run = RunContext();
    run.output = &out;
    EXPECT_FALSE(Read(c.args)) << c.message;
    EXPECT_EQ(Message(), c.message);
  }
}

}  // namespace
