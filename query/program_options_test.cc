#include "query/program_options.h"

#include <gtest/gtest.h>

#include <cstring>

#include "util/output.h"

namespace {

struct OptionValuesTest : testing::Test {
  void SetUp() override {
    strcpy(out.program_name, "LORVEX");
    out.normal_flags = kChannelCon;
    out.error_flags = kChannelCon;
    run.output = &out;
  }
  std::string Message() const { return out.message; }
  OutputContext out{};
  RunContext run;
};

struct LayoutCase {
  const char* value;
  int count;
  const char* letters;
  int widths[kMaxColumns];
  int line_width;
};

const LayoutCase kLayouts[] = {
    {"d:15,u:30,v", 3, "duv", {15, 30, 20}, 15 + 30 + 20 + 2},
    {"d15u30v", 3, "duv", {15, 30, 20}, 67},
    {"df", 2, "df", {15, 20}, 36},
    {"DF", 2, "df", {15, 20}, 36},
    {"v=0", 1, "v", {20}, 20},
    {"u:5", 1, "u", {5}, 5},
    {"d,f,u,v,v", 5, "dfuvv", {15, 20, 20, 20, 20}, 99},
    {"u:3000,v:3000,f:3000,d:3000,u:4379", 5, "uvfdu", {3000, 3000, 3000, 3000, 4379}, 16383},
};

TEST_F(OptionValuesTest, ColumnLayouts) {
  for (const LayoutCase& c : kLayouts) {
    ASSERT_TRUE(ParseColumnLayout(&run, c.value)) << c.value << ": " << Message();
    const ColumnFormat& columns = run.options.columns;
    ASSERT_EQ(columns.count, c.count) << c.value;
    for (int i = 0; i < c.count; ++i) {
      EXPECT_EQ(columns.letters[i], c.letters[i]) << c.value << " field " << i;
      EXPECT_EQ(columns.widths[i], c.widths[i]) << c.value << " field " << i;
    }
    EXPECT_EQ(columns.line_width, c.line_width) << c.value;
  }
}

struct LayoutErrorCase {
  const char* value;
  const char* message;
};

const LayoutErrorCase kLayoutErrors[] = {
    {"dx", "LORVEX: Invalid field 'x' in format string 'dx'"},
    {"D:10,X", "LORVEX: Invalid field 'x' in format string 'd:10,x'"},
    {",d", "LORVEX: Invalid field ',' in format string ',d'"},
    {"d:15x", "LORVEX: Invalid field 'x' in format string 'd:15x'"},
    {"d,f,u,v,d,f", "LORVEX: Too many output fields in 'd,f,u,v,d,f' (maximum = 5)"},
    {"u:3000,v:3000,f:3000,d:3000,u:4380", "LORVEX: The output line defined via /a exceeds 16384 chars"},
    {"v:99999999999", "LORVEX: The output line defined via /a exceeds 16384 chars"},
};

TEST_F(OptionValuesTest, ColumnLayoutErrors) {
  for (const LayoutErrorCase& c : kLayoutErrors) {
    EXPECT_FALSE(ParseColumnLayout(&run, c.value)) << c.value;
    EXPECT_EQ(Message(), c.message);
    EXPECT_EQ(run.options.columns.count, 0) << c.value;
    EXPECT_EQ(run.options.columns.line_width, 0) << c.value;
  }
}

struct SortCase {
  const char* value;  // null: /s alone
  uint32_t mode;
};

const SortCase kSorts[] = {
    {nullptr, 0x10000000}, {"u", 0x10000000}, {"d", 0x10000000},  {"v", 0x20000000}, {"vr", 0xA0000000},
    {"rv", 0xA0000000},    {"r", 0x90000000}, {"ur", 0x90000000}, {"V", 0x20000000},
};

TEST_F(OptionValuesTest, SortValues) {
  for (const SortCase& c : kSorts) {
    run.options.sort_mode = 0;
    EXPECT_TRUE(ParseSortValue(&run, c.value)) << (c.value ? c.value : "(none)");
    EXPECT_EQ(run.options.sort_mode, c.mode) << (c.value ? c.value : "(none)");
  }
}

TEST_F(OptionValuesTest, SortValueErrors) {
  for (const char* value : {"uv", "dv", "ud", "x", "vx", "n"}) {
    run.options.sort_mode = 0;
    EXPECT_FALSE(ParseSortValue(&run, value)) << value;
    EXPECT_EQ(Message(), "LORVEX: A sort value may include only one of 'u' or 'v'; and/or 'r'");
    EXPECT_EQ(run.options.sort_mode, 0u);
  }
}

struct ClassCase {
  const char* value;
  const char* object_class;
};

const ClassCase kClasses[] = {
    {"u", "user"},          {"user", "user"},          {"USER", "user"},
    {"g", "group"},         {"grou", "group"},         {"c", "computer"},
    {"comp", "computer"},   {"p", "person"},           {"person", "person"},
    {"i", "inetOrgPerson"}, {"inet", "inetOrgPerson"}, {"INETORGPERSON", "inetOrgPerson"},
};

TEST_F(OptionValuesTest, ObjectClassesByAnyBeginning) {
  for (const ClassCase& c : kClasses) {
    run.options.object_class.clear();
    EXPECT_TRUE(ParseObjectClass(&run, c.value)) << c.value;
    EXPECT_EQ(run.options.object_class, c.object_class);
  }
}

TEST_F(OptionValuesTest, UnknownObjectClass) {
  for (const char* value : {"x", "users", "contact", "inetorgpersons"}) {
    run.options.object_class.clear();
    EXPECT_FALSE(ParseObjectClass(&run, value)) << value;
    EXPECT_EQ(Message(), "LORVEX: An object class must be user, computer, inetOrgPerson, person or group");
    EXPECT_EQ(run.options.object_class, "");
  }
}

struct FormCase {
  const char* value;
  uint32_t form;
};

const FormCase kForms[] = {
    {"c", 1},   {"s", 2},   {"n", 4},    {"l", 8},    {"d", 16},   {"p", 32},   {"g", 64},
    {"u", 128}, {"t", 256}, {"cu", 129}, {"uc", 129}, {"SU", 130}, {"uu", 128}, {"utu", 384},
};

TEST_F(OptionValuesTest, NameForms) {
  for (const FormCase& c : kForms) {
    run.options.name_form = kFormCanonical;
    EXPECT_TRUE(ParseNameForm(&run, c.value)) << c.value;
    EXPECT_EQ(run.options.name_form, c.form) << c.value;
  }
}

TEST_F(OptionValuesTest, NameFormErrors) {
  const LayoutErrorCase kCases[] = {
      {"cn", "LORVEX: Value 'cn' for /y is invalid"},
      {"x", "LORVEX: Value 'x' for /y is invalid"},
      {"CC", "LORVEX: Value 'cc' for /y is invalid"},
      {"ucs", "LORVEX: Value 'ucs' for /y is invalid"},
  };
  for (const LayoutErrorCase& c : kCases) {
    run.options.name_form = kFormCanonical;
    EXPECT_FALSE(ParseNameForm(&run, c.value)) << c.value;
    EXPECT_EQ(Message(), c.message);
    EXPECT_EQ(run.options.name_form, kFormCanonical);
  }
}

// Options as the driver applies them, read from an option text alone.
struct OptionEffectsTest : OptionValuesTest {
  void TearDown() override { g_silent = false; }
  int Process(const std::string& option_text, int positional_count = 1) {
    return ProcessProgramOptions(&run, option_text, positional_count);
  }
};

TEST_F(OptionEffectsTest, PlainLettersSetTheirFlags) {
  ASSERT_EQ(Process(" /$ /c /f /g /h /j /n /u /v /x"), 0);
  const ProgramOptions& o = run.options;
  EXPECT_TRUE(o.single_controller && o.comma_delimited && o.file_mode && o.nested_groups && o.exit_level &&
              o.no_headings && o.no_display_name && o.names_only && o.values_only && o.subtree);
  EXPECT_FALSE(o.totals_only);
  EXPECT_EQ(o.sort_mode, 0u);
  EXPECT_EQ(o.name_form, kFormCanonical);
}

TEST_F(OptionEffectsTest, TotalsOnlyCancelsLayoutAndSorting) {
  ASSERT_EQ(Process(" /t /a=d,u /s=v"), 0);
  EXPECT_TRUE(run.options.totals_only);
  EXPECT_TRUE(run.options.names_only);
  EXPECT_TRUE(run.options.values_only);
  EXPECT_EQ(run.options.columns.count, 0);
  EXPECT_EQ(run.options.sort_mode, 0u);
}

TEST_F(OptionEffectsTest, LayoutClearsNamesValuesAndDisplayNames) {
  ASSERT_EQ(Process(" /u /v /n /a=v"), 0);
  EXPECT_FALSE(run.options.names_only);
  EXPECT_FALSE(run.options.values_only);
  EXPECT_FALSE(run.options.no_display_name);
  EXPECT_EQ(run.options.columns.count, 1);
}

TEST_F(OptionEffectsTest, SortAloneAndWithValues) {
  ASSERT_EQ(Process(" /s"), 0);
  EXPECT_EQ(run.options.sort_mode, 0x10000000u);
  run.options.sort_mode = 0;
  ASSERT_EQ(Process(" /s=u"), 0);
  EXPECT_EQ(run.options.sort_mode, 0x10000000u);
  ASSERT_EQ(Process(" /s=vr /o=inet /y=cu"), 0);
  EXPECT_EQ(run.options.sort_mode, 0xA0000000u);
  EXPECT_EQ(run.options.object_class, "inetOrgPerson");
  EXPECT_EQ(run.options.name_form, 0x81u);
}

TEST_F(OptionEffectsTest, PagingUnlessSilent) {
  ASSERT_EQ(Process(" /p"), 0);
  EXPECT_EQ(out.control_flags & (kControlPaging | kControlPageBreakAtExit), kControlPaging);
  out.control_flags = 0;
  ASSERT_EQ(Process(" /p=x"), 0);
  EXPECT_EQ(out.control_flags & (kControlPaging | kControlPageBreakAtExit),
            kControlPaging | kControlPageBreakAtExit);
  out.control_flags = 0;
  g_silent = true;
  ASSERT_EQ(Process(" /0 /p=x"), 0);
  EXPECT_EQ(out.control_flags & (kControlPaging | kControlPageBreakAtExit), 0u);
}

TEST_F(OptionEffectsTest, FailedStepsAreCounted) {
  EXPECT_EQ(Process(" /f", 0), 1);
  EXPECT_EQ(Message(), "LORVEX: No file has been specified when /f is used");
  // After a failure /a, /o and /s are not looked at, /y still is.
  run = RunContext();
  run.output = &out;
  EXPECT_EQ(Process(" /f /o=x /y=cn", 0), 2);
  EXPECT_EQ(Message(), "LORVEX: Value 'cn' for /y is invalid");
  EXPECT_EQ(run.options.object_class, "");
  EXPECT_EQ(Process(" /a=dx /o=x"), 1);
  EXPECT_EQ(Message(), "LORVEX: Invalid field 'x' in format string 'dx'");
}

}  // namespace
