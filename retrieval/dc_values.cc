// Per-controller values (lastLogon, whenChanged) and the controller named by a server prefix.
#include <cctype>
#include <vector>

#include "directory/ads/ldap_filter.h"
#include "directory/ads/scoped_ads.h"
#include "directory/dir_time.h"
#include "directory/directory_context.h"
#include "directory/name_forms.h"
#include "retrieval/retrieval.h"
#include "retrieval/retrieval_source.h"
#include "retrieval/servers.h"
#include "run/codes.h"
#include "util/ascii_text.h"
#include "util/error_text.h"
#include "util/message_text.h"
#include "util/output.h"

namespace {

// The server-trust bit of userAccountControl: the account of a domain controller.
constexpr int64_t kServerTrustAccount = 0x2000;

bool IsIpNumber(const std::string& text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (!isdigit(static_cast<unsigned char>(c)) && c != '.') return false;
  }
  return true;
}

}  // namespace

void ReadLatestFrom(RunContext* run, const RetrievalScope& scope, RetrievalSource* source,
                    const std::string& dn, const std::string& display_name, const char* attribute,
                    uint32_t* latest, std::string* server) {
  const bool file_time = EqualsIgnoreCase(attribute, "lastLogon");
  *latest = 0;
  uint32_t kept = 0;
  for (size_t index = 0; index < scope.others.size(); ++index) {
    const ControllerTarget& controller = scope.others[index];
    const ReadOutcome outcome = source->ControllerValue(scope, index, dn, attribute);
    if (outcome.step == ReadOutcome::kBindFailed) {
      ReportReadFailure(run->output, outcome,
                        MessageText("Cannot connect to %s on %s using %s", display_name.c_str(),
                                    controller.display.c_str(), controller.path_server.c_str()));
      continue;
    }
    if (outcome.step == ReadOutcome::kReadFailed) {
      ReportReadFailure(run->output, outcome,
                        MessageText("Cannot read the \"%s\" attribute for %s on %s", attribute,
                                    display_name.c_str(), controller.display.c_str()));
      continue;
    }
    for (const AdsAttribute& read : outcome.attributes) {
      for (const AdsValue& value : read.values) {
        if (EqualsIgnoreCase(read.name, attribute))
          kept = file_time ? LocalFileTime(run, value) : LocalUtcTime(run, value.time);
        // An equal value keeps the controller read first.
        if (kept > *latest) {
          *latest = kept;
          *server = controller.display;
        }
      }
    }
  }
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
  OutputContext* out = run->output;
  resolved->clear();
  bool is_controller = false;
  const long count = SearchDomainComputers(
      out, run->directory, "(&(objectCategory=computer)(CN=" + EscapeFilterLiteral(name) + "))",
      {"distinguishedName", "userAccountControl", "dNSHostName"}, "locate a domain controller",
      "Failed to search AD for DC " + name, [&](const std::vector<AdsAttribute>& row) {
        int64_t account_control = 0;
        FirstInteger(row, "userAccountControl", &account_control);
        is_controller = (account_control & kServerTrustAccount) != 0;
        if (!is_controller) {
          PrintFormatted(out, -1, 1, "%s: %s is not a domain controller", out->program_name, name.c_str());
        } else {
          FirstText(row, "dNSHostName", resolved);
        }
      });
  if (count < 0) return 0;
  if (count == 0) {
    PrintFormatted(out, -1, 1, "%s: A domain controller named %s was not located", out->program_name,
                   name.c_str());
    return 0;
  }
  return is_controller ? 1 : 0;
}
