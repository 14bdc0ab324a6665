#include "util/wildcard.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

// Pattern=text pairs by the sign of the comparison: 0 when the text matches without regard to
// case, else whether it sorts before or after the pattern. Text left over after the pattern sorts
// after it, pattern left over after the text before it, bytes above 127 after ASCII; after a '*'
// the first occurrence of a segment is taken and a later one never tried.
TEST(Wildcard, MatchesWithoutRegardToCaseElseOrdersTheText) {
  const char* const pairs[3] = {
      "A*B*C=AB b=a ws*=pc01 *02=DC01 *xyz=ab *x*=abc ac=b",
      "DC*=dc01 D?1=DC1 *01=DC01 DC?=DC A*B*C=AXBYC *= = ?\?= a*=a *-*=pc-lab *son*=Jackson [None]=[none] "
      "M\xc3\xbcller=m\xc3\xbcLLER *b?d=abcd",
      "D?1=DC12 b=c *01=DC02 =a c=ab a=\xc3\xa4 *b?d=abcbxd"};
  for (int sign = -1; sign <= 1; ++sign) {
    std::istringstream words(pairs[sign + 1]);
    for (std::string pair; words >> pair;) {
      const size_t cut = pair.find('=');
      const int result = MatchWildcard(pair.substr(0, cut).c_str(), pair.substr(cut + 1).c_str());
      EXPECT_EQ((result > 0) - (result < 0), sign) << pair;
    }
  }
}
