// The directory search for an entity given by wildcard or typed name.
#include <vector>

#include "directory/ads/ads_path.h"
#include "directory/ads/ldap_filter.h"
#include "directory/ads/scoped_ads.h"
#include "directory/directory_context.h"
#include "directory/entity_forms.h"
#include "directory/name_forms.h"
#include "directory/name_lookup.h"
#include "retrieval/container.h"
#include "retrieval/entity.h"
#include "retrieval/groups.h"
#include "retrieval/retrieval.h"
#include "retrieval/retrieval_queue.h"
#include "run/codes.h"
#include "util/ascii_text.h"
#include "util/error_text.h"
#include "util/output.h"

namespace {

int ProcessFoundObject(RunContext* run, const std::string& dn) {
  if (EqualsIgnoreCase(run->options.object_class, "group")) return ExpandGroup(run, dn);
  return RetrieveRestrictions(run, dn);
}

// The "type=value" item the search matches: the relative name when it is typed, else the value
// under the naming attribute of the object class (CN when there is none).
std::string FilterItem(RunContext* run) {
  const std::string relative = FormatName(nullptr, kFormRelative, run->entity);
  if (relative.find('=') != std::string::npos) return relative;
  std::string attribute;
  if (!run->options.object_class.empty() && NamingAttribute(run, run->options.object_class, &attribute)) {
    return attribute + "=" + relative;
  }
  return "CN=" + relative;
}

}  // namespace

int SearchEntities(RunContext* run) { return SearchEntitiesWith(run, ProcessFoundObject); }

int SearchEntitiesWith(RunContext* run, ObjectProcessor process) {
  const DirectoryContext* dir = run->directory;
  OutputContext* out = run->output;
  const std::string item = FilterItem(run);
  const std::string filter =
      "(&" + ClassFilterElement(run->options.object_class) + "(" + EscapeNameForFilter(item) + "))";

  const std::string container = ContainerPart(run->entity);
  std::string base, display_name;
  if (!container.empty()) {
    base = dir->path_prefix + EscapeSlashes(container);
    display_name = FormatName(dir, run->options.name_form, container);
  } else {
    base = dir->path_prefix + dir->default_naming_context;
    display_name = "rootDSE";
  }

  ScopedObject searcher;
  AdsResult code = BindObject(base, kAdsSecureAuthentication, searcher.out());
  if (code < 0) {
    ReportDirectoryError(out, code, ("Cannot connect to " + display_name).c_str());
    return 0;
  }

  // Read in batches, the objects to retrieve come with their own attributes, and with the one their
  // display form needs, so that the batch reads them no more.
  std::vector<std::string> attributes = {"distinguishedName"};
  const bool keep_rows = run->retrievals && process == ProcessFoundObject &&
                         !EqualsIgnoreCase(run->options.object_class, "group");
  const char* name_attribute = keep_rows ? NameFormAttribute(run->options.name_form) : nullptr;
  bool full_rows = false;
  if (keep_rows) {
    std::vector<std::string> row_attributes = run->retrievals->RowAttributes();
    full_rows = !row_attributes.empty();
    if (full_rows) attributes = row_attributes;
    if (name_attribute) AddAttributeOnce(name_attribute, &attributes);
  }

  int result = 0;
  long count = 0;
  std::string last_dn;
  {
    ScopedSearch search;
    // Read in batches, objects come in pages as large as the controller gives; read one by one,
    // 20 to a page.
    const int page_size = run->retrievals ? run->retrievals->SearchPageSize() : 20;
    const int scope = run->subtree_flag || run->options.subtree ? kAdsScopeSubtree : kAdsScopeOneLevel;
    // The other controllers' values of what it finds come from the same search on each of them.
    if (full_rows) run->retrievals->StartStreamedSearch(base.substr(dir->path_prefix.size()), scope, filter);
    code = AdsExecuteSearch(searcher.get(), scope, page_size, filter, attributes, search.out());
    std::vector<AdsAttribute> row;
    while (code >= 0 && (code = AdsGetNextRow(search.get(), &row)) >= 0 && code != kAdsNoMoreRows) {
      std::string dn;
      if (!FirstText(row, "distinguishedName", &dn)) continue;
      ++count;
      last_dn = dn;
      if (name_attribute) KeepNameAttribute(dir->path_prefix, dn, name_attribute, row);
      if (full_rows) run->retrievals->KeepRow(dn, std::move(row));
      result = process(run, dn);
      if (result == kWorkNoMemory || result == kWorkCancelled) break;
    }
    if (full_rows) run->retrievals->EndStreamedSearch();
  }
  if (code < 0) {
    ReportDirectoryError(out, code,
                         ("Failed to complete the search for " + (count ? last_dn : item)).c_str());
    return 0;
  }
  if (count == 0) {
    PrintFormatted(out, -1, 1, "%s: No objects matching %s were found", out->program_name, item.c_str());
    return 0;
  }
  return result;
}
