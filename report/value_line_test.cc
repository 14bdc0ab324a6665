// The name column of a value line at the edges of its 45 characters, counted in characters. The
// other layouts of a value line are in the golden runs (layout-*, layouts, kind-*).
#include "report/value_line.h"

#include <gtest/gtest.h>

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

}  // namespace
