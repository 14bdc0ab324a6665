// Names prefetched over LDAP: the names of a hint found with subtree searches of their domain,
// kept until the next hint, and the look-ups of the other files answered from what it found.
#include <strings.h>

#include <mutex>
#include <unordered_map>

#include "directory/ads/ldap/ads_ldap_internal.h"
#include "directory/ads/ldap_values.h"
#include "directory/ads/prefetched_names.h"

namespace {

// Searches for the batch objects run on threads of their own while names are looked up.
std::mutex g_prefetch_mutex;
PrefetchedNames g_prefetched;
// The rows of the objects the last hint's searches found, by lower-cased DN, when it asked for
// row attributes and its searches completed; on the server g_rows_server.
std::unordered_map<std::string, std::vector<AdsAttribute>> g_rows;
std::string g_rows_server;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

// The decoded attribute of that name, when the entry has it.
const AdsAttribute* AttributeNamed(const std::vector<AdsAttribute>& attributes, const char* name) {
  for (const AdsAttribute& attribute : attributes) {
    if (strcasecmp(attribute.name.c_str(), name) == 0) return &attribute;
  }
  return nullptr;
}

// Keeps what the look-ups may ask of an entry a prefetch search returned, and its row (rows, when
// the search brings the objects' attributes); false once there are too many entries.
bool KeepEntry(LDAP* ld, LDAPMessage* entry,
               std::unordered_map<std::string, std::vector<AdsAttribute>>* rows) {
  std::vector<AdsAttribute> values;
  DecodeEntry(ld, entry, &values);
  PrefetchedEntry found;
  found.dn = EntryDn(ld, entry);
  AppendValues(values, "sAMAccountName", &found.accounts);
  AppendValues(values, "userPrincipalName", &found.principal_names);
  std::vector<std::string> classes;
  AppendValues(values, "objectClass", &classes);
  if (!classes.empty()) found.class_name = classes.back();
  const AdsAttribute* dn_attribute = AttributeNamed(values, "distinguishedName");
  if (dn_attribute != nullptr) found.dn_attribute.push_back(*dn_attribute);
  if (rows != nullptr) (*rows)[Lower(found.dn)] = std::move(values);
  return g_prefetched.Add(std::move(found));
}

}  // namespace

void AdsPrefetchNames(const std::string& path, const AdsCredentials* credentials, const AdsNameHint& hint,
                      const std::vector<std::string>& row_attributes) {
  AdsPathParts parts;
  std::lock_guard<std::mutex> lock(g_prefetch_mutex);
  g_prefetched.Clear();
  g_rows.clear();
  if (!ParseAdsPath(path, &parts) || parts.kind != kAdsPathObject || parts.dn.empty()) return;
  g_prefetched.Begin(parts.server, parts.dn, hint);
  const std::vector<std::string> filters = g_prefetched.Filters();
  if (filters.empty()) {
    g_prefetched.Finish(true);
    return;
  }
  std::vector<std::string> attributes = PrefetchedNames::Attributes();
  for (const std::string& name : row_attributes) {
    bool have = false;
    for (const std::string& other : attributes) have = have || strcasecmp(other.c_str(), name.c_str()) == 0;
    if (!have) attributes.push_back(name);
  }
  const bool descriptor = AsksForDescriptor(row_attributes);
  std::unordered_map<std::string, std::vector<AdsAttribute>> rows;
  bool complete = true;
  AdsResult result = OnConnection(parts.server, credentials, [&](LdapConnection* c) {
    // Whatever the searches return, or an entry too many, the answers come from these searches.
    g_prefetched.Finish(false);
    complete = true;
    rows.clear();
    int rc = LDAP_SUCCESS;
    SdFlagsControl sd_flags(descriptor);
    LDAPControl* controls[2] = {sd_flags.get(), nullptr};
    for (size_t i = 0; i < filters.size() && rc == LDAP_SUCCESS && complete; ++i) {
      LDAPMessage* res = nullptr;
      rc = SearchNow(c, parts.dn, LDAP_SCOPE_SUBTREE, filters[i], attributes,
                     sd_flags.get() != nullptr ? controls : nullptr, 0, &res);
      if (rc == LDAP_SUCCESS) {
        for (LDAPMessage* entry = ldap_first_entry(c->ld, res); entry != nullptr && complete;
             entry = ldap_next_entry(c->ld, entry)) {
          complete = KeepEntry(c->ld, entry, row_attributes.empty() ? nullptr : &rows);
        }
      }
      ldap_msgfree(res);
    }
    return rc;
  });
  g_prefetched.Finish(result >= 0 && complete);
  if (result >= 0 && complete) {
    g_rows = std::move(rows);
    g_rows_server = Lower(parts.server);
  }
  // A prefetch that failed is no failure of the look-ups that follow: they report their own.
  SetLastDiagnostic("");
}

void AdsForgetPrefetch() {
  std::lock_guard<std::mutex> lock(g_prefetch_mutex);
  g_prefetched.Clear();
  g_rows.clear();
}

bool AdsTakeHintedRow(const std::string& path, const std::string& dn, std::vector<AdsAttribute>* row) {
  AdsPathParts parts;
  std::lock_guard<std::mutex> lock(g_prefetch_mutex);
  if (g_rows.empty() || !ParseAdsPath(path, &parts) || Lower(parts.server) != g_rows_server) return false;
  auto it = g_rows.find(Lower(dn));
  if (it == g_rows.end()) return false;
  *row = std::move(it->second);
  g_rows.erase(it);
  return true;
}

PrefetchAnswer PrefetchedAccount(const LdapConnection* connection, const std::string& base,
                                 const std::string& account, std::string* dn) {
  std::lock_guard<std::mutex> lock(g_prefetch_mutex);
  return g_prefetched.FindAccount(connection->key, base, account, dn);
}

PrefetchAnswer PrefetchedPrincipalName(const LdapConnection* connection, const std::string& base,
                                       const std::string& name, std::string* dn) {
  std::lock_guard<std::mutex> lock(g_prefetch_mutex);
  return g_prefetched.FindPrincipalName(connection->key, base, name, dn);
}

bool PrefetchedDn(const LdapConnection* connection, const std::string& dn, std::string* stored_dn) {
  std::lock_guard<std::mutex> lock(g_prefetch_mutex);
  return g_prefetched.FindByDn(connection->key, dn, stored_dn);
}

bool PrefetchedIdentity(const LdapConnection* connection, const std::string& dn, std::string* stored_dn,
                        std::string* class_name) {
  std::lock_guard<std::mutex> lock(g_prefetch_mutex);
  return g_prefetched.FindIdentity(connection->key, dn, stored_dn, class_name);
}

bool PrefetchedDnAttribute(const LdapConnection* connection, const std::string& dn,
                           std::vector<AdsAttribute>* attributes) {
  std::lock_guard<std::mutex> lock(g_prefetch_mutex);
  return g_prefetched.FindDnAttribute(connection->key, dn, attributes);
}

bool PrefetchedClassProperties(const LdapConnection* connection, const std::string& class_name,
                               std::vector<std::string>* mandatory, std::vector<std::string>* optional) {
  std::lock_guard<std::mutex> lock(g_prefetch_mutex);
  return g_prefetched.FindClassProperties(connection->key, class_name, mandatory, optional);
}

void KeepClassProperties(const LdapConnection* connection, const std::string& class_name,
                         const std::vector<std::string>& mandatory,
                         const std::vector<std::string>& optional) {
  std::lock_guard<std::mutex> lock(g_prefetch_mutex);
  g_prefetched.KeepClassProperties(connection->key, class_name, mandatory, optional);
}
