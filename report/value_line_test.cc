// The name column of a value line at the edges of its 45 characters, counted in characters. The
// other layouts of a value line are in the golden runs (layout-*, layouts, kind-*).
#include "report/value_line.h"

#include <gtest/gtest.h>

#include "report/text_width.h"

namespace {

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

TEST(NameColumn, NameAndDisplayNameFitFortyFiveCharacters) {
  const std::string u = "\xC3\xBC";  // ü, two bytes
  const struct {
    std::string name;
    std::string display;
    std::string column;
  } cases[] = {
      {"Ann", "Ann Smith", "Ann (Ann Smith)" + std::string(30, ' ')},
      {Letters(50), "Shown", Letters(41) + "... "},  // too long: cut, no display name
      {Letters(30), "ABCDEFGHIJKLMNOPQRST", Letters(30) + " (ABCDEFGH...) "},
      {"Ann", Repeat("d", 37), "Ann (" + Repeat("d", 37) + ")  "},
      {"Ann", Repeat("d", 38), "Ann (" + Repeat("d", 35) + "...) "},
      {Letters(36), "XYZWV", Letters(36) + " (XY...) "},
      {Letters(37), "X", Letters(37) + std::string(8, ' ')},
      {Letters(45), "", Letters(45) + " "},
      {Letters(46), "", Letters(41) + "... "},
      {"M" + u + "ller", "Hans M" + u + "ller",
       "M" + u + "ller (Hans M" + u + "ller)" + std::string(25, ' ')},
      {Repeat(u, 50), "", Repeat(u, 41) + "... "},
      {Repeat(u, 30), Repeat("\xE2\x82\xAC", 20), Repeat(u, 30) + " (" + Repeat("\xE2\x82\xAC", 8) + "...) "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatNameColumn(false, false, c.name, c.display), c.column) << c.name << "|" << c.display;
  }
}

TEST(ValueText, ValuesNoRunGivesAndLinesNotPrinted) {
  RestrictionRecord locked;  // a count that reads as locked; no lockout policy
  locked.bad_logon_count = 0xFFFFFFFF;
  locked.lockout_duration = 1800;
  RestrictionRecord endless;  // a policy whose lockout has no end
  endless.flags = kFlagLockoutPolicy;
  const struct {
    RestrictionCode code;
    const RestrictionRecord* record;
    const char* text;
  } cases[] = {{kBlc, &locked, "      Locked"},
               {kIlp, &locked, "        None"},
               {kIlp, &endless, "  Indefinite"},
               {kLh, &locked, ""},
               {kAll, &locked, ""}};
  for (const auto& c : cases) {
    RunContext run;
    run.restriction = c.code;
    EXPECT_EQ(BuildValueText(&run, *c.record), c.text) << c.code;
  }
  // Columns of width 0 take their default width, a negative one its size; an empty value line
  // is not printed, and without an output nothing is.
  RunContext run;
  run.restriction = kAd;
  run.options.columns = ColumnFormat{};
  run.options.columns.count = 2;
  run.options.columns.letters[0] = 'v';
  run.options.columns.letters[1] = 'u';
  run.options.columns.widths[1] = -6;
  run.options.columns.line_width = 27;
  bool print = false;
  EXPECT_EQ(BuildObjectLine(&run, "Ann", RestrictionRecord(), &print),
            " No" + std::string(17, ' ') + " Ann   ");
  EXPECT_TRUE(print);
  run.restriction = kWr;
  RestrictionRecord empty_list;
  empty_list.has_workstations = true;
  EXPECT_EQ(BuildObjectLine(&run, "Ann", empty_list, &print), "");
  EXPECT_FALSE(print);
  WriteObjectLine(&run, "Ann", RestrictionRecord());
  EXPECT_EQ(FirstChars("abc", 10), "abc");
  EXPECT_EQ(SkipLeadingSpaces("   "), "");
}

}  // namespace
