// The names the lines of an input file will look up, hinted a block ahead.
#include "retrieval/name_hint.h"

#include "directory/ads/sid.h"
#include "directory/entity_forms.h"
#include "directory/name_lookup.h"
#include "retrieval/retrieval_queue.h"
#include "util/ascii_text.h"

namespace {

bool IsOwnDomain(const DirectoryContext& dir, const std::string& domain) {
  return EqualsIgnoreCase(domain, dir.domain_short_name) ||
         EqualsIgnoreCase(domain, dir.netbios_domain_name) || EqualsIgnoreCase(domain, dir.dns_domain_name);
}

// The classes whose plain names resolution takes as account names of the domain: those with a
// sAMAccountName. Another /o class makes the name a typed name of that class's naming attribute.
bool IsAccountClass(const std::string& object_class) {
  return object_class.empty() || EqualsIgnoreCase(object_class, "user") ||
         EqualsIgnoreCase(object_class, "computer") || EqualsIgnoreCase(object_class, "group") ||
         EqualsIgnoreCase(object_class, "inetOrgPerson");
}

// An account name is a name without the marks of the other forms.
bool LooksLikeAccount(const std::string& name) {
  return !name.empty() && name.find_first_of("=@,\\/*") == std::string::npos;
}

// A typed name as the translation is asked for it: with the domain part when it lacks one.
std::string CompletedDn(const DirectoryContext& dir, std::string name) {
  UpperCaseLeadingType(&name);
  if (NeedsDomainCompletion(name)) name += "," + dir.default_naming_context;
  return name;
}

}  // namespace

void AddEntityToHint(const DirectoryContext& dir, const std::string& object_class, bool searched,
                     const std::string& entity, AdsNameHint* hint) {
  if (searched) return;
  std::string name = entity;
  if (name.empty() || name == "." || IsGuidForm(name) || name.find('*') != std::string::npos) return;
  std::string sid;
  if (TextToSid(name, &sid)) return;

  if (IsNtFormat(name)) {
    const size_t slash = name.find('\\');
    const std::string account = name.substr(slash + 1);
    if (!IsOwnDomain(dir, name.substr(0, slash)) || IsGuidForm(account)) return;
    if (!IsTypedName(account)) {
      if (LooksLikeAccount(account)) hint->accounts.push_back(account);
      return;
    }
    // "SALES\CN=Ann,OU=Staff" is the typed name after the domain.
    name = account;
  } else if (IsPlainName(name)) {
    if (IsAccountClass(object_class) && LooksLikeAccount(name)) hint->accounts.push_back(name);
    return;
  }

  if (name.find('=') == std::string::npos) {
    const size_t at = name.find('@');
    if (at == std::string::npos || ContainerStart(name) != std::string::npos) return;
    hint->principal_names.push_back(name);
    // An account without a principal name of its own is known by its account name at the domain.
    if (LooksLikeAccount(name.substr(0, at))) hint->accounts.push_back(name.substr(0, at));
    return;
  }
  // A typed name: its container is verified first, then the object under the container's DN.
  const size_t start = ContainerStart(name);
  if (start != std::string::npos) hint->dns.push_back(CompletedDn(dir, name.substr(start)));
  hint->dns.push_back(CompletedDn(dir, name));
}

InputPrefetch::InputPrefetch(RunContext* run)
    : run_(run), active_(!run->per_object_reads), object_class_(run->options.object_class) {}

InputPrefetch::~InputPrefetch() {
  if (hinted_) AdsForgetPrefetch();
}

void InputPrefetch::Hint(const std::vector<std::string>& entities, size_t from) {
  if (!active_) return;
  const DirectoryContext& dir = *run_->directory;
  path_prefix_ = dir.path_prefix;
  naming_context_ = dir.default_naming_context;
  const bool searched = run_->options.subtree || run_->subtree_flag;
  AdsNameHint hint;
  for (size_t i = from; i < entities.size(); ++i)
    AddEntityToHint(dir, object_class_, searched, entities[i], &hint);
  // Read in batches, the objects found come with their own attributes, for the batch to take, and
  // with the one their display form needs.
  std::vector<std::string> row_attributes;
  if (run_->retrievals) {
    row_attributes = run_->retrievals->RowAttributes();
    const char* name_attribute = NameFormAttribute(run_->options.name_form);
    if (!row_attributes.empty() && name_attribute) AddAttributeOnce(name_attribute, &row_attributes);
  }
  AdsPrefetchNames(dir.path_prefix + dir.default_naming_context, &g_credentials, hint, row_attributes);
  hinted_ = true;
}

bool InputPrefetch::Moved() const {
  if (!active_ || !hinted_) return false;
  const DirectoryContext& dir = *run_->directory;
  return dir.path_prefix != path_prefix_ || dir.default_naming_context != naming_context_;
}
