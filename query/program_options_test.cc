// Options taken twice on one output, as no single run does: a page length already set is kept and
// a silent run never pages. The options of a run are in the golden runs (option-*, layout*).
#include "query/program_options.h"

#include <gtest/gtest.h>

#include <cstring>

#include "util/output.h"

namespace {

TEST(ProgramOptions, PagingKeepsALengthAlreadySetAndIsOffInASilentRun) {
  OutputContext out{};
  strcpy(out.program_name, "LORVEX");
  RunContext run;
  run.output = &out;
  out.page_length = 30;
  ASSERT_EQ(ProcessProgramOptions(&run, " /p /j", 1), 0);
  EXPECT_EQ(out.page_length, 30);
  EXPECT_NE(out.control_flags & kControlPaging, 0u);
  out.control_flags = 0;
  g_silent = true;
  ASSERT_EQ(ProcessProgramOptions(&run, " /p=x /j", 1), 0);
  g_silent = false;
  EXPECT_EQ(out.control_flags & (kControlPaging | kControlPageBreakAtExit), 0u);
}

}  // namespace
