// Objects read in batches: the same records, lines and messages as objects read one by one, with
// one search per batch and controller instead of reads per object and controller.
#include "retrieval/retrieval_queue.h"

#include <gtest/gtest.h>

#include <functional>

#include "directory/descriptors_test_util.h"
#include "retrieval/batch_reads.h"
#include "retrieval/groups.h"
#include "retrieval/retrieval.h"
#include "retrieval/sample_domain_test_util.h"
#include "retrieval/servers.h"

namespace {

using Names = std::vector<std::string>;

constexpr int64_t kDcAccount = 0x82000;
constexpr uint32_t kNow = 1294218487;  // 2011-01-05 09:08:07

std::string User(int i) { return "CN=U" + std::to_string(i) + ",OU=Staff,DC=sales,DC=corp"; }

// File time of kNow (UTC) plus seconds.
int64_t FileTime(int64_t seconds_after) { return (kNow + seconds_after + 11644473600LL) * 10000000LL; }

void AddController(const std::string& name, const std::string& address) {
  const std::string host = name + ".sales.corp";
  FakeAddObject("CN=" + name + ",OU=Domain Controllers,DC=sales,DC=corp",
                {"top", "person", "user", "computer"},
                {FakeString("dNSHostName", host), FakeInteger("userAccountControl", kDcAccount)});
  FakeAddHost(host, address);
}

// What a run printed and counted.
struct Printed {
  std::string out, err;
  int code = 0;
  int examined = 0;
  int errors = 0;
  bool operator==(const Printed&) const = default;
};

std::ostream& operator<<(std::ostream& stream, const Printed& printed) {
  return stream << "code " << printed.code << ", examined " << printed.examined << ", errors "
                << printed.errors << "\n--- stdout\n"
                << printed.out << "--- stderr\n"
                << printed.err;
}

class BatchedRetrieval : public testing::Test {
 protected:
  BatchedRetrieval() {
    FakeAddObject("OU=Domain Controllers,DC=sales,DC=corp", {"top", "organizationalUnit"});
    AddController("DC1", "10.1.1.1");
    AddController("DC2", "10.1.1.2");
    AddController("DC3", "10.1.1.3");
    d.run.restriction = kLld;
    g_cancel = 0;
  }
  ~BatchedRetrieval() override {
    g_cancel = 0;
    if (d.run.server_list) {
      FreeServerList(d.run.server_list);
      delete d.run.server_list;
    }
  }

  // Users U0 .. U(count-1); U<i> logged on at DC2 i minutes and at DC3 i seconds after kNow.
  void AddUsers(int count) {
    for (int i = 0; i < count; ++i) {
      AddUser(User(i), "u" + std::to_string(i));
      FakeSetServerAttribute("10.1.1.2", User(i), FakeLargeInteger("lastLogon", FileTime(60 * i)));
      FakeSetServerAttribute("10.1.1.3", User(i), FakeLargeInteger("lastLogon", FileTime(i)));
    }
  }

  // Runs work with the objects read one by one, or in batches, with output of its own.
  Printed Run(bool batched, const std::function<int()>& work) {
    TestOutput output;
    d.run.output = &output.out;
    d.run.examined = 0;
    FakeClearCalls();
    Printed printed;
    if (batched) {
      RetrievalQueue queue(&d.run);
      printed.code = work();
      const int last = queue.Flush();
      if (printed.code == 0) printed.code = last;
    } else {
      printed.code = work();
    }
    printed.out = output.Stdout();
    printed.err = output.Stderr();
    printed.examined = d.run.examined;
    printed.errors = output.out.error_count;
    d.run.output = &d.output.out;
    return printed;
  }

  // Does the work both ways; what the batches print must be what the reads one by one print.
  Printed RunBothWays(const std::function<int()>& work) {
    const Printed one_by_one = Run(false, work);
    const Printed batched = Run(true, work);
    EXPECT_EQ(batched, one_by_one);
    return batched;
  }

  // Retrieves each object in turn; the code of the last, or the first stop code.
  std::function<int()> Retrieve(const Names& dns) {
    return [this, dns]() {
      int code = 0;
      for (const std::string& dn : dns) {
        code = RetrieveRestrictions(&d.run, dn);
        if (code == kWorkNoMemory || code == kWorkCancelled) break;
      }
      return code;
    };
  }

  static size_t Count(const std::string& prefix) { return SampleDomain::Calls(prefix).size(); }

  SampleDomain d;
};

TEST(BatchFilterText, NamesEachObjectOnceAsALiteral) {
  EXPECT_EQ(BatchFilter({"CN=A,DC=x", "cn=a,dc=x", "CN=Lee\\, Ann (*),DC=x"}),
            "(|(distinguishedName=CN=A,DC=x)(distinguishedName=CN=Lee\\5C, Ann \\28\\2A\\29,DC=x))");
}

TEST_F(BatchedRetrieval, LastLogonFromEveryControllerWithOneSearchEach) {
  AddUsers(5);
  ASSERT_TRUE(PrepareServerList(&d.run, ""));
  Names dns;
  for (int i = 0; i < 5; ++i) dns.push_back(User(i));
  const Printed one_by_one = Run(false, Retrieve(dns));
  EXPECT_EQ(Count("open LDAP://10.1.1.2/"), 5u);
  EXPECT_EQ(Count("open LDAP://10.1.1.3/"), 5u);

  const Printed batched = Run(true, Retrieve(dns));
  EXPECT_EQ(batched, one_by_one);
  EXPECT_EQ(batched.out,
            "CN=U0,OU=Staff                               05-Jan-2011 09:08:07 (DC2)\n"
            "CN=U1,OU=Staff                               05-Jan-2011 09:09:07 (DC2)\n"
            "CN=U2,OU=Staff                               05-Jan-2011 09:10:07 (DC2)\n"
            "CN=U3,OU=Staff                               05-Jan-2011 09:11:07 (DC2)\n"
            "CN=U4,OU=Staff                               05-Jan-2011 09:12:07 (DC2)\n");
  const std::string filter =
      "(|(distinguishedName=CN=U0,OU=Staff,DC=sales,DC=corp)(distinguishedName=CN=U1,OU=Staff,DC=sales,DC="
      "corp)"
      "(distinguishedName=CN=U2,OU=Staff,DC=sales,DC=corp)(distinguishedName=CN=U3,OU=Staff,DC=sales,DC=corp)"
      "(distinguishedName=CN=U4,OU=Staff,DC=sales,DC=corp))";
  // One search for the objects themselves and one per controller after the first; no reads of
  // single objects at all.
  EXPECT_EQ(Count("search DC=sales,DC=corp 2 1000 " + filter), 3u);
  EXPECT_EQ(Count("open LDAP://10.1.1.2/"), 1u);
  EXPECT_EQ(Count("open LDAP://10.1.1.3/"), 1u);
  EXPECT_EQ(Count("read CN=U"), 0u);
}

TEST_F(BatchedRetrieval, ControllerDownIsReportedForEachObjectAfterTenBindsPerBatch) {
  AddUsers(3);
  ASSERT_TRUE(PrepareServerList(&d.run, ""));
  FakeFailServer("10.1.1.2", kAdsServerDown);
  const Names dns = {User(0), User(1), User(2)};
  const Printed one_by_one = Run(false, Retrieve(dns));
  EXPECT_EQ(Count("open LDAP://10.1.1.2/"), 30u);
  const Printed batched = Run(true, Retrieve(dns));
  EXPECT_EQ(Count("open LDAP://10.1.1.2/"), 10u);
  EXPECT_EQ(batched, one_by_one);
  EXPECT_EQ(batched.err,
            "LORVEX: Cannot connect to CN=U0,OU=Staff on DC2 using 10.1.1.2\n"
            "Reason(s): The server is not operational\n"
            "LORVEX: Cannot connect to CN=U1,OU=Staff on DC2 using 10.1.1.2\n"
            "Reason(s): The server is not operational\n"
            "LORVEX: Cannot connect to CN=U2,OU=Staff on DC2 using 10.1.1.2\n"
            "Reason(s): The server is not operational\n");
  // The values of the controller that answers still count.
  EXPECT_EQ(batched.out,
            "CN=U0,OU=Staff                               05-Jan-2011 09:08:07 (DC3)\n"
            "CN=U1,OU=Staff                               05-Jan-2011 09:08:08 (DC3)\n"
            "CN=U2,OU=Staff                               05-Jan-2011 09:08:09 (DC3)\n");
  EXPECT_EQ(batched.errors, 3);
}

TEST_F(BatchedRetrieval, ObjectThatVanishedIsReadAloneAndReportedLikeAnyOther) {
  AddUsers(3);
  ASSERT_TRUE(PrepareServerList(&d.run, "dc1,dc2"));
  auto work = [this]() {
    int code = RetrieveRestrictions(&d.run, User(0));
    code = RetrieveRestrictions(&d.run, "CN=Gone,OU=Staff,DC=sales,DC=corp");
    code = RetrieveRestrictions(&d.run, User(2));
    return code;
  };
  const Printed batched = RunBothWays(work);
  EXPECT_EQ(batched.err,
            "LORVEX: Cannot connect to CN=Gone,OU=Staff on DC2 using 10.1.1.2\n"
            "Reason(s): There is no such object on the server\n"
            "LORVEX: Cannot get the attributes for CN=Gone,OU=Staff\n"
            "Reason(s): There is no such object on the server\n");
  EXPECT_EQ(batched.examined, 3);
  // Only the object the searches missed is read on its own.
  EXPECT_EQ(SampleDomain::Calls("open LDAP://10.1.1.2/"),
            (Names{"open LDAP://10.1.1.2/DC=sales,DC=corp",
                   "open LDAP://10.1.1.2/CN=Gone,OU=Staff,DC=sales,DC=corp"}));
}

TEST_F(BatchedRetrieval, MessagesPrintedMeanwhileWaitForTheObjectsQueuedBeforeThem) {
  AddUsers(2);
  d.run.restriction = kAd;
  auto work = [this]() {
    RetrieveRestrictions(&d.run, User(0));
    PrintFormatted(d.run.output, -1, 1, "%s: between", d.run.output->program_name);
    PrintFormatted(d.run.output, 0, 0, "ordinary");
    return RetrieveRestrictions(&d.run, User(1));
  };
  const Printed batched = RunBothWays(work);
  EXPECT_EQ(batched.out,
            "CN=U0,OU=Staff                                No\n"
            "ordinary\n"
            "CN=U1,OU=Staff                                No\n");
  EXPECT_EQ(batched.err, "LORVEX: between\n");
}

TEST_F(BatchedRetrieval, NewServerListEndsTheBatchReadWithTheOldOne) {
  AddUsers(2);
  ASSERT_TRUE(PrepareServerList(&d.run, "dc1,dc2"));
  auto work = [this]() {
    PrepareServerList(&d.run, "dc1,dc2");
    RetrieveRestrictions(&d.run, User(1));
    PrepareServerList(&d.run, "dc1,dc3");
    return RetrieveRestrictions(&d.run, User(1));
  };
  const Printed batched = RunBothWays(work);
  EXPECT_EQ(batched.out,
            "CN=U1,OU=Staff                               05-Jan-2011 09:09:07 (DC2)\n"
            "CN=U1,OU=Staff                               05-Jan-2011 09:08:08 (DC3)\n");
}

TEST_F(BatchedRetrieval, PasswordSettingsObjectIsReadOncePerRun) {
  const std::string pso = "CN=Strict,CN=Password Settings Container,CN=System,DC=sales,DC=corp";
  FakeAddObject(pso, {"top", "msDS-PasswordSettings"}, {FakeInteger("msDS-MinimumPasswordLength", 14)});
  for (int i = 0; i < 3; ++i) AddUser(User(i), "u" + std::to_string(i), {FakeDn("msDS-ResultantPSO", pso)});
  d.run.restriction = kPml;
  const Names dns = {User(0), User(1), User(2)};
  const Printed one_by_one = Run(false, Retrieve(dns));
  EXPECT_EQ(Count("open LDAP://" + pso), 3u);
  const Printed batched = Run(true, Retrieve(dns));
  EXPECT_EQ(Count("open LDAP://" + pso), 1u);
  EXPECT_EQ(batched, one_by_one);
  EXPECT_EQ(batched.out,
            "CN=U0,OU=Staff                                         14\n"
            "CN=U1,OU=Staff                                         14\n"
            "CN=U2,OU=Staff                                         14\n");
}

TEST_F(BatchedRetrieval, PasswordSettingsObjectThatCannotBeBoundIsReportedForEachAccount) {
  const std::string pso = "CN=Gone,CN=Password Settings Container,CN=System,DC=sales,DC=corp";
  FakeFailBind(pso, kAdsAccessDenied);
  for (int i = 0; i < 2; ++i) AddUser(User(i), "u" + std::to_string(i), {FakeDn("msDS-ResultantPSO", pso)});
  d.run.restriction = kPml;
  const Printed batched = RunBothWays(Retrieve({User(0), User(1)}));
  EXPECT_EQ(batched.err,
            "LORVEX: Cannot connect to password policy object Gone\n"
            "Reason(s): Access is denied\n"
            "LORVEX: Cannot connect to password policy object Gone\n"
            "Reason(s): Access is denied\n");
  EXPECT_EQ(batched.errors, 2);
}

TEST_F(BatchedRetrieval, DaclComesWithTheObjectsSearch) {
  using test_descriptors::CannotChangeDescriptor;
  AddUser(User(0), "u0",
          {FakeSecurityDescriptor(CannotChangeDescriptor()), FakeInteger("userAccountControl", 0x200)});
  AddUser(User(1), "u1", {FakeInteger("userAccountControl", 0x200)});
  d.run.restriction = kPuc;
  const Printed batched = RunBothWays(Retrieve({User(0), User(1)}));
  EXPECT_EQ(batched.out,
            "CN=U0,OU=Staff                                No\n"
            "CN=U1,OU=Staff                               Yes\n");
  EXPECT_EQ(Count("read CN=U"), 0u);
}

TEST_F(BatchedRetrieval, StopByTheUserDropsEverythingQueued) {
  AddUsers(2);
  d.run.restriction = kAd;
  const Printed batched = Run(true, [this]() {
    EXPECT_EQ(RetrieveRestrictions(&d.run, User(0)), 0);
    PrintFormatted(d.run.output, 0, 0, "after the first");
    g_cancel = 1;
    return RetrieveRestrictions(&d.run, User(1));
  });
  EXPECT_EQ(batched.code, kWorkCancelled);
  EXPECT_EQ(batched.out, "");
  EXPECT_EQ(batched.examined, 0);
}

TEST_F(BatchedRetrieval, BatchesHoldAFixedNumberOfObjects) {
  d.run.restriction = kAd;
  Names dns;
  for (int i = 0; i < 600; ++i) {
    AddUser(User(i), "u" + std::to_string(i));
    dns.push_back(User(i));
  }
  const Printed batched = Run(true, Retrieve(dns));
  EXPECT_EQ(batched.examined, 600);
  EXPECT_EQ(Count("search DC=sales,DC=corp 2 1000 (|"), 3u);  // 250, 250 and 100 objects
  EXPECT_EQ(batched, Run(false, Retrieve(dns)));
}

TEST_F(BatchedRetrieval, GroupMembersClassesAreReadWithOneSearchPerRange) {
  Names members;
  for (int i = 0; i < 45; ++i) {
    AddUser(User(i), "u" + std::to_string(i));
    members.push_back(User(i));
  }
  AddGroup("CN=Inner,OU=Staff,DC=sales,DC=corp", {User(0)});
  members.push_back("CN=Inner,OU=Staff,DC=sales,DC=corp");
  AddGroup("CN=Big,OU=Staff,DC=sales,DC=corp", members);
  d.run.restriction = kAd;
  d.run.options.nested_groups = true;
  auto work = [this]() { return ExpandGroup(&d.run, "CN=Big,OU=Staff,DC=sales,DC=corp"); };
  const Printed one_by_one = Run(false, work);
  EXPECT_EQ(Count("info "), 47u);
  const Printed batched = Run(true, work);
  EXPECT_EQ(batched, one_by_one);
  EXPECT_EQ(batched.examined, 46);
  EXPECT_EQ(Count("info "), 0u);
  EXPECT_EQ(SampleDomain::Calls("read CN=Big,OU=Staff,DC=sales,DC=corp "),
            (Names{"read CN=Big,OU=Staff,DC=sales,DC=corp member;Range=0-999"}));
}

}  // namespace
