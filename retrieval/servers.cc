// The list of domain controllers that per-controller values are read from.
#include "retrieval/servers.h"

#include <vector>

#include "directory/ads/scoped_ads.h"
#include "directory/directory_context.h"
#include "directory/name_forms.h"
#include "run/codes.h"
#include "util/ascii_text.h"
#include "util/error_text.h"
#include "util/message_text.h"
#include "util/output.h"
#include "util/wildcard.h"

namespace {

// Whether a wanted text is matched by a controller of the list, or deliberately excluded.
bool IsAccountedFor(const std::string& text, const ServerList& list,
                    const ServerSpecification& specification) {
  for (const ServerEntry* entry = list.head; entry; entry = entry->next) {
    if (MatchWildcard(text.c_str(), entry->name.c_str()) == 0 || EqualsIgnoreCase(text, entry->address) ||
        EqualsIgnoreCase(text, entry->host)) {
      return true;
    }
  }
  // A wanted name that an exclusion also names ("dc3,!dc3", "dc3,!dc*") is no surprise to the user.
  for (const std::string& excluded : specification.excluded) {
    if (MatchWildcard(text.c_str(), excluded.c_str()) == 0 ||
        MatchWildcard(excluded.c_str(), text.c_str()) == 0) {
      return true;
    }
  }
  return false;
}

// The specification is upper-cased except for the name of a server file, which keeps its case
// for file systems that distinguish it.
std::string NormalizeSpecification(const std::string& specification) {
  if (specification.empty()) return "*";
  if (specification[0] == '@') return specification;
  return UpperCase(specification);
}

}  // namespace

bool PrepareServerList(RunContext* run, const std::string& specification) {
  const RestrictionCode restriction = run->restriction;
  if (restriction != kLld && restriction != kMd && restriction != kAll && !run->options.single_controller) {
    return true;
  }
  const std::string text = NormalizeSpecification(specification);
  if (!run->server_list) run->server_list = new ServerList;
  if (BuildServerList(run->output, text, run->server_list, run->directory) != 0) return false;
  const ServerEntry* first = run->server_list->head;
  // /$ naming no controller falls back to the default server for the rest of the run.
  if (!first) {
    run->options.single_controller = false;
    return true;
  }
  run->server_prefix = first->address.empty() ? first->name : first->address;
  return true;
}

int BuildServerList(OutputContext* out, const std::string& specification, ServerList* list,
                    const DirectoryContext* dir) {
  FreeServerList(list);
  ServerSpecification texts;
  if (!specification.empty() && specification[0] == '@') {
    const std::string file_name = specification.substr(1);
    if (!ReadServerFile(file_name, &texts)) {
      PrintFormatted(out, -1, 1, "%s: Cannot open file %s to read a server list", out->program_name,
                     file_name.c_str());
      return 1;
    }
  } else if (!ParseServerSpecification(specification, &texts)) {
    return 1;
  }
  const bool failed = !FindDomainControllers(out, dir, list, texts);
  for (const std::string& text : texts.wanted) {
    if (!IsAccountedFor(text, *list, texts)) {
      PrintFormatted(out, -1, 1, "Warning: Server(s) %s could not be found", text.c_str());
    }
  }
  return failed ? 1 : 0;
}

long SearchDomainComputers(OutputContext* out, const DirectoryContext* dir, const std::string& filter,
                           const std::vector<std::string>& attributes, const char* purpose,
                           const std::string& search_failure,
                           const std::function<void(const std::vector<AdsAttribute>&)>& each_row) {
  ScopedObject searcher;
  AdsResult code =
      BindObject(dir->path_prefix + dir->default_naming_context, kAdsSecureAuthentication, searcher.out());
  if (code < 0) {
    ReportDirectoryError(
        out, code,
        MessageText("Cannot connect to %s to %s", dir->default_naming_context.c_str(), purpose).c_str());
    return -1;
  }
  long count = 0;
  {
    ScopedSearch search;
    code = AdsExecuteSearch(searcher.get(), kAdsScopeSubtree, 20, filter, attributes, search.out());
    std::vector<AdsAttribute> row;
    while (code >= 0 && (code = AdsGetNextRow(search.get(), &row)) >= 0 && code != kAdsNoMoreRows) {
      std::string dn;
      if (FirstText(row, "distinguishedName", &dn)) ++count;
      each_row(row);
    }
  }
  if (code < 0) {
    ReportDirectoryError(out, code, search_failure.c_str());
    return -1;
  }
  return count;
}

int FindDomainControllers(OutputContext* out, const DirectoryContext* dir, ServerList* list,
                          const ServerSpecification& specification) {
  // Computers with the server-trust bit 0x2000 in userAccountControl.
  static const char kFilter[] =
      "(&(objectCategory=computer)(userAccountControl:1.2.840.113556.1.4.803:=8192))";
  const long count = SearchDomainComputers(
      out, dir, kFilter, {"distinguishedName", "dNSHostName"}, "locate domain controllers",
      "Failed to complete the search for domain controllers", [&](const std::vector<AdsAttribute>& row) {
        std::string dn, host;
        if (!FirstText(row, "distinguishedName", &dn)) return;
        const std::string name = FormatName(nullptr, kFormRelative | kFormNoTypes, dn);
        if (!FirstText(row, "dNSHostName", &host) || name.empty() || host.empty()) return;
        AddServer(list, specification, name, host, HostToAddress(host));
      });
  if (count < 0) return 0;
  if (count == 0) {
    PrintFormatted(out, -1, 1, "%s: No domain controllers were found", out->program_name);
    return 0;
  }
  return 1;
}

int AddServer(ServerList* list, const ServerSpecification& specification, const std::string& name,
              const std::string& host, const std::string& address) {
  ServerEntry** tail = &list->head;
  for (; *tail; tail = &(*tail)->next) {
    if ((*tail)->name == name) return 0;
  }
  bool wanted = false;
  for (const std::string& text : specification.wanted) {
    if (EqualsIgnoreCase(text, name) || EqualsIgnoreCase(text, address) || EqualsIgnoreCase(text, host) ||
        MatchWildcard(text.c_str(), name.c_str()) == 0) {
      wanted = true;
      break;
    }
  }
  if (!wanted) return 0;
  // Host names are compared without regard to case here too: DNS names do not depend on it, and
  // the specification has been upper-cased while the directory keeps the case it was given.
  for (const std::string& text : specification.excluded) {
    if (MatchWildcard(text.c_str(), name.c_str()) == 0 || EqualsIgnoreCase(text, address) ||
        EqualsIgnoreCase(text, host)) {
      return 0;
    }
  }
  *tail = new ServerEntry{name, host, address, nullptr};
  return 0;
}

void FreeServerList(ServerList* list) {
  if (!list) return;
  while (ServerEntry* entry = list->head) {
    list->head = entry->next;
    delete entry;
  }
}

std::string HostToAddress(const std::string& host) { return AdsHostToAddress(host); }
