// Group member expansion: members read in ranges of 20, nested groups under /g, the accounts
// whose primary group is Domain Users, and members that are foreign security principals.
#include "directory/groups.h"

#include <vector>

#include "directory/directory_context.h"
#include "directory/ldap_filter.h"
#include "directory/message_text.h"
#include "directory/name_forms.h"
#include "directory/retrieval.h"
#include "directory/scoped_ads.h"
#include "directory/sid.h"
#include "query/codes.h"
#include "util/error_text.h"
#include "util/output.h"

namespace {

// Members are read this many values at a time.
constexpr int kRangeSize = 20;

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
    code = AdsExecuteSearch(searcher.get(), kAdsScopeSubtree, kRangeSize, filter, {"distinguishedName"},
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

int ExpandMembers(GroupExpansion* expansion, const std::string& dn);

int ProcessMember(GroupExpansion* expansion, std::string* member) {
  RunContext* run = expansion->run;
  bool well_known = false;
  ResolveForeignPrincipal(run->output, run->directory, member, &well_known, nullptr);
  if (well_known) {
    PrintFormatted(run->output, -1, 0, "%s: %s is a well known object", run->output->program_name,
                   member->c_str());
    return 0;
  }
  if (IsGroup(run, *member)) {
    if (!expansion->nested) return 0;
    for (const std::string& visited : expansion->visited) {
      if (EqualsIgnoreCase(visited, *member)) return 0;
    }
    expansion->visited.push_back(*member);
    return ExpandMembers(expansion, *member);
  }
  return expansion->retrieve(run, *member);
}

int ExpandMembers(GroupExpansion* expansion, const std::string& dn) {
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
  bool stop = false;
  for (int start = 0; !stop; start += kRangeSize) {
    std::vector<AdsAttribute> attributes;
    code = AdsGetObjectAttributes(
        group.get(), {MessageText("member;Range=%d-%d", start, start + kRangeSize - 1)}, &attributes);
    // A failed range read ends the enumeration quietly.
    if (code < 0) break;
    int in_range = 0;
    for (const AdsAttribute& attribute : attributes) {
      for (const AdsValue& value : attribute.values) {
        std::string member = value.text;
        ++member_count;
        ++in_range;
        result = ProcessMember(expansion, &member);
        if (IsStopCode(result)) {
          stop = true;
          break;
        }
      }
      if (stop) break;
    }
    if (code != kAdsOk || in_range < kRangeSize) break;
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
  return ExpandMembers(&expansion, dn);
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
