// Group member expansion: ranges of 20, nested groups and cycles, primary-group members,
// foreign security principals, stop codes and failures.
#include "retrieval/groups.h"

#include <gtest/gtest.h>

#include "retrieval/sample_domain_test_util.h"

namespace {

using Names = std::vector<std::string>;

std::string Member(int i) { return "CN=M" + std::to_string(i) + ",OU=Staff,DC=sales,DC=corp"; }

// A group of count users M0, M1, ...
Names AddGroupOf(const std::string& dn, int count) {
  Names members;
  for (int i = 0; i < count; ++i) {
    AddUser(Member(i), "m" + std::to_string(i));
    members.push_back(Member(i));
  }
  AddGroup(dn, members);
  return members;
}

class Groups : public testing::Test {
 protected:
  Groups() { Retrieved::Reset(); }
  int Expand(const std::string& dn) {
    FakeClearCalls();
    return ExpandGroupWith(&d.run, dn, Retrieved::Record);
  }
  SampleDomain d;
};

TEST_F(Groups, MembersAreReadTwentyAtATime) {
  const struct {
    int members;
    Names reads;
  } cases[] = {
      {45, {"member;Range=0-19", "member;Range=20-39", "member;Range=40-59"}},
      {20, {"member;Range=0-19", "member;Range=20-39"}},
      {19, {"member;Range=0-19"}},
  };
  for (const auto& c : cases) {
    SampleDomain fresh;
    Retrieved::Reset();
    const std::string group = "CN=Big,OU=Staff,DC=sales,DC=corp";
    const Names members = AddGroupOf(group, c.members);
    FakeClearCalls();
    EXPECT_EQ(ExpandGroupWith(&fresh.run, group, Retrieved::Record), 0);
    EXPECT_EQ(Retrieved::Names(), members) << c.members;
    Names reads;
    for (const std::string& line : SampleDomain::Calls("read " + group + " "))
      reads.push_back(line.substr(6 + group.size()));
    EXPECT_EQ(reads, c.reads) << c.members;
  }
}

TEST_F(Groups, EmptyGroupSaysSo) {
  AddGroup("CN=Empty,OU=Staff,DC=sales,DC=corp", {});
  EXPECT_EQ(Expand("CN=Empty,OU=Staff,DC=sales,DC=corp"), 1);
  EXPECT_EQ(d.output.Stdout(), "Group CN=Empty,OU=Staff has no members\n");
  EXPECT_EQ(d.output.out.error_count, 0);
}

TEST_F(Groups, NestedGroupIsSkippedWithoutOption) {
  AddUser("CN=U1,OU=Staff,DC=sales,DC=corp", "u1");
  AddUser("CN=U2,OU=Staff,DC=sales,DC=corp", "u2");
  AddGroup("CN=B,OU=Staff,DC=sales,DC=corp", {"CN=U2,OU=Staff,DC=sales,DC=corp"});
  AddGroup("CN=A,OU=Staff,DC=sales,DC=corp",
           {"CN=B,OU=Staff,DC=sales,DC=corp", "CN=U1,OU=Staff,DC=sales,DC=corp"});
  EXPECT_EQ(Expand("CN=A,OU=Staff,DC=sales,DC=corp"), 0);
  EXPECT_EQ(Retrieved::Names(), (Names{"CN=U1,OU=Staff,DC=sales,DC=corp"}));
  EXPECT_EQ(d.output.Stdout(), "");
}

TEST_F(Groups, NestedCycleExpandsEachGroupOnce) {
  const std::string a = "CN=A,OU=Staff,DC=sales,DC=corp", b = "CN=B,OU=Staff,DC=sales,DC=corp";
  const std::string u1 = "CN=U1,OU=Staff,DC=sales,DC=corp", u2 = "CN=U2,OU=Staff,DC=sales,DC=corp";
  AddUser(u1, "u1");
  AddUser(u2, "u2");
  AddGroup(a, {u1, b});
  AddGroup(b, {"cn=a,ou=staff,dc=sales,dc=corp", u1, u2});  // back to A, in other case
  d.run.options.nested_groups = true;
  EXPECT_EQ(Expand(a), 0);
  EXPECT_EQ(Retrieved::Names(), (Names{u1, u1, u2}));  // U1 is a member of both
  EXPECT_EQ(SampleDomain::Calls("read " + a + " member").size(), 1u);
  EXPECT_EQ(SampleDomain::Calls("read " + b + " member").size(), 1u);
}

TEST_F(Groups, VisitedListLastsOneTopLevelGroup) {
  const std::string a = "CN=A,OU=Staff,DC=sales,DC=corp", b = "CN=B,OU=Staff,DC=sales,DC=corp";
  AddUser("CN=U1,OU=Staff,DC=sales,DC=corp", "u1");
  AddGroup(b, {"CN=U1,OU=Staff,DC=sales,DC=corp"});
  AddGroup(a, {b});
  d.run.options.nested_groups = true;
  EXPECT_EQ(Expand(a), 0);
  EXPECT_EQ(Expand(a), 0);
  EXPECT_EQ(Retrieved::Names().size(), 2u);
}

TEST_F(Groups, DomainUsersAddsPrimaryGroupMembers) {
  const std::string users = "CN=Domain Users,CN=Users,DC=sales,DC=corp";
  AddGroup(users, {}, {FakeOctets("objectSID", SidBytes(std::string(kDomainSid) + "-513"))});
  AddUser("CN=Pat,CN=Users,DC=sales,DC=corp", "pat", {FakeInteger("primaryGroupID", 513)});
  AddUser("CN=Quinn,OU=Staff,DC=sales,DC=corp", "quinn", {FakeInteger("primaryGroupID", 513)});
  AddUser("CN=Other,OU=Staff,DC=sales,DC=corp", "other", {FakeInteger("primaryGroupID", 1200)});
  EXPECT_EQ(Expand(users), 0);
  EXPECT_EQ(Retrieved::Names(),
            (Names{"CN=Pat,CN=Users,DC=sales,DC=corp", "CN=Quinn,OU=Staff,DC=sales,DC=corp"}));
  EXPECT_EQ(SampleDomain::Calls("search "),
            (Names{"search DC=sales,DC=corp 2 20 (&(sAMAccountType=805306368)(primaryGroupID=513))"}));
  EXPECT_EQ(d.output.Stdout(), "");  // no "has no members" line
}

TEST_F(Groups, DomainUsersWithoutSidIsReported) {
  const std::string users = "CN=Domain Users,CN=Users,DC=sales,DC=corp";
  AddGroup(users, {});
  EXPECT_EQ(Expand(users), 0);
  EXPECT_EQ(d.output.Stderr(),
            "LORVEX: Cannot read the \"objectSID\" attribute for CN=Domain Users,CN=Users\n"
            "Reason(s): The property was not in the property cache\n");
}

TEST_F(Groups, WellKnownForeignMemberIsNamedNotCounted) {
  const std::string fsp = "CN=S-1-5-11,CN=ForeignSecurityPrincipals,DC=sales,DC=corp";
  FakeAddObject(fsp, {"top", "foreignSecurityPrincipal"});
  AddUser("CN=U1,OU=Staff,DC=sales,DC=corp", "u1");
  AddGroup("CN=Res,OU=Staff,DC=sales,DC=corp", {fsp, "CN=U1,OU=Staff,DC=sales,DC=corp"});
  EXPECT_EQ(Expand("CN=Res,OU=Staff,DC=sales,DC=corp"), 0);
  EXPECT_EQ(d.output.Stderr(), "LORVEX: NT AUTHORITY\\Authenticated Users is a well known object\n");
  EXPECT_EQ(d.output.out.error_count, 0);
  EXPECT_EQ(Retrieved::Names(), (Names{"CN=U1,OU=Staff,DC=sales,DC=corp"}));
}

TEST_F(Groups, ForeignMemberOfAKnownDomainIsRetrievedByItsDn) {
  const std::string sid = std::string(kDomainSid) + "-1105";  // Ann
  const std::string fsp = "CN=" + sid + ",CN=ForeignSecurityPrincipals,DC=sales,DC=corp";
  FakeAddObject(fsp, {"top", "foreignSecurityPrincipal"});
  AddGroup("CN=Res,OU=Staff,DC=sales,DC=corp", {fsp});
  EXPECT_EQ(Expand("CN=Res,OU=Staff,DC=sales,DC=corp"), 0);
  EXPECT_EQ(Retrieved::Names(), (Names{"CN=Ann,OU=Staff,DC=sales,DC=corp"}));

  std::string name = fsp, sid_text;
  bool well_known = true;
  EXPECT_EQ(ResolveForeignPrincipal(&d.output.out, &d.dir, &name, &well_known, &sid_text), 1);
  EXPECT_FALSE(well_known);
  EXPECT_EQ(sid_text, sid);
}

TEST_F(Groups, UnknownForeignMemberKeepsItsName) {
  std::string name = "CN=S-1-5-21-9-9-9-1001,CN=ForeignSecurityPrincipals,DC=sales,DC=corp";
  const std::string before = name;
  bool well_known = false;
  EXPECT_EQ(ResolveForeignPrincipal(&d.output.out, &d.dir, &name, &well_known, nullptr), 0);
  EXPECT_EQ(name, before);
  std::string ordinary = "CN=Ann,OU=Staff,DC=sales,DC=corp";
  EXPECT_EQ(ResolveForeignPrincipal(&d.output.out, &d.dir, &ordinary, &well_known, nullptr), 1);
  EXPECT_EQ(ordinary, "CN=Ann,OU=Staff,DC=sales,DC=corp");
}

TEST_F(Groups, NtNameTranslation) {
  std::string dn;
  EXPECT_EQ(TranslateNtName("SALES\\ann", &dn), 1);
  EXPECT_EQ(dn, "CN=Ann,OU=Staff,DC=sales,DC=corp");
  EXPECT_EQ(TranslateNtName("SALES\\nobody", &dn), 0);
  EXPECT_EQ(dn, "SALES\\nobody");
}

TEST_F(Groups, StopCodeEndsTheExpansionAfterTheMemberInHand) {
  const std::string group = "CN=Big,OU=Staff,DC=sales,DC=corp";
  AddGroupOf(group, 45);
  Retrieved::StopAt() = 3;
  EXPECT_EQ(Expand(group), 151);
  EXPECT_EQ(Retrieved::Names().size(), 3u);
  EXPECT_EQ(SampleDomain::Calls("read " + group + " member").size(), 1u);
}

TEST_F(Groups, StopCodePassesUpThroughNestedGroups) {
  const std::string a = "CN=A,OU=Staff,DC=sales,DC=corp", b = "CN=B,OU=Staff,DC=sales,DC=corp";
  AddUser("CN=U1,OU=Staff,DC=sales,DC=corp", "u1");
  AddUser("CN=U2,OU=Staff,DC=sales,DC=corp", "u2");
  AddGroup(b, {"CN=U1,OU=Staff,DC=sales,DC=corp"});
  AddGroup(a, {b, "CN=U2,OU=Staff,DC=sales,DC=corp"});
  d.run.options.nested_groups = true;
  Retrieved::StopAt() = 1;
  EXPECT_EQ(Expand(a), 151);
  EXPECT_EQ(Retrieved::Names(), (Names{"CN=U1,OU=Staff,DC=sales,DC=corp"}));
}

TEST_F(Groups, FailuresAreReported) {
  AddGroup("CN=Res,OU=Staff,DC=sales,DC=corp", {"CN=Ghost,OU=Staff,DC=sales,DC=corp"});
  EXPECT_EQ(Expand("CN=Gone,OU=Staff,DC=sales,DC=corp"), 0);
  EXPECT_EQ(Expand("CN=Res,OU=Staff,DC=sales,DC=corp"), 0);
  EXPECT_EQ(d.output.Stderr(),
            "LORVEX: Cannot connect to CN=Gone,OU=Staff to read the members\n"
            "Reason(s): There is no such object on the server\n"
            "LORVEX: Cannot open CN=Ghost,OU=Staff to determine its object class\n"
            "Reason(s): There is no such object on the server\n");
  EXPECT_EQ(d.output.out.error_count, 2);
  // A member whose class cannot be read still goes to retrieval, which reports it in its turn.
  EXPECT_EQ(Retrieved::Names(), (Names{"CN=Ghost,OU=Staff,DC=sales,DC=corp"}));
}

TEST_F(Groups, FailedRangeReadEndsQuietly) {
  const std::string group = "CN=Big,OU=Staff,DC=sales,DC=corp";
  AddGroupOf(group, 5);
  FakeFailRead(group, kAdsServerDown);
  EXPECT_EQ(Expand(group), 1);
  EXPECT_EQ(d.output.Stderr(), "");
  EXPECT_EQ(d.output.Stdout(), "Group CN=Big,OU=Staff has no members\n");
}

}  // namespace
