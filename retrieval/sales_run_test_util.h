// Test helpers: the domain SALES (DC=sales,DC=corp) at the root of the in-memory directory, and a
// run over it with the directory context and output state that retrieval works on.
#ifndef LORVEX_RETRIEVAL_SALES_RUN_TEST_UTIL_H_
#define LORVEX_RETRIEVAL_SALES_RUN_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "directory/ads/fake/ads_fake.h"
#include "directory/directory_context.h"
#include "directory/times_test_util.h"
#include "query/filter.h"
#include "run/run_context.h"
#include "util/output.h"

/// The naming context of the domain SALES.
constexpr char kSalesDomain[] = "DC=sales,DC=corp";

/// Empties the in-memory directory and gives it the root DSE and the names of the domain SALES.
inline void ResetFakeSalesRoot() {
  FakeReset();
  FakeSetRootDse(kSalesDomain, "CN=Schema,CN=Configuration,DC=sales,DC=corp",
                 "CN=DC1,CN=Servers,CN=Site,CN=Sites,CN=Configuration,DC=sales,DC=corp");
  FakeSetDomainNames("SALES", "sales.corp");
}

/// The directory context of the domain SALES as opening the directory fills it.
inline void OpenSalesDirectory(DirectoryContext* dir) {
  dir->path_prefix = "LDAP://";
  dir->default_naming_context = kSalesDomain;
  dir->netbios_domain_name = "SALES";
}

/// A domain policy for the domain head: maximum age 42 days, minimum a day, length 7, history 24,
/// complexity, and a lockout after 5 bad logons for 30 minutes, counted over the window given.
inline std::vector<AdsAttribute> SalesDomainPolicy(uint32_t observation_window) {
  using namespace test_times;
  return {FakeLargeInteger("maxPwdAge", Interval(42 * kDay)),
          FakeLargeInteger("minPwdAge", Interval(kDay)),
          FakeInteger("minPwdLength", 7),
          FakeInteger("pwdHistoryLength", 24),
          FakeInteger("pwdProperties", 1),
          FakeLargeInteger("lockoutDuration", Interval(30 * kMinute)),
          FakeInteger("lockoutThreshold", 5),
          FakeLargeInteger("lockOutObservationWindow", Interval(observation_window))};
}

/// Tests of a run of the restriction "ad" at a fixed time over the domain SALES, whose head the
/// test adds: the directory context, the output state (program name LORVEX) and the run.
class SalesRunTest : public ::testing::Test {
 protected:
  explicit SalesRunTest(uint32_t now) : now_(now) {}

  void SetUp() override {
    ResetFakeSalesRoot();
    OpenSalesDirectory(&dir_);
    memset(&out_, 0, sizeof out_);
    strcpy(out_.program_name, "LORVEX");
    run_.directory = &dir_;
    run_.output = &out_;
    run_.dispatch = SelectAndDispatch;
    out_.fixed_now = now_;
    run_.restriction = kAd;
  }

  const uint32_t now_;
  DirectoryContext dir_;
  OutputContext out_;
  RunContext run_;
};

#endif  // LORVEX_RETRIEVAL_SALES_RUN_TEST_UTIL_H_
