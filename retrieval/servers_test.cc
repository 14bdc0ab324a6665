// The server list: specifications, exclusions, warnings, /$, controller location and the
// per-controller values with the retry for a controller that is not operational.
#include "retrieval/servers.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "retrieval/sample_domain_test_util.h"

namespace {

using Names = std::vector<std::string>;

constexpr char kAnn[] = "CN=Ann,OU=Staff,DC=sales,DC=corp";
constexpr int64_t kDcAccount = 0x82000;     // server trust, trusted for delegation
constexpr int64_t kMemberAccount = 0x1000;  // workstation trust

void AddComputer(const std::string& name, int64_t account_control, const std::string& address) {
  const std::string host = name + ".sales.corp";
  const std::string ou = account_control & 0x2000 ? "OU=Domain Controllers" : "CN=Computers";
  FakeAddObject("CN=" + name + "," + ou + ",DC=sales,DC=corp", {"top", "person", "user", "computer"},
                {FakeString("dNSHostName", host), FakeInteger("userAccountControl", account_control),
                 FakeString("sAMAccountName", name + "$")});
  if (!address.empty()) FakeAddHost(host, address);
}

class Servers : public testing::Test {
 protected:
  Servers() {
    FakeAddObject("CN=Computers,DC=sales,DC=corp", {"top", "container"});
    FakeAddObject("OU=Domain Controllers,DC=sales,DC=corp", {"top", "organizationalUnit"});
    AddComputer("DC1", kDcAccount, "10.1.1.1");
    AddComputer("DC2", kDcAccount, "10.1.1.2");
    AddComputer("DC3", kDcAccount, "10.1.1.3");
    AddComputer("DC4", kDcAccount, "");  // its host does not resolve
    AddComputer("MEMBER1", kMemberAccount, "10.1.2.1");
    d.run.restriction = kLld;
  }
  ~Servers() override {
    FreeServerList(d.run.server_list);
    delete d.run.server_list;
  }
  // The controllers listed, as "name host address".
  Names Listed() const {
    Names listed;
    if (!d.run.server_list) return listed;
    for (const ServerEntry* e = d.run.server_list->head; e; e = e->next) {
      listed.push_back(e->name + " " + e->host + " " + e->address);
    }
    return listed;
  }
  SampleDomain d;
};

TEST_F(Servers, EveryControllerWhenNoneIsNamed) {
  EXPECT_TRUE(PrepareServerList(&d.run, ""));
  EXPECT_EQ(Listed(), (Names{"DC1 DC1.sales.corp 10.1.1.1", "DC2 DC2.sales.corp 10.1.1.2",
                             "DC3 DC3.sales.corp 10.1.1.3", "DC4 DC4.sales.corp "}));
  EXPECT_EQ(d.run.server_prefix, "10.1.1.1");
  EXPECT_EQ(SampleDomain::Calls("search "),
            (Names{"search DC=sales,DC=corp 2 20 "
                   "(&(objectCategory=computer)(userAccountControl:1.2.840.113556.1.4.803:=8192))"}));
  EXPECT_EQ(d.output.Stderr(), "");
}

TEST_F(Servers, SpecificationSelectsAndExcludes) {
  const struct {
    const char* specification;
    Names names;
    const char* warnings;
  } cases[] = {
      {"dc*,!dc3", {"DC1", "DC2", "DC4"}, ""},
      {"!dc3", {}, ""},
      {"dc9,dc2", {"DC2"}, "Warning: Server(s) DC9 could not be found\n"},
      {"10.1.1.3", {"DC3"}, ""},
      {"dc2.SALES.corp", {"DC2"}, ""},
      {"d?1,dc2,dc2", {"DC1", "DC2"}, ""},
      {"dc*,!10.1.1.1,!dc4.sales.corp", {"DC2", "DC3"}, ""},
      {"dc3,!dc*", {}, ""},  // excluded on purpose: no warning
      {"member1", {}, "Warning: Server(s) MEMBER1 could not be found\n"},
  };
  for (const auto& c : cases) {
    SampleDomain fresh;
    fresh.run.restriction = kLld;
    AddComputer("DC1", kDcAccount, "10.1.1.1");
    AddComputer("DC2", kDcAccount, "10.1.1.2");
    AddComputer("DC3", kDcAccount, "10.1.1.3");
    AddComputer("DC4", kDcAccount, "");
    AddComputer("MEMBER1", kMemberAccount, "10.1.2.1");
    EXPECT_TRUE(PrepareServerList(&fresh.run, c.specification)) << c.specification;
    Names names;
    for (const ServerEntry* e = fresh.run.server_list->head; e; e = e->next) names.push_back(e->name);
    EXPECT_EQ(names, c.names) << c.specification;
    EXPECT_EQ(fresh.output.Stderr(), c.warnings) << c.specification;
    FreeServerList(fresh.run.server_list);
    delete fresh.run.server_list;
  }
}

TEST_F(Servers, ServerFileIsRead) {
  char path[] = "/tmp/lorvex_dcs_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  FILE* file = fdopen(fd, "w");
  fputs("dc1\n; comment\n\n!dc2\ndc*\n", file);
  fclose(file);
  EXPECT_TRUE(PrepareServerList(&d.run, std::string("@") + path));
  EXPECT_EQ(Listed(),
            (Names{"DC1 DC1.sales.corp 10.1.1.1", "DC3 DC3.sales.corp 10.1.1.3", "DC4 DC4.sales.corp "}));
  remove(path);
}

TEST_F(Servers, MissingServerFileFailsTheBuild) {
  EXPECT_FALSE(PrepareServerList(&d.run, "@/nonexistent/dcs.txt"));
  EXPECT_EQ(d.output.Stderr(), "LORVEX: Cannot open file /nonexistent/dcs.txt to read a server list\n");
}

TEST_F(Servers, OnlyRunsThatNeedControllerValuesGetAList) {
  d.run.restriction = kPe;
  EXPECT_TRUE(PrepareServerList(&d.run, "dc1"));
  EXPECT_EQ(d.run.server_list, nullptr);
  for (RestrictionCode restriction : {kMd, kAll}) {
    d.run.restriction = restriction;
    EXPECT_TRUE(PrepareServerList(&d.run, "dc2"));
    EXPECT_EQ(Listed(), (Names{"DC2 DC2.sales.corp 10.1.1.2"}));
  }
}

TEST_F(Servers, SingleControllerNamingNoControllerIsSwitchedOff) {
  d.run.restriction = kPe;
  d.run.options.single_controller = true;
  EXPECT_TRUE(PrepareServerList(&d.run, "member1"));
  EXPECT_FALSE(d.run.options.single_controller);
  EXPECT_EQ(d.output.Stderr(), "Warning: Server(s) MEMBER1 could not be found\n");
}

TEST_F(Servers, NoControllersFailsTheBuild) {
  SampleDomain empty;
  empty.run.restriction = kLld;
  EXPECT_FALSE(PrepareServerList(&empty.run, ""));
  EXPECT_EQ(empty.output.Stderr(),
            "LORVEX: No domain controllers were found\n"
            "Warning: Server(s) * could not be found\n");
  FreeServerList(empty.run.server_list);
  delete empty.run.server_list;
}

TEST_F(Servers, ControllerSearchFailureIsReported) {
  FakeFailSearch(kDomainDn, kAdsServerDown);
  EXPECT_FALSE(PrepareServerList(&d.run, "dc1"));
  EXPECT_EQ(d.output.Stderr(),
            "LORVEX: Failed to complete the search for domain controllers\n"
            "Reason(s): The server is not operational\n"
            "Warning: Server(s) DC1 could not be found\n");
}

TEST_F(Servers, ServerPrefixResolvesToTheControllerHost) {
  const struct {
    const char* prefix;
    bool single;
    bool go_on;
    const char* resolved;
    const char* errors;
  } cases[] = {
      {"10.1.1.2", true, true, "10.1.1.2", ""},
      {"dc2", true, true, "DC2.sales.corp", ""},
      {"member1", false, true, "", "LORVEX: MEMBER1 is not a domain controller\n"},
      {"member1", true, false, "", "LORVEX: MEMBER1 is not a domain controller\n"},
      {"nohost", false, true, "", "LORVEX: A domain controller named NOHOST was not located\n"},
  };
  for (const auto& c : cases) {
    SampleDomain fresh;
    AddComputer("DC2", kDcAccount, "10.1.1.2");
    AddComputer("MEMBER1", kMemberAccount, "10.1.2.1");
    fresh.run.server_prefix = c.prefix;
    fresh.run.options.single_controller = c.single;
    EXPECT_EQ(ResolveServerPrefix(&fresh.run), c.go_on) << c.prefix;
    EXPECT_EQ(fresh.run.resolved_server, c.resolved) << c.prefix;
    EXPECT_EQ(fresh.output.Stderr(), c.errors) << c.prefix;
  }
}

TEST_F(Servers, ControllerSearchesNameTheStepThatFailed) {
  const struct {
    bool bind_fails;  // else the search fails
    bool locate;      // LocateDomainController, else FindDomainControllers
    const char* errors;
  } cases[] = {
      {true, false,
       "LORVEX: Cannot connect to DC=sales,DC=corp to locate domain controllers\n"
       "Reason(s): The server is not operational\n"},
      {true, true,
       "LORVEX: Cannot connect to DC=sales,DC=corp to locate a domain controller\n"
       "Reason(s): The server is not operational\n"},
      {false, false,
       "LORVEX: Failed to complete the search for domain controllers\n"
       "Reason(s): The server is not operational\n"},
      {false, true, "LORVEX: Failed to search AD for DC DC2\nReason(s): The server is not operational\n"},
  };
  for (const auto& c : cases) {
    SampleDomain fresh;
    AddComputer("DC2", kDcAccount, "10.1.1.2");
    if (c.bind_fails) {
      FakeFailBind(kDomainDn, kAdsServerDown);
    } else {
      FakeFailSearch(kDomainDn, kAdsServerDown);
    }
    ServerList list;
    std::string resolved = "before";
    const int found =
        c.locate ? LocateDomainController(&fresh.run, "DC2", &resolved)
                 : FindDomainControllers(&fresh.output.out, &fresh.dir, &list, ServerSpecification());
    EXPECT_EQ(found, 0) << c.errors;
    EXPECT_EQ(list.head, nullptr) << c.errors;
    EXPECT_EQ(resolved, c.locate ? "" : "before") << c.errors;
    EXPECT_EQ(fresh.output.Stderr(), c.errors);
  }
}

TEST_F(Servers, LongControllerNameIsTriedWithFifteenCharacters) {
  AddComputer("BRANCHCONTROLLE", kDcAccount, "10.1.3.1");
  d.run.server_prefix = "branchcontroller7";
  d.run.options.single_controller = true;
  EXPECT_TRUE(ResolveServerPrefix(&d.run));
  EXPECT_EQ(d.run.resolved_server, "BRANCHCONTROLLE.sales.corp");
  EXPECT_EQ(d.run.server_prefix, "BRANCHCONTROLLER7");
  EXPECT_EQ(SampleDomain::Calls("search "),
            (Names{"search DC=sales,DC=corp 2 20 (&(objectCategory=computer)(CN=BRANCHCONTROLLER7))",
                   "search DC=sales,DC=corp 2 20 (&(objectCategory=computer)(CN=BRANCHCONTROLLE))"}));
  EXPECT_EQ(d.output.Stderr(), "LORVEX: A domain controller named BRANCHCONTROLLER7 was not located\n");
}

TEST_F(Servers, ControllerNameIsALiteralInTheFilter) {
  d.run.server_prefix = "dc*";
  EXPECT_TRUE(ResolveServerPrefix(&d.run));
  EXPECT_EQ(SampleDomain::Calls("search "),
            (Names{"search DC=sales,DC=corp 2 20 (&(objectCategory=computer)(CN=DC\\2A))"}));
}

// File time of 2011-01-05 09:08:07 UTC plus seconds.
int64_t FileTime(int64_t seconds_after) {
  return (1294218487LL + seconds_after + 11644473600LL) * 10000000LL;
}

class ControllerValues : public Servers {
 protected:
  ControllerValues() {
    EXPECT_TRUE(PrepareServerList(&d.run, "dc1,dc2,dc3"));
    FakeClearCalls();
  }
};

TEST_F(ControllerValues, LatestLastLogonNamesItsController) {
  FakeSetServerAttribute("10.1.1.1", kAnn, FakeLargeInteger("lastLogon", FileTime(900)));  // never read
  FakeSetServerAttribute("10.1.1.2", kAnn, FakeLargeInteger("lastLogon", FileTime(60)));
  FakeSetServerAttribute("10.1.1.3", kAnn, FakeLargeInteger("lastLogon", FileTime(120)));
  uint32_t latest = 77;
  std::string server = "old";
  EXPECT_EQ(ReadLatestLastLogon(&d.run, kAnn, "CN=Ann,OU=Staff", &latest, &server), 1);
  EXPECT_EQ(latest, 1294218487u + 120);
  EXPECT_EQ(server, "DC3");
  EXPECT_EQ(SampleDomain::Calls("open "), (Names{"open LDAP://10.1.1.2/CN=Ann,OU=Staff,DC=sales,DC=corp",
                                                 "open LDAP://10.1.1.3/CN=Ann,OU=Staff,DC=sales,DC=corp"}));
}

TEST_F(ControllerValues, EqualValuesKeepTheFirstControllerRead) {
  FakeSetServerAttribute("10.1.1.2", kAnn, FakeLargeInteger("lastLogon", FileTime(60)));
  FakeSetServerAttribute("10.1.1.3", kAnn, FakeLargeInteger("lastLogon", FileTime(60)));
  uint32_t latest = 0;
  std::string server;
  ReadLatestLastLogon(&d.run, kAnn, "CN=Ann,OU=Staff", &latest, &server);
  EXPECT_EQ(server, "DC2");
}

TEST_F(ControllerValues, NeverLoggedOnLeavesNoTime) {
  uint32_t latest = 5;
  std::string server;
  ReadLatestLastLogon(&d.run, kAnn, "CN=Ann,OU=Staff", &latest, &server);
  EXPECT_EQ(latest, 0u);
  EXPECT_EQ(server, "");
}

TEST_F(ControllerValues, WhenChangedGetsTheLocalOffset) {
  d.run.local_offset = 2;  // one hour east
  FakeSetServerAttribute("10.1.1.2", kAnn, FakeUtcTime("whenChanged", 2011, 1, 5, 9, 8, 7));
  FakeSetServerAttribute("10.1.1.3", kAnn, FakeUtcTime("whenChanged", 2011, 1, 5, 9, 8, 6));
  uint32_t latest = 0;
  std::string server;
  ReadLatestWhenChanged(&d.run, kAnn, "CN=Ann,OU=Staff", &latest, &server);
  EXPECT_EQ(latest, 1294218487u + 3600);
  EXPECT_EQ(server, "DC2");
}

TEST_F(ControllerValues, ControllerNotOperationalIsTriedTenTimes) {
  FakeFailServer("10.1.1.2", kAdsServerDown);
  FakeSetServerAttribute("10.1.1.3", kAnn, FakeLargeInteger("lastLogon", FileTime(5)));
  uint32_t latest = 0;
  std::string server;
  ReadLatestLastLogon(&d.run, kAnn, "CN=Ann,OU=Staff", &latest, &server);
  EXPECT_EQ(SampleDomain::Calls("open LDAP://10.1.1.2/").size(), 10u);
  EXPECT_EQ(d.output.Stderr(),
            "LORVEX: Cannot connect to CN=Ann,OU=Staff on DC2 using 10.1.1.2\n"
            "Reason(s): The server is not operational\n");
  EXPECT_EQ(server, "DC3");  // the other controllers still count
}

TEST_F(ControllerValues, OtherBindFailureIsReportedAfterOneAttempt) {
  FakeFailServer("10.1.1.2", kAdsAccessDenied);
  uint32_t latest = 0;
  std::string server;
  ReadLatestLastLogon(&d.run, kAnn, "CN=Ann,OU=Staff", &latest, &server);
  EXPECT_EQ(SampleDomain::Calls("open LDAP://10.1.1.2/").size(), 1u);
  EXPECT_EQ(d.output.Stderr(),
            "LORVEX: Cannot connect to CN=Ann,OU=Staff on DC2 using 10.1.1.2\n"
            "Reason(s): Access is denied\n");
}

TEST_F(ControllerValues, FailedReadIsReported) {
  FakeFailRead(kAnn, kAdsAccessDenied);
  uint32_t latest = 0;
  std::string server;
  ReadLatestLastLogon(&d.run, kAnn, "CN=Ann,OU=Staff", &latest, &server);
  EXPECT_EQ(d.output.Stderr(),
            "LORVEX: Cannot read the \"lastLogon\" attribute for CN=Ann,OU=Staff on DC2\n"
            "Reason(s): Access is denied\n"
            "LORVEX: Cannot read the \"lastLogon\" attribute for CN=Ann,OU=Staff on DC3\n"
            "Reason(s): Access is denied\n");
}

TEST_F(ControllerValues, HostIsUsedWhenTheAddressIsUnknown) {
  FreeServerList(d.run.server_list);
  EXPECT_TRUE(PrepareServerList(&d.run, "dc1,dc4"));
  FakeClearCalls();
  uint32_t latest = 0;
  std::string server;
  ReadLatestLastLogon(&d.run, kAnn, "CN=Ann,OU=Staff", &latest, &server);
  EXPECT_EQ(SampleDomain::Calls("open "),
            (Names{"open LDAP://DC4.sales.corp/CN=Ann,OU=Staff,DC=sales,DC=corp"}));
}

}  // namespace
