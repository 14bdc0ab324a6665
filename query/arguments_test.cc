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
    {{"ann", "blc", "INC", "5"}, 0,
     "LORVEX: Operators 'include' and '!include' can be used only with field \"Workstation restrictions\""},
    {{"ann", "pe", "gt", "yes"}, 0,
     "LORVEX: Restrictions 'ad', 'ae', 'al, 'pcl', 'pe', 'pne', 'pr', 'pre', 'pur' 'puc' can only be used with "
     "operators 'eq' and 'ne'"},
    {{"ann", "lh", "lt", "none"}, 0,
     "LORVEX: Restrictions 'ad', 'ae', 'al, 'pcl', 'pe', 'pne', 'pr', 'pre', 'pur' 'puc' can only be used with "
     "operators 'eq' and 'ne'"},
    {{"ann", "ped", "ge", "none"}, 0,
     "LORVEX: Values 'none', 'n', 'unlimited', 'u', 'locked' and 'l' can only be used with operators '=', 'eq' "
     "and 'ne'"},
    {{"ann", "blc", "gt", "Locked"}, 0,
     "LORVEX: Values 'none', 'n', 'unlimited', 'u', 'locked' and 'l' can only be used with operators '=', 'eq' "
     "and 'ne'"},
    {{"ann", "wr", "in", "n"}, 0,
     "LORVEX: Values 'none', 'n', 'unlimited', 'u', 'locked' and 'l' can only be used with operators '=', 'eq' "
     "and 'ne'"},
    {{"ann", "pmx", "le", "u"}, 0,
     "LORVEX: Values 'none', 'n', 'unlimited', 'u', 'locked' and 'l' can only be used with operators '=', 'eq' "
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

}  // namespace
