// The entity search: filter, base, scope, each object handed on, and its messages.
#include <gtest/gtest.h>

#include "retrieval/entity.h"
#include "retrieval/retrieval.h"
#include "retrieval/sample_domain_test_util.h"

namespace {

using Names = std::vector<std::string>;

class EntitySearch : public testing::Test {
 protected:
  EntitySearch() {
    Retrieved::Reset();
    AddUser("CN=Cora,DC=sales,DC=corp", "cora");
    AddUser("CN=Carl,OU=Staff,DC=sales,DC=corp", "carl");
    AddUser("CN=Chris,OU=Staff,DC=sales,DC=corp", "chris");
    FakeAddObject("CN=Cabinet,OU=Staff,DC=sales,DC=corp", {"top", "contact"});
    AddGroup("CN=Crew,OU=Staff,DC=sales,DC=corp", {});
  }
  // Resolves an entity as the driver does, then searches.
  int Search(const std::string& entity, const std::string& object_class = "") {
    d.run.entity = entity;
    d.run.options.object_class = object_class;
    FakeClearCalls();
    EXPECT_TRUE(ResolveEntity(&d.run)) << d.output.Stderr();
    EXPECT_TRUE(d.run.search_flag);
    return SearchEntitiesWith(&d.run, Retrieved::Record);
  }
  SampleDomain d;
};

TEST_F(EntitySearch, WildcardSearchesUsersInTheWholeDomain) {
  EXPECT_EQ(Search("c*"), 0);
  EXPECT_EQ(Retrieved::Names(), (Names{"CN=Cora,DC=sales,DC=corp", "CN=Carl,OU=Staff,DC=sales,DC=corp",
                                       "CN=Chris,OU=Staff,DC=sales,DC=corp"}));
  EXPECT_EQ(SampleDomain::Calls("search DC=sales,DC=corp 2 20 "),
            (Names{"search DC=sales,DC=corp 2 20 (&(sAMAccountType=805306368)(CN=c*))"}));
}

TEST_F(EntitySearch, TypedNameSearchesOneLevelUnlessSubtreeIsAsked) {
  EXPECT_EQ(Search("cn=c*"), 0);
  EXPECT_EQ(Retrieved::Names(), (Names{"CN=Cora,DC=sales,DC=corp"}));
  Retrieved::Reset();
  d.run.options.subtree = true;
  EXPECT_EQ(Search("cn=c*"), 0);
  EXPECT_EQ(Retrieved::Names().size(), 3u);
}

TEST_F(EntitySearch, ContainerIsTheSearchBase) {
  EXPECT_EQ(Search("cn=ch*,ou=staff"), 0);
  EXPECT_EQ(Retrieved::Names(), (Names{"CN=Chris,OU=Staff,DC=sales,DC=corp"}));
  EXPECT_EQ(SampleDomain::Calls("search OU=Staff"),
            (Names{"search OU=Staff,DC=sales,DC=corp 1 20 (&(sAMAccountType=805306368)(CN=ch*))"}));
}

TEST_F(EntitySearch, ClassSelectsTheObjects) {
  EXPECT_EQ(Search("c*", "group"), 0);
  EXPECT_EQ(Retrieved::Names(), (Names{"CN=Crew,OU=Staff,DC=sales,DC=corp"}));
  EXPECT_EQ(SampleDomain::Calls("search DC=sales,DC=corp 2 20 "),
            (Names{"search DC=sales,DC=corp 2 20 (&(objectCategory=group)(CN=c*))"}));
}

TEST_F(EntitySearch, EscapedCharactersReachTheFilterAsHex) {
  AddUser("CN=Lee\\, Ann,OU=Staff,DC=sales,DC=corp", "leea");
  AddUser("CN=Lee (temp),OU=Staff,DC=sales,DC=corp", "leet");
  EXPECT_EQ(Search("cn=lee\\, a*,ou=staff"), 0);
  EXPECT_EQ(SampleDomain::Calls("search OU=Staff"),
            (Names{"search OU=Staff,DC=sales,DC=corp 1 20 (&(sAMAccountType=805306368)(CN=lee\\2C a*))"}));
  EXPECT_EQ(Search("cn=lee (t*,ou=staff"), 0);
  EXPECT_EQ(SampleDomain::Calls("search OU=Staff"),
            (Names{"search OU=Staff,DC=sales,DC=corp 1 20 (&(sAMAccountType=805306368)(CN=lee \\28t*))"}));
  EXPECT_EQ(Retrieved::Names(),
            (Names{"CN=Lee\\, Ann,OU=Staff,DC=sales,DC=corp", "CN=Lee (temp),OU=Staff,DC=sales,DC=corp"}));
}

TEST_F(EntitySearch, NothingFoundIsAnErrorLine) {
  EXPECT_EQ(Search("cn=zz*"), 0);
  EXPECT_EQ(d.output.Stderr(), "LORVEX: No objects matching CN=zz* were found\n");
  EXPECT_EQ(d.output.out.error_count, 1);
}

TEST_F(EntitySearch, StopCodeEndsTheSearch) {
  Retrieved::StopAt() = 2;
  EXPECT_EQ(Search("c*"), 151);
  EXPECT_EQ(Retrieved::Names().size(), 2u);
}

TEST_F(EntitySearch, FailedSearchIsReported) {
  FakeFailSearch(kDomainDn, kAdsServerDown);
  EXPECT_EQ(Search("c*"), 0);
  EXPECT_EQ(d.output.Stderr(),
            "LORVEX: Failed to complete the search for CN=c*\n"
            "Reason(s): The server is not operational\n");
}

// Retrieves each object found; before the first read, another hand deletes Carl, whom the search
// has already found.
int DeleteCarlThenRetrieve(RunContext* run, const std::string& dn) {
  FakeRemoveObject("CN=Carl,OU=Staff,DC=sales,DC=corp");
  return RetrieveRestrictions(run, dn);
}

TEST_F(EntitySearch, ObjectDeletedAfterTheSearchFoundItIsReportedAndTheOthersFollow) {
  d.run.restriction = kAd;
  d.run.entity = "c*";
  ASSERT_TRUE(ResolveEntity(&d.run));
  EXPECT_EQ(SearchEntitiesWith(&d.run, DeleteCarlThenRetrieve), 0);
  EXPECT_EQ(d.output.Stdout(),
            "CN=Cora                                       No\n"
            "CN=Chris,OU=Staff                             No\n");
  EXPECT_EQ(d.output.Stderr(),
            "LORVEX: Cannot get the attributes for CN=Carl,OU=Staff\n"
            "Reason(s): There is no such object on the server\n");
  EXPECT_EQ(d.run.examined, 3);
  EXPECT_EQ(d.output.out.error_count, 1);
}

TEST_F(EntitySearch, UnreachableBaseIsReported) {
  d.run.entity = "c*";
  d.run.options.object_class = "";
  ASSERT_TRUE(ResolveEntity(&d.run));
  FakeFailBind(kDomainDn, kAdsServerDown);
  EXPECT_EQ(SearchEntitiesWith(&d.run, Retrieved::Record), 0);
  EXPECT_EQ(d.output.Stderr(),
            "LORVEX: Cannot connect to rootDSE\n"
            "Reason(s): The server is not operational\n");
}

}  // namespace
