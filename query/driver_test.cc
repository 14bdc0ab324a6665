#include "query/driver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "directory/ads/fake/ads_fake.h"
#include "directory/directory_context.h"
#include "query/usage.h"
#include "run/run_context.h"
#include "util/cmdline.h"

namespace {

const char kAnn[] = "CN=Ann,OU=Staff,DC=sales,DC=corp";
const char kStaff[] = "CN=Staff Group,OU=Staff,DC=sales,DC=corp";

// The domain SALES: its head with a policy, DC1, and Ann and Bob, the members of Staff Group, with
// passwords set a day before the run.
const char kSalesDomain[] =
    R"(@root DC=sales,DC=corp CN=Schema,CN=Configuration,DC=sales,DC=corp CN=DC1,CN=Servers,CN=Default-First-Site-Name,CN=Sites,CN=Configuration,DC=sales,DC=corp
@names SALES sales.corp
@user ann
@host dc1.sales.corp 10.0.0.1
dn: DC=sales,DC=corp
objectClass: domain
objectClass: domainDNS
maxPwdAge: -42d
minPwdLength: 7
lockoutThreshold: 0

dn: CN=Schema,CN=Configuration,DC=sales,DC=corp
objectClass: dMD

dn: CN=Partitions,CN=Configuration,DC=sales,DC=corp
objectClass: crossRefContainer

dn: OU=Staff,DC=sales,DC=corp
objectClass: organizationalUnit

dn: CN=Ann,OU=Staff,DC=sales,DC=corp
objectClass: person
objectClass: organizationalPerson
objectClass: user
sAMAccountName: ann
userAccountControl: 512
pwdLastSet: 2011-01-04 09:08:07
whenCreated: 20101201100000.0Z
whenChanged: 20101202100000.0Z

dn: CN=Bob,OU=Staff,DC=sales,DC=corp
objectClass: person
objectClass: organizationalPerson
objectClass: user
sAMAccountName: bob
userAccountControl: 514
pwdLastSet: 2011-01-04 09:08:07
whenCreated: 20101201100000.0Z
whenChanged: 20101202100000.0Z

dn: CN=DC1,OU=Domain Controllers,DC=sales,DC=corp
objectClass: computer
sAMAccountName: DC1$
userAccountControl: 532480
dNSHostName: dc1.sales.corp

dn: CN=Staff Group,OU=Staff,DC=sales,DC=corp
objectClass: group
sAMAccountName: staff
member: CN=Ann,OU=Staff,DC=sales,DC=corp
member: CN=Bob,OU=Staff,DC=sales,DC=corp
)";

// 5 January 2011 09:08:07 local time, in UTC.
constexpr uint32_t kNow = 1294218487;

std::string UsageText() {
  std::string text;
  for (int i = 0; i < UsageLineCount(); ++i) text += std::string(kUsageLines[i]) + "\n";
  return text;
}

class DriverTest : public testing::Test {
 protected:
  void SetUp() override {
    FakeReset();
    g_credentials = AdsCredentials();
    g_silent = false;
    std::string bad_line;
    ASSERT_TRUE(FakeLoad(kSalesDomain, &bad_line)) << bad_line;
  }
  void TearDown() override { g_cancel.store(0); }

  // Runs a command line in this process; stdout and stderr are kept for the test.
  int Run(const std::string& arguments) {
    SetProcessCommandLine("lorvex " + arguments, "/usr/bin/lorvex");
    RunSettings settings;
    settings.fixed_now = kNow;
    settings.fixed_offset = true;
    settings.local_offset = 0;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int exit_value = MainRun(settings);
    stdout_ = testing::internal::GetCapturedStdout();
    stderr_ = testing::internal::GetCapturedStderr();
    EXPECT_EQ(g_run, nullptr) << "the run is freed";
    return exit_value;
  }

  std::string stdout_;
  std::string stderr_;
};

TEST_F(DriverTest, QuestionMarkShowsTheUsageText) {
  for (const char* arguments : {"?", "ann lld /?", "ann -?", "/j /?"}) {
    EXPECT_EQ(Run(arguments), 0) << arguments;
    EXPECT_EQ(stdout_, UsageText()) << arguments;
    EXPECT_EQ(stderr_, "") << arguments;
  }
}

struct CommandCase {
  const char* arguments;
  int exit_value;
  const char* out;
  const char* err;
};

const CommandCase kCommands[] = {
    {"ann ad", 0,
     "\nValues of \"Account disabled\" for user CN=Ann,OU=Staff at 5-Jan-2011 9:08\n\n"
     "CN=Ann,OU=Staff                               No\n\n"
     "1 user\n",
     ""},
    {"\"Staff Group\" AD EQ Yes", 0,
     "\nValues of \"Account disabled\" (eq yes) for members of group CN=Staff\n Group,OU=Staff at 5-Jan-2011 "
     "9:08\n\n"
     "CN=Bob,OU=Staff                              Yes\n\n"
     "2 users, 1 selected\n",
     ""},
    {"\"Staff Group\" ad eq yes /t", 0,
     "\nValues of \"Account disabled\" (eq yes) for members of group CN=Staff\n Group,OU=Staff at 5-Jan-2011 "
     "9:08\n\n"
     "2 users, 1 selected\n",
     ""},
    {"\"Staff Group\" pml eq 7 /h", 2,
     "\nValues of \"Password minimum length\" (eq 7) for members of group CN=Staff\n Group,OU=Staff at "
     "5-Jan-2011 9:08\n\n"
     "CN=Ann,OU=Staff                                         7\n"
     "CN=Bob,OU=Staff                                         7\n\n"
     "2 users, 2 selected\n",
     ""},
    {"\"Staff Group\" ad /s=r /j", 0,
     "\nCN=Bob,OU=Staff                              Yes\n"
     "CN=Ann,OU=Staff                               No\n",
     ""},
    {"ann lld lt 01:jan:2011 12:00", 0,
     "\nValues of \"Last logon date\" (lt 01:jan:2011) for user CN=Ann,OU=Staff at\n 5-Jan-2011 9:08\n\n"
     "CN=Ann,OU=Staff                                              None\n\n"
     "1 user, 1 selected\n",
     ""},
    {"ann ll", 1, "\n", "LORVEX: Unrecognised account restriction 'll'\n"},
    {"ann pe gt yes", 1, "\n",
     "LORVEX: Restrictions 'ad', 'ae', 'al, 'pcl', 'pe', 'pne', 'pr', 'pre', 'pur'\n"
     " 'puc' can only be used with operators 'eq' and 'ne'\n"},
    {"ann pcr gt yes", 0,
     "\nValues of \"Password complexity required\" (gt yes) for user CN=Ann,OU=Staff at\n 5-Jan-2011 9:08\n\n"
     "CN=Ann,OU=Staff                               No\n\n"
     "1 user, 1 selected\n",
     ""},
    {"ann all eq yes", 1, "\n", "LORVEX: Cannot follow 'all' with an operator\n"},
    {"ann ped ge none", 1, "\n",
     "LORVEX: Values 'none', 'n', 'unlimited', 'u', 'locked' and 'l' can only be\n"
     " used with operators '=', 'eq' and 'ne'\n"},
    {"ann pe EQ", 1, "\n", "LORVEX: Operator 'eq' must be followed by a value\n"},
    {"ann lld =< today", 1, "\n", "LORVEX: Unrecognised comparison operator '=<'\n"},
    {"ann blc in 5", 1, "\n",
     "LORVEX: Operators 'include' and '!include' can be used only with field\n \"Workstation "
     "restrictions\"\n"},
    {"ann blc eq 1.5", 1, "\n", "LORVEX: Invalid character '.' found in decimal value '1.5'\n"},
    {"ann blc gt 5 6", 1, "\n", "LORVEX: Too many parameters or missing '/' or '-'\n"},
    {"ann /s=v", 1, "\n", "LORVEX: Cannot sort by value for all restrictions or logon hours\n"},
    {"ann lh /s=vr", 1, "\n", "LORVEX: Cannot sort by value for all restrictions or logon hours\n"},
    {"@missing.txt", 1, "\n", "LORVEX: Cannot open file missing.txt\n"},
    {"missing.txt ad /f", 1, "\n", "LORVEX: Cannot open file missing.txt\n"},
    {"/f", 1, "\n", "LORVEX: No file has been specified when /f is used\n"},
    {"nobody ad", 1, "\n", "LORVEX: No objects named nobody were found\n"},
    {"ann /o=x", 1, "\n", "LORVEX: An object class must be user, computer, inetOrgPerson, person or group\n"},
};

TEST_F(DriverTest, CommandsGiveTheirWholeOutputAndExitValue) {
  for (const CommandCase& c : kCommands) {
    EXPECT_EQ(Run(c.arguments), c.exit_value) << c.arguments;
    EXPECT_EQ(stdout_, c.out) << c.arguments;
    EXPECT_EQ(stderr_, c.err) << c.arguments;
  }
}

TEST_F(DriverTest, WithoutArgumentsTheRunningAccountIsReportedInFull) {
  EXPECT_EQ(Run(""), 0);
  EXPECT_EQ(stdout_,
            "\nAccount Restrictions for CN=Ann,OU=Staff\n\n"
            "Creation date                    01-Dec-2010 10:00:00\n"
            "Modification date                02-Dec-2010 10:00:00 (DC1)\n"
            "Account disabled                                   No\n"
            "Account expiration date                          None\n"
            "Password expiration date         15-Feb-2011 09:08:07\n"
            "Password last change             04-Jan-2011 09:08:07\n"
            "Password minimum age                             None\n"
            "Password maximum age                      42:00:00:00\n"
            "Password required                                 Yes\n"
            "Password minimum length                             7\n"
            "Password user can change                          Yes\n"
            "Password stored using reversible encryption        No\n"
            "Password complexity required                       No\n"
            "Password history length                          None\n"
            "Last logon date                                  None\n"
            "Allowed workstations                              All\n\n"
            "1 user\n");
  EXPECT_EQ(stderr_, "");
}

TEST_F(DriverTest, AnUnreachableDirectoryEndsTheRunAtOnce) {
  std::string bad_line;
  ASSERT_TRUE(FakeLoad("@fail server 8007203A", &bad_line));
  EXPECT_EQ(Run("ann ad"), 1);
  EXPECT_EQ(stdout_, "");
  EXPECT_EQ(stderr_.rfind("LORVEX: Cannot connect to LDAP://rootDSE\nReason(s): ", 0), 0u) << stderr_;
}

// A file of objects in the current directory, removed at the end. Its name holds no '/': a
// leading '/' would make it an option, and "@" with a '/' names a server, not a file.
class InputFile {
 public:
  explicit InputFile(const std::string& text) {
    path_ = "lorvex_driver_objects.txt";
    FILE* file = fopen(path_.c_str(), "w");
    fputs(text.c_str(), file);
    fclose(file);
  }
  ~InputFile() { remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST_F(DriverTest, FileModeProcessesEveryNamedLine) {
  InputFile objects("ann\n; bob is a comment\n\n  \"Staff Group\"  members\r\nnobody\n  bob\tsecond\n");
  const std::string expected_out = "\nAccount disabled (eq no) for objects in file " + objects.path() +
                                   " at\n 5-Jan-2011 9:08\n\n"
                                   "CN=Ann,OU=Staff                               No\n"
                                   "CN=Ann,OU=Staff                               No\n\n"
                                   "4 users, 2 selected, 1 error\n";
  for (const std::string& arguments : {"@" + objects.path() + " ad eq no", objects.path() + " ad eq no /f"}) {
    EXPECT_EQ(Run(arguments), 1) << arguments;
    EXPECT_EQ(stdout_, expected_out) << arguments;
    EXPECT_EQ(stderr_, "LORVEX: No objects named nobody were found\n\n4 users, 2 selected, 1 error\n")
        << arguments;
  }
}

TEST_F(DriverTest, LogFileOnAFullDiskIsAnErrorOfTheRunAndTheConsoleKeepsEverything) {
  // /dev/full takes the open and refuses every write: the log's first line already fails, while the
  // options are taken, and that error still counts after the run's counts are reset. (Appending, so
  // that nothing here would ever try to delete the device.)
  EXPECT_EQ(Run("ann ad /l=append,\"/dev/full\""), 1);
  EXPECT_EQ(stdout_,
            "\n\nValues of \"Account disabled\" for user CN=Ann,OU=Staff at 5-Jan-2011 9:08\n\n"
            "CN=Ann,OU=Staff                               No\n\n"
            "1 user, 1 error\n");
  EXPECT_EQ(stderr_,
            "LORVEX: Cannot write to log file /dev/full\nReason(s): No space left on device\n\n"
            "1 user, 1 error\n");
}

}  // namespace
