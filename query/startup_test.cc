#include "query/startup.h"

#include <gtest/gtest.h>

namespace {

struct SilentCase {
  const char* line;
  bool silent;
};

const SilentCase kCases[] = {
    {"lorvex ann /0", true},       {"lorvex /0x ann", true},
    {"lorvex ann -0", true},       {"lorvex -0 ann", true},
    {"lorvex ann -0x", false},     {"lorvex ann -05", false},
    {"lorvex ann", false},         {"lorvex", false},
    {"lorvex/0", false},           {"\"/opt/my tools/lorvex\" ann /0", true},
    {"/opt/lorvex\tann /0", true}, {"lorvex ann/0", false},
};

TEST(Startup, SilentRunFromTheRawCommandLine) {
  for (const SilentCase& c : kCases) EXPECT_EQ(IsSilentCommandLine(c.line), c.silent) << c.line;
}

}  // namespace
