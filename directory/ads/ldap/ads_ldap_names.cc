// Name translation and account look-up by SID, done with LDAP searches: distinguished names by
// a base read, NT4 names through the domain's NetBIOS name, principal names, GUIDs and SIDs by
// their attributes, and the well-known SIDs from their table.
#include <strings.h>

#include <cctype>

#include "directory/ads/ldap/ads_ldap_internal.h"
#include "directory/ads/ldap_filter.h"
#include "directory/ads/ldap_values.h"
#include "directory/ads/sid.h"
#include "directory/ads/well_known_sids.h"
#include "util/ascii_text.h"

struct AdsNameTranslator {
  std::string server;
  AdsCredentials credentials;
  std::string dn;
  bool set = false;
};

namespace {

constexpr uint32_t kWin32NameNotUnique = 8471;  // ERROR_DS_NAME_ERROR_NOT_UNIQUE
constexpr uint32_t kWin32NameNoMapping = 8472;  // ERROR_DS_NAME_ERROR_NO_MAPPING

// How a look-up ended when the LDAP request itself succeeded.
enum Outcome { kFound, kNotFound, kNotUnique };

struct Lookup {
  Outcome outcome = kNotFound;
  std::string dn;
  std::vector<AdsAttribute> values;
};

// Searches for at most two objects; exactly one is a match.
int FindUnique(LdapConnection* c, const std::string& base, int scope, const std::string& filter,
               const std::vector<std::string>& attributes, Lookup* lookup) {
  LDAPMessage* res = nullptr;
  int rc = SearchNow(c, base, scope, filter, attributes, nullptr, 2, &res);
  if (rc == LDAP_NO_SUCH_OBJECT || rc == LDAP_INVALID_DN_SYNTAX) {
    ldap_msgfree(res);
    lookup->outcome = kNotFound;
    return LDAP_SUCCESS;
  }
  if (rc != LDAP_SUCCESS && rc != LDAP_SIZELIMIT_EXCEEDED) {
    ldap_msgfree(res);
    return rc;
  }
  int count = 0;
  for (LDAPMessage* entry = ldap_first_entry(c->ld, res); entry != nullptr;
       entry = ldap_next_entry(c->ld, entry)) {
    if (++count == 1) {
      lookup->dn = EntryDn(c->ld, entry);
      DecodeEntry(c->ld, entry, &lookup->values);
    }
  }
  ldap_msgfree(res);
  lookup->outcome = count == 0 ? kNotFound : count == 1 ? kFound : kNotUnique;
  return LDAP_SUCCESS;
}

// The naming context of the domain whose cross-reference has this value of an attribute. Only
// domain cross-references count (system flag 2): in the forest root domain, those of the
// configuration and schema partitions carry the domain's DNS name too.
std::string DomainContextBy(LdapConnection* c, const char* attribute, const std::string& value) {
  if (ReadRootDse(c) != LDAP_SUCCESS) return "";
  std::string key = std::string(attribute) + "\n" + value;
  for (char& ch : key) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
  auto known = c->domain_contexts.find(key);
  if (known != c->domain_contexts.end()) return known->second;
  Lookup lookup;
  std::string filter = std::string("(&(objectClass=crossRef)(systemFlags:1.2.840.113556.1.4.803:=2)(") +
                       attribute + "=" + EscapeFilterLiteral(value) + "))";
  int rc = FindUnique(c, "CN=Partitions," + c->config_nc, LDAP_SCOPE_ONELEVEL, filter, {"nCName"}, &lookup);
  // A failed request is asked again next time; an answer, found or not, holds for the run.
  if (rc != LDAP_SUCCESS) return "";
  std::string nc = lookup.outcome == kFound ? FirstText(lookup.values, "nCName") : "";
  c->domain_contexts[key] = nc;
  return nc;
}

// The domain part of a DN: from its first DC= component on.
std::string DomainOfDn(const std::string& dn) {
  size_t at = 0;
  while (at < dn.size()) {
    if (strncasecmp(dn.c_str() + at, "DC=", 3) == 0) return dn.substr(at);
    while (at < dn.size() && dn[at] != ',') at += dn[at] == '\\' ? 2 : 1;
    ++at;
  }
  return "";
}

int FindByFormat(LdapConnection* c, int type, const std::string& name, Lookup* lookup) {
  lookup->outcome = kNotFound;
  int rc = ReadRootDse(c);
  if (rc != LDAP_SUCCESS) return rc;
  const std::string& domain = c->default_nc;
  switch (type) {
    case kAdsName1779:
      if (PrefetchedDn(c, name, &lookup->dn)) {
        lookup->outcome = kFound;
        return LDAP_SUCCESS;
      }
      return FindUnique(c, name, LDAP_SCOPE_BASE, "(objectClass=*)", {"1.1"}, lookup);
    case kAdsNameNt4: {
      size_t slash = name.find('\\');
      if (slash == std::string::npos) return LDAP_SUCCESS;
      std::string nc = DomainContextBy(c, "nETBIOSName", name.substr(0, slash));
      if (nc.empty()) return LDAP_SUCCESS;
      std::string account = name.substr(slash + 1);
      if (account.empty()) return FindUnique(c, nc, LDAP_SCOPE_BASE, "(objectClass=*)", {"1.1"}, lookup);
      switch (PrefetchedAccount(c, nc, account, &lookup->dn)) {
        case PrefetchAnswer::kFound:
          lookup->outcome = kFound;
          return LDAP_SUCCESS;
        case PrefetchAnswer::kAbsent:
          return LDAP_SUCCESS;
        case PrefetchAnswer::kUnknown:
          break;
      }
      return FindUnique(c, nc, LDAP_SCOPE_SUBTREE, "(sAMAccountName=" + EscapeFilterLiteral(account) + ")",
                        {"1.1"}, lookup);
    }
    case kAdsNameUpn: {
      switch (PrefetchedPrincipalName(c, domain, name, &lookup->dn)) {
        case PrefetchAnswer::kFound:
          lookup->outcome = kFound;
          return LDAP_SUCCESS;
        case PrefetchAnswer::kAbsent:
          break;
        case PrefetchAnswer::kUnknown:
          rc = FindUnique(c, domain, LDAP_SCOPE_SUBTREE,
                          "(userPrincipalName=" + EscapeFilterLiteral(name) + ")", {"1.1"}, lookup);
          if (rc != LDAP_SUCCESS || lookup->outcome != kNotFound) return rc;
          break;
      }
      // The implicit principal name: the account name at the domain's DNS name.
      size_t at = name.rfind('@');
      if (at == std::string::npos) return LDAP_SUCCESS;
      std::string nc = DomainContextBy(c, "dnsRoot", name.substr(at + 1));
      if (nc.empty()) return LDAP_SUCCESS;
      return FindUnique(c, nc, LDAP_SCOPE_SUBTREE,
                        "(sAMAccountName=" + EscapeFilterLiteral(name.substr(0, at)) + ")", {"1.1"}, lookup);
    }
    case kAdsNameGuid: {
      std::string bytes;
      if (!GuidTextToBytes(name, &bytes)) return LDAP_SUCCESS;
      return FindUnique(c, domain, LDAP_SCOPE_SUBTREE, "(objectGUID=" + EscapeFilterBytes(bytes) + ")",
                        {"1.1"}, lookup);
    }
    default:
      return LDAP_SUCCESS;
  }
}

// A name of unknown form: each form its text could be, in turn, until one finds the object.
int FindUnknown(LdapConnection* c, const std::string& name, Lookup* lookup) {
  struct Candidate {
    int type;
    bool applies;
  } candidates[] = {
      {kAdsName1779, name.find('=') != std::string::npos},
      {kAdsNameUpn, name.find('@') != std::string::npos && name.find('=') == std::string::npos},
      {kAdsNameNt4, name.find('\\') != std::string::npos},
      {kAdsNameGuid, name.size() > 2 && name.front() == '{' && name.back() == '}'},
  };
  for (const Candidate& candidate : candidates) {
    if (!candidate.applies) continue;
    int rc = FindByFormat(c, candidate.type, name, lookup);
    if (rc != LDAP_SUCCESS || lookup->outcome != kNotFound) return rc;
  }
  std::string sid;
  if (StartsWithIgnoreCase(name, "S-1-") && TextToSid(name, &sid)) {
    int rc = ReadRootDse(c);
    if (rc != LDAP_SUCCESS) return rc;
    return FindUnique(c, c->default_nc, LDAP_SCOPE_SUBTREE, "(objectSid=" + EscapeFilterBytes(sid) + ")",
                      {"1.1"}, lookup);
  }
  lookup->outcome = kNotFound;
  return LDAP_SUCCESS;
}

std::string Canonical(const std::string& dn) {
  std::string domain = DomainOfDn(dn);
  std::string path = DnToDnsName(domain);
  std::string rest = dn.substr(0, dn.size() - domain.size());
  std::vector<std::string> names;
  size_t at = 0;
  while (at < rest.size()) {
    size_t end = at;
    while (end < rest.size() && rest[end] != ',') end += rest[end] == '\\' ? 2 : 1;
    std::string value = FirstRdnValue(rest.substr(at, end - at));
    std::string plain;
    for (size_t i = 0; i < value.size(); ++i) {
      if (value[i] == '\\' && i + 1 < value.size()) ++i;
      plain.push_back(value[i]);
    }
    if (!plain.empty()) names.push_back(plain);
    at = end + 1;
  }
  for (auto it = names.rbegin(); it != names.rend(); ++it) path += "/" + *it;
  return domain == dn ? path + "/" : path;
}

// Reads attributes of the translated object.
int ReadValues(LdapConnection* c, const std::string& dn, const std::vector<std::string>& names,
               Lookup* lookup) {
  return FindUnique(c, dn, LDAP_SCOPE_BASE, "(objectClass=*)", names, lookup);
}

}  // namespace

AdsResult AdsNameTranslateInit(int init_type, const std::string& init_name, const AdsCredentials* credentials,
                               AdsNameTranslator** translator) {
  SetLastDiagnostic("");
  *translator = nullptr;
  std::string server;
  if (init_type == kAdsNameInitServer) {
    server = ServerKeyFor(init_name);
  } else if (init_type == kAdsNameInitDomain) {
    // The domain of the default controller by any of its names, else a controller DNS lists.
    LdapConnection* c = nullptr;
    bool ours = false;
    if (AcquireConnection("", credentials, &c) >= 0 && ReadRootDse(c) == LDAP_SUCCESS) {
      std::string dns = DnToDnsName(c->default_nc);
      std::string label = dns.substr(0, dns.find('.'));
      ours = strcasecmp(init_name.c_str(), dns.c_str()) == 0 ||
             strcasecmp(init_name.c_str(), label.c_str()) == 0 ||
             strcasecmp(init_name.c_str(), NetbiosNameOf(c, c->default_nc).c_str()) == 0;
    }
    if (!ours) {
      std::string address;
      AdsResult located = AdsGetDcName(init_name, &server, &address);
      if (located < 0) return located;
    }
  }
  // The global catalogue of a one-domain forest holds what its controller holds: the default
  // server answers for it.
  AdsResult result = OnConnection(server, credentials, [](LdapConnection* c) { return ReadRootDse(c); });
  if (result < 0) return result;
  auto t = new AdsNameTranslator;
  t->server = server;
  if (credentials != nullptr) t->credentials = *credentials;
  *translator = t;
  return kAdsOk;
}

AdsResult AdsNameTranslateSet(AdsNameTranslator* translator, int name_type, const std::string& name) {
  SetLastDiagnostic("");
  translator->set = false;
  Lookup lookup;
  AdsResult result = OnConnection(translator->server, &translator->credentials, [&](LdapConnection* c) {
    return name_type == kAdsNameUnknown ? FindUnknown(c, name, &lookup)
                                        : FindByFormat(c, name_type, name, &lookup);
  });
  if (result < 0) return result;
  if (lookup.outcome == kNotFound) {
    return DirectoryFailure(kFailureWin32, kWin32NameNotFound, "No object is named " + name);
  }
  if (lookup.outcome == kNotUnique) {
    return DirectoryFailure(kFailureWin32, kWin32NameNotUnique, "More than one object is named " + name);
  }
  translator->dn = lookup.dn;
  translator->set = true;
  return kAdsOk;
}

AdsResult AdsNameTranslateGet(AdsNameTranslator* translator, int name_type, std::string* name) {
  SetLastDiagnostic("");
  name->clear();
  if (!translator->set)
    return DirectoryFailure(kFailureWin32, kWin32InvalidParameter, "No name has been set");
  const std::string& dn = translator->dn;
  switch (name_type) {
    case kAdsName1779:
      *name = dn;
      return kAdsOk;
    case kAdsNameCanonical:
      *name = Canonical(dn);
      return kAdsOk;
    case kAdsNameNt4:
    case kAdsNameUpn:
    case kAdsNameGuid:
      break;
    default:
      return DirectoryFailure(kFailureWin32, kWin32InvalidParameter, "This name form cannot be asked for");
  }
  Lookup lookup;
  std::string netbios;
  AdsResult result = OnConnection(translator->server, &translator->credentials, [&](LdapConnection* c) {
    int rc = ReadValues(c, dn, {"sAMAccountName", "userPrincipalName", "objectGUID"}, &lookup);
    if (rc == LDAP_SUCCESS && name_type == kAdsNameNt4) netbios = NetbiosNameOf(c, DomainOfDn(dn));
    return rc;
  });
  if (result < 0) return result;
  if (lookup.outcome != kFound) {
    return DirectoryFailure(kFailureWin32, kWin32NameNotFound, "No object is named " + dn);
  }
  if (name_type == kAdsNameNt4) {
    std::string account = FirstText(lookup.values, "sAMAccountName");
    bool domain_object = strcasecmp(DomainOfDn(dn).c_str(), dn.c_str()) == 0;
    if (!netbios.empty() && (!account.empty() || domain_object)) *name = netbios + "\\" + account;
  } else if (name_type == kAdsNameUpn) {
    *name = FirstText(lookup.values, "userPrincipalName");
  } else {
    for (const AdsAttribute& attribute : lookup.values) {
      if (strcasecmp(attribute.name.c_str(), "objectGUID") == 0 && !attribute.values.empty()) {
        *name = GuidBytesToText(attribute.values[0].bytes);
      }
    }
  }
  if (name->empty())
    return DirectoryFailure(kFailureWin32, kWin32NameNoMapping, "The object has no such name");
  return kAdsOk;
}

void AdsNameTranslateRelease(AdsNameTranslator* translator) { delete translator; }

AdsResult AdsLookupAccountSid(const std::string& server, const std::string& sid, std::string* domain,
                              std::string* name, int* use) {
  SetLastDiagnostic("");
  domain->clear();
  name->clear();
  *use = 0;
  std::string text;
  if (!SidToText(sid, &text)) return DirectoryFailure(kFailureWin32, kWin32InvalidParameter, "Not a SID");
  if (LookupWellKnownSid(text, domain, name, use)) return kAdsOk;
  Lookup lookup;
  std::string netbios;
  std::string key = server.empty() ? "" : ServerKeyFor(server);
  AdsResult result = OnConnection(key, LastCredentials(), [&](LdapConnection* c) {
    int rc = ReadRootDse(c);
    if (rc != LDAP_SUCCESS) return rc;
    // A foreign principal's stand-in object carries the SID too but is not the account.
    rc = FindUnique(c, c->default_nc, LDAP_SCOPE_SUBTREE,
                    "(&(objectSid=" + EscapeFilterBytes(sid) + ")(!(objectClass=foreignSecurityPrincipal)))",
                    {"sAMAccountName", "sAMAccountType"}, &lookup);
    if (rc == LDAP_SUCCESS && lookup.outcome == kFound) netbios = NetbiosNameOf(c, c->default_nc);
    return rc;
  });
  if (result < 0) return result;
  if (lookup.outcome != kFound) {
    return DirectoryFailure(kFailureWin32, kWin32NoneMapped, "No account has the SID " + text);
  }
  std::string account = FirstText(lookup.values, "sAMAccountName");
  int64_t account_type = -1;
  for (const AdsAttribute& attribute : lookup.values) {
    if (strcasecmp(attribute.name.c_str(), "sAMAccountType") == 0 && !attribute.values.empty()) {
      account_type = attribute.values[0].integer;
    }
  }
  if (account_type < 0) {
    // The domain object itself.
    *domain = netbios;
    *name = netbios;
    *use = kSidTypeDomain;
    return kAdsOk;
  }
  *domain = text.compare(0, 9, "S-1-5-32-") == 0 ? "BUILTIN" : netbios;
  *name = account;
  *use = SidUseFromAccountType(account_type);
  return kAdsOk;
}
