// The numbers behind the values typed after an operator. What a value selects, and the message of
// each value refused, are in the golden runs (values-*, filter-*).
#include "query/values.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "util/output.h"

namespace {

constexpr uint32_t kNow = 1308147936;    // 15 June 2011 14:25:36, local
constexpr uint32_t kToday = 1308096000;  // 15 June 2011 00:00:00
constexpr uint32_t kJan1 = 1293840000;   // 1 January 2011 00:00:00
constexpr uint32_t kDay = 86400;
constexpr uint32_t kMax = 4294967295u;

TEST(ParseValue, EachValueGivesItsNumberAndTheLengthOfItsPeriod) {
  const struct {
    RestrictionCode code;
    const char* text;
    uint32_t number;
    uint32_t range;
  } cases[] = {
      {kAd, "y", 1, 0},
      {kAd, "tr", 1, 0},
      {kAd, "f", 0, 0},
      {kPcr, "t", 1, 0},
      {kAe, "t", 0, 0},  // the expired states take only y for yes
      {kPe, "ye", 1, 0},
      {kBlc, "1,000", 1000, 0},
      {kBlc, "", 0, 0},
      {kBlc, "lo", kMax, 0},
      {kPmx, "n", 0, 0},
      {kIlp, "30", 1800, 0},  // minutes, compared with durations in seconds
      {kIlr, "99999999", kMax, 0},
      {kPml, "4294967296", 0, 0},
      {kLld, "non", 0, 0},
      {kLld, "tod", kToday, kDay},
      {kLld, "tod-30", kToday - 30 * kDay, kDay},
      {kLld, "tom+1", kToday + 2 * kDay, kDay},
      {kLld, "tod+1,000", 1394496000, kDay},  // 11 March 2014
      {kLld, "y", kToday - kDay, kDay},
      {kLld, "today 10:00", kToday, kDay},  // a time after a word is left out
      {kAed, "5:feb:9", 1233792000, kDay},
      {kAed, "5:feb:69", 3127248000u, kDay},
      {kAed, "5-Feb-70", 3024000, kDay},
      {kAed, "29:feb:2012", 1330473600, kDay},
      {kAed, "31:dec:2105", 4291660800u, kDay},
      {kLld, "1:jan:2011:12", kJan1 + 12 * 3600, 3600},
      {kLld, "1:jan:2011 12:30", kJan1 + 12 * 3600 + 30 * 60, 60},
      {kLld, "1:jan:2011 12:30:15", kJan1 + 12 * 3600 + 30 * 60 + 15, 0},
      {kLld, "1:jan:2011:", kJan1, kDay},
      {kLld, "1:jan:2011:12:", kJan1 + 12 * 3600, 3600},
  };
  for (const auto& c : cases) {
    OutputContext out = {};
    out.fixed_now = kNow;
    RunContext run;
    run.output = &out;
    run.filter_number = run.filter_range = 7;  // each value starts from nothing
    std::string error;
    ASSERT_TRUE(ParseValue(&run, c.text, "x", &error, c.code)) << c.text << ": " << error;
    EXPECT_EQ(run.filter_number, c.number) << c.text;
    EXPECT_EQ(run.filter_range, c.range) << c.text;
  }
}

TEST(ParseValue, WithoutAMessageBufferTheMessageIsPrintedAsAnError) {
  OutputContext out = {};
  RunContext run;
  run.output = &out;
  RunContext* saved = g_run;
  g_run = &run;
  uint32_t number = 0;
  uint32_t range = 0;
  EXPECT_FALSE(ParseDateTime("32:jan:2011", kNow, nullptr, &number, &range));
  g_run = saved;
  EXPECT_STREQ(out.message, "The day is out of range (1-31) in date/time \"32:jan:2011\"");
  EXPECT_EQ(out.error_count, 1);
}

TEST(LocalOffset, HalfHoursEastOfUtcFromTheSystemTimeZone) {
  const char* old = getenv("TZ");
  const std::string saved = old != nullptr ? old : "";
  const struct {
    const char* zone;
    int16_t half_hours;
  } cases[] = {{"UTC0", 0},     {"EST5", -10},    {"IST-5:30", 11},
               {"NST3:30", -7}, {"XYZ-5:45", 11}, {"ABC0:45", -1}};
  for (const auto& c : cases) {
    setenv("TZ", c.zone, 1);
    tzset();
    EXPECT_EQ(ReadLocalTimeOffset(), c.half_hours) << c.zone;
  }
  old != nullptr ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
  tzset();
}

}  // namespace
