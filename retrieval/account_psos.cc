// The accounts in reach of a domain's password settings objects, with their resultant one.
#include "retrieval/account_psos.h"

#include <functional>
#include <unordered_set>

#include "directory/ads/ads_path.h"
#include "directory/ads/ldap_filter.h"
#include "directory/ads/scoped_ads.h"
#include "directory/ads/sid.h"
#include "directory/directory_context.h"
#include "util/ascii_text.h"

namespace {

constexpr char kResultantPso[] = "msDS-ResultantPSO";

using RowHandler = std::function<bool(const std::vector<AdsAttribute>&)>;

// Every row of the searches of the filters below a path, handed to each_row until it returns
// false; false when a bind or a search fails or each_row stopped.
bool SearchRows(const std::string& path, int scope, const std::vector<std::string>& filters,
                const std::vector<std::string>& attributes, const RowHandler& each_row) {
  ScopedObject base;
  if (BindObject(path, kAdsSecureAuthentication | kAdsFastBind, base.out()) < 0) return false;
  for (const std::string& filter : filters) {
    ScopedSearch search;
    AdsResult code = AdsExecuteSearch(base.get(), scope, 1000, filter, attributes, search.out());
    std::vector<AdsAttribute> row;
    while (code >= 0 && (code = AdsGetNextRow(search.get(), &row)) >= 0 && code != kAdsNoMoreRows) {
      // Ranged values ("member;range=0-1499") would leave some out.
      for (const AdsAttribute& attribute : row) {
        if (LowerCase(attribute.name).find(";range=") != std::string::npos) return false;
      }
      if (!each_row(row)) return false;
    }
    if (code < 0) return false;
  }
  return true;
}

// The relative identifier of a group from its objectSid: the last part of its text form.
bool GroupRid(const std::vector<AdsAttribute>& row, std::string* rid) {
  const AdsAttribute* sid = FindAttribute(row, "objectSid");
  std::string text;
  if (!sid || sid->values.empty() || !SidToText(sid->values.front().bytes, &text)) return false;
  *rid = text.substr(text.rfind('-') + 1);
  return !rid->empty();
}

}  // namespace

bool AccountPsos::Find(const RetrievalScope& scope) {
  pso_by_dn_.clear();
  const std::string domain = scope.path_prefix + EscapeSlashes(scope.naming_context);

  // What each settings object is applied to. A directory that shows none cannot be told apart from
  // one that hides them from this account; one whose precedence (which every settings object has)
  // cannot be read may hide what it is applied to as well.
  std::vector<std::string> targets;
  size_t settings_objects = 0;
  bool readable = true;
  const std::string container =
      scope.path_prefix + EscapeSlashes("CN=Password Settings Container,CN=System," + scope.naming_context);
  if (!SearchRows(container, kAdsScopeOneLevel, {"(objectClass=msDS-PasswordSettings)"},
                  {"msDS-PSOAppliesTo", "msDS-PasswordSettingsPrecedence"},
                  [&](const std::vector<AdsAttribute>& row) {
                    ++settings_objects;
                    readable = readable && FindAttribute(row, "msDS-PasswordSettingsPrecedence") != nullptr;
                    if (const AdsAttribute* applies = FindAttribute(row, "msDS-PSOAppliesTo")) {
                      for (const AdsValue& value : applies->values) targets.push_back(value.text);
                    }
                    return readable && targets.size() <= kMaxGroups;
                  }) ||
      settings_objects == 0) {
    return false;
  }

  // The groups among the targets, then the groups nested in them, level by level; each group once,
  // so that cycles end. Each group adds its members and the accounts whose primary group it is.
  std::vector<std::string> terms;
  std::unordered_set<std::string> groups;
  std::vector<std::string> level;  // the membership terms of the groups found last
  // group_terms may be level itself: the filters are made before it is emptied.
  auto add_groups = [&](const std::vector<std::string>& group_terms) {
    std::vector<std::string> filters;
    for (const std::string& filter : OrFilters(group_terms))
      filters.push_back("(&(objectClass=group)" + filter + ")");
    level.clear();
    return SearchRows(domain, kAdsScopeSubtree, filters, {"distinguishedName", "objectSid"},
                      [&](const std::vector<AdsAttribute>& row) {
                        std::string dn, rid;
                        if (!FirstText(row, "distinguishedName", &dn)) return true;
                        if (!groups.insert(LowerCase(dn)).second) return true;
                        level.push_back("(memberOf=" + EscapeFilterLiteral(dn) + ")");
                        terms.push_back(level.back());
                        if (GroupRid(row, &rid)) terms.push_back("(primaryGroupID=" + rid + ")");
                        return groups.size() <= kMaxGroups;
                      });
  };
  std::vector<std::string> target_terms;
  for (const std::string& target : targets) {
    target_terms.push_back("(distinguishedName=" + EscapeFilterLiteral(target) + ")");
  }
  if (!add_groups(target_terms)) return false;
  while (!level.empty()) {
    if (!add_groups(level)) return false;
  }

  // The accounts in reach, with the value the directory computes for each.
  terms.insert(terms.end(), target_terms.begin(), target_terms.end());
  const bool found =
      SearchRows(domain, kAdsScopeSubtree, OrFilters(terms), {"distinguishedName", kResultantPso},
                 [&](const std::vector<AdsAttribute>& row) {
                   std::string dn, pso;
                   if (!FirstText(row, "distinguishedName", &dn)) return true;
                   FirstText(row, kResultantPso, &pso);
                   pso_by_dn_[LowerCase(dn)] = pso;
                   return pso_by_dn_.size() <= kMaxAccounts;
                 });
  if (!found) pso_by_dn_.clear();
  return found;
}

void AccountPsos::AddTo(const std::string& dn, std::vector<AdsAttribute>* row) const {
  auto it = pso_by_dn_.find(LowerCase(dn));
  if (it == pso_by_dn_.end() || it->second.empty() || FindAttribute(*row, kResultantPso)) return;
  AdsAttribute attribute;
  attribute.name = kResultantPso;
  attribute.type = kAdsTypeDn;
  attribute.values.emplace_back();
  attribute.values.back().text = it->second;
  row->push_back(std::move(attribute));
}
