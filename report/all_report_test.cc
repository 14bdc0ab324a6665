#include "report/all_report.h"

#include <gtest/gtest.h>

#include <set>

#include "report/empty_account_test_util.h"

namespace {

constexpr uint32_t k05Jan2011At130405 = 1294232645;
constexpr uint32_t k13Jan2011At1000 = 1294912800;
constexpr uint32_t k01Jul2011Midnight = 1309478400;
constexpr uint32_t k16Feb2011At130405 = 1297861445;
constexpr uint32_t k12Jan2011At0815 = 1294820100;
constexpr uint32_t k12Jan2011At0930 = 1294824600;

// An ordinary user under a lockout policy.
RestrictionRecord AnnSmith() {
  RestrictionRecord r;
  r.display_name = "Ann Smith";
  r.created = k05Jan2011At130405;
  r.modified = k13Jan2011At1000;
  r.modification_server = "DC1";
  r.account_expires = k01Jul2011Midnight;
  r.password_expires = k16Feb2011At130405;
  r.password_last_set = k05Jan2011At130405;
  r.min_password_age = 86400;
  r.max_password_age = 42 * 86400;
  r.min_password_length = 7;
  r.password_history_length = 24;
  r.last_logon = k13Jan2011At1000;
  r.last_logon_server = "DC2";
  r.has_workstations = true;
  r.workstations = "PC01,PC02";
  r.lockout_threshold = 5;
  r.lockout_duration = 1800;
  r.lockout_reset_period = 1800;
  r.bad_logon_count = 2;
  r.last_bad_logon = k12Jan2011At0815;
  r.flags = kFlagPasswordRequired | kFlagUserCanChange | kFlagComplexity | kFlagLockoutPolicy;
  return r;
}

std::vector<std::string> Report(const RestrictionRecord& record) {
  RunContext run;
  return BuildAllReport(&run, record, "CN=Ann Smith,OU=Staff");
}

}  // namespace

TEST(AllReport, RealisticAccountLineByLine) {
  const std::vector<std::string> expected = {
      "",
      "Account Restrictions for CN=Ann Smith,OU=Staff (Ann Smith)",
      "",
      "Creation date                    05-Jan-2011 13:04:05",
      "Modification date                13-Jan-2011 10:00:00 (DC1)",
      "Account disabled                                   No",
      "Account expiration date                   30-Jun-2011",
      "Password expiration date         16-Feb-2011 13:04:05",
      "Password last change             05-Jan-2011 13:04:05",
      "Password minimum age                       1:00:00:00",
      "Password maximum age                      42:00:00:00",
      "Password required                                 Yes",
      "Password minimum length                             7",
      "Password user can change                          Yes",
      "Password stored using reversible encryption        No",
      "Password complexity required                      Yes",
      "Password history length                            24",
      "Last logon date                  13-Jan-2011 10:00:00 (DC2)",
      "Allowed workstations                        PC01,PC02",
      "Intruder lockout threshold                          5",
      "Intruder lockout period                    0:00:30:00",
      "Intruder reset period                      0:00:30:00",
      "Account locked                                     No",
      "Bad logon count                                     2",
      "Last unsuccessful logon          12-Jan-2011 08:15:00",
  };
  EXPECT_EQ(Report(AnnSmith()), expected);
}

TEST(AllReport, EmptyAccountWithoutLockoutPolicyEndsWithWorkstations) {
  RestrictionRecord r;
  EXPECT_EQ(Report(r), EmptyAccountReport("CN=Ann Smith,OU=Staff", false));
}

TEST(AllReport, ServersAreNamedOnlyBesideARealTime) {
  RestrictionRecord r = AnnSmith();
  r.modified = 0;
  r.last_logon = 0;
  std::vector<std::string> lines = Report(r);
  EXPECT_EQ(lines[4], "Modification date                                None");
  EXPECT_EQ(lines[17], "Last logon date                                  None");
}

TEST(AllReport, LockedAccountShowsLockoutTimeInsteadOfBadLogons) {
  RestrictionRecord r = AnnSmith();
  r.flags |= kFlagLocked;
  r.lockout_time = k12Jan2011At0930;
  r.lockout_duration = 0;
  std::vector<std::string> lines = Report(r);
  ASSERT_EQ(lines.size(), 24u);
  EXPECT_EQ(lines[20], "Intruder lockout period                    Indefinite");
  EXPECT_EQ(lines[22], "Account locked                                    Yes");
  EXPECT_EQ(lines[23], "Lockout date/time                12-Jan-2011 09:30:00");
}

TEST(AllReport, ExpiryFlagsShowInsideTheirDateLines) {
  RestrictionRecord r = AnnSmith();
  r.flags |= kFlagExpired | kFlagPasswordExpired | kFlagNeverExpires | kFlagDisabled;
  r.account_expires = k13Jan2011At1000;
  std::vector<std::string> lines = Report(r);
  EXPECT_EQ(lines[5], "Account disabled                                  Yes");
  EXPECT_EQ(lines[6], "Account expiration date          13-Jan-2011 10:00:00 (expired)");
  EXPECT_EQ(lines[7], "Password expiration date                        Never (expired)");
}

TEST(AllReport, AccountWithoutExpiryReadsNone) {
  RestrictionRecord r = AnnSmith();
  r.account_expires = 0;
  EXPECT_EQ(Report(r)[6], "Account expiration date                          None");
}

TEST(AllReport, WorkstationListsAlignRightUnlessTooLong) {
  struct Case {
    bool has;
    std::string list;
    std::string line;
  } cases[] = {
      {false, "", "Allowed workstations                              All"},
      {true, "PC01", "Allowed workstations                             PC01"},
      {true, std::string(32, 'w'), "Allowed workstations " + std::string(32, 'w')},
      {true, "PC0001,PC0002,PC0003,PC0004,PC05",  // 32 characters
       "Allowed workstations PC0001,PC0002,PC0003,PC0004,PC05"},
      {true, "PC000001,PC000002,PC000003,PC000004,PC05",  // 40 characters: not padded
       "Allowed workstations PC000001,PC000002,PC000003,PC000004,PC05"},
      {true, "PC-M\xC3\xBCller",  // padding counts characters
       "Allowed workstations" + std::string(24, ' ') + "PC-M\xC3\xBCller"},
  };
  for (const Case& c : cases) {
    RestrictionRecord r = AnnSmith();
    r.has_workstations = c.has;
    r.workstations = c.list;
    EXPECT_EQ(Report(r)[18], c.line) << c.list;
  }
}

TEST(AllReport, PasswordSettingsObjectLineAppearsOnlyWithOne) {
  RestrictionRecord r = AnnSmith();
  r.pso = "CN=pso1,CN=Password Settings Container,CN=System,DC=sales,DC=corp";
  std::vector<std::string> lines = Report(r);
  ASSERT_EQ(lines.size(), 26u);
  EXPECT_EQ(lines[8], "Password last change             05-Jan-2011 13:04:05");
  EXPECT_EQ(lines[9], "Password policy object                           pso1");
  EXPECT_EQ(lines[10], "Password minimum age                       1:00:00:00");

  r.pso = "CN=Fine grained policy for admins,CN=Password Settings Container,CN=System";
  EXPECT_EQ(Report(r)[9], "Password policy object           Fine grained policy for admins");
}

namespace {

// A grid row with the given local hours allowed.
std::string Row(const char* day, std::set<int> hours) {
  std::string row = std::string(day) + " ";
  for (int h = 0; h < 24; ++h) row += hours.count(h) ? "* " : "  ";
  return row;
}

constexpr const char* kHeader1 = "                        1 1 1 1 1 1 1 1 1 1 2 2 2 2";
constexpr const char* kHeader2 = "    0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3";

// Monday to Friday, 08:00 to 17:00 UTC.
std::vector<uint8_t> WeekdaysEightToFive() {
  std::vector<uint8_t> bits(kLogonHoursBytes, 0);
  for (int day = 1; day <= 5; ++day) {
    for (int hour = 8; hour < 17; ++hour) {
      int i = day * 24 + hour;
      bits[i / 8] |= static_cast<uint8_t>(1 << (i % 8));
    }
  }
  return bits;
}

std::set<int> Range(int from, int to) {
  std::set<int> hours;
  for (int h = from; h < to; ++h) hours.insert(h);
  return hours;
}

}  // namespace

TEST(LogonHoursGrid, AllHoursAllowed) {
  std::vector<uint8_t> bits(kLogonHoursBytes, 0xFF);
  std::vector<std::string> grid = BuildLogonHoursGrid(bits.data(), 0);
  ASSERT_EQ(grid.size(), 9u);
  EXPECT_EQ(grid[0], kHeader1);
  EXPECT_EQ(grid[1], kHeader2);
  const char* days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  for (int d = 0; d < 7; ++d) {
    std::string expected = std::string(days[d]) + " ";
    for (int h = 0; h < 24; ++h) expected += "* ";
    EXPECT_EQ(grid[d + 2], expected);
    EXPECT_EQ(grid[d + 2].size(), 52u);
  }
}

TEST(LogonHoursGrid, NoHoursAllowed) {
  std::vector<uint8_t> bits(kLogonHoursBytes, 0);
  std::vector<std::string> grid = BuildLogonHoursGrid(bits.data(), -10);
  ASSERT_EQ(grid.size(), 9u);
  EXPECT_EQ(grid[2], "Mon" + std::string(49, ' '));
  EXPECT_EQ(grid[8], "Sun" + std::string(49, ' '));
}

TEST(LogonHoursGrid, WeekdayHoursShiftWithTheLocalOffset) {
  std::vector<uint8_t> bits = WeekdaysEightToFive();
  struct Case {
    int half_hours;
    std::set<int> weekday_hours;
  } cases[] = {
      {0, Range(8, 17)},    // UTC
      {2, Range(9, 18)},    // UTC+1: 08:00 UTC is 09:00 local
      {-10, Range(3, 12)},  // UTC-5: 08:00 UTC is 03:00 local
  };
  for (const Case& c : cases) {
    std::vector<std::string> grid = BuildLogonHoursGrid(bits.data(), c.half_hours);
    std::vector<std::string> expected = {kHeader1,
                                         kHeader2,
                                         Row("Mon", c.weekday_hours),
                                         Row("Tue", c.weekday_hours),
                                         Row("Wed", c.weekday_hours),
                                         Row("Thu", c.weekday_hours),
                                         Row("Fri", c.weekday_hours),
                                         Row("Sat", {}),
                                         Row("Sun", {})};
    EXPECT_EQ(grid, expected) << "offset " << c.half_hours;
  }
}

TEST(LogonHoursGrid, HoursAroundTheWeekBoundaryWrap) {
  // Saturday 23:00 UTC (bit 167) and Sunday 00:00 UTC (bit 0).
  std::vector<uint8_t> bits(kLogonHoursBytes, 0);
  bits[20] = 0x80;
  bits[0] = 0x01;
  struct Case {
    int half_hours;
    std::set<int> saturday;
    std::set<int> sunday;
  } cases[] = {
      {0, {23}, {0}},
      {2, {}, {0, 1}},      // UTC+1: both fall on local Sunday
      {-10, {18, 19}, {}},  // UTC-5: both fall on local Saturday
      {28, {}, {13, 14}},   // UTC+14
  };
  for (const Case& c : cases) {
    std::vector<std::string> grid = BuildLogonHoursGrid(bits.data(), c.half_hours);
    EXPECT_EQ(grid[2], Row("Mon", {})) << c.half_hours;
    EXPECT_EQ(grid[7], Row("Sat", c.saturday)) << c.half_hours;
    EXPECT_EQ(grid[8], Row("Sun", c.sunday)) << c.half_hours;
  }
}

TEST(LogonHoursGrid, HalfHourOffsetsDropTheHalfHour) {
  // Monday 00:00 UTC (bit 24) only.
  std::vector<uint8_t> bits(kLogonHoursBytes, 0);
  bits[3] = 0x01;
  std::vector<std::string> plus = BuildLogonHoursGrid(bits.data(), 11);  // +5:30 shifts 5 hours
  EXPECT_EQ(plus[2], Row("Mon", {5}));
  std::vector<std::string> minus = BuildLogonHoursGrid(bits.data(), -7);  // -3:30 shifts 3 hours
  EXPECT_EQ(minus[2], Row("Mon", {}));
  EXPECT_EQ(minus[8], Row("Sun", {21}));
}
