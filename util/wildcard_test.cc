#include "util/wildcard.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* pattern;
  const char* text;
  int sign;  // -1, 0 or 1: the sign MatchWildcard must give
};

int Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

}  // namespace

TEST(Wildcard, MatchesStarsAndQuestionMarksWithoutRegardToCase) {
  const Case cases[] = {
      {"DC*", "dc01", 0},
      {"D?1", "DC1", 0},
      {"*01", "DC01", 0},
      {"DC?", "DC", 0},
      {"A*B*C", "AXBYC", 0},
      {"pc*", "PC01", 0},
      {"pc*", "pc-lab", 0},
      {"*", "", 0},
      {"*", "anything", 0},
      {"", "", 0},
      {"??", "", 0},
      {"a*", "a", 0},
      {"*lab", "pc-LAB", 0},
      {"*-*", "pc-lab", 0},
      {"w?s*", "WKS42", 0},
      {"[None]", "[none]", 0},
      {"CN=pso1,CN=Password Settings Container,CN=System,DC=x",
       "cn=PSO1,cn=password settings container,"
       "cn=system,dc=X",
       0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Sign(MatchWildcard(c.pattern, c.text)), c.sign) << c.pattern << " / " << c.text;
}

TEST(Wildcard, MismatchesTellWhetherTheTextSortsBeforeOrAfter) {
  const Case cases[] = {
      {"D?1", "DC12", 1},   // text left over after the pattern
      {"A*B*C", "AB", -1},  // pattern left over after the text
      {"abc", "ab", -1},
      {"ab", "abc", 1},
      {"b", "a", -1},
      {"b", "c", 1},
      {"pc*", "ws01", 1},
      {"ws*", "pc01", -1},
      {"*01", "DC02", 1},  // closing segment compared with the end
                           // of the text
      {"*02", "DC01", -1},
      {"*xyz", "ab", -1},  // text shorter than a closing segment never matches
      {"*x*", "abc", -1},  // a segment found nowhere
      {"", "a", 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Sign(MatchWildcard(c.pattern, c.text)), c.sign) << c.pattern << " / " << c.text;
}

TEST(Wildcard, EndOfWalkRulesDecideTheSignAfterAMismatch) {
  // A differing character is found first, then the text outlasts the pattern: the result is 1.
  EXPECT_EQ(MatchWildcard("c", "ab"), 1);
  // A differing character, then the pattern outlasts the text: the result is -1.
  EXPECT_EQ(MatchWildcard("ac", "b"), -1);
}

TEST(Wildcard, NeverBacktracksToALaterOccurrence) {
  // "*b" takes the first "b" of "abcbxd", so "?d" meets "cbxd" and fails; a backtracking
  // matcher would have retried from the second "b" and matched.
  EXPECT_NE(MatchWildcard("*b?d", "abcbxd"), 0);
  EXPECT_EQ(MatchWildcard("*b?d", "abcd"), 0);
}

TEST(Wildcard, ComparesLettersInLowerCaseAndOtherBytesAsThemselves) {
  EXPECT_EQ(MatchWildcard("M\xc3\xbcller", "m\xc3\xbcLLER"), 0);
  EXPECT_GT(MatchWildcard("a", "\xc3\xa4"), 0);  // bytes above 127 sort after ASCII
}
