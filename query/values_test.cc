#include "query/values.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "util/output.h"

namespace {

// The fixed local "now" of these tests: 15 June 2011 14:25:36.
constexpr uint32_t kNow = 1308147936;
constexpr uint32_t kToday = 1308096000;  // 15 June 2011 00:00:00
constexpr uint32_t kDay = 86400;

struct ValueCase {
  RestrictionCode code;
  const char* keyword;
  const char* text;
  const char* error;  // nullptr: accepted
  uint32_t number;
  uint32_t range;
};

class ParseValueTest : public ::testing::Test {
 protected:
  ParseValueTest() {
    out_.fixed_now = kNow;
    run_.output = &out_;
  }

  void Check(const ValueCase& c) {
    std::string error = "stale";
    bool ok = ParseValue(&run_, c.text, c.keyword, &error, c.code);
    if (c.error == nullptr) {
      EXPECT_TRUE(ok) << c.keyword << " " << c.text << ": " << error;
      EXPECT_EQ(run_.filter_number, c.number) << c.keyword << " " << c.text;
      EXPECT_EQ(run_.filter_range, c.range) << c.keyword << " " << c.text;
    } else {
      EXPECT_FALSE(ok) << c.keyword << " " << c.text;
      EXPECT_EQ(error, c.error) << c.keyword << " " << c.text;
    }
  }

  OutputContext out_ = {};
  RunContext run_;
};

}  // namespace

TEST_F(ParseValueTest, YesNoWordsAndTheirPrefixes) {
  const char kIllegal[] = "Illegal value 'maybe' - must be 'yes', 'no', 'true' or 'false'";
  const ValueCase cases[] = {
      {kAd, "ad", "y", nullptr, 1, 0},
      {kAd, "ad", "ye", nullptr, 1, 0},
      {kAd, "ad", "yes", nullptr, 1, 0},
      {kAd, "ad", "t", nullptr, 1, 0},
      {kAd, "ad", "tr", nullptr, 1, 0},
      {kAd, "ad", "true", nullptr, 1, 0},
      {kAd, "ad", "n", nullptr, 0, 0},
      {kAd, "ad", "no", nullptr, 0, 0},
      {kAd, "ad", "f", nullptr, 0, 0},
      {kAd, "ad", "false", nullptr, 0, 0},
      {kPcr, "pcr", "t", nullptr, 1, 0},
      {kPur, "pur", "yes", nullptr, 1, 0},
      // Only a word beginning with y means yes for the expired states.
      {kAe, "ae", "t", nullptr, 0, 0},
      {kAe, "ae", "true", nullptr, 0, 0},
      {kAe, "ae", "y", nullptr, 1, 0},
      {kPe, "pe", "t", nullptr, 0, 0},
      {kPe, "pe", "ye", nullptr, 1, 0},
      {kAd, "ad", "maybe", kIllegal, 0, 0},
      {kAd, "ad", "yess", "Illegal value 'yess' - must be 'yes', 'no', 'true' or 'false'", 0, 0},
      {kAd, "ad", "1", "Illegal value '1' - must be 'yes', 'no', 'true' or 'false'", 0, 0},
      {kAd, "ad", "", "Illegal value '' - must be 'yes', 'no', 'true' or 'false'", 0, 0},
  };
  for (const ValueCase& c : cases) Check(c);
}

TEST_F(ParseValueTest, IntegersWithCommasAndTheirWords) {
  const ValueCase cases[] = {
      {kBlc, "blc", "1,000", nullptr, 1000, 0},
      {kBlc, "blc", "12345", nullptr, 12345, 0},
      {kBlc, "blc", "", nullptr, 0, 0},
      {kBlc, "blc", "1.5", "Invalid character '.' found in decimal value '1.5'", 0, 0},
      {kBlc, "blc", "l", nullptr, 4294967295u, 0},
      {kBlc, "blc", "lo", nullptr, 4294967295u, 0},
      {kBlc, "blc", "locked", nullptr, 4294967295u, 0},
      {kBlc, "blc", "lx", "Invalid value 'lx' found for restriction 'blc'", 0, 0},
      {kBlc, "blc", "none", "Invalid character 'n' found in decimal value 'none'", 0, 0},
      {kIlt, "ilt", "locked", "Invalid character 'l' found in decimal value 'locked'", 0, 0},
      {kPmx, "pmx", "unlimited", "Invalid character 'u' found in decimal value 'unlimited'", 0, 0},
      {kPmx, "pmx", "n", nullptr, 0, 0},
      {kPmx, "pmx", "none", nullptr, 0, 0},
      {kPmx, "pmx", "42", nullptr, 42, 0},
      {kPmn, "pmn", "nada", "Invalid value 'nada' found for restriction 'pmn'", 0, 0},
      {kPhl, "phl", "-1", "Invalid character '-' found in decimal value '-1'", 0, 0},
      {kIlp, "ilp", "30", nullptr, 1800, 0},  // minutes, compared with durations in seconds
      {kIlr, "ilr", "1,440", nullptr, 86400, 0},
      {kIlr, "ilr", "99999999", nullptr, 4294967295u, 0},  // minutes beyond the seconds range saturate
      {kPml, "pml", "4294967296", nullptr, 0, 0},          // no overflow check: the count wraps
  };
  for (const ValueCase& c : cases) Check(c);
}

TEST_F(ParseValueTest, DateWordsNoneAndRelativeDays) {
  const ValueCase cases[] = {
      {kLld, "lld", "n", nullptr, 0, 0},
      {kLld, "lld", "no", nullptr, 0, 0},
      {kLld, "lld", "non", nullptr, 0, 0},
      {kLld, "lld", "none", nullptr, 0, 0},
      {kLld, "lld", "nope", "Invalid value 'nope' found for restriction 'lld'", 0, 0},
      {kLld, "lld", "today", nullptr, kToday, kDay},
      {kLld, "lld", "tod", nullptr, kToday, kDay},
      {kLld, "lld", "tod-30", nullptr, kToday - 30 * kDay, kDay},
      {kLld, "lld", "tom", nullptr, kToday + kDay, kDay},
      {kLld, "lld", "tom+1", nullptr, kToday + 2 * kDay, kDay},
      {kLld, "lld", "tod+1,000", nullptr, 1394496000, kDay},  // 11 March 2014
      {kLld, "lld", "y", nullptr, kToday - kDay, kDay},
      {kLld, "lld", "yesterday", nullptr, kToday - kDay, kDay},
      {kLld, "lld", "today 10:00", nullptr, kToday, kDay},  // the time after a word is ignored
      {kLld, "lld", "todayx", nullptr, kToday, kDay},
      {kLld, "lld", "to", "\"to\" is ambiguous - it could mean 'today' or 'tomorrow'", 0, 0},
      {kLld, "lld", "t", "\"t\" is ambiguous - it could mean 'today' or 'tomorrow'", 0, 0},
      {kLld, "lld", "tod-3x", "Invalid character 'x' found in decimal value \"3x\"", 0, 0},
      {kLld, "lld", "tod-20000",
       "The year '1956' is invalid (must be 1970 - 2105) in date/time \"tod-20000\"", 0, 0},
      {kPed, "ped", "tod+99999",
       "The year '2285' is invalid (must be 1970 - 2105) in date/time \"tod+99999\"", 0, 0},
  };
  for (const ValueCase& c : cases) Check(c);
}

TEST_F(ParseValueTest, CalendarDatesAndYears) {
  const ValueCase cases[] = {
      {kAed, "aed", "5:feb:9", nullptr, 1233792000, kDay},    // 2009
      {kAed, "aed", "5:feb:69", nullptr, 3127248000u, kDay},  // 2069
      {kAed, "aed", "5:feb:70", nullptr, 3024000, kDay},      // 1970
      {kAed, "aed", "5-Feb-1970", nullptr, 3024000, kDay},    // any separator, any case
      {kAed, "aed", "29:feb:2012", nullptr, 1330473600, kDay},
      {kAed, "aed", "31:dec:2105", nullptr, 4291660800u, kDay},
      {kAed, "aed", "5:feb:1969",
       "The year '1969' is invalid (must be 1970 - 2105) in date/time \"5:feb:1969\"", 0, 0},
      {kAed, "aed", "1:jan:2106",
       "The year '2106' is invalid (must be 1970 - 2105) in date/time \"1:jan:2106\"", 0, 0},
      {kAed, "aed", "29:feb:2011", "The day is out of range (1-28) in date/time \"29:feb:2011\"", 0, 0},
      {kAed, "aed", "29:feb:2100", "The day is out of range (1-28) in date/time \"29:feb:2100\"", 0, 0},
      {kAed, "aed", "0:jan:2011", "The day is out of range (1-31) in date/time \"0:jan:2011\"", 0, 0},
      {kAed, "aed", "x:jan:2011", "Invalid day in date/time \"x:jan:2011\"", 0, 0},
      {kAed, "aed", "123:jan:2011", "Invalid day in date/time \"123:jan:2011\"", 0, 0},
      {kAed, "aed", "1:foo:2011", "Invalid month 'foo' in date/time \"1:foo:2011\"", 0, 0},
      {kAed, "aed", "1:ja", "Invalid month 'ja' in date/time \"1:ja\"", 0, 0},
      {kAed, "aed", "1:jan:201", "Invalid year in date/time \"1:jan:201\" (must be 1, 2 or 4 digits)", 0, 0},
      {kAed, "aed", "1:jan:", "Invalid year in date/time \"1:jan:\" (must be 1, 2 or 4 digits)", 0, 0},
      {kAed, "aed", "", "Invalid day in date/time \"\"", 0, 0},
  };
  for (const ValueCase& c : cases) Check(c);
}

TEST_F(ParseValueTest, TimesNarrowTheRange) {
  const uint32_t kJan1 = 1293840000;  // 1 January 2011 00:00:00
  const ValueCase cases[] = {
      {kLld, "lld", "1:jan:2011:12", nullptr, kJan1 + 12 * 3600, 3600},
      {kLld, "lld", "1:jan:2011 12", nullptr, kJan1 + 12 * 3600, 3600},
      {kLld, "lld", "1:jan:2011:12:30", nullptr, kJan1 + 12 * 3600 + 30 * 60, 60},
      {kLld, "lld", "1:jan:2011 12:30:15", nullptr, kJan1 + 12 * 3600 + 30 * 60 + 15, 0},
      {kLld, "lld", "1:jan:2011:0:0:0", nullptr, kJan1, 0},
      {kLld, "lld", "1:jan:2011:", nullptr, kJan1, kDay},  // ended right after the separator
      {kLld, "lld", "1:jan:2011:12:", nullptr, kJan1 + 12 * 3600, 3600},
      {kLld, "lld", "1:jan:2011:12:30:", nullptr, kJan1 + 12 * 3600 + 30 * 60, 60},
      {kLld, "lld", "1:jan:2011:24", "The hour value is out of range in \"1:jan:2011:24\"", 0, 0},
      {kLld, "lld", "1:jan:2011:23:60", "The minute value is out of range in \"1:jan:2011:23:60\"", 0, 0},
      {kLld, "lld", "1:jan:2011:23:59:60", "The second value is out of range in \"1:jan:2011:23:59:60\"", 0,
       0},
      {kLld, "lld", "1:jan:2011:123", "Invalid hour in date/time \"1:jan:2011:123\"", 0, 0},
      {kLld, "lld", "1:jan:2011::30", "Invalid hour in date/time \"1:jan:2011::30\"", 0, 0},
      {kLld, "lld", "1:jan:2011:12:ab", "Invalid minute in date/time \"1:jan:2011:12:ab\"", 0, 0},
      {kLld, "lld", "1:jan:2011:1:2:x", "Invalid second in date/time \"1:jan:2011:1:2:x\"", 0, 0},
      {kLld, "lld", "1:jan:2011:1:2:3x", "Extra characters found after date/time \"1:jan:2011:1:2:3x\"", 0,
       0},
  };
  for (const ValueCase& c : cases) Check(c);
}

TEST_F(ParseValueTest, TextValuesAndNone) {
  std::string error;
  ASSERT_TRUE(ParseValue(&run_, "none", "wr", &error, kWr));
  EXPECT_EQ(run_.filter_text, "[None]");
  ASSERT_TRUE(ParseValue(&run_, "[NONE]", "wr", &error, kWr));
  EXPECT_EQ(run_.filter_text, "[None]");
  ASSERT_TRUE(ParseValue(&run_, "pc*", "wr", &error, kWr));
  EXPECT_EQ(run_.filter_text, "pc*");
  EXPECT_TRUE(run_.has_filter_text);
  ASSERT_TRUE(ParseValue(&run_, "[none]", "pso", &error, kPso));
  EXPECT_EQ(run_.filter_text, "[None]");
  ASSERT_TRUE(ParseValue(&run_, "n", "tr", &error, kLh));
  EXPECT_EQ(run_.filter_text, "n");
  // Messages name the keyword as it stands after the alternative spellings are replaced.
  EXPECT_FALSE(ParseValue(&run_, "x", "tr", &error, kLh));
  EXPECT_EQ(error, "Invalid value 'x' found for restriction 'tr'");
}

TEST_F(ParseValueTest, EachParseStartsFromAnEmptyValue) {
  std::string error;
  ASSERT_TRUE(ParseValue(&run_, "today", "lld", &error, kLld));
  ASSERT_TRUE(ParseValue(&run_, "none", "lld", &error, kLld));
  EXPECT_EQ(run_.filter_number, 0u);
  EXPECT_EQ(run_.filter_range, 0u);
  ASSERT_TRUE(ParseValue(&run_, "pc1", "wr", &error, kWr));
  ASSERT_TRUE(ParseValue(&run_, "5", "blc", &error, kBlc));
  EXPECT_FALSE(run_.has_filter_text);
  EXPECT_EQ(run_.filter_text, "");
}

TEST(DateParsing, DateReportsTheCharactersItUsed) {
  uint32_t day = 0;
  size_t used = 0;
  std::string error;
  ASSERT_TRUE(ParseDate("5:feb:9 10:30", kNow, &error, &day, &used));
  EXPECT_EQ(day, 14280u);  // 5 February 2009
  EXPECT_EQ(used, 7u);
  ASSERT_TRUE(ParseDate("tod whatever", kNow, &error, &day, &used));
  EXPECT_EQ(used, 12u);
  // After a sign everything up to the end is the day count.
  EXPECT_FALSE(ParseDate("tod-1 10:00", kNow, &error, &day, &used));
  EXPECT_EQ(error, "Invalid character ' ' found in decimal value \"1 10:00\"");
}

TEST(DateParsing, MatchWordCountsSharedLeadingCharacters) {
  EXPECT_EQ(MatchWord("today", "TOD-30"), 3u);
  EXPECT_EQ(MatchWord("tomorrow", "tod"), 2u);
  EXPECT_EQ(MatchWord("yesterday", ""), 0u);
  EXPECT_EQ(MatchWord("today", "todayx"), 5u);
}

TEST(DateParsing, DecimalSkipsCommasAndQuotesTheTextInItsMessage) {
  uint32_t number = 0;
  std::string error;
  ASSERT_TRUE(ParseDecimal("1,234,567", &number, &error));
  EXPECT_EQ(number, 1234567u);
  EXPECT_FALSE(ParseDecimal("12a", &number, &error));
  EXPECT_EQ(error, "Invalid character 'a' found in decimal value \"12a\"");
}

TEST(DateParsing, WithoutAnErrorBufferTheMessageIsPrinted) {
  OutputContext out;
  memset(&out, 0, sizeof out);
  RunContext run;
  run.output = &out;
  RunContext* saved = g_run;
  g_run = &run;
  uint32_t number = 0, range = 0;
  EXPECT_FALSE(ParseDateTime("32:jan:2011", kNow, nullptr, &number, &range));
  g_run = saved;
  EXPECT_STREQ(out.message, "The day is out of range (1-31) in date/time \"32:jan:2011\"");
}

TEST(LocalOffset, MinutesBecomeHalfHoursTruncatedTowardZero) {
  const struct {
    int minutes;
    int16_t half_hours;
  } cases[] = {{0, 0}, {60, 2}, {120, 4}, {-300, -10}, {330, 11}, {345, 11}, {-210, -7}, {-45, -1}, {29, 0}};
  for (const auto& c : cases) EXPECT_EQ(HalfHoursOfOffset(c.minutes), c.half_hours) << c.minutes;
}

TEST(LocalOffset, ReadFromTheSystemTimeZone) {
  const char* old = getenv("TZ");
  std::string saved = old != nullptr ? old : "";
  const struct {
    const char* zone;
    int16_t half_hours;
  } cases[] = {{"UTC0", 0}, {"EST5", -10}, {"IST-5:30", 11}, {"NST3:30", -7}, {"CET-1", 2}};
  for (const auto& c : cases) {
    setenv("TZ", c.zone, 1);
    tzset();
    EXPECT_EQ(ReadLocalTimeOffset(), c.half_hours) << c.zone;
  }
  if (old != nullptr) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}
