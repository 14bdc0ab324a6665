// Test helpers: a small domain SALES (DC=sales,DC=corp) in the in-memory directory, with the
// directory context and the run that resolution, group expansion and the server list work on.
#ifndef LORVEX_RETRIEVAL_SAMPLE_DOMAIN_TEST_UTIL_H_
#define LORVEX_RETRIEVAL_SAMPLE_DOMAIN_TEST_UTIL_H_

#include <string>
#include <vector>

#include "directory/ads/fake/ads_fake.h"
#include "directory/ads/sid.h"
#include "directory/directory_context.h"
#include "query/filter.h"
#include "run/run_context.h"
#include "util/streams_test_util.h"

constexpr char kDomainDn[] = "DC=sales,DC=corp";
constexpr char kSchemaDn[] = "CN=Schema,CN=Configuration,DC=sales,DC=corp";
constexpr char kDomainSid[] = "S-1-5-21-1000-2000-3000";

/// The binary SID of a text form, for objectSid values.
inline std::string SidBytes(const std::string& text) {
  std::string sid;
  TextToSid(text, &sid);
  return sid;
}

/// A user object with its account name.
inline void AddUser(const std::string& dn, const std::string& account, std::vector<AdsAttribute> more = {}) {
  more.push_back(FakeString("sAMAccountName", account));
  FakeAddObject(dn, {"top", "person", "organizationalPerson", "user"}, more);
}

/// A group with members.
inline void AddGroup(const std::string& dn, const std::vector<std::string>& members,
                     std::vector<AdsAttribute> more = {}) {
  if (!members.empty()) more.push_back(FakeDns("member", members));
  FakeAddObject(dn, {"top", "group"}, more);
}

/// The sample domain: schema classes, the domain head, Users, OU=Staff and the running account Ann.
class SampleDomain {
 public:
  SampleDomain() {
    FakeReset();
    FakeSetRootDse(kDomainDn, kSchemaDn,
                   "CN=DC1,CN=Servers,CN=Default-First-Site-Name,CN=Sites,CN=Configuration,DC=sales,DC=corp");
    FakeSetDomainNames("SALES", "sales.corp");
    FakeAddObject(kSchemaDn, {"top", "dMD"});
    for (const char* name : {"user", "group", "computer", "inetOrgPerson", "person", "contact"}) {
      FakeAddObject(std::string("CN=") + name + "," + kSchemaDn, {"top", "classSchema"},
                    {FakeString("lDAPDisplayName", name), FakeString("rDNAttId", "cn")});
    }
    const std::vector<std::string> account_classes = {"user", "group", "computer", "inetOrgPerson"};
    for (const std::string& name : account_classes)
      FakeSetClassProperties(name, {"objectClass"}, {"sAMAccountName"});
    FakeSetClassProperties("person", {"objectClass", "cn"}, {"description"});

    FakeAddObject(kDomainDn, {"top", "domain", "domainDNS"}, {FakeOctets("objectSid", SidBytes(kDomainSid))});
    FakeAddObject("CN=Users,DC=sales,DC=corp", {"top", "container"});
    FakeAddObject("OU=Staff,DC=sales,DC=corp", {"top", "organizationalUnit"});
    AddUser("CN=Ann,OU=Staff,DC=sales,DC=corp", "ann",
            {FakeString("userPrincipalName", "ann@sales.corp"),
             FakeOctets("objectGUID",
                        std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10", 16)),
             FakeOctets("objectSid", SidBytes(std::string(kDomainSid) + "-1105"))});

    dir.path_prefix = "LDAP://";
    dir.server_name = "DC1";
    dir.default_naming_context = kDomainDn;
    dir.domain_short_name = "SALES";
    dir.netbios_domain_name = "SALES";
    dir.dns_domain_name = "sales.corp";
    dir.schema_naming_context = kSchemaDn;
    dir.account_dn = "CN=Ann,OU=Staff,DC=sales,DC=corp";
    run.directory = &dir;
    run.output = &output.out;
    run.dispatch = SelectAndDispatch;
    g_credentials = AdsCredentials();
  }
  ~SampleDomain() { FakeReset(); }

  /// The call-log lines that begin with prefix.
  static std::vector<std::string> Calls(const std::string& prefix) {
    std::vector<std::string> lines;
    for (const std::string& line : FakeCalls()) {
      if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
    }
    return lines;
  }

  TestOutput output;
  DirectoryContext dir;
  RunContext run;
};

/// Records the objects handed on for retrieval; answers each with a code (0 unless told).
struct Retrieved {
  static std::vector<std::string>& Names() {
    static std::vector<std::string> names;
    return names;
  }
  /// The code returned for the object at this position (1-based); 0 = never.
  static int& StopAt() {
    static int stop_at = 0;
    return stop_at;
  }
  static int StopCode() { return 151; }
  static void Reset() {
    Names().clear();
    StopAt() = 0;
  }
  static int Record(RunContext*, const std::string& dn) {
    Names().push_back(dn);
    return static_cast<int>(Names().size()) == StopAt() ? StopCode() : 0;
  }
};

#endif  // LORVEX_RETRIEVAL_SAMPLE_DOMAIN_TEST_UTIL_H_
