// Name forms read from the directory: one attribute of an object, the NT name and its translation.
#include "directory/name_lookup.h"

#include <map>
#include <mutex>

#include "directory/ads/ads.h"
#include "directory/ads/ads_path.h"
#include "directory/ads/ldap_values.h"
#include "directory/directory_context.h"
#include "directory/name_forms.h"
#include "util/ascii_text.h"

namespace {

// NT domain names are NetBIOS names, at most 15 characters.
constexpr size_t kNetbiosNameLength = 15;

// The value of the first domain component of a DN, up to the next comma; empty when it has none.
std::string FirstDomainComponent(const std::string& name) {
  size_t domain = DomainPartPosition(name);
  if (domain == std::string::npos) return "";
  size_t start = domain + 3;
  size_t comma = name.find(',', start);
  return name.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
}

// Name attributes kept from the searches that found objects, by prefix, lower-cased DN and attribute.
constexpr size_t kKeptNames = 2000;
std::mutex g_kept_mutex;
std::map<std::string, std::vector<AdsAttribute>> g_kept_names;

std::string KeptKey(const std::string& path_prefix, const std::string& dn, const char* attribute) {
  std::string key = path_prefix + "\n" + dn + "\n" + attribute;
  for (char& c : key) c = AsciiUpper(c);
  return key;
}

bool KeptNameAttribute(const std::string& path_prefix, const std::string& name, const char* attribute,
                       std::vector<AdsAttribute>* attributes) {
  std::lock_guard<std::mutex> lock(g_kept_mutex);
  auto it = g_kept_names.find(KeptKey(path_prefix, name, attribute));
  if (it == g_kept_names.end()) return false;
  *attributes = it->second;
  return true;
}

}  // namespace

const char* NameFormAttribute(uint32_t form) {
  if (form & (kFormWithDomain | kFormCanonical | kFormUntypedCn | kFormRelative)) return nullptr;
  if (form & kFormNt) return "sAMAccountName";
  if (form & kFormDisplay) return "displayName";
  if (form & kFormPrincipal) return "userPrincipalName";
  if (form & kFormGuid) return "objectGUID";
  return nullptr;
}

void AddAttributeOnce(const std::string& attribute, std::vector<std::string>* attributes) {
  for (const std::string& present : *attributes) {
    if (EqualsIgnoreCase(present, attribute)) return;
  }
  attributes->push_back(attribute);
}

void KeepNameAttribute(const std::string& path_prefix, const std::string& dn, const char* attribute,
                       const std::vector<AdsAttribute>& row) {
  std::vector<AdsAttribute> values;
  for (const AdsAttribute& entry : row) {
    if (EqualsIgnoreCase(entry.name, attribute)) values.push_back(entry);
  }
  std::lock_guard<std::mutex> lock(g_kept_mutex);
  if (g_kept_names.size() >= kKeptNames) g_kept_names.clear();
  g_kept_names[KeptKey(path_prefix, dn, attribute)] = std::move(values);
}

bool ReadNameAttribute(const std::string& path_prefix, const std::string& name, const char* attribute,
                       std::string* text) {
  text->clear();
  std::vector<AdsAttribute> attributes;
  // A value the search that found the object gave is what a read of it alone gives.
  if (!KeptNameAttribute(path_prefix, name, attribute, &attributes)) {
    AdsObject* object = nullptr;
    if (AdsOpenObject(path_prefix + EscapeSlashes(name), &g_credentials, kAdsSecureAuthentication, &object) <
        0) {
      return false;
    }
    AdsResult result = AdsGetObjectAttributes(object, {attribute}, &attributes);
    AdsRelease(object);
    if (result < 0) return false;
  }
  for (const AdsAttribute& entry : attributes) {
    for (const AdsValue& value : entry.values) {
      if (entry.type == kAdsTypeCaseIgnoreString) {
        *text = value.text;
      } else if (EqualsIgnoreCase(entry.name, "objectGUID")) {
        *text = GuidBytesToText(entry.values.front().bytes);
      }
      if (!text->empty()) return true;
    }
  }
  return true;
}

std::string TranslateNameToNt(const std::string& name) {
  std::string hint = FirstDomainComponent(name);
  AdsNameTranslator* translator = nullptr;
  AdsResult result = AdsNameTranslateInit(kAdsNameInitGc, "", &g_credentials, &translator);
  if (result < 0 && !hint.empty()) {
    // The credentials carry no domain of their own here; the hint names the domain to ask.
    result = AdsNameTranslateInit(kAdsNameInitDomain, hint, &g_credentials, &translator);
  }
  if (result < 0) return "";
  std::string nt_name;
  if (AdsNameTranslateSet(translator, kAdsName1779, name) < 0 ||
      AdsNameTranslateGet(translator, kAdsNameNt4, &nt_name) < 0) {
    nt_name.clear();
  }
  AdsNameTranslateRelease(translator);
  return nt_name;
}

std::string NtAccountName(const DirectoryContext* dir, const std::string& name) {
  size_t domain = DomainPartPosition(name);
  bool other_domain =
      domain != std::string::npos && !EqualsIgnoreCase(name.substr(domain), dir->default_naming_context);

  std::string account = FormatName(nullptr, kFormRelative | kFormNoTypes, name);
  // A wildcard name is not an object; its relative value is shown as the account.
  if (account.find('*') == std::string::npos) {
    std::string sam_account_name;
    if (!ReadNameAttribute(dir->path_prefix, name, "sAMAccountName", &sam_account_name))
      sam_account_name.clear();
    account = sam_account_name;
  }
  if (account.empty()) return "";

  if (!other_domain && !dir->netbios_domain_name.empty()) return dir->netbios_domain_name + "\\" + account;
  std::string translated = TranslateNameToNt(name);
  if (!translated.empty()) return translated;
  if (domain == std::string::npos) return "";
  std::string short_name = FirstDomainComponent(name);
  for (char& c : short_name) c = AsciiUpper(c);
  if (short_name.size() > kNetbiosNameLength) short_name.resize(kNetbiosNameLength);
  return short_name + "\\" + account;
}
