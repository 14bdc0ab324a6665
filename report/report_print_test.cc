// The report's lines as they reach the console through the message output.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "report/all_report.h"
#include "report/empty_account_test_util.h"
#include "report/heading.h"
#include "report/value_line.h"
#include "util/output.h"

namespace {

constexpr uint32_t k05Jan2011At0904 = 1294218240;

// An output state whose console lines are kept in memory.
class CapturedOutput {
 public:
  CapturedOutput() : out_{} {
    out_.normal_flags = kChannelCon;
    out_.error_flags = kChannelCon;
    out_.console_out = open_memstream(&out_text_, &out_size_);
    out_.console_err = open_memstream(&err_text_, &err_size_);
  }
  ~CapturedOutput() {
    fclose(out_.console_out);
    fclose(out_.console_err);
    free(out_text_);
    free(err_text_);
  }
  OutputContext* context() { return &out_; }
  std::string Ordinary() {
    fflush(out_.console_out);
    return std::string(out_text_, out_size_);
  }
  std::string Errors() {
    fflush(out_.console_err);
    return std::string(err_text_, err_size_);
  }

 private:
  OutputContext out_;
  char* out_text_ = nullptr;
  size_t out_size_ = 0;
  char* err_text_ = nullptr;
  size_t err_size_ = 0;
};

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string Repeat(const std::string& piece, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

}  // namespace

TEST(ReportPrint, ValueLinesOfSeveralObjects) {
  CapturedOutput captured;
  RunContext run;
  run.output = captured.context();
  run.restriction = kBlc;
  RestrictionRecord ann;
  ann.display_name = "Ann Smith";
  ann.bad_logon_count = 3;
  RestrictionRecord bob;
  bob.bad_logon_count = 0xFFFFFFFF;
  WriteObjectLine(&run, "CN=Ann,OU=Staff", ann);
  WriteObjectLine(&run, "CN=Bob,OU=Staff", bob);
  EXPECT_EQ(captured.Ordinary(), Lines({"CN=Ann,OU=Staff (Ann Smith)" + std::string(18, ' ') + "           3",
                                        "CN=Bob,OU=Staff" + std::string(30, ' ') + "      Locked"}));
  EXPECT_EQ(captured.Errors(), "");
}

TEST(ReportPrint, LogonHoursGridWithCommaDelimitedNames) {
  CapturedOutput captured;
  RunContext run;
  run.output = captured.context();
  run.restriction = kLh;
  run.options.comma_delimited = true;
  RestrictionRecord record;  // every hour allowed
  WriteObjectLine(&run, "CN=Ann,OU=Staff", record);
  const std::string all_hours = Repeat("* ", 24);
  EXPECT_EQ(captured.Ordinary(),
            Lines({"", "\"CN=Ann,OU=Staff\",\"\"", "                        1 1 1 1 1 1 1 1 1 1 2 2 2 2",
                   "    0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3", "Mon " + all_hours,
                   "Tue " + all_hours, "Wed " + all_hours, "Thu " + all_hours, "Fri " + all_hours,
                   "Sat " + all_hours, "Sun " + all_hours}));
  EXPECT_STREQ(captured.context()->message, "");
}

TEST(ReportPrint, LogonHoursGridOfValuesOnlyHasABlankNameLine) {
  CapturedOutput captured;
  RunContext run;
  run.output = captured.context();
  run.restriction = kLh;
  run.options.values_only = true;
  RestrictionRecord record;
  for (uint8_t& b : record.logon_hours) b = 0;
  WriteObjectLine(&run, "CN=Ann,OU=Staff", record);
  // The two blank lines collapse into one.
  const std::string no_hours = std::string(48, ' ');
  EXPECT_EQ(
      captured.Ordinary(),
      Lines({"", "                        1 1 1 1 1 1 1 1 1 1 2 2 2 2",
             "    0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3", "Mon " + no_hours, "Tue " + no_hours,
             "Wed " + no_hours, "Thu " + no_hours, "Fri " + no_hours, "Sat " + no_hours, "Sun " + no_hours}));
}

TEST(ReportPrint, AllRestrictionsReportOfAnAccountWithoutLockoutPolicy) {
  CapturedOutput captured;
  RunContext run;
  run.output = captured.context();
  run.restriction = kAll;
  run.options.comma_delimited = true;  // does not change the report
  RestrictionRecord record;
  record.flags = kFlagDisabled;
  WriteObjectLine(&run, "CN=Ann,OU=Staff", record);
  EXPECT_EQ(captured.Ordinary(), Lines(EmptyAccountReport("CN=Ann,OU=Staff", true)));
}

TEST(ReportPrint, TotalsOnlyRunPrintsHeadingBlankAndTotals) {
  CapturedOutput captured;
  RunContext run;
  run.output = captured.context();
  captured.context()->fixed_now = k05Jan2011At0904;
  run.restriction = kBlc;
  run.entity_given = true;
  run.options.object_class = "group";
  run.options.names_only = true;  // what /t leaves
  run.options.values_only = true;
  WriteHeading(&run, "CN=Staff,OU=Groups", "Bad logon count", "", "", "");
  RestrictionRecord member;
  for (int i = 0; i < 40; ++i) {
    ++run.examined;
    WriteObjectLine(&run, "CN=Member,OU=Staff", member);
  }
  WriteTotals(&run);
  EXPECT_EQ(captured.Ordinary(),
            Lines({"Values of \"Bad logon count\" for members of group CN=Staff,OU=Groups at 5-Jan-2011 9:04",
                   "", "40 users"}));
  EXPECT_EQ(ExitValue(&run), 0);
}

TEST(ReportPrint, NoHeadingForAllRestrictions) {
  CapturedOutput captured;
  RunContext run;
  run.output = captured.context();
  run.restriction = kAll;
  run.entity_given = true;
  WriteHeading(&run, "CN=Ann,OU=Staff", "All restrictions", "", "", "");
  EXPECT_EQ(captured.Ordinary(), "");
}

TEST(ReportPrint, TotalsWithErrorsAlsoGoToTheErrorOutput) {
  CapturedOutput captured;
  RunContext run;
  run.output = captured.context();
  run.examined = 12;
  run.op = kOpLt;
  run.selected = 3;
  captured.context()->error_count = 1;
  WriteTotals(&run);
  EXPECT_EQ(captured.Ordinary(), Lines({"", "12 users, 3 selected, 1 error"}));
  EXPECT_EQ(captured.Errors(), Lines({"", "12 users, 3 selected, 1 error"}));
  EXPECT_EQ(captured.context()->error_count, 1);
  EXPECT_EQ(ExitValue(&run), 1);
}

TEST(ReportPrint, NoTotalsWithSlashJ) {
  CapturedOutput captured;
  RunContext run;
  run.output = captured.context();
  run.options.no_headings = true;
  run.examined = 4;
  WriteTotals(&run);
  EXPECT_EQ(captured.Ordinary(), "");
}
