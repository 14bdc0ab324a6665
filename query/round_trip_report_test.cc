// The round-trip line written at exit on request.
#include "query/round_trip_report.h"

#include <gtest/gtest.h>

namespace {

TEST(RoundTripReport, WrittenOnlyWhenTheVariableAsksForIt) {
  struct Case {
    const char* setting;
    uint64_t count;
    const char* line;
  };
  const Case cases[] = {
      {nullptr, 12, ""},
      {"", 12, ""},
      {"0", 12, ""},
      {"1", 12, "LDAP round trips: 12\n"},
      {"yes", 0, "LDAP round trips: 0\n"},
      {"1", 18446744073709551615u, "LDAP round trips: 18446744073709551615\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RoundTripReport(c.setting, c.count), c.line) << (c.setting ? c.setting : "(unset)");
  }
}

}  // namespace
