// Per-controller values (lastLogon, whenChanged) and the controller named by a server prefix.
#include <cctype>
#include <chrono>
#include <thread>
#include <vector>

#include "directory/dir_time.h"
#include "directory/directory_context.h"
#include "directory/ldap_filter.h"
#include "directory/message_text.h"
#include "directory/name_forms.h"
#include "directory/scoped_ads.h"
#include "directory/servers.h"
#include "query/codes.h"
#include "util/error_text.h"
#include "util/output.h"

namespace {

// A controller that is not operational yet gets this many binds, this far apart.
constexpr int kBindAttempts = 10;
constexpr auto kBindRetryWait = std::chrono::milliseconds(20);

// The server-trust bit of userAccountControl: the account of a domain controller.
constexpr int64_t kServerTrustAccount = 0x2000;

using ValueConverter = uint32_t (*)(const RunContext* run, const AdsValue& value);

uint32_t ConvertFileTime(const RunContext* run, const AdsValue& value) {
  return FileTimeToSeconds(run->output, static_cast<uint64_t>(value.integer), run->local_offset * 1800);
}

uint32_t ConvertUtcTime(const RunContext* run, const AdsValue& value) {
  const AdsUtcTime& t = value.time;
  const uint32_t seconds = UtcTimeToSeconds(t.year, t.month, t.day, t.hour, t.minute, t.second);
  return seconds ? seconds + static_cast<uint32_t>(run->local_offset * 1800) : 0;
}

AdsResult BindWithRetry(const std::string& path, ScopedObject* object) {
  AdsResult code = 0;
  for (int attempt = 0; attempt < kBindAttempts; ++attempt) {
    object->reset();
    code = BindObject(path, kAdsSecureAuthentication, object->out());
    if (code >= 0 || (code & 0xFFFF) != 0x203A) break;
    std::this_thread::sleep_for(kBindRetryWait);
  }
  return code;
}

// Reads one attribute of an object from every controller of the list after the first (whose value
// comes from the object's own read) and keeps the greatest value with the controller holding it.
int ReadLatest(RunContext* run, const std::string& dn, const std::string& display_name, const char* attribute,
               ValueConverter convert, uint32_t* latest, std::string* server) {
  *latest = 0;
  uint32_t kept = 0;
  if (!run->server_list || !run->server_list->head) return 1;
  for (const ServerEntry* entry = run->server_list->head->next; entry; entry = entry->next) {
    const std::string controller = FormatName(nullptr, kFormRelative | kFormNoTypes, entry->name);
    const std::string& path_server = entry->address.empty() ? entry->host : entry->address;
    // The DN is escaped as on every other object path, so a '/' in it cannot end the server part.
    const std::string path = "LDAP://" + path_server + "/" + EscapeSlashes(dn);
    ScopedObject object;
    AdsResult code = BindWithRetry(path, &object);
    if (code < 0) {
      ReportDirectoryError(run->output, code,
                           MessageText("Cannot connect to %s on %s using %s", display_name.c_str(),
                                       controller.c_str(), path_server.c_str())
                               .c_str());
      continue;
    }
    std::vector<AdsAttribute> attributes;
    code = AdsGetObjectAttributes(object.get(), {attribute}, &attributes);
    if (code < 0) {
      ReportDirectoryError(run->output, code,
                           MessageText("Cannot read the \"%s\" attribute for %s on %s", attribute,
                                       display_name.c_str(), controller.c_str())
                               .c_str());
      continue;
    }
    for (const AdsAttribute& read : attributes) {
      for (const AdsValue& value : read.values) {
        if (EqualsIgnoreCase(read.name, attribute)) kept = convert(run, value);
        // An equal value keeps the controller read first.
        if (kept > *latest) {
          *latest = kept;
          *server = controller;
        }
      }
    }
  }
  return 1;
}

bool IsIpNumber(const std::string& text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (!isdigit(static_cast<unsigned char>(c)) && c != '.') return false;
  }
  return true;
}

}  // namespace

int ReadLatestLastLogon(RunContext* run, const std::string& dn, const std::string& display_name,
                        uint32_t* latest, std::string* server) {
  return ReadLatest(run, dn, display_name, "lastLogon", ConvertFileTime, latest, server);
}

int ReadLatestWhenChanged(RunContext* run, const std::string& dn, const std::string& display_name,
                          uint32_t* latest, std::string* server) {
  return ReadLatest(run, dn, display_name, "whenChanged", ConvertUtcTime, latest, server);
}

bool ResolveServerPrefix(RunContext* run) {
  std::string& prefix = run->server_prefix;
  if (IsIpNumber(prefix)) {
    run->resolved_server = prefix;
    return true;
  }
  prefix = UpperCase(prefix);
  // A computer's common name may be longer than its 15-character NetBIOS name.
  if (!LocateDomainController(run, prefix, &run->resolved_server) && prefix.size() > 15) {
    LocateDomainController(run, prefix.substr(0, 15), &run->resolved_server);
  }
  return !run->options.single_controller || !run->resolved_server.empty();
}

int LocateDomainController(RunContext* run, const std::string& name, std::string* resolved) {
  const DirectoryContext* dir = run->directory;
  OutputContext* out = run->output;
  resolved->clear();
  const std::string filter = "(&(objectCategory=computer)(CN=" + EscapeFilterLiteral(name) + "))";
  ScopedObject searcher;
  AdsResult code =
      BindObject(dir->path_prefix + dir->default_naming_context, kAdsSecureAuthentication, searcher.out());
  if (code < 0) {
    ReportDirectoryError(
        out, code,
        MessageText("Cannot connect to %s to locate a domain controller", dir->default_naming_context.c_str())
            .c_str());
    return 0;
  }
  long count = 0;
  bool is_controller = false;
  {
    ScopedSearch search;
    code = AdsExecuteSearch(searcher.get(), kAdsScopeSubtree, 20, filter,
                            {"distinguishedName", "userAccountControl", "dNSHostName"}, search.out());
    std::vector<AdsAttribute> row;
    while (code >= 0 && (code = AdsGetNextRow(search.get(), &row)) >= 0 && code != kAdsNoMoreRows) {
      std::string dn;
      if (FirstText(row, "distinguishedName", &dn)) ++count;
      int64_t account_control = 0;
      FirstInteger(row, "userAccountControl", &account_control);
      is_controller = (account_control & kServerTrustAccount) != 0;
      if (!is_controller) {
        PrintFormatted(out, -1, 1, "%s: %s is not a domain controller", out->program_name, name.c_str());
      } else {
        FirstText(row, "dNSHostName", resolved);
      }
    }
  }
  if (code < 0) {
    ReportDirectoryError(out, code, ("Failed to search AD for DC " + name).c_str());
    return 0;
  }
  if (count == 0) {
    PrintFormatted(out, -1, 1, "%s: A domain controller named %s was not located", out->program_name,
                   name.c_str());
    return 0;
  }
  return is_controller ? 1 : 0;
}
