// Entries as libldap returns them, decoded into attributes of the types the program reads.
#include <strings.h>

#include "directory/ads/ldap/ads_ldap_internal.h"
#include "directory/ads/ldap_filter.h"
#include "directory/ads/ldap_values.h"

namespace {

AdsValue DecodeValue(AdsType type, const struct berval* raw) {
  AdsValue value;
  std::string text(raw->bv_val, raw->bv_len);
  switch (type) {
    case kAdsTypeInteger:
    case kAdsTypeLargeInteger:
      ParseLargeInteger(text, &value.integer);
      break;
    case kAdsTypeBoolean: {
      bool flag = false;
      ParseBoolean(text, &flag);
      value.integer = flag ? 1 : 0;
      break;
    }
    case kAdsTypeOctetString:
    case kAdsTypeSecurityDescriptor:
      value.bytes = text;
      break;
    case kAdsTypeUtcTime:
      ParseGeneralizedTime(text, &value.time);
      break;
    default:
      value.text = text;
      break;
  }
  return value;
}

}  // namespace

void DecodeEntry(LDAP* ld, LDAPMessage* entry, std::vector<AdsAttribute>* attributes) {
  attributes->clear();
  BerElement* ber = nullptr;
  for (char* name = ldap_first_attribute(ld, entry, &ber); name != nullptr;
       name = ldap_next_attribute(ld, entry, ber)) {
    AdsAttribute attribute;
    attribute.name = name;
    attribute.type = AttributeType(name);
    struct berval** values = ldap_get_values_len(ld, entry, name);
    for (int i = 0; values != nullptr && values[i] != nullptr; ++i) {
      attribute.values.push_back(DecodeValue(attribute.type, values[i]));
    }
    ldap_value_free_len(values);
    ldap_memfree(name);
    // A ranged read also returns the plain attribute without values; it carries nothing.
    if (!attribute.values.empty()) attributes->push_back(attribute);
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
