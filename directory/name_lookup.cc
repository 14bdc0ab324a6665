// Name forms read from the directory: one attribute of an object, the NT name and its translation.
#include "directory/name_lookup.h"

#include "directory/ads/ads.h"
#include "directory/ads/ads_path.h"
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

}  // namespace

bool ReadNameAttribute(const std::string& path_prefix, const std::string& name, const char* attribute,
                       std::string* text) {
  text->clear();
  AdsObject* object = nullptr;
  if (AdsOpenObject(path_prefix + EscapeSlashes(name), &g_credentials, kAdsSecureAuthentication, &object) <
      0) {
    return false;
  }
  std::vector<AdsAttribute> attributes;
  AdsResult result = AdsGetObjectAttributes(object, {attribute}, &attributes);
  AdsRelease(object);
  if (result < 0) return false;
  for (const AdsAttribute& entry : attributes) {
    for (const AdsValue& value : entry.values) {
      if (entry.type == kAdsTypeCaseIgnoreString) {
        *text = value.text;
      } else if (EqualsIgnoreCase(entry.name, "objectGUID")) {
        *text = GuidToText(entry.values.front().bytes);
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
