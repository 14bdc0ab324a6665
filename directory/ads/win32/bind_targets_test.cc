#include "directory/ads/win32/bind_targets.h"

#include <gtest/gtest.h>

TEST(BindTargets, ControllersNamedByAddressAreBoundByTheirDnsName) {
  ControllerNames names;
  names.Learn("dc2.sales.corp.test", "127.0.0.12");
  names.Learn("127.0.0.13", "127.0.0.13");  // an address is no name
  std::vector<std::string> reversed;
  auto reverse = [&](const std::string& address) {
    reversed.push_back(address);
    return address == "127.0.0.14" ? std::string("dc4.sales.corp.test") : std::string();
  };
  struct Case {
    const char* host;
    const char* bound;
  } cases[] = {
      {"dc1.sales.corp.test", "dc1.sales.corp.test"},
      {"DC1", "DC1"},
      {"127.0.0.12", "dc2.sales.corp.test"},
      {"127.0.0.14", "dc4.sales.corp.test"},
      {"127.0.0.13", "127.0.0.13"},
      {"127.0.0.1234", "127.0.0.1234"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(BindHost(c.host, names, reverse), c.bound) << c.host;
  // Only addresses without a learned name are looked up.
  EXPECT_EQ(reversed, (std::vector<std::string>{"127.0.0.14", "127.0.0.13"}));
}

TEST(BindTargets, PathsWithoutAServerGoToTheUsersLogonDomain) {
  struct Case {
    const char* user_dns_domain;
    const char* sam_name;
    const char* domain;
  } cases[] = {
      {"sales.corp.test", "SALES\\alice", "sales.corp.test"},
      {"", "SALES\\alice", "SALES"},
      {"", "WS1\\admin", ""},  // a local account: the computer's own domain
      {"", "ws1\\admin", ""},
      {"", "", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LogonDomain(c.user_dns_domain, c.sam_name, "WS1"), c.domain) << c.sam_name;
}

TEST(BindTargets, NameTranslationFollowsReferralsToEachDomainOnce) {
  const std::vector<std::string> first = {""};
  struct Case {
    uint32_t status;
    const char* domain;
    std::vector<std::string> asked;
    bool done;
    uint32_t result;
    const char* next;
  } cases[] = {
      {kCrackOk, "", first, true, 0, ""},
      {kCrackDomainOnly, "emea.corp.test", first, false, 0, "emea.corp.test"},
      {kCrackTrustReferral, "partner.test", first, false, 0, "partner.test"},
      {kCrackDomainOnly, "EMEA.corp.test", {"", "emea.corp.test"}, true, 0x80072119, ""},
      {kCrackTrustReferral, "e.test", {"", "a.test", "b.test", "c.test"}, true, 0x80072187, ""},
      {kCrackDomainOnly, "", first, true, 0x80072119, ""},
      {kCrackNotFound, "emea.corp.test", first, true, 0x80072116, ""},
      {kCrackNotUnique, "", first, true, 0x80072117, ""},
  };
  for (const Case& c : cases) {
    const CrackStep step = NextCrackStep(c.status, c.domain, c.asked);
    EXPECT_EQ(step.done, c.done) << c.status << " " << c.domain;
    EXPECT_EQ(static_cast<uint32_t>(step.result), c.result) << c.status << " " << c.domain;
    EXPECT_EQ(step.domain, c.next) << c.status << " " << c.domain;
  }
}

TEST(BindTargets, TypedAccountsNameTheirDomainApart) {
  struct Case {
    const wchar_t* typed;
    const wchar_t* user;
    const wchar_t* domain;
  } cases[] = {
      {L"SALES\\alice", L"alice", L"SALES"},
      {L"alice@sales.corp.test", L"alice", L"sales.corp.test"},
      {L"a@b@sales.corp.test", L"a@b", L"sales.corp.test"},
      {L"alice", L"alice", L""},
  };
  for (const Case& c : cases) {
    std::wstring user = L"x", domain = L"x";
    SplitAccountName(c.typed, &user, &domain);
    EXPECT_EQ(user, c.user);
    EXPECT_EQ(domain, c.domain);
  }
}
