// Verification of the container part of a typed name, and the schema look-ups of resolution.
#include "retrieval/container.h"

#include <vector>

#include "directory/ads/ads_path.h"
#include "directory/ads/ldap_filter.h"
#include "directory/ads/scoped_ads.h"
#include "directory/directory_context.h"
#include "directory/entity_forms.h"
#include "directory/name_forms.h"
#include "retrieval/entity.h"
#include "run/codes.h"
#include "util/ascii_text.h"
#include "util/error_text.h"
#include "util/message_text.h"
#include "util/output.h"

namespace {

// Binds "<candidate>,<domain>" and, when that fails, the same with the other of the types CN and OU.
AdsResult BindCandidate(const DirectoryContext* dir, std::string* candidate, ScopedObject* object) {
  object->reset();
  AdsResult code =
      BindObject(dir->path_prefix + EscapeSlashes(*candidate) + "," + dir->default_naming_context,
                 kAdsSecureAuthentication, object->out());
  if (code >= 0) return code;
  candidate->replace(0, 2, StartsWithIgnoreCase(*candidate, "cn=") ? "OU" : "CN");
  object->reset();
  return BindObject(dir->path_prefix + EscapeSlashes(*candidate) + "," + dir->default_naming_context,
                    kAdsSecureAuthentication, object->out());
}

// Finds a container that the translation does not know ("sales,emea") by walking down from its
// last component, taking each one as an organizational unit first and as a container second.
AdsResult BindStepByStep(const DirectoryContext* dir, const std::string& container, ScopedObject* object) {
  const std::string canonical = FormatName(nullptr, kFormCanonical, container);
  std::vector<std::string> components;
  size_t from = 0;
  for (;;) {
    const size_t comma = NextUnescapedComma(canonical, from);
    if (comma == std::string::npos) break;
    components.push_back(canonical.substr(from, comma - from));
    from = comma + 1;
  }
  components.push_back(canonical.substr(from));

  AdsResult code = kAdsNoSuchObject;
  std::string settled;
  for (size_t i = components.size(); i-- > 0;) {
    const std::string current = settled.empty() ? components[i] : components[i] + "," + settled;
    std::string candidate = StartsWithIgnoreCase(current, "cn=") || StartsWithIgnoreCase(current, "ou=")
                                ? current
                                : "OU=" + current;
    code = BindCandidate(dir, &candidate, object);
    if (code < 0) return code;
    settled = candidate;
  }
  return code;
}

}  // namespace

bool VerifyContainer(RunContext* run) {
  const DirectoryContext* dir = run->directory;
  std::string& name = run->entity;
  const size_t start = ContainerStart(name);
  const std::string container = name.substr(start);

  std::string dn;
  TranslateToDN(dir, container, &dn);
  ScopedObject object;
  AdsResult code = BindObject(dir->path_prefix + EscapeSlashes(dn), kAdsSecureAuthentication, object.out());
  if (code < 0) code = BindStepByStep(dir, container, &object);
  if (code >= 0) {
    std::vector<AdsAttribute> attributes;
    std::string value;
    if (AdsGetObjectAttributes(object.get(), {"distinguishedName"}, &attributes) >= 0 &&
        FirstText(attributes, "distinguishedName", &value)) {
      name = name.substr(0, start) + value;
    }
    return true;
  }
  if (code == kAdsServerDown) code = kAdsNoSuchObject;
  ReportDirectoryError(run->output, code, ("Cannot verify container " + container).c_str());
  return false;
}

bool NamingAttribute(RunContext* run, const std::string& class_name, std::string* attribute) {
  const DirectoryContext* dir = run->directory;
  attribute->clear();
  ScopedObject searcher;
  AdsResult code =
      BindObject(dir->path_prefix + dir->schema_naming_context, kAdsSecureAuthentication, searcher.out());
  if (code < 0) {
    ReportDirectoryError(run->output, code,
                         MessageText("Cannot connect to %s to get the naming attribute for %s",
                                     dir->schema_naming_context.c_str(), class_name.c_str())
                             .c_str());
    return false;
  }
  const std::string filter =
      "(&(objectCategory=classSchema)(lDAPDisplayName=" + EscapeFilterLiteral(class_name) + "))";
  {
    ScopedSearch search;
    code = AdsExecuteSearch(searcher.get(), kAdsScopeOneLevel, 1, filter, {"rDNAttId"}, search.out());
    std::vector<AdsAttribute> row;
    while (code >= 0 && (code = AdsGetNextRow(search.get(), &row)) >= 0 && code != kAdsNoMoreRows) {
      std::string value;
      if (FirstText(row, "rDNAttId", &value)) *attribute = UpperCase(value);
    }
  }
  if (code < 0) {
    attribute->clear();
    ReportDirectoryError(run->output, code,
                         ("Failed to retrieve the naming attribute for class " + class_name).c_str());
    return false;
  }
  // A class without a naming attribute leaves the name as typed rather than writing "=value".
  return !attribute->empty();
}

bool ClassHasAttribute(const DirectoryContext* dir, const std::string& class_name, const char* attribute) {
  std::vector<std::string> mandatory, optional;
  if (AdsGetClassProperties(dir->path_prefix + "schema/" + EscapeSlashes(class_name), &g_credentials,
                            &mandatory, &optional) < 0) {
    return false;
  }
  for (const std::string& name : mandatory) {
    if (EqualsIgnoreCase(name, attribute)) return true;
  }
  for (const std::string& name : optional) {
    if (EqualsIgnoreCase(name, attribute)) return true;
  }
  return false;
}
