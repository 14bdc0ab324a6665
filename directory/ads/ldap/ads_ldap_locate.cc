// Finding servers: DNS SRV records of a domain's controllers, host addresses, and the name of
// the user running the program.
#include <arpa/inet.h>
#include <arpa/nameser.h>
#include <netdb.h>
#include <pwd.h>
#include <resolv.h>
#include <unistd.h>

#include <cstdlib>

#include "directory/ads/ldap/ads_ldap_internal.h"

bool LookupSrv(const std::string& name, std::vector<SrvRecord>* records) {
  records->clear();
  struct __res_state state;
  memset(&state, 0, sizeof state);
  if (res_ninit(&state) != 0) return false;
  unsigned char reply[8192];
  int length = res_nquery(&state, name.c_str(), ns_c_in, ns_t_srv, reply, sizeof reply);
  res_nclose(&state);
  if (length <= 0 || !ParseSrvReply(reply, length, records)) return false;
  OrderSrvRecords(records);
  for (SrvRecord& record : *records) {
    if (!record.target.empty() && record.target.back() == '.') record.target.pop_back();
  }
  return !records->empty();
}

AdsResult AdsGetDcName(const std::string& domain, std::string* dc_name, std::string* dc_address) {
  SetLastDiagnostic("");
  dc_name->clear();
  dc_address->clear();
  std::vector<SrvRecord> records;
  std::string query = "_ldap._tcp.dc._msdcs." + domain;
  if (domain.empty() || !LookupSrv(query, &records)) {
    return DirectoryFailure(kFailureWin32, kWin32NoSuchDomain, "DNS has no " + query + " record");
  }
  *dc_name = records[0].target;
  *dc_address = AdsHostToAddress(records[0].target);
  return kAdsOk;
}

std::string AdsHostToAddress(const std::string& host) {
  SetLastDiagnostic("");
  struct addrinfo hints;
  memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  struct addrinfo* found = nullptr;
  if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return "";
  const unsigned char* b = reinterpret_cast<const unsigned char*>(
      &reinterpret_cast<struct sockaddr_in*>(found->ai_addr)->sin_addr);
  char text[32];
  snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  freeaddrinfo(found);
  return text;
}

std::string AdsUserName() {
  // The Kerberos identity is the one the directory sees; the login name stands in without one.
  std::string user = CredentialCacheUser();
  if (!user.empty()) return user;
  struct passwd entry;
  struct passwd* found = nullptr;
  char buffer[1024];
  if (getpwuid_r(geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr)
    return found->pw_name;
  const char* name = getenv("LOGNAME");
  return name ? name : "";
}
