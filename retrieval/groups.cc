// Group member expansion: members read in ranges of 20, nested groups under /g, the accounts
// whose primary group is Domain Users, and members that are foreign security principals.
#include "retrieval/groups.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "directory/ads/ads_path.h"
#include "directory/ads/ldap_filter.h"
#include "directory/ads/scoped_ads.h"
#include "directory/ads/sid.h"
#include "directory/directory_context.h"
#include "directory/name_forms.h"
#include "directory/name_lookup.h"
#include "retrieval/batch_reads.h"
#include "retrieval/retrieval.h"
#include "retrieval/retrieval_queue.h"
#include "run/codes.h"
#include "util/ascii_text.h"
#include "util/error_text.h"
#include "util/message_text.h"
#include "util/output.h"

namespace {

// Members are read this many values at a time; when objects are read in batches, a thousand at a
// time (no more than any domain controller gives in one range).
constexpr int kRangeSize = 20;
constexpr int kBatchedRangeSize = 1000;
// Member classes are read with one search for at most this many members.
constexpr size_t kClassBatch = 250;

// The directory lists a group's members in the order of their GUIDs (Samba does); a search of
// the members asks for that order, so that its rows come as the members are processed.
constexpr char kMemberOrder[] = "objectGUID";
// Rows of members not asked for yet that wait at most, read ahead by the search of the members.
constexpr size_t kWaitingMemberRows = 1000;

// The most specific class of each member of a range by its lower-cased DN.
using MemberClasses = std::unordered_map<std::string, std::string>;

// What is read of each member when the classes of members are read: the attributes, with
// keep_rows also the members' own attributes for the batches they are retrieved in (full_rows)
// and the attribute of their display form (name_attribute).
struct MemberRead {
  std::vector<std::string> attributes;
  const char* name_attribute = nullptr;
  bool full_rows = false;
};

MemberRead MemberAttributes(const RunContext* run, bool keep_rows) {
  MemberRead read;
  if (keep_rows) {
    read.attributes = run->retrievals->RowAttributes();
    read.full_rows = !read.attributes.empty();
    read.name_attribute = NameFormAttribute(run->options.name_form);
  }
  AddAttributeOnce("distinguishedName", &read.attributes);
  AddAttributeOnce("objectClass", &read.attributes);
  if (read.name_attribute) AddAttributeOnce(read.name_attribute, &read.attributes);
  return read;
}

// The objects that are members of the expanded group, found by one paged search of the domain on
// the default server, asked for in the order the group lists them: each batch of members takes
// its rows from here instead of searching for them by name. It is read on the calling thread, as
// it shares the default server's connection with the run's other reads. Rows of members not asked
// for yet wait, at most kWaitingMemberRows of them: a directory that gives another order only
// leaves more members to be searched for by name.
class MemberSearch {
 public:
  MemberSearch(const RunContext* run, const std::string& filter, const std::vector<std::string>& attributes) {
    const DirectoryContext* dir = run->directory;
    ScopedObject base;
    if (BindObject(dir->path_prefix + EscapeSlashes(dir->default_naming_context),
                   kAdsSecureAuthentication | kAdsFastBind, base.out()) < 0 ||
        AdsExecuteSearch(base.get(), kAdsScopeSubtree, run->retrievals->SearchPageSize(), filter, attributes,
                         search_.out(), kMemberOrder) < 0) {
      search_.reset();
    }
  }

  // Moves the rows of these members that the search gives into rows, by lower-cased DN.
  void Take(const std::vector<std::string>& members, RowsByDn* rows) {
    std::unordered_set<std::string> wanted;
    for (const std::string& member : TakeWaitingRows(members, &waiting_, rows))
      wanted.insert(LowerCase(member));
    std::vector<AdsAttribute> row;
    while (!wanted.empty() && search_.get() && waiting_.size() < kWaitingMemberRows) {
      const AdsResult code = AdsGetNextRow(search_.get(), &row);
      if (code < 0 || code == kAdsNoMoreRows) {
        search_.reset();
        break;
      }
      std::string dn;
      if (!FirstText(row, "distinguishedName", &dn)) continue;
      const std::string key = LowerCase(dn);
      if (wanted.erase(key) > 0) {
        (*rows)[key] = std::move(row);
      } else {
        waiting_[key] = std::move(row);
      }
    }
  }

 private:
  ScopedSearch search_;
  RowsByDn waiting_;
};

// One top-level expansion: where members go, and under /g the groups already entered, so each
// group is expanded once and cycles of nested groups end.
struct GroupExpansion {
  RunContext* run;
  ObjectProcessor retrieve;
  bool nested;
  std::vector<std::string> visited;
};

bool IsStopCode(int result) { return result == kWorkNoMemory || result == kWorkCancelled; }

void Report(RunContext* run, AdsResult code, const std::string& description) {
  ReportDirectoryError(run->output, code, description.c_str());
}

// Adds the accounts whose primary group is this group; the group's member attribute omits them.
int ExpandPrimaryGroupMembers(GroupExpansion* expansion, const std::string& dn, long* member_count) {
  RunContext* run = expansion->run;
  const DirectoryContext* dir = run->directory;
  const std::string display = FormatName(dir, run->options.name_form, dn);
  int result = 1;

  std::string sid_text;
  {
    ScopedObject group;
    AdsResult code = BindObject(dir->path_prefix + EscapeSlashes(dn), kAdsSecureAuthentication, group.out());
    if (code < 0) {
      Report(run, code, MessageText("Cannot connect to %s to obtain the SID", display.c_str()));
      return 0;
    }
    std::vector<AdsAttribute> attributes;
    code = AdsGetObjectAttributes(group.get(), {"objectSID"}, &attributes);
    const AdsAttribute* sid = code >= 0 ? FindAttribute(attributes, "objectSID") : nullptr;
    if (code >= 0 && (!sid || sid->values.empty())) code = kAdsPropertyNotFound;
    if (code < 0) {
      Report(run, code, MessageText("Cannot read the \"objectSID\" attribute for %s", display.c_str()));
      return 0;
    }
    SidToText(sid->values.front().bytes, &sid_text);
  }

  ScopedObject searcher;
  AdsResult code =
      BindObject(dir->path_prefix + dir->default_naming_context, kAdsSecureAuthentication, searcher.out());
  if (code < 0) {
    Report(run, code, MessageText("Cannot connect to rootDSE to locate members of %s", display.c_str()));
    return 0;
  }
  const std::string rid = sid_text.substr(sid_text.rfind('-') + 1);
  const std::string filter = "(&(sAMAccountType=805306368)(primaryGroupID=" + EscapeFilterLiteral(rid) + "))";
  {
    ScopedSearch search;
    const int page_size = run->retrievals ? run->retrievals->SearchPageSize() : kRangeSize;
    code = AdsExecuteSearch(searcher.get(), kAdsScopeSubtree, page_size, filter, {"distinguishedName"},
                            search.out());
    std::vector<AdsAttribute> row;
    while (code >= 0 && (code = AdsGetNextRow(search.get(), &row)) >= 0 && code != kAdsNoMoreRows) {
      std::string member;
      if (!FirstText(row, "distinguishedName", &member)) continue;
      ++*member_count;
      // These accounts are users by the filter: no group or foreign-principal test.
      result = expansion->retrieve(run, member);
      if (IsStopCode(result)) break;
    }
  }
  if (code < 0) {
    Report(run, code, MessageText("Failed to complete the search for members of %s", display.c_str()));
    return 0;
  }
  return result;
}

int ExpandMembers(GroupExpansion* expansion, const std::string& dn, MemberSearch* member_search);

// Reads the classes of members, as their own reads would find them: the last value of
// objectClass; from the search of the group's members (member_search, may be null) and then with
// a search per kTermsPerFilter of those it did not give. A member the searches miss is read on its own.
// With keep_rows the same searches give the members' own attributes for the batches they are
// retrieved in, and the attribute of their display form.
void ReadMemberClasses(RunContext* run, const std::vector<std::string>& members, bool keep_rows,
                       MemberSearch* member_search, MemberClasses* classes) {
  const DirectoryContext* dir = run->directory;
  const MemberRead read = MemberAttributes(run, keep_rows);
  RowsByDn rows;
  if (member_search) member_search->Take(members, &rows);
  std::vector<std::string> missing;
  for (const std::string& member : members) {
    if (!rows.count(LowerCase(member))) missing.push_back(member);
  }
  ScopedObject base;
  if (!missing.empty() && BindObject(dir->path_prefix + EscapeSlashes(dir->default_naming_context),
                                     kAdsSecureAuthentication | kAdsFastBind, base.out()) >= 0) {
    for (const std::string& filter : BatchFilters(missing)) {
      ScopedSearch search;
      AdsResult code =
          AdsExecuteSearch(base.get(), kAdsScopeSubtree, 1000, filter, read.attributes, search.out());
      std::vector<AdsAttribute> row;
      while (code >= 0 && (code = AdsGetNextRow(search.get(), &row)) >= 0 && code != kAdsNoMoreRows) {
        std::string member;
        if (FirstText(row, "distinguishedName", &member)) rows[LowerCase(member)] = std::move(row);
      }
    }
  }
  for (auto& [key, row] : rows) {
    std::string member;
    const AdsAttribute* object_class = FindAttribute(row, "objectClass");
    if (!FirstText(row, "distinguishedName", &member) || !object_class || object_class->values.empty())
      continue;
    const std::string class_name = object_class->values.back().text;
    (*classes)[key] = class_name;
    if (EqualsIgnoreCase(class_name, "group")) continue;
    if (read.name_attribute) KeepNameAttribute(dir->path_prefix, member, read.name_attribute, row);
    if (read.full_rows) run->retrievals->KeepRow(member, std::move(row));
  }
}

// Where the next range of members starts when objects are read in batches: after the last value
// the server says it gave, so a server that gives fewer values a range than asked loses none.
// False when the range read was the last.
bool NextBatchedRange(const std::vector<AdsAttribute>& attributes, int start, int in_range, int* next) {
  for (const AdsAttribute& attribute : attributes) {
    const size_t at = LowerCase(attribute.name).find(";range=");
    if (at == std::string::npos) continue;
    const std::string range = attribute.name.substr(at + 7);
    const size_t dash = range.find('-');
    if (dash == std::string::npos || range.substr(dash + 1) == "*") return false;
    *next = atoi(range.c_str() + dash + 1) + 1;
    return in_range > 0 && *next > start;
  }
  *next = start + kBatchedRangeSize;
  return in_range >= kBatchedRangeSize;
}

int ProcessMember(GroupExpansion* expansion, std::string* member, const MemberClasses& classes) {
  RunContext* run = expansion->run;
  bool well_known = false;
  ResolveForeignPrincipal(run->output, run->directory, member, &well_known, nullptr);
  if (well_known) {
    PrintFormatted(run->output, -1, 0, "%s: %s is a well known object", run->output->program_name,
                   member->c_str());
    return 0;
  }
  const auto known = classes.find(LowerCase(*member));
  const bool group =
      known != classes.end() ? EqualsIgnoreCase(known->second, "group") : IsGroup(run, *member) != 0;
  if (group) {
    if (!expansion->nested) return 0;
    for (const std::string& visited : expansion->visited) {
      if (EqualsIgnoreCase(visited, *member)) return 0;
    }
    expansion->visited.push_back(*member);
    return ExpandMembers(expansion, *member, nullptr);
  }
  return expansion->retrieve(run, *member);
}

// Processes the members of a group; member_search, when not null, gives their rows (the top group's
// own search: a nested group's members are searched for by name).
int ExpandMembers(GroupExpansion* expansion, const std::string& dn, MemberSearch* member_search) {
  RunContext* run = expansion->run;
  const DirectoryContext* dir = run->directory;
  const std::string display = FormatName(dir, run->options.name_form, dn);
  int result = 1;
  long member_count = 0;

  ScopedObject group;
  AdsResult code = BindObject(dir->path_prefix + EscapeSlashes(dn), kAdsSecureAuthentication, group.out());
  if (code < 0) {
    Report(run, code, MessageText("Cannot connect to %s to read the members", display.c_str()));
    return 0;
  }
  const bool batched = run->retrievals != nullptr;
  const int range_size = batched ? kBatchedRangeSize : kRangeSize;
  bool stop = false;
  for (int start = 0; !stop;) {
    std::vector<AdsAttribute> attributes;
    code = AdsGetObjectAttributes(
        group.get(), {MessageText("member;Range=%d-%d", start, start + range_size - 1)}, &attributes);
    // A failed range read ends the enumeration quietly.
    if (code < 0) break;
    std::vector<std::string> members;
    for (const AdsAttribute& attribute : attributes) {
      for (const AdsValue& value : attribute.values) members.push_back(value.text);
    }
    // The classes of a batch's worth of members are read just before they are processed, so that
    // the controllers' searches of the batch before run meanwhile.
    MemberClasses classes;
    int in_range = 0;
    for (size_t i = 0; i < members.size(); ++i) {
      if (batched && i % kClassBatch == 0) {
        classes.clear();
        const std::vector<std::string> batch(members.begin() + i,
                                             members.begin() + std::min(members.size(), i + kClassBatch));
        ReadMemberClasses(run, batch, expansion->retrieve == RetrieveRestrictions, member_search, &classes);
      }
      ++member_count;
      ++in_range;
      result = ProcessMember(expansion, &members[i], classes);
      if (IsStopCode(result)) {
        stop = true;
        break;
      }
    }
    if (code != kAdsOk) break;
    if (batched) {
      if (!NextBatchedRange(attributes, start, in_range, &start)) break;
    } else {
      if (in_range < kRangeSize) break;
      start += kRangeSize;
    }
  }
  group.reset();

  // Domain Users runs its primary-group step even after a stop code: its first retrieval
  // returns the same code again.
  if (EqualsIgnoreCase(FormatName(nullptr, kFormCanonical, dn), "CN=Domain Users,CN=Users")) {
    result = ExpandPrimaryGroupMembers(expansion, dn, &member_count);
  }
  if (member_count == 0) PrintFormatted(run->output, 0, 0, "Group %s has no members", display.c_str());
  return result;
}

}  // namespace

int ExpandGroup(RunContext* run, const std::string& dn) {
  return ExpandGroupWith(run, dn, RetrieveRestrictions);
}

int ExpandGroupWith(RunContext* run, const std::string& dn, ObjectProcessor retrieve) {
  GroupExpansion expansion{run, retrieve, run->options.nested_groups, {}};
  if (expansion.nested) expansion.visited.push_back(dn);
  // Read in batches, the group's members' values come from a search of the objects that are its
  // members, in the order it lists them: on the default server for their own attributes, and on
  // each other controller for its values (the members it does not find, those of nested groups
  // or of the primary group, are searched for by name).
  RetrievalQueue* queue = retrieve == RetrieveRestrictions ? run->retrievals : nullptr;
  std::unique_ptr<MemberSearch> member_search;
  if (queue && !queue->RowAttributes().empty()) {
    const std::string filter = "(memberOf=" + EscapeFilterLiteral(dn) + ")";
    queue->StartStreamedSearch(EscapeSlashes(run->directory->default_naming_context), kAdsScopeSubtree,
                               filter, kMemberOrder);
    member_search = std::make_unique<MemberSearch>(run, filter, MemberAttributes(run, true).attributes);
  }
  const int result = ExpandMembers(&expansion, dn, member_search.get());
  if (queue) queue->EndStreamedSearch();
  return result;
}

int IsGroup(RunContext* run, const std::string& dn) {
  const DirectoryContext* dir = run->directory;
  ScopedObject object;
  AdsResult code = BindObject(dir->path_prefix + EscapeSlashes(dn), kAdsSecureAuthentication, object.out());
  std::string path_name, class_name;
  if (code >= 0) code = AdsGetObjectInformation(object.get(), &path_name, &class_name);
  if (code < 0) {
    Report(run, code,
           MessageText("Cannot open %s to determine its object class",
                       FormatName(dir, run->options.name_form, dn).c_str()));
    return 0;
  }
  return EqualsIgnoreCase(class_name, "group") ? 1 : 0;
}

int ResolveForeignPrincipal(OutputContext*, const DirectoryContext*, std::string* name, bool* well_known,
                            std::string* sid_text) {
  *well_known = false;
  if (sid_text) sid_text->clear();
  if (LowerCase(*name).find("cn=foreignsecurityprincipals") == std::string::npos) return 1;

  const std::string text = FormatName(nullptr, kFormRelative | kFormNoTypes, *name);
  std::string sid;
  if (!TextToSid(text, &sid)) return 0;
  std::string domain, account;
  int use = 0;
  // The account is looked up where the program runs, as the principal belongs to another domain.
  if (AdsLookupAccountSid("", sid, &domain, &account, &use) < 0) return 0;

  // Accounts without a domain (Everyone) are shown by their name alone.
  const std::string nt_name = domain.empty() || account.empty() ? account : domain + "\\" + account;
  if (use == kSidTypeWellKnownGroup) {
    *well_known = true;
    *name = nt_name;
  } else {
    std::string dn;
    const int translated = TranslateNtName(nt_name, &dn);
    *name = dn;
    if (!translated) return 0;
  }
  if (sid_text) *sid_text = text;
  return 1;
}

int TranslateNtName(const std::string& nt_name, std::string* dn) {
  const std::string domain = nt_name.substr(0, nt_name.find('\\'));
  ScopedTranslator translator;
  AdsResult code = AdsNameTranslateInit(kAdsNameInitDomain, domain, &g_credentials, translator.out());
  if (code < 0) {
    translator.reset();
    code = AdsNameTranslateInit(kAdsNameInitGc, "", &g_credentials, translator.out());
  }
  if (code >= 0) code = AdsNameTranslateSet(translator.get(), kAdsNameNt4, nt_name);
  std::string result;
  if (code >= 0) code = AdsNameTranslateGet(translator.get(), kAdsName1779, &result);
  if (code < 0) {
    *dn = nt_name;
    return 0;
  }
  *dn = result;
  return 1;
}
