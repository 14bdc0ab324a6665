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
  const std::pair<const char*, const char*> cases[] = {{"dc1.sales.corp.test", "dc1.sales.corp.test"},
                                                       {"DC1", "DC1"},
                                                       {"127.0.0.12", "dc2.sales.corp.test"},
                                                       {"127.0.0.14", "dc4.sales.corp.test"},
                                                       {"127.0.0.13", "127.0.0.13"},
                                                       {"127.0.0.1234", "127.0.0.1234"},
                                                       {"", ""}};
  for (const auto& [host, bound] : cases) EXPECT_EQ(BindHost(host, names, reverse), bound) << host;
  // Only addresses without a learned name are looked up.
  EXPECT_EQ(reversed, (std::vector<std::string>{"127.0.0.14", "127.0.0.13"}));
}

TEST(BindTargets, PathsWithoutAServerGoToTheUsersLogonDomain) {
  // The DNS domain of the logon, else the account's domain unless that is the computer's own.
  EXPECT_EQ(LogonDomain("sales.corp.test", "SALES\\alice", "WS1"), "sales.corp.test");
  EXPECT_EQ(LogonDomain("", "SALES\\alice", "WS1"), "SALES");
  EXPECT_EQ(LogonDomain("", "WS1\\admin", "WS1") + LogonDomain("", "ws1\\admin", "WS1") +
                LogonDomain("", "", "WS1"),
            "");
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
  for (const auto& [typed, split] : std::vector<std::pair<const wchar_t*, std::wstring>>{
           {L"SALES\\alice", L"alice SALES"},
           {L"alice@sales.corp.test", L"alice sales.corp.test"},
           {L"a@b@sales.corp.test", L"a@b sales.corp.test"},
           {L"alice", L"alice "}}) {
    std::wstring user = L"x", domain = L"x";
    SplitAccountName(typed, &user, &domain);
    EXPECT_EQ(user + L" " + domain, split);
  }
}
