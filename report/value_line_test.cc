#include "report/value_line.h"

#include <gtest/gtest.h>

#include <functional>

#include "directory/directory_context.h"
#include "report/text_width.h"
#include "util/output.h"

namespace {

constexpr uint32_t k05Jan2011At130405 = 1294232645;
constexpr uint32_t k13Jan2011Midnight = 1294876800;
constexpr uint32_t k13Jan2011At1000 = 1294912800;

std::string Repeat(const std::string& piece, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

std::string Letters(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += static_cast<char>('a' + i % 26);
  return text;
}

}  // namespace

TEST(NameColumn, ShortNameWithDisplayNameFillsFortyFiveCharacters) {
  std::string column = FormatNameColumn(false, false, "Ann", "Ann Smith");
  EXPECT_EQ(column, "Ann (Ann Smith)" + std::string(30, ' '));
  EXPECT_EQ(column.size(), 45u);
}

TEST(NameColumn, Layouts) {
  struct Case {
    std::string name;
    std::string display;
    std::string expected;
  } cases[] = {
      // No display name: padded to 45.
      {"Ann", "", "Ann" + std::string(42, ' ')},
      // A 50-character name is cut to 41 characters and "... "; the display name is dropped.
      {Letters(50), "Shown", Letters(41) + "... "},
      // 30-character name, 20-character display name: the first 8 display characters.
      {Letters(30), "ABCDEFGHIJKLMNOPQRST", Letters(30) + " (ABCDEFGH...) "},
      // The longest display name that fits whole beside a 3-character name is 37 characters.
      {"Ann", Repeat("d", 37), "Ann (" + Repeat("d", 37) + ")  "},
      {"Ann", Repeat("d", 38), "Ann (" + Repeat("d", 35) + "...) "},
      // A 36-character name still shows a display name; a 37-character one does not.
      {Letters(36), "X", Letters(36) + " (X)     "},
      {Letters(36), "XYZWV", Letters(36) + " (XY...) "},
      {Letters(37), "X", Letters(37) + std::string(8, ' ')},
      // A name of exactly 45 characters keeps one space before the value.
      {Letters(45), "", Letters(45) + " "},
      {Letters(46), "", Letters(41) + "... "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatNameColumn(false, false, c.name, c.display), c.expected) << c.name << "|" << c.display;
  }
}

TEST(NameColumn, CountsUtf8CharactersSoColumnsLineUp) {
  const std::string muller = "M\xC3\xBCller";     // Müller, 6 characters
  const std::string hans = "Hans M\xC3\xBCller";  // 11 characters
  std::string column = FormatNameColumn(false, false, muller, hans);
  EXPECT_EQ(column, muller + " (" + hans + ")" + std::string(25, ' '));
  EXPECT_EQ(CharCount(column), 45u);

  // A long name cut inside a run of two-byte characters keeps whole characters only.
  std::string long_name = Repeat("\xC3\xA9", 50);  // 50 times é
  EXPECT_EQ(FormatNameColumn(false, false, long_name, ""), Repeat("\xC3\xA9", 41) + "... ");

  // A long display name cut beside a name with multi-byte characters.
  std::string cut = FormatNameColumn(false, false, Repeat("\xC3\xBC", 30), Repeat("\xE2\x82\xAC", 20));
  EXPECT_EQ(cut, Repeat("\xC3\xBC", 30) + " (" + Repeat("\xE2\x82\xAC", 8) + "...) ");
  EXPECT_EQ(CharCount(cut), 45u);
}

TEST(NameColumn, NamesOnlyIsTheBareName) {
  EXPECT_EQ(FormatNameColumn(false, true, "Ann", "Ann Smith"), "Ann");
  EXPECT_EQ(FormatNameColumn(false, true, Letters(50), ""), Letters(50));
}

TEST(NameColumn, CommaDelimitedIsTwoQuotedFields) {
  EXPECT_EQ(FormatNameColumn(true, false, "Ann", "Ann Smith"), "\"Ann\",\"Ann Smith\"");
  EXPECT_EQ(FormatNameColumn(true, false, "Ann", ""), "\"Ann\",\"\"");
  EXPECT_EQ(FormatNameColumn(true, true, Letters(50), "X"), "\"" + Letters(50) + "\",\"X\"");
}

namespace {

struct ValueCase {
  RestrictionCode code;
  std::function<void(RestrictionRecord*)> set;
  std::string expected;
};

RestrictionRecord Blank() {
  RestrictionRecord r;
  r.flags = 0;
  return r;
}

}  // namespace

TEST(ValueText, EveryRestrictionRendersItsValue) {
  const ValueCase cases[] = {
      {kAd, [](RestrictionRecord* r) { r->flags = kFlagDisabled; }, "Yes"},
      {kAd, [](RestrictionRecord*) {}, " No"},
      {kAe,
       [](RestrictionRecord* r) {
         r->flags = kFlagExpired;
         r->account_expires = k13Jan2011Midnight;
       },
       "Yes (13-Jan-2011)"},
      {kAe, [](RestrictionRecord*) {}, "No  (No expiry date)"},
      {kAed, [](RestrictionRecord* r) { r->account_expires = k13Jan2011Midnight; }, "12-Jan-2011"},
      {kAed, [](RestrictionRecord* r) { r->account_expires = k13Jan2011At1000; }, "13-Jan-2011 10:00:00"},
      {kAed, [](RestrictionRecord*) {}, "                None"},
      {kAed,
       [](RestrictionRecord* r) {
         r->account_expires = k13Jan2011Midnight;
         r->flags = kFlagExpired;
       },
       "12-Jan-2011 (Expired)"},
      {kAed,
       [](RestrictionRecord* r) {
         r->account_expires = k13Jan2011At1000;
         r->flags = kFlagExpired;
       },
       "13-Jan-2011 10:00:00 (Expired)"},
      {kAl, [](RestrictionRecord* r) { r->flags = kFlagLocked; }, "Yes"},
      {kAl, [](RestrictionRecord*) {}, " No"},
      {kBlc, [](RestrictionRecord* r) { r->bad_logon_count = 3; }, "           3"},
      {kBlc, [](RestrictionRecord*) {}, "           0"},
      {kBlc, [](RestrictionRecord* r) { r->bad_logon_count = 0xFFFFFFFF; }, "      Locked"},
      {kCd, [](RestrictionRecord* r) { r->created = k05Jan2011At130405; }, "05-Jan-2011 13:04:05"},
      {kCd, [](RestrictionRecord*) {}, "                None"},
      {kIld, [](RestrictionRecord* r) { r->lockout_time = k13Jan2011At1000; }, "13-Jan-2011 10:00:00"},
      {kIlp, [](RestrictionRecord* r) { r->lockout_duration = 1800; }, "        None"},
      {kIlp, [](RestrictionRecord* r) { r->flags = kFlagLockoutPolicy; }, "  Indefinite"},
      {kIlp,
       [](RestrictionRecord* r) {
         r->flags = kFlagLockoutPolicy;
         r->lockout_duration = 1800;
       },
       "  0:00:30:00"},
      {kIlr,
       [](RestrictionRecord* r) {
         r->flags = kFlagLockoutPolicy;
         r->lockout_reset_period = 1800;
       },
       "  0:00:30:00"},
      {kIlr, [](RestrictionRecord* r) { r->lockout_reset_period = 1800; }, "        None"},
      {kIlt, [](RestrictionRecord* r) { r->lockout_threshold = 5; }, "           5"},
      {kIlt, [](RestrictionRecord*) {}, "        None"},
      {kLld,
       [](RestrictionRecord* r) {
         r->last_logon = k05Jan2011At130405;
         r->last_logon_server = "DC2";
       },
       "05-Jan-2011 13:04:05 (DC2)"},
      {kLld, [](RestrictionRecord* r) { r->last_logon = k05Jan2011At130405; }, "05-Jan-2011 13:04:05"},
      {kLld, [](RestrictionRecord* r) { r->last_logon_server = "DC2"; }, "                None"},
      {kLud, [](RestrictionRecord* r) { r->last_bad_logon = k13Jan2011At1000; }, "13-Jan-2011 10:00:00"},
      {kMd,
       [](RestrictionRecord* r) {
         r->modified = k13Jan2011At1000;
         r->modification_server = "DC1";
       },
       "13-Jan-2011 10:00:00 (DC1)"},
      {kMd, [](RestrictionRecord* r) { r->modification_server = "DC1"; }, "                None"},
      {kPcr, [](RestrictionRecord* r) { r->flags = kFlagComplexity; }, "Yes"},
      {kPcl, [](RestrictionRecord* r) { r->flags = kFlagChangeNextLogon; }, "Yes"},
      {kPcl, [](RestrictionRecord* r) { r->flags = kFlagComplexity; }, " No"},
      {kPe,
       [](RestrictionRecord* r) {
         r->flags = kFlagPasswordExpired;
         r->password_expires = k13Jan2011At1000;
       },
       "Yes (13-Jan-2011)"},
      {kPe, [](RestrictionRecord*) {}, "No  (No expiry date)"},
      {kPed, [](RestrictionRecord* r) { r->flags = kFlagNeverExpires; }, "Never"},
      {kPed,
       [](RestrictionRecord* r) {
         r->flags = kFlagNeverExpires;
         r->password_expires = k13Jan2011At1000;
       },
       "Never"},
      {kPed, [](RestrictionRecord* r) { r->password_expires = k13Jan2011At1000; }, "13-Jan-2011 10:00:00"},
      {kPed,
       [](RestrictionRecord* r) {
         r->password_expires = k13Jan2011At1000;
         r->flags = kFlagPasswordExpired;
       },
       "13-Jan-2011 10:00:00 (Expired)"},
      {kPed, [](RestrictionRecord*) {}, "Change next logon"},
      {kPhl, [](RestrictionRecord* r) { r->password_history_length = 24; }, "          24"},
      {kPhl, [](RestrictionRecord*) {}, "        None"},
      {kPmx, [](RestrictionRecord* r) { r->max_password_age = 42 * 86400; }, " 42:00:00:00"},
      {kPmx, [](RestrictionRecord*) {}, "        None"},
      {kPlc, [](RestrictionRecord* r) { r->password_last_set = k05Jan2011At130405; }, "05-Jan-2011 13:04:05"},
      {kPml, [](RestrictionRecord*) {}, "           0 (Not required)"},
      {kPml, [](RestrictionRecord* r) { r->min_password_length = 7; }, "           7"},
      {kPmn, [](RestrictionRecord* r) { r->min_password_age = 86400; }, "  1:00:00:00"},
      {kPmn, [](RestrictionRecord*) {}, "        None"},
      {kPne, [](RestrictionRecord* r) { r->flags = kFlagNeverExpires; }, "Yes"},
      {kPr, [](RestrictionRecord* r) { r->flags = kFlagPasswordRequired; }, "Yes"},
      {kPre, [](RestrictionRecord* r) { r->flags = kFlagReversible; }, "Yes"},
      {kPre, [](RestrictionRecord*) {}, " No"},
      {kPso, [](RestrictionRecord*) {}, "[None]"},
      {kPuc, [](RestrictionRecord* r) { r->flags = kFlagUserCanChange; }, "Yes"},
      {kPur, [](RestrictionRecord* r) { r->flags = kFlagUniqueRequired; }, "Yes"},
      {kPur, [](RestrictionRecord*) {}, " No"},
      {kWr, [](RestrictionRecord*) {}, "All"},
      {kWr,
       [](RestrictionRecord* r) {
         r->has_workstations = true;
         r->workstations = "PC01,PC02";
       },
       "PC01,PC02"},
      {kLh, [](RestrictionRecord*) {}, ""},
      {kAll, [](RestrictionRecord*) {}, ""},
  };
  for (const ValueCase& c : cases) {
    RunContext run;
    run.restriction = c.code;
    RestrictionRecord record = Blank();
    c.set(&record);
    EXPECT_EQ(BuildValueText(&run, record), c.expected) << "restriction " << c.code;
  }
}

TEST(ValueText, PasswordSettingsObjectShowsItsRelativeName) {
  RunContext run;
  run.restriction = kPso;
  RestrictionRecord record = Blank();
  record.pso = "CN=pso1,CN=Password Settings Container,CN=System,DC=sales,DC=corp";
  EXPECT_EQ(BuildValueText(&run, record), "pso1");
}

namespace {

struct LineCase {
  const char* what;
  RestrictionCode code;
  std::function<void(ProgramOptions*)> options;
  std::string expected;
  bool print;
};

void SetColumns(ProgramOptions* o, std::initializer_list<std::pair<char, int>> fields) {
  o->columns = ColumnFormat{};
  int total = -1;
  for (const auto& [letter, width] : fields) {
    o->columns.letters[o->columns.count] = letter;
    o->columns.widths[o->columns.count] = static_cast<int16_t>(width);
    ++o->columns.count;
    total += (width < 0 ? -width : width) + 1;
  }
  o->columns.line_width = static_cast<int16_t>(total);
}

}  // namespace

TEST(ObjectLine, Layouts) {
  const std::string ann_column = "Ann (Ann Smith)" + std::string(30, ' ');
  const LineCase cases[] = {
      {"default ad", kAd, [](ProgramOptions*) {}, ann_column + "Yes", true},
      {"default blc lines up at column 46", kBlc, [](ProgramOptions*) {}, ann_column + "           3", true},
      {"csv ad", kAd, [](ProgramOptions* o) { o->comma_delimited = true; }, "\"Ann\",\"Ann Smith\",\"Yes\"",
       true},
      {"csv blc drops the count's padding", kBlc, [](ProgramOptions* o) { o->comma_delimited = true; },
       "\"Ann\",\"Ann Smith\",\"3\"", true},
      {"names only", kAd, [](ProgramOptions* o) { o->names_only = true; }, "Ann", true},
      {"names only csv", kAd,
       [](ProgramOptions* o) {
         o->names_only = true;
         o->comma_delimited = true;
       },
       "\"Ann\",\"Ann Smith\"", true},
      {"names only for all", kAll, [](ProgramOptions* o) { o->names_only = true; }, "Ann", true},
      {"values only", kAl, [](ProgramOptions* o) { o->values_only = true; }, " No", true},
      {"values only csv", kAl,
       [](ProgramOptions* o) {
         o->values_only = true;
         o->comma_delimited = true;
       },
       ",\"No\"", true},
      {"totals only prints an empty line", kAd,
       [](ProgramOptions* o) {
         o->values_only = true;
         o->names_only = true;
       },
       "", true},
      {"columns u30,v", kIlt,
       [](ProgramOptions* o) {
         SetColumns(o, {{'u', 30}, {'v', 20}});
       },
       "Ann" + std::string(27, ' ') + " " + "           5" + std::string(8, ' '), true},
      {"columns csv", kIlt,
       [](ProgramOptions* o) {
         SetColumns(o, {{'u', 20}, {'v', 20}});
         o->comma_delimited = true;
       },
       "\"Ann\",\"5\"", true},
      {"columns f,u,v", kAd,
       [](ProgramOptions* o) {
         SetColumns(o, {{'f', 10}, {'u', 5}, {'v', 3}});
       },
       "Ann Smith  Ann   Yes", true},
      {"wide text pushes the next column", kAd,
       [](ProgramOptions* o) {
         SetColumns(o, {{'f', 4}, {'v', 3}});
       },
       "Ann Smith Yes", true},
      {"negative width counts as its size", kAd,
       [](ProgramOptions* o) {
         SetColumns(o, {{'u', -6}, {'v', 3}});
       },
       "Ann    Yes", true},
      {"width 0 takes the default", kAd,
       [](ProgramOptions* o) {
         SetColumns(o, {{'v', 0}, {'u', 0}});
       },
       "Yes" + std::string(17, ' ') + " Ann" + std::string(17, ' '), true},
      {"csv columns with display name", kAd,
       [](ProgramOptions* o) {
         SetColumns(o, {{'v', 3}, {'f', 20}, {'u', 20}});
         o->comma_delimited = true;
       },
       "\"Yes\",\"Ann Smith\",\"Ann\"", true},
  };
  for (const LineCase& c : cases) {
    RunContext run;
    run.restriction = c.code;
    c.options(&run.options);
    RestrictionRecord record = Blank();
    record.display_name = "Ann Smith";
    record.flags = kFlagDisabled;
    record.bad_logon_count = 3;
    record.lockout_threshold = 5;
    bool print = !c.print;
    EXPECT_EQ(BuildObjectLine(&run, "Ann", record, &print), c.expected) << c.what;
    EXPECT_EQ(print, c.print) << c.what;
  }
}

TEST(ObjectLine, LongNameLeavesTheValueAtColumn46) {
  RunContext run;
  run.restriction = kAd;
  RestrictionRecord record = Blank();
  bool print = false;
  std::string line = BuildObjectLine(&run, Letters(50), record, &print);
  EXPECT_EQ(line, Letters(41) + "... " + " No");
  EXPECT_EQ(line.find(" No"), 45u);
}

TEST(ObjectLine, EmptyValueOnlyLinePrintsNothing) {
  RunContext run;
  run.restriction = kWr;
  run.options.values_only = true;
  RestrictionRecord record = Blank();
  record.has_workstations = true;
  bool print = true;
  EXPECT_EQ(BuildObjectLine(&run, "Ann", record, &print), "");
  EXPECT_FALSE(print);
}

TEST(ObjectLine, DomainColumnShowsTheDomainShortName) {
  DirectoryContext directory;
  directory.default_naming_context = "DC=sales,DC=corp";
  RunContext run;
  run.directory = &directory;
  run.restriction = kAd;
  SetColumns(&run.options, {{'d', 15}, {'u', 10}, {'v', 3}});
  RestrictionRecord record = Blank();
  bool print = false;
  EXPECT_EQ(BuildObjectLine(&run, "Ann", record, &print), "sales           Ann         No");
  run.options.comma_delimited = true;
  EXPECT_EQ(BuildObjectLine(&run, "Ann", record, &print), "\"sales\",\"Ann\",\"No\"");
}

TEST(ObjectLine, WriteLeavesTheLineInTheMessageBuffer) {
  OutputContext out{};
  RunContext run;
  run.output = &out;
  run.restriction = kAd;
  RestrictionRecord record = Blank();
  record.display_name = "Ann Smith";
  WriteObjectLine(&run, "Ann", record);
  EXPECT_STREQ(out.message, ("Ann (Ann Smith)" + std::string(30, ' ') + " No").c_str());

  run.options.names_only = true;
  run.restriction = kAll;
  WriteObjectLine(&run, "Ann", record);
  EXPECT_STREQ(out.message, "Ann");
}

TEST(ObjectLine, ReportAndGridLeaveTheMessageBufferEmpty) {
  for (RestrictionCode code : {kAll, kLh}) {
    OutputContext out{};
    snprintf(out.message, sizeof out.message, "left over");
    RunContext run;
    run.output = &out;
    run.restriction = code;
    WriteObjectLine(&run, "Ann", Blank());
    EXPECT_STREQ(out.message, "") << code;
  }
}
