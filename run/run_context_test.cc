#include "run/run_context.h"

#include <gtest/gtest.h>

TEST(RunContext, FixedNowOverridesTheClock) {
  RunContext run;
  run.fixed_now = 1234567;
  EXPECT_EQ(RunNow(&run), 1234567u);
}
