#include "util/wildcard.h"

#include <gtest/gtest.h>

// The sign of the comparison: 0 when the text matches, else whether it sorts before or after.
TEST(Wildcard, MatchesWithoutRegardToCaseElseOrdersTheText) {
  const struct {
    const char* pattern;
    const char* text;
    int sign;
  } cases[] = {
      {"DC*", "dc01", 0},
      {"D?1", "DC1", 0},
      {"*01", "DC01", 0},
      {"DC?", "DC", 0},
      {"A*B*C", "AXBYC", 0},
      {"*", "", 0},
      {"", "", 0},
      {"??", "", 0},
      {"a*", "a", 0},
      {"*-*", "pc-lab", 0},
      {"*son*", "Jackson", 0},
      {"[None]", "[none]", 0},
      {"M\xc3\xbcller", "m\xc3\xbcLLER", 0},
      {"D?1", "DC12", 1},   // text left over after the pattern
      {"A*B*C", "AB", -1},  // pattern left over after the text
      {"b", "a", -1},
      {"b", "c", 1},
      {"ws*", "pc01", -1},
      {"*01", "DC02", 1},
      {"*02", "DC01", -1},
      {"*xyz", "ab", -1},
      {"*x*", "abc", -1},
      {"", "a", 1},
      {"c", "ab", 1},
      {"ac", "b", -1},
      {"a", "\xc3\xa4", 1},   // bytes above 127 sort last
      {"*b?d", "abcbxd", 1},  // the first "b" is taken, a later one never tried
      {"*b?d", "abcd", 0},
  };
  for (const auto& c : cases) {
    const int result = MatchWildcard(c.pattern, c.text);
    EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.pattern << " / " << c.text;
  }
}
