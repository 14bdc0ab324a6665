// Bound objects over LDAP: a bind is the cached connection plus a base read that proves the
// object exists; attribute reads are base searches; the class is the last objectClass value.
#include <strings.h>

#include <set>

#include "directory/ads/ads_path.h"
#include "directory/ads/ldap/ads_ldap_internal.h"
#include "directory/ads/ldap_filter.h"
#include "directory/ads/ldap_values.h"

struct AdsObject {
  std::string server;
  bool anonymous = false;  // bound without credentials (the rootDSE)
  AdsCredentials credentials;
  AdsPathKind kind = kAdsPathObject;
  std::string dn;  // as stored once read
  bool read = false;
  std::string class_name;
};

namespace {

const AdsCredentials* CredentialsOf(const AdsObject* object) {
  return object->anonymous ? nullptr : &object->credentials;
}

// Base read of an object: its DN as stored and its most specific structural class.
int ReadIdentity(LdapConnection* c, AdsObject* object) {
  std::string stored_dn, class_name;
  if (PrefetchedIdentity(c, object->dn, &stored_dn, &class_name)) {
    object->dn = stored_dn;
    object->class_name = class_name;
    object->read = true;
    return LDAP_SUCCESS;
  }
  LDAPMessage* res = nullptr;
  int rc = SearchNow(c, object->dn, LDAP_SCOPE_BASE, "(objectClass=*)", {"objectClass"}, nullptr, 0, &res);
  if (rc == LDAP_SUCCESS) {
    LDAPMessage* entry = ldap_first_entry(c->ld, res);
    if (entry == nullptr) {
      rc = LDAP_NO_SUCH_OBJECT;
    } else {
      std::vector<AdsAttribute> values;
      DecodeEntry(c->ld, entry, &values);
      object->dn = EntryDn(c->ld, entry);
      for (const AdsAttribute& attribute : values) {
        if (strcasecmp(attribute.name.c_str(), "objectClass") == 0 && !attribute.values.empty()) {
          object->class_name = attribute.values.back().text;
        }
      }
      object->read = true;
    }
  }
  ldap_msgfree(res);
  return rc;
}

// The DN of a schema class object by its LDAP display name.
int FindClassSchema(LdapConnection* c, const std::string& class_name, std::vector<AdsAttribute>* values) {
  int rc = ReadRootDse(c);
  if (rc != LDAP_SUCCESS) return rc;
  LDAPMessage* res = nullptr;
  std::string filter =
      "(&(objectClass=classSchema)(lDAPDisplayName=" + EscapeFilterLiteral(class_name) + "))";
  rc = SearchNow(c, c->schema_nc, LDAP_SCOPE_ONELEVEL, filter,
                 {"mustContain", "systemMustContain", "mayContain", "systemMayContain", "subClassOf",
                  "auxiliaryClass", "systemAuxiliaryClass"},
                 nullptr, 0, &res);
  if (rc == LDAP_SUCCESS) {
    LDAPMessage* entry = ldap_first_entry(c->ld, res);
    if (entry == nullptr) {
      rc = LDAP_NO_SUCH_OBJECT;
    } else {
      DecodeEntry(c->ld, entry, values);
      values->push_back(
          AdsAttribute{"distinguishedName", kAdsTypeDn, {AdsValue{EntryDn(c->ld, entry), 0, "", {}}}});
    }
  }
  ldap_msgfree(res);
  return rc;
}

}  // namespace

AdsResult AdsOpenObject(const std::string& path, const AdsCredentials* credentials, uint32_t flags,
                        AdsObject** object) {
  SetLastDiagnostic("");
  *object = nullptr;
  AdsPathParts parts;
  if (!ParseAdsPath(path, &parts)) {
    SetLastFailure(kAdsBadPath, "Not an LDAP path: " + path);
    return kAdsBadPath;
  }
  auto holder = new AdsObject;
  holder->server = parts.server;
  holder->anonymous = credentials == nullptr;
  if (credentials != nullptr) holder->credentials = *credentials;
  holder->kind = parts.kind;
  holder->dn = parts.dn;
  AdsResult result = OnConnection(parts.server, credentials, [&](LdapConnection* c) {
    if (parts.kind == kAdsPathRootDse) {
      return ReadRootDse(c);
    }
    if (parts.kind == kAdsPathSchemaClass) {
      std::vector<AdsAttribute> values;
      int rc = FindClassSchema(c, parts.class_name, &values);
      if (rc == LDAP_SUCCESS) {
        holder->dn = FirstText(values, "distinguishedName");
        holder->class_name = "classSchema";
        holder->read = true;
      }
      return rc;
    }
    if (holder->dn.empty()) {
      int rc = ReadRootDse(c);
      if (rc != LDAP_SUCCESS) return rc;
      holder->dn = c->default_nc;
    }
    if (flags & kAdsFastBind) return LDAP_SUCCESS;
    return ReadIdentity(c, holder);
  });
  if (result < 0) {
    delete holder;
    return result;
  }
  *object = holder;
  return kAdsOk;
}

void AdsRelease(AdsObject* object) { delete object; }

void AdsObjectSearchBase(const AdsObject* object, std::string* server, bool* anonymous,
                         AdsCredentials* credentials, std::string* dn) {
  *server = object->server;
  *anonymous = object->anonymous;
  *credentials = object->credentials;
  *dn = object->kind == kAdsPathRootDse ? "" : object->dn;
}

AdsResult AdsGetObjectAttributes(AdsObject* object, const std::vector<std::string>& names,
                                 std::vector<AdsAttribute>* attributes) {
  SetLastDiagnostic("");
  attributes->clear();
  const bool descriptor = AsksForDescriptor(names);
  std::string base = object->kind == kAdsPathRootDse ? "" : object->dn;
  // Attribute options are case-insensitive in AD; Samba only knows range retrieval as ";range=".
  std::vector<std::string> asked = names;
  for (std::string& name : asked) {
    size_t at = name.find(';');
    if (at != std::string::npos && strncasecmp(name.c_str() + at, ";range=", 7) == 0)
      name.replace(at, 7, ";range=");
  }
  // The container of a typed name is read for its distinguishedName alone; a prefetch may have it.
  const bool dn_alone = asked.size() == 1 && strcasecmp(asked[0].c_str(), "distinguishedName") == 0 &&
                        object->kind == kAdsPathObject;
  return OnConnection(object->server, CredentialsOf(object), [&](LdapConnection* c) {
    if (dn_alone && PrefetchedDnAttribute(c, base, attributes)) return LDAP_SUCCESS;
    SdFlagsControl sd_flags(descriptor);
    LDAPControl* controls[2] = {sd_flags.get(), nullptr};
    LDAPMessage* res = nullptr;
    int rc = SearchNow(c, base, LDAP_SCOPE_BASE, "(objectClass=*)", asked, controls, 0, &res);
    if (rc == LDAP_SUCCESS) {
      LDAPMessage* entry = ldap_first_entry(c->ld, res);
      if (entry == nullptr) {
        rc = LDAP_NO_SUCH_OBJECT;
      } else {
        DecodeEntry(c->ld, entry, attributes);
      }
    }
    ldap_msgfree(res);
    return rc;
  });
}

AdsResult AdsGetObjectInformation(AdsObject* object, std::string* path_name, std::string* class_name) {
  SetLastDiagnostic("");
  if (object->kind == kAdsPathRootDse) return kAdsPropertyNotFound;
  if (!object->read) {
    AdsResult result = OnConnection(object->server, CredentialsOf(object),
                                    [&](LdapConnection* c) { return ReadIdentity(c, object); });
    if (result < 0) return result;
  }
  *path_name = "LDAP://" + (object->server.empty() ? "" : object->server + "/") + EscapeSlashes(object->dn);
  *class_name = object->class_name;
  return kAdsOk;
}

AdsResult AdsGetClassProperties(const std::string& path, const AdsCredentials* credentials,
                                std::vector<std::string>* mandatory, std::vector<std::string>* optional) {
  SetLastDiagnostic("");
  mandatory->clear();
  optional->clear();
  AdsPathParts parts;
  if (!ParseAdsPath(path, &parts) || parts.kind != kAdsPathSchemaClass) return kAdsBadPath;
  // The attributes of a class include those of its superclasses and auxiliary classes.
  return OnConnection(parts.server, credentials, [&](LdapConnection* c) {
    if (PrefetchedClassProperties(c, parts.class_name, mandatory, optional)) return LDAP_SUCCESS;
    mandatory->clear();
    optional->clear();
    std::vector<std::string> pending = {parts.class_name};
    std::set<std::string> seen;
    int rc = LDAP_SUCCESS;
    while (!pending.empty()) {
      std::string name = pending.back();
      pending.pop_back();
      std::string key = name;
      for (char& ch : key) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
      if (!seen.insert(key).second) continue;
      std::vector<AdsAttribute> values;
      rc = FindClassSchema(c, name, &values);
      if (rc != LDAP_SUCCESS) {
        // Only the class asked for must exist; an unreadable ancestor adds nothing.
        if (seen.size() == 1) return rc;
        rc = LDAP_SUCCESS;
        continue;
      }
      AppendValues(values, "mustContain", mandatory);
      AppendValues(values, "systemMustContain", mandatory);
      AppendValues(values, "mayContain", optional);
      AppendValues(values, "systemMayContain", optional);
      std::vector<std::string> parents;
      AppendValues(values, "subClassOf", &parents);
      AppendValues(values, "auxiliaryClass", &parents);
      AppendValues(values, "systemAuxiliaryClass", &parents);
      for (const std::string& parent : parents) pending.push_back(parent);
    }
    if (rc == LDAP_SUCCESS) KeepClassProperties(c, parts.class_name, *mandatory, *optional);
    return rc;
  });
}
