// What one prefetch of names found, and the look-ups it answers with certainty.
#include "directory/ads/prefetched_names.h"

#include "directory/ads/ldap_filter.h"
#include "util/ascii_text.h"

namespace {

// Classes whose properties are kept while a hint is in force: a run asks for one or two.
constexpr size_t kMaxClasses = 16;
// Longest name looked for; longer ones are looked up as usual.
constexpr size_t kMaxNameLength = 300;

bool IsPrintableAscii(char c) { return c >= 0x20 && c <= 0x7E; }

// Adds name to names unless it is there already (without regard to ASCII case) or names is full.
void AddOnce(std::vector<std::string>* names, const std::string& name) {
  if (names->size() >= PrefetchedNames::kMaxNames) return;
  for (const std::string& known : *names) {
    if (EqualsIgnoreCase(known, name)) return;
  }
  names->push_back(name);
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& known : names) {
    if (EqualsIgnoreCase(known, name)) return true;
  }
  return false;
}

// Whether a component of a DN reads "type=value": a type of letters, digits and '-' that begins
// with a letter, a value that is not empty, no blank at either end.
bool IsDnComponent(const std::string& component) {
  const size_t equals = component.find('=');
  if (equals == std::string::npos || equals == 0 || equals + 1 >= component.size()) return false;
  if (component.front() == ' ' || component.back() == ' ') return false;
  const char first = component[0];
  if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'))) return false;
  for (size_t i = 0; i < equals; ++i) {
    const char c = component[i];
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    if (!ok) return false;
  }
  return component[equals + 1] != ' ';
}

}  // namespace

bool IsPrefetchableAccount(const std::string& name) {
  if (name.empty() || name.size() > kMaxNameLength) return false;
  for (char c : name) {
    if (!IsPrintableAscii(c) || c == ' ' || c == '*') return false;
  }
  return true;
}

bool IsPrefetchablePrincipalName(const std::string& name) {
  return IsPrefetchableAccount(name) && name.find('@') != std::string::npos;
}

bool IsPrefetchableDn(const std::string& dn) {
  if (dn.empty() || dn.size() > kMaxNameLength) return false;
  std::string component;
  for (size_t i = 0; i < dn.size(); ++i) {
    const char c = dn[i];
    if (!IsPrintableAscii(c) || c == '*') return false;
    if (c == '\\') {
      // An escaped character belongs to the value.
      if (i + 1 >= dn.size() || !IsPrintableAscii(dn[i + 1])) return false;
      component.push_back(c);
      component.push_back(dn[++i]);
      continue;
    }
    if (c == ',') {
      if (!IsDnComponent(component)) return false;
      component.clear();
      continue;
    }
    component.push_back(c);
  }
  return IsDnComponent(component);
}

void PrefetchedNames::Begin(const std::string& server, const std::string& base, const AdsNameHint& hint) {
  Clear();
  active_ = true;
  server_ = server;
  base_ = base;
  for (const std::string& name : hint.accounts) {
    if (IsPrefetchableAccount(name)) AddOnce(&accounts_, name);
  }
  for (const std::string& name : hint.principal_names) {
    if (IsPrefetchablePrincipalName(name)) AddOnce(&principal_names_, name);
  }
  for (const std::string& dn : hint.dns) {
    if (IsPrefetchableDn(dn)) AddOnce(&dns_, dn);
  }
}

std::vector<std::string> PrefetchedNames::Filters() const {
  std::vector<std::string> terms;
  for (const std::string& name : accounts_)
    terms.push_back("(sAMAccountName=" + EscapeFilterLiteral(name) + ")");
  for (const std::string& name : principal_names_)
    terms.push_back("(userPrincipalName=" + EscapeFilterLiteral(name) + ")");
  for (const std::string& dn : dns_) terms.push_back("(distinguishedName=" + EscapeFilterLiteral(dn) + ")");
  return OrFilters(terms);
}

std::vector<std::string> PrefetchedNames::Attributes() {
  return {"distinguishedName", "objectClass", "sAMAccountName", "userPrincipalName"};
}

bool PrefetchedNames::Add(PrefetchedEntry entry) {
  // The searches of one hint may find an object more than once (by its account name and by its DN):
  // it is one object.
  if (!found_dns_.insert(LowerCase(entry.dn)).second) return true;
  if (entries_.size() >= kMaxEntries) return false;
  entries_.push_back(std::move(entry));
  return true;
}

void PrefetchedNames::Finish(bool completed) {
  if (!completed) {
    entries_.clear();
    found_dns_.clear();
    answers_ = false;
    return;
  }
  answers_ = true;
  // Every object that has a name matching one asked for is among those found, whatever else it
  // was found by. Where every value found is printable ASCII without blanks, the server's
  // matching of such names is the comparison of ASCII without regard to case, and the matches of
  // each name can be counted here; another value (a letter the server folds by rules of its own,
  // a blank it folds) might match some name, and then none of that kind is answered.
  accounts_certain_ = principal_names_certain_ = true;
  for (const PrefetchedEntry& entry : entries_) {
    for (const std::string& value : entry.accounts) accounts_certain_ &= IsPrefetchableAccount(value);
    for (const std::string& value : entry.principal_names)
      principal_names_certain_ &= IsPrefetchableAccount(value);
  }
}

void PrefetchedNames::Clear() {
  active_ = answers_ = accounts_certain_ = principal_names_certain_ = false;
  server_.clear();
  base_.clear();
  accounts_.clear();
  principal_names_.clear();
  dns_.clear();
  entries_.clear();
  found_dns_.clear();
  classes_.clear();
}

bool PrefetchedNames::Answers(const std::string& server) const {
  return active_ && answers_ && EqualsIgnoreCase(server, server_);
}

const PrefetchedEntry* PrefetchedNames::EntryWithDn(const std::string& dn) const {
  for (const PrefetchedEntry& entry : entries_) {
    if (EqualsIgnoreCase(entry.dn, dn)) return &entry;
  }
  return nullptr;
}

PrefetchAnswer PrefetchedNames::FindByValue(const std::string& server, const std::string& base,
                                            const std::string& name, const std::vector<std::string>& asked,
                                            bool certain, std::vector<std::string> PrefetchedEntry::*values,
                                            std::string* dn) const {
  if (!Answers(server) || !certain || !EqualsIgnoreCase(base, base_) || !Contains(asked, name))
    return PrefetchAnswer::kUnknown;
  // The look-up takes exactly one match; several are left to it, for its own words.
  const PrefetchedEntry* found = nullptr;
  for (const PrefetchedEntry& entry : entries_) {
    if (!Contains(entry.*values, name)) continue;
    if (found != nullptr) return PrefetchAnswer::kUnknown;
    found = &entry;
  }
  if (found == nullptr) return PrefetchAnswer::kAbsent;
  *dn = found->dn;
  return PrefetchAnswer::kFound;
}

PrefetchAnswer PrefetchedNames::FindAccount(const std::string& server, const std::string& base,
                                            const std::string& account, std::string* dn) const {
  return FindByValue(server, base, account, accounts_, accounts_certain_, &PrefetchedEntry::accounts, dn);
}

PrefetchAnswer PrefetchedNames::FindPrincipalName(const std::string& server, const std::string& base,
                                                  const std::string& name, std::string* dn) const {
  return FindByValue(server, base, name, principal_names_, principal_names_certain_,
                     &PrefetchedEntry::principal_names, dn);
}

bool PrefetchedNames::FindByDn(const std::string& server, const std::string& dn,
                               std::string* stored_dn) const {
  if (!Answers(server)) return false;
  const PrefetchedEntry* entry = EntryWithDn(dn);
  if (entry == nullptr) return false;
  *stored_dn = entry->dn;
  return true;
}

bool PrefetchedNames::FindIdentity(const std::string& server, const std::string& dn, std::string* stored_dn,
                                   std::string* class_name) const {
  if (!Answers(server)) return false;
  const PrefetchedEntry* entry = EntryWithDn(dn);
  if (entry == nullptr) return false;
  *stored_dn = entry->dn;
  *class_name = entry->class_name;
  return true;
}

bool PrefetchedNames::FindDnAttribute(const std::string& server, const std::string& dn,
                                      std::vector<AdsAttribute>* attributes) const {
  if (!Answers(server)) return false;
  const PrefetchedEntry* entry = EntryWithDn(dn);
  if (entry == nullptr || entry->dn_attribute.empty()) return false;
  *attributes = entry->dn_attribute;
  return true;
}

void PrefetchedNames::KeepClassProperties(const std::string& server, const std::string& class_name,
                                          const std::vector<std::string>& mandatory,
                                          const std::vector<std::string>& optional) {
  if (!active_ || classes_.size() >= kMaxClasses) return;
  classes_[LowerCase(server) + "\n" + LowerCase(class_name)] = ClassProperties{mandatory, optional};
}

bool PrefetchedNames::FindClassProperties(const std::string& server, const std::string& class_name,
                                          std::vector<std::string>* mandatory,
                                          std::vector<std::string>* optional) const {
  if (!active_) return false;
  auto it = classes_.find(LowerCase(server) + "\n" + LowerCase(class_name));
  if (it == classes_.end()) return false;
  *mandatory = it->second.mandatory;
  *optional = it->second.optional;
  return true;
}
