// Queries run one after another inside the process, as the window runs them: each run frees what
// it held and the next gives the same output. Whole outputs of runs are in the golden runs.
#include "query/driver.h"

#include <gtest/gtest.h>

#include "directory/ads/fake/ads_fake.h"
#include "directory/directory_context.h"
#include "run/run_context.h"
#include "util/cmdline.h"

namespace {

const char kDomain[] =
    R"(@root DC=x,DC=test CN=Schema,CN=Configuration,DC=x,DC=test CN=DC1,CN=Servers,CN=Site,CN=Sites,CN=Configuration,DC=x,DC=test
@names X x.test
@user ann
@host dc1.x.test 10.0.0.1
dn: DC=x,DC=test
objectClass: domain
maxPwdAge: -42d

dn: CN=Schema,CN=Configuration,DC=x,DC=test
objectClass: dMD

dn: CN=Partitions,CN=Configuration,DC=x,DC=test
objectClass: crossRefContainer

dn: CN=Ann,DC=x,DC=test
objectClass: user
sAMAccountName: ann
userAccountControl: 514

dn: CN=DC1,OU=Domain Controllers,DC=x,DC=test
objectClass: computer
userAccountControl: 532480
dNSHostName: dc1.x.test
)";

TEST(Driver, RunsInOneProcessEachStartFromNothing) {
  FakeReset();
  g_credentials = AdsCredentials();
  std::string bad_line;
  ASSERT_TRUE(FakeLoad(kDomain, &bad_line)) << bad_line;
  RunSettings settings;
  settings.fixed_now = 1294218487;  // 5 January 2011 09:08:07
  settings.fixed_offset = true;
  for (int i = 0; i < 2; ++i) {
    SetProcessCommandLine("lorvex ann ad eq yes /h", "/usr/bin/lorvex");
    testing::internal::CaptureStdout();
    EXPECT_EQ(MainRun(settings), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\nValues of \"Account disabled\" (eq yes) for user CN=Ann at 5-Jan-2011 9:08\n\n"
              "CN=Ann                                       Yes\n\n1 user, 1 selected\n");
    EXPECT_EQ(g_run, nullptr);
  }
}

}  // namespace
