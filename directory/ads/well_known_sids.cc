// The well-known security identifiers every Windows domain knows by name.
#include "directory/ads/well_known_sids.h"

#include <cstring>

#include "directory/ads/ads.h"

namespace {

struct WellKnownSid {
  const char* sid;
  const char* name;
  const char* domain;
  int use;
};

// Names and domains as a domain controller with English names reports them.
const WellKnownSid kWellKnownSids[] = {
    {"S-1-0-0", "NULL SID", "", kSidTypeWellKnownGroup},
    {"S-1-1-0", "Everyone", "", kSidTypeWellKnownGroup},
    {"S-1-2-0", "LOCAL", "", kSidTypeWellKnownGroup},
    {"S-1-3-0", "CREATOR OWNER", "", kSidTypeWellKnownGroup},
    {"S-1-3-1", "CREATOR GROUP", "", kSidTypeWellKnownGroup},
    {"S-1-3-4", "OWNER RIGHTS", "", kSidTypeWellKnownGroup},
    {"S-1-5", "NT Pseudo Domain", "NT Pseudo Domain", kSidTypeDomain},
    {"S-1-5-1", "DIALUP", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-2", "NETWORK", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-3", "BATCH", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-4", "INTERACTIVE", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-6", "SERVICE", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-7", "ANONYMOUS LOGON", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-8", "PROXY", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-9", "ENTERPRISE DOMAIN CONTROLLERS", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-10", "SELF", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-11", "Authenticated Users", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-12", "RESTRICTED", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-13", "TERMINAL SERVER USER", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-14", "REMOTE INTERACTIVE LOGON", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-15", "This Organization", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-17", "IUSR", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-18", "SYSTEM", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-19", "LOCAL SERVICE", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-20", "NETWORK SERVICE", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-33", "WRITE RESTRICTED", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-1000", "Other Organization", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-64-10", "NTLM Authentication", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-64-14", "SChannel Authentication", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-64-21", "Digest Authentication", "NT AUTHORITY", kSidTypeWellKnownGroup},
    {"S-1-5-32", "BUILTIN", "BUILTIN", kSidTypeDomain},
    {"S-1-16-0", "Untrusted Mandatory Level", "Mandatory Label", 10},
    {"S-1-16-4096", "Low Mandatory Level", "Mandatory Label", 10},
    {"S-1-16-8192", "Medium Mandatory Level", "Mandatory Label", 10},
    {"S-1-16-12288", "High Mandatory Level", "Mandatory Label", 10},
    {"S-1-16-16384", "System Mandatory Level", "Mandatory Label", 10},
};

}  // namespace

bool LookupWellKnownSid(const std::string& sid_text, std::string* domain, std::string* name, int* use) {
  for (const WellKnownSid& entry : kWellKnownSids) {
    if (strcasecmp(entry.sid, sid_text.c_str()) == 0) {
      *domain = entry.domain;
      *name = entry.name;
      *use = entry.use;
      return true;
    }
  }
  return false;
}
