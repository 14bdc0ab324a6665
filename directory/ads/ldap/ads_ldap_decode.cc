// Entries as libldap returns them, decoded into attributes of the types the program reads.
#include <strings.h>

#include "directory/ads/ldap/ads_ldap_internal.h"
#include "directory/ads/ldap_filter.h"
#include "directory/ads/ldap_values.h"

void DecodeEntry(LDAP* ld, LDAPMessage* entry, std::vector<AdsAttribute>* attributes) {
  attributes->clear();
  BerElement* ber = nullptr;
  for (char* name = ldap_first_attribute(ld, entry, &ber); name != nullptr;
       name = ldap_next_attribute(ld, entry, ber)) {
    struct berval** values = ldap_get_values_len(ld, entry, name);
    AddLdapAttribute(name, values, nullptr, attributes);
    ldap_value_free_len(values);
    ldap_memfree(name);
  }
  if (ber != nullptr) ber_free(ber, 0);
}

std::string EntryDn(LDAP* ld, LDAPMessage* entry) {
  char* dn = ldap_get_dn(ld, entry);
  std::string result = dn ? dn : "";
  ldap_memfree(dn);
  return result;
}

std::string FirstText(const std::vector<AdsAttribute>& attributes, const char* name) {
  for (const AdsAttribute& attribute : attributes) {
    if (strcasecmp(attribute.name.c_str(), name) == 0 && !attribute.values.empty())
      return attribute.values[0].text;
  }
  return "";
}

void AppendValues(const std::vector<AdsAttribute>& values, const char* name, std::vector<std::string>* out) {
  for (const AdsAttribute& attribute : values) {
    if (strcasecmp(attribute.name.c_str(), name) != 0) continue;
    for (const AdsValue& value : attribute.values) out->push_back(value.text);
  }
}

std::string NetbiosNameOf(LdapConnection* c, const std::string& nc) {
  bool own_domain = strcasecmp(nc.c_str(), c->default_nc.c_str()) == 0;
  if (own_domain && !c->netbios.empty()) return c->netbios;
  if (ReadRootDse(c) != LDAP_SUCCESS || c->config_nc.empty()) return "";
  LDAPMessage* res = nullptr;
  std::string filter = "(&(objectClass=crossRef)(nCName=" + EscapeFilterLiteral(nc) + "))";
  int rc = SearchNow(c, "CN=Partitions," + c->config_nc, LDAP_SCOPE_ONELEVEL, filter, {"nETBIOSName"},
                     nullptr, 0, &res);
  std::string netbios;
  if (rc == LDAP_SUCCESS) {
    LDAPMessage* entry = ldap_first_entry(c->ld, res);
    if (entry != nullptr) {
      std::vector<AdsAttribute> values;
      DecodeEntry(c->ld, entry, &values);
      netbios = FirstText(values, "nETBIOSName");
    }
  }
  ldap_msgfree(res);
  if (own_domain) c->netbios = netbios;
  return netbios;
}
