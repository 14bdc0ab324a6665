#include "report/heading.h"

#include <gtest/gtest.h>

#include <functional>

#include "util/output.h"

namespace {

constexpr uint32_t k05Jan2011At0904 = 1294218240;
constexpr uint32_t k01Dec2011At2305 = 1322780700;

struct HeadingCase {
  const char* what;
  std::function<void(RunContext*)> set;
  const char* entity;
  const char* label;
  const char* op;
  const char* value;
  const char* file;
  const char* expected;
};

}  // namespace

TEST(Heading, EveryForm) {
  const HeadingCase cases[] = {
      {"input file with operator", [](RunContext*) {}, "", "Bad logon count", "gt", "3", "users.txt",
       "Bad logon count (gt 3) for objects in file users.txt at 5-Jan-2011 9:04"},
      {"input file without operator", [](RunContext*) {}, "", "Account disabled", "", "", "users.txt",
       "Account disabled for objects in file users.txt at 5-Jan-2011 9:04"},
      {"group entity",
       [](RunContext* r) {
         r->entity_given = true;
         r->options.object_class = "group";
       },
       "CN=Staff,OU=Groups", "Bad logon count", "", "", "",
       "Values of \"Bad logon count\" for members of group CN=Staff,OU=Groups at 5-Jan-2011 9:04"},
      {"group class in any case",
       [](RunContext* r) {
         r->entity_given = true;
         r->options.object_class = "GROUP";
       },
       "CN=Staff,OU=Groups", "Bad logon count", "ge", "2", "",
       "Values of \"Bad logon count\" (ge 2) for members of group CN=Staff,OU=Groups at 5-Jan-2011 9:04"},
      {"user entity with operator",
       [](RunContext* r) {
         r->entity_given = true;
         r->options.object_class = "user";
       },
       "CN=Ann,OU=Staff", "Account disabled", "eq", "yes", "",
       "Values of \"Account disabled\" (eq yes) for user CN=Ann,OU=Staff at 5-Jan-2011 9:04"},
      {"searched class",
       [](RunContext* r) {
         r->entity_given = true;
         r->options.object_class = "User";
       },
       "CN=a*", "Last logon date", "lt", "tod-90", "",
       "Values of \"Last logon date\" (lt tod-90) for User CN=a* at 5-Jan-2011 9:04"},
      {"computer entity",
       [](RunContext* r) {
         r->entity_given = true;
         r->options.object_class = "computer";
       },
       "CN=PC01,OU=Desks", "Password last change date", "", "", "",
       "Values of \"Password last change date\" for computer CN=PC01,OU=Desks at 5-Jan-2011 9:04"},
      {"missing class counts as user", [](RunContext* r) { r->entity_given = true; }, "CN=Ann,OU=Staff",
       "Account locked", "", "", "",
       "Values of \"Account locked\" for user CN=Ann,OU=Staff at 5-Jan-2011 9:04"},
      {"running account", [](RunContext* r) { r->options.object_class = "user"; }, "CN=Me,OU=Staff",
       "Account locked", "", "", "", "Values of \"Account locked\" for CN=Me,OU=Staff at 5-Jan-2011 9:04"},
      {"running account ignores the operator", [](RunContext*) {}, "CN=Me,OU=Staff", "Account locked", "eq",
       "no", "", "Values of \"Account locked\" for CN=Me,OU=Staff at 5-Jan-2011 9:04"},
      {"two-digit hour, padded minute", [](RunContext* r) { r->output->fixed_now = k01Dec2011At2305; },
       "CN=Me,OU=Staff", "Account locked", "", "", "",
       "Values of \"Account locked\" for CN=Me,OU=Staff at 1-Dec-2011 23:05"},
      {"the running account named on the command line",
       [](RunContext* r) {
         r->entity_given = true;
         r->options.object_class = "user";
       },
       "CN=Me,OU=Staff", "Account locked", "", "", "",
       "Values of \"Account locked\" for user CN=Me,OU=Staff at 5-Jan-2011 9:04"},
  };
  for (const HeadingCase& c : cases) {
    RunContext run;
    OutputContext out = {};
    out.fixed_now = k05Jan2011At0904;
    run.output = &out;
    run.restriction = kBlc;
    c.set(&run);
    EXPECT_EQ(BuildHeadingLine(&run, c.entity, c.label, c.op, c.value, c.file), c.expected) << c.what;
  }
}

TEST(Heading, SubtreeShowsTheRelativeNameAndPsoValuesTheirShortName) {
  RunContext run;
  OutputContext out = {};
  out.fixed_now = k05Jan2011At0904;
  run.output = &out;
  run.entity_given = true;
  run.options.object_class = "user";
  run.options.subtree = true;
  run.restriction = kPso;
  EXPECT_EQ(BuildHeadingLine(&run, "CN=Ann,OU=Staff,DC=sales,DC=corp", "Password settings object", "eq",
                             "CN=pso1,CN=Password Settings Container,CN=System", ""),
            "Values of \"Password settings object\" (eq pso1) for user CN=Ann at 5-Jan-2011 9:04");
  run.options.subtree = false;
  run.options.name_form = kFormCanonical | kFormNoTypes;
  run.restriction = kWr;
  EXPECT_EQ(BuildHeadingLine(&run, "CN=Ann,OU=Staff,DC=sales,DC=corp", "Workstation restrictions", "eq",
                             "CN=pso1", ""),
            "Values of \"Workstation restrictions\" (eq CN=pso1) for user Ann,Staff at 5-Jan-2011 9:04");
}

namespace {

struct TotalsCase {
  const char* object_class;
  int32_t examined;
  OperatorCode op;
  int32_t selected;
  int32_t errors;
  const char* expected;
};

}  // namespace

TEST(Totals, CountsWithNounSelectedAndErrors) {
  const TotalsCase cases[] = {
      {"", 1, kOpNone, 0, 0, "1 user"},
      {"", 0, kOpNone, 0, 0, "0 users"},
      {"user", 2, kOpNone, 0, 0, "2 users"},
      {"computer", 5, kOpLt, 2, 0, "5 computers, 2 selected"},
      {"", 12, kOpEq, 3, 1, "12 users, 3 selected, 1 error"},
      {"group", 40, kOpNone, 0, 0, "40 users"},
      {"Group", 1, kOpGe, 1, 0, "1 user, 1 selected"},
      {"User", 3, kOpNone, 0, 0, "3 Users"},
      {"inetOrgPerson", 7, kOpNone, 0, 2, "7 inetOrgPersons, 2 errors"},
      {"", 4, kOpNe, 0, 0, "4 users, 0 selected"},
  };
  for (const TotalsCase& c : cases) {
    RunContext run;
    OutputContext out{};
    out.error_count = c.errors;
    run.output = &out;
    run.options.object_class = c.object_class;
    run.examined = c.examined;
    run.op = c.op;
    run.selected = c.selected;
    EXPECT_EQ(BuildTotalsLine(&run), c.expected);
  }
}

TEST(ExitLevel, SelectedCountWithSlashHElseErrors) {
  struct Case {
    bool exit_level;
    int32_t selected;
    int32_t errors;
    int expected;
  } cases[] = {
      {true, 300, 0, 255}, {true, 255, 0, 255}, {true, 7, 0, 7},  {true, 0, 0, 0},
      {true, 7, 3, 7},     {false, 300, 0, 0},  {false, 7, 1, 1}, {false, 0, 12, 1},
  };
  for (const Case& c : cases) {
    RunContext run;
    OutputContext out{};
    out.error_count = c.errors;
    run.output = &out;
    run.options.exit_level = c.exit_level;
    run.selected = c.selected;
    EXPECT_EQ(ExitValue(&run), c.expected) << c.selected << " selected, " << c.errors << " errors";
  }
}
