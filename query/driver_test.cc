#include "query/driver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "directory/ads_fake.h"
#include "directory/directory_context.h"
#include "query/run_context.h"
#include "query/usage.h"
#include "util/cmdline.h"

namespace {

const char kDomain[] = "DC=sales,DC=corp";
const char kSchema[] = "CN=Schema,CN=Configuration,DC=sales,DC=corp";
const char kServer[] = "CN=DC1,CN=Servers,CN=Default-First-Site-Name,CN=Sites,CN=Configuration,DC=sales,DC=corp";
const char kAnn[] = "CN=Ann,OU=Staff,DC=sales,DC=corp";
const char kBob[] = "CN=Bob,OU=Staff,DC=sales,DC=corp";
const char kStaff[] = "CN=Staff Group,OU=Staff,DC=sales,DC=corp";

// 5 January 2011 09:08:07 local time, in UTC.
constexpr uint32_t kNow = 1294218487;
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601 = 11644473600;

int64_t FileTime(uint32_t seconds) { return (seconds + kSecondsFrom1601) * kTicksPerSecond; }

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
    FakeSetRootDse(kDomain, kSchema, kServer);
    FakeSetDomainNames("SALES", "sales.corp");
    FakeAddObject(kDomain, {"top", "domain", "domainDNS"},
                  {FakeLargeInteger("maxPwdAge", -42LL * 86400 * kTicksPerSecond), FakeInteger("minPwdLength", 7),
                   FakeInteger("lockoutThreshold", 0)});
    FakeAddObject(kSchema, {"top", "dMD"});
    FakeAddObject("CN=Partitions,CN=Configuration,DC=sales,DC=corp", {"top", "crossRefContainer"});
    FakeAddObject("OU=Staff,DC=sales,DC=corp", {"top", "organizationalUnit"});
    FakeSetUserName("ann");
    AddUser(kAnn, "ann", 0x200);
    AddUser(kBob, "bob", 0x202);
    FakeAddObject("CN=DC1,OU=Domain Controllers,DC=sales,DC=corp", {"top", "computer"},
                  {FakeString("sAMAccountName", "DC1$"), FakeInteger("userAccountControl", 0x82000),
                   FakeString("dNSHostName", "dc1.sales.corp")});
    FakeAddHost("dc1.sales.corp", "10.0.0.1");
    FakeAddObject(kStaff, {"top", "group"},
                  {FakeString("sAMAccountName", "staff"), FakeDns("member", {kAnn, kBob})});
  }
  void TearDown() override { g_cancel.store(0); }

  static void AddUser(const char* dn, const char* account, int control) {
    FakeAddObject(dn, {"top", "person", "organizationalPerson", "user"},
                  {FakeString("sAMAccountName", account), FakeInteger("userAccountControl", control),
                   FakeLargeInteger("pwdLastSet", FileTime(kNow - 86400)),
                   FakeUtcTime("whenCreated", 2010, 12, 1, 10, 0, 0),
                   FakeUtcTime("whenChanged", 2010, 12, 2, 10, 0, 0)});
  }

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

}  // namespace
