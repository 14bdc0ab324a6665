// Heading and totals forms no command line reaches; the others are in the golden runs (headings,
// exit-values, kind-*).
#include "report/heading.h"

#include <gtest/gtest.h>

#include "util/output.h"

namespace {

TEST(Heading, RunningAccountAndUnresolvedClassAndNoTotalsWithoutHeadings) {
  OutputContext out = {};
  out.fixed_now = 1294218240;  // 5 January 2011 09:04
  RunContext run;
  run.output = &out;
  run.restriction = kAl;
  // The running account has no class word and no comparison in its heading.
  EXPECT_EQ(BuildHeadingLine(&run, "CN=Me,OU=Staff", "Account locked", "eq", "no", ""),
            "Values of \"Account locked\" for CN=Me,OU=Staff at 5-Jan-2011 9:04");
  run.entity_given = true;  // a class never resolved reads as user
  EXPECT_EQ(BuildHeadingLine(&run, "CN=Ann,OU=Staff", "Account locked", "", "", ""),
            "Values of \"Account locked\" for user CN=Ann,OU=Staff at 5-Jan-2011 9:04");
  run.options.no_headings = true;
  run.examined = 4;
  WriteTotals(&run);
  EXPECT_STREQ(out.message, "");
}

}  // namespace
