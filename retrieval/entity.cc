// Resolution of an entity name to one object of an accepted class, or to a search.
#include "retrieval/entity.h"

#include <cctype>
#include <cstring>

#include "directory/ads/ads_path.h"
#include "directory/ads/ldap_filter.h"
#include "directory/ads/scoped_ads.h"
#include "directory/ads/sid.h"
#include "directory/directory_context.h"
#include "directory/entity_forms.h"
#include "directory/name_forms.h"
#include "retrieval/container.h"
#include "util/ascii_text.h"
#include "util/error_text.h"
#include "util/message_text.h"
#include "util/output.h"

namespace {

// The classes whose restrictions can be shown, or whose members can.
bool IsAcceptedClass(const std::string& class_name) {
  return EqualsIgnoreCase(class_name, "user") || EqualsIgnoreCase(class_name, "group") ||
         EqualsIgnoreCase(class_name, "inetOrgPerson") || EqualsIgnoreCase(class_name, "computer");
}

// Rewrites the entity as "<naming attribute>=<relative value>" when an object class is given.
void ApplyNamingAttribute(RunContext* run, const std::string& relative) {
  if (run->options.object_class.empty()) return;
  std::string attribute;
  if (NamingAttribute(run, run->options.object_class, &attribute)) run->entity = attribute + "=" + relative;
}

}  // namespace

const char* ArticleFor(const std::string& class_name) {
  if (EqualsIgnoreCase(class_name, "user")) return "a";
  if (EqualsIgnoreCase(class_name, "NCP Server")) return "an";
  if (!class_name.empty() && strchr("aeiouAEIOU", class_name[0])) return "an";
  return "a";
}

AdsResult TranslateToDN(const DirectoryContext* dir, const std::string& name, std::string* dn) {
  std::string prepared = name;
  UpperCaseLeadingType(&prepared);

  // A security identifier becomes the NT name of its account.
  if (StartsWithIgnoreCase(prepared, "s-")) {
    std::string sid;
    if (TextToSid(prepared, &sid)) {
      std::string domain, account;
      int use = 0;
      if (AdsLookupAccountSid(dir->server_name, sid, &domain, &account, &use) >= 0) {
        prepared = domain + (domain.empty() ? "" : "\\") + account;
      }
    }
  }

  // "domain/account" is read as the NT name "domain\account".
  if (prepared.find('/') != std::string::npos && prepared.find('\\') == std::string::npos &&
      prepared.find('=') == std::string::npos) {
    prepared[prepared.find('/')] = '\\';
  }

  if (NeedsDomainCompletion(prepared)) prepared += "," + dir->default_naming_context;

  ScopedTranslator translator;
  AdsResult code =
      AdsNameTranslateInit(kAdsNameInitServer, dir->server_name, &g_credentials, translator.out());
  if (code < 0) {
    translator.reset();
    code = AdsNameTranslateInit(kAdsNameInitDomain, dir->domain_short_name, &g_credentials, translator.out());
  }
  if (code < 0) {
    translator.reset();
    code = AdsNameTranslateInit(kAdsNameInitGc, "", &g_credentials, translator.out());
  }
  if (code >= 0) {
    code = AdsNameTranslateSet(translator.get(), kAdsNameUnknown, prepared);
    if (code < 0) {
      // A name written after a domain prefix ("SALES\CN=Ann,...") is tried without the prefix.
      const size_t backslash = prepared.find('\\');
      if (backslash != std::string::npos && backslash + 1 < prepared.size() &&
          isalnum(static_cast<unsigned char>(prepared[backslash + 1]))) {
        code = AdsNameTranslateSet(translator.get(), kAdsNameUnknown, prepared.substr(backslash + 1));
      }
    }
    if (code >= 0) code = AdsNameTranslateGet(translator.get(), kAdsName1779, dn);
  }
  if (code < 0) *dn = prepared;
  if (code == kAdsNameNotFound) code = kAdsNoSuchObject;
  return code;
}

AdsResult VerifyObject(RunContext* run, std::string* name, std::string* class_name, std::string* error) {
  const DirectoryContext* dir = run->directory;
  std::string dn;
  AdsResult code = TranslateToDN(dir, *name, &dn);
  ScopedObject object;
  if (code != kAdsNoSuchObject) {
    code = BindObject(dir->path_prefix + EscapeSlashes(dn), kAdsSecureAuthentication, object.out());
  }
  if (code >= 0) {
    std::string path_name, object_class;
    code = AdsGetObjectInformation(object.get(), &path_name, &object_class);
    object.reset();
    if (code < 0) {
      *error = "Cannot get the object class for " + FormatName(dir, run->options.name_form, *name);
      return code;
    }
    // The path-form name is "LDAP://[server/]dn": the DN as stored follows the last '/' before
    // its first '='.
    const size_t equals = path_name.find('=');
    const size_t slash = equals == std::string::npos ? std::string::npos : path_name.rfind('/', equals);
    if (slash != std::string::npos) *name = UnescapeSlashes(path_name.substr(slash + 1));
    *class_name = object_class;
    return 0;
  }
  if (code == kAdsServerDown) code = kAdsNoSuchObject;
  *error = class_name->empty() ? "Cannot verify " + *name : "Cannot verify " + *class_name + " " + *name;
  return code;
}

AdsResult SearchByCommonName(RunContext* run, const std::string& name, std::string* dn,
                             std::string* class_name, std::string* error) {
  const DirectoryContext* dir = run->directory;
  const std::string filter =
      "(&" + ClassFilterElement(*class_name) + "(CN=" + EscapeNameForFilter(name) + "))";
  const std::string base = dir->path_prefix + dir->default_naming_context;

  ScopedObject searcher;
  AdsResult code = BindObject(base, kAdsSecureAuthentication, searcher.out());
  if (code < 0) {
    *error = "Cannot connect to " + base + " to locate " + name;
    return code;
  }
  long count = 0;
  std::string found;
  {
    ScopedSearch search;
    code = AdsExecuteSearch(searcher.get(), kAdsScopeSubtree, 1, filter, {"distinguishedName"}, search.out());
    std::vector<AdsAttribute> row;
    while (code >= 0 && (code = AdsGetNextRow(search.get(), &row)) >= 0 && code != kAdsNoMoreRows) {
      std::string value;
      if (count == 0 && FirstText(row, "distinguishedName", &value)) found = value;
      ++count;
    }
  }
  searcher.reset();
  if (code < 0) {
    *error = "Failed to complete the search for " + name;
    return code;
  }
  if (count == 0) {
    *error = "No objects named " + name + " were found";
    return -1;
  }
  if (count > 1) {
    *error = MessageText("Name %s is not unique (%ld matches)", name.c_str(), count);
    return -1;
  }

  ScopedObject object;
  code = BindObject(dir->path_prefix + EscapeSlashes(found), kAdsSecureAuthentication, object.out());
  std::string path_name, object_class;
  if (code >= 0) code = AdsGetObjectInformation(object.get(), &path_name, &object_class);
  if (code < 0) {
    *error = "Failed to get the object class for " + FormatName(dir, run->options.name_form, found);
    return code;
  }
  *dn = found;
  *class_name = object_class;
  return 0;
}

bool Classify(RunContext* run) {
  const DirectoryContext* dir = run->directory;
  std::string& name = run->entity;
  run->search_flag = false;
  if (IsGuidForm(name)) return true;

  const std::string container = ContainerPart(name);
  const std::string relative = RelativeValue(name);
  if (run->subtree_flag || relative.find('*') != std::string::npos) run->search_flag = true;
  const std::string& object_class = run->options.object_class;

  if (name == relative) {
    if (name.find('@') != std::string::npos) return true;
    // A class that has account names is looked for by its account name in this domain.
    if (!run->search_flag && !run->subtree_flag && !object_class.empty() &&
        ClassHasAttribute(dir, object_class, "sAMAccountName")) {
      name = dir->netbios_domain_name + "\\" + relative;
      return true;
    }
    // A wildcard without type matches in the whole domain, for the rest of the run.
    if (run->search_flag) run->subtree_flag = true;
    ApplyNamingAttribute(run, relative);
    return true;
  }

  if (IsNtFormat(name)) {
    if (!run->search_flag) return true;
    run->subtree_flag = true;
    ApplyNamingAttribute(run, relative);
    return true;
  }

  UpperCaseLeadingType(&name);
  if (!container.empty()) return VerifyContainer(run);
  return true;
}

bool ResolveEntity(RunContext* run) {
  DirectoryContext* dir = run->directory;
  OutputContext* out = run->output;
  std::string& name = run->entity;
  // /x asks for the subtree search from the start; resolution may also set it, for good.
  if (run->options.subtree) run->subtree_flag = true;

  if (name == ".") {
    name = dir->account_dn;
  } else {
    std::string error;
    const AdsResult code = SwitchDomain(dir, out, &name, &error);
    if (code < 0) {
      ReportDirectoryError(out, code, error.c_str());
      return false;
    }
  }

  if (!Classify(run)) return false;
  if (run->search_flag || run->subtree_flag) {
    if (run->options.object_class.empty()) run->options.object_class = "User";
    return true;
  }

  std::string class_name, error;
  AdsResult code = VerifyObject(run, &name, &class_name, &error);
  if (code != 0 && IsPlainName(name) && !IsGuidForm(name)) {
    // A plain name is tried as an account name of this domain, then as a common name.
    std::string nt_name = dir->netbios_domain_name + "\\" + name;
    code = VerifyObject(run, &nt_name, &class_name, &error);
    if (code == 0) {
      name = nt_name;
    } else {
      std::string dn;
      code = SearchByCommonName(run, name, &dn, &class_name, &error);
      if (code == 0) name = dn;
    }
  }
  if (code != 0) {
    ReportDirectoryError(out, code, error.c_str());
    return false;
  }

  const uint32_t form = run->options.name_form;
  if (!IsAcceptedClass(class_name)) {
    PrintFormatted(out, -1, 1, "%s: %s is not a user, computer, inetOrgPerson or group (it is %s %s)",
                   out->program_name, FormatName(dir, form, name).c_str(), ArticleFor(class_name),
                   class_name.c_str());
    return false;
  }
  std::string& wanted = run->options.object_class;
  if (wanted.empty()) {
    wanted = class_name;
    return true;
  }
  if (EqualsIgnoreCase(wanted, class_name)) return true;
  PrintFormatted(out, -1, 1, "%s: %s is not %s %s (it is %s %s)", out->program_name,
                 FormatName(dir, form, name).c_str(), ArticleFor(wanted), wanted.c_str(),
                 ArticleFor(class_name), class_name.c_str());
  return false;
}
