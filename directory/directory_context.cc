// The directory context: the bound domain as the rootDSE describes it, authentication with a
// console prompt when the running logon is refused, domain switches, and path conventions.
#include "directory/directory_context.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "directory/ads/ads_path.h"
#include "directory/ads/scoped_ads.h"
#include "directory/entity_forms.h"
#include "directory/name_forms.h"
#include "util/ascii_text.h"
#include "util/console.h"
#include "util/error_text.h"
#include "util/message_text.h"
#include "util/output.h"

AdsCredentials g_credentials;

namespace {

// Longest user name and password the prompt takes.
constexpr size_t kMaxUserName = 129;
constexpr size_t kMaxPassword = 127;
// Name form code of a relative name without its type.
constexpr uint32_t kFormRelativeValue = 0x82;

using Row = std::vector<AdsAttribute>;

const PromptConsole kTerminal = {ConsoleOutputIsTerminal, ConsoleWrite, ConsoleReadKey, ConsoleReadLine};
const PromptConsole* g_prompt_console = &kTerminal;

// Which step of a search failed.
enum SearchStep { kSearchBind, kSearchRun };

// Runs one search the way every search of the context does: bind to the base with the process
// credentials, search with the scope and page size, walk the rows. The visitor returns false to
// stop the walk early.
template <typename Visit>
AdsResult RunSearch(const std::string& base_path, int scope, int page_size, const std::string& filter,
                    const std::vector<std::string>& attributes, SearchStep* failed_step, Visit visit) {
  AdsObject* base = nullptr;
  AdsResult code = BindObject(base_path, kAdsSecureAuthentication, &base);
  if (code < 0) {
    *failed_step = kSearchBind;
    return code;
  }
  AdsSearch* search = nullptr;
  code = AdsExecuteSearch(base, scope, page_size, filter, attributes, &search);
  if (code >= 0) {
    Row row;
    while ((code = AdsGetNextRow(search, &row)) >= 0 && code != kAdsNoMoreRows) {
      if (!visit(row)) break;
    }
  }
  AdsCloseSearch(search);
  AdsRelease(base);
  *failed_step = kSearchRun;
  return code;
}

// Asks for a user name and password on the console. The password is read key by key without
// echo; Backspace takes back the last character or rings the bell when there is none.
void PromptForCredentials(const DirectoryContext* dir, OutputContext* out, AdsCredentials* typed) {
  const PromptConsole& console = *g_prompt_console;
  console.write(
      MessageText("\nAuthentication is required for domain %s\n", dir->domain_short_name.c_str()).c_str());
  console.write("Username: ");
  std::string user;
  if (!console.read_line(&user, kMaxUserName)) user.clear();
  console.write(MessageText("Password for %s: ", user.c_str()).c_str());
  char password[kMaxPassword + 1] = {};
  size_t length = 0;
  for (;;) {
    int key = console.read_key();
    if (key < 0 || key == '\r' || key == '\n') break;
    if (key == 0) {
      // An arrow or function key: its second code is not part of the password.
      console.read_key();
      continue;
    }
    if (key == 8 || key == 127) {
      if (length == 0) {
        console.write("\a");
      } else {
        password[--length] = '\0';
      }
      continue;
    }
    // Beyond the longest password the bell says that the key was not taken.
    if (length == kMaxPassword) {
      console.write("\a");
      continue;
    }
    password[length++] = static_cast<char>(key);
  }
  console.write("\n");
  typed->user = user;
  typed->password.assign(password, length);
  typed->set = true;
  memset(password, 0, sizeof password);
  if (out != nullptr) out->page_rows += 3;
}

// Binds to the schema container with the current credentials; on a logon failure asks for
// others once. 1: accepted as they were; 0: accepted after the prompt; negative: refused.
AdsResult Authenticate(const DirectoryContext* dir, OutputContext* out, std::string* error) {
  std::string path = MessageText("%s%s", dir->path_prefix.c_str(), dir->schema_naming_context.c_str());
  AdsObject* object = nullptr;
  AdsResult code = BindObject(path, kAdsSecureAuthentication, &object);
  if (code >= 0) {
    AdsRelease(object);
    return 1;
  }
  if ((code & 0xFFFF) == 0x052E) {
    if (!g_prompt_console->output_is_terminal()) {
      *error = MessageText("Cannot authenticate to domain %s when output is redirected",
                           dir->domain_short_name.c_str());
      return -1;
    }
    AdsCredentials typed;
    PromptForCredentials(dir, out, &typed);
    code = AdsOpenObject(path, &typed, kAdsSecureAuthentication, &object);
    if (code >= 0) {
      g_credentials = typed;
      AdsRelease(object);
      return 0;
    }
  }
  *error = MessageText("Cannot authenticate to domain %s", dir->domain_short_name.c_str());
  return code;
}

// NetBIOS and DNS names of the domain from its cross-reference object; any failure leaves them
// empty without a message.
bool LookupDomainNames(DirectoryContext* dir) {
  std::string base = MessageText("%sCN=Partitions,CN=Configuration,%s", dir->path_prefix.c_str(),
                                 EscapeSlashes(dir->default_naming_context).c_str());
  std::string filter = MessageText("(&(%s=%s)(%s=%s))", "objectCategory", "crossRef", "nCName",
                                   dir->default_naming_context.c_str());
  SearchStep step;
  RunSearch(base, kAdsScopeSubtree, 1, filter, {"nETBIOSName", "dnsRoot"}, &step, [dir](const Row& row) {
    FirstText(row, "nETBIOSName", &dir->netbios_domain_name);
    return !FirstText(row, "dnsRoot", &dir->dns_domain_name);
  });
  return !dir->netbios_domain_name.empty();
}

}  // namespace

AdsResult LocateAccount(const DirectoryContext* dir, const std::string& account, std::string* dn,
                        std::string* error) {
  *dn = account;
  error->clear();
  std::string base = MessageText("%s%s", dir->path_prefix.c_str(), dir->default_naming_context.c_str());
  std::string filter = MessageText("(&(sAMAccountName=%s))", account.c_str());
  long rows = 0;
  SearchStep step;
  AdsResult code =
      RunSearch(base, kAdsScopeSubtree, 1, filter, {"distinguishedName"}, &step, [&](const Row& row) {
        std::string found;
        if (rows++ == 0 && FirstText(row, "distinguishedName", &found)) *dn = found;
        return true;
      });
  if (code >= 0) return 0;
  if (step == kSearchBind) {
    *error = MessageText("Cannot connect to %s to locate %s", base.c_str(), account.c_str());
  } else {
    *error = MessageText("Failed to complete the search for %s", account.c_str());
  }
  return code;
}

AdsResult OpenDirectoryContext(DirectoryContext* dir, OutputContext* out, std::string* error) {
  error->clear();
  dir->open_count = 0;
  if (dir->path_prefix.empty()) dir->path_prefix = "LDAP://";

  std::string root_path = MessageText("%s%s", dir->path_prefix.c_str(), "rootDSE");
  AdsObject* root = nullptr;
  AdsResult code = AdsOpenObject(root_path, nullptr, kAdsSecureAuthentication, &root);
  if (code < 0) {
    *error = MessageText("Cannot connect to %s", root_path.c_str());
    AdsShutdown();
    return code;
  }
  dir->server_name.clear();
  dir->default_naming_context.clear();
  dir->domain_short_name.clear();
  dir->netbios_domain_name.clear();
  dir->dns_domain_name.clear();
  dir->schema_naming_context.clear();
  dir->account_dn.clear();

  Row values;
  code = AdsGetObjectAttributes(root, {"defaultNamingContext", "schemaNamingContext", "serverName"}, &values);
  AdsRelease(root);
  struct RootValue {
    const char* name;
    std::string* field;
    const char* failure;
  } wanted[] = {
      {"defaultNamingContext", &dir->default_naming_context, "Cannot get the default naming context"},
      {"schemaNamingContext", &dir->schema_naming_context, "Cannot get the schema naming context"},
      {"serverName", &dir->server_name, "Cannot get the default server name"},
  };
  for (const RootValue& value : wanted) {
    if (code >= 0 && !FirstText(values, value.name, value.field)) code = kAdsPropertyNotFound;
    if (code < 0) {
      *error = value.failure;
      AdsShutdown();
      return code;
    }
  }
  dir->domain_short_name = UpperCase(FormatName(nullptr, kFormRelativeValue, dir->default_naming_context));
  dir->server_name = FormatName(nullptr, kFormRelativeValue, dir->server_name);

  code = Authenticate(dir, out, error);
  if (code < 0) return code;

  LookupDomainNames(dir);
  if (dir->netbios_domain_name.empty()) dir->netbios_domain_name = dir->domain_short_name;
  if (dir->dns_domain_name.empty()) dir->dns_domain_name = dir->domain_short_name;
  dir->open_count = 1;

  std::string account;
  if (g_credentials.set && !g_credentials.user.empty()) {
    account = g_credentials.user;
    if (IsNtFormat(account)) account = account.substr(account.find('\\') + 1);
  } else {
    account = AdsUserName();
  }
  std::string message;
  code = LocateAccount(dir, account, &dir->account_dn, &message);
  if (code < 0 && out != nullptr) ReportDirectoryError(out, code, message.c_str());
  return 1;
}

void CloseDirectoryContext(DirectoryContext* dir) {
  if (dir->open_count != 0) AdsShutdown();
  *dir = DirectoryContext();
}

AdsResult SwitchDomain(DirectoryContext* dir, OutputContext* out, std::string* entity, std::string* error) {
  error->clear();
  if (!IsNtFormat(*entity)) return 1;
  size_t slash = entity->find('\\');
  std::string domain = entity->substr(0, slash);
  std::string account = entity->substr(slash + 1);
  bool plain_account = IsGuidForm(account) || IsTypedName(account);

  if (EqualsIgnoreCase(domain, dir->domain_short_name) ||
      EqualsIgnoreCase(domain, dir->netbios_domain_name) || EqualsIgnoreCase(domain, dir->dns_domain_name)) {
    *entity =
        plain_account ? account : MessageText("%s\\%s", dir->netbios_domain_name.c_str(), account.c_str());
    return 1;
  }

  std::string dc_name, dc_address;
  if (AdsGetDcName(domain, &dc_name, &dc_address) < 0) {
    *error = MessageText("Cannot connect to domain %s", domain.c_str());
    return -1;
  }
  size_t dot = domain.find('.');
  if (dot != std::string::npos) {
    std::string label = domain.substr(0, dot);
    if (strncasecmp(label.c_str(), dir->domain_short_name.c_str(), label.size()) == 0 ||
        strncasecmp(label.c_str(), dir->netbios_domain_name.c_str(), label.size()) == 0) {
      *entity =
          plain_account ? account : MessageText("%s\\%s", dir->netbios_domain_name.c_str(), account.c_str());
    }
  }
  std::string host = dc_address;
  if (host.empty()) host = AdsHostToAddress(dc_name);
  if (host.empty()) host = dc_name;

  dir->path_prefix = MessageText("LDAP://%s/", host.c_str());
  AdsResult code = OpenDirectoryContext(dir, out, error);
  if (code < 0) return code;
  if (plain_account) *entity = account;
  return 1;
}

AdsResult BindObject(const std::string& path, uint32_t flags, AdsObject** object) {
  return AdsOpenObject(path, &g_credentials, flags, object);
}

void SetPromptConsole(const PromptConsole* console) { g_prompt_console = console ? console : &kTerminal; }

bool IsNtFormat(const std::string& name) {
  size_t slash = name.find('\\');
  if (slash == std::string::npos || slash + 1 >= name.size()) return false;
  size_t equals = name.find('=');
  if (equals != std::string::npos && equals < slash) return false;
  unsigned char next = static_cast<unsigned char>(name[slash + 1]);
  // A byte of a multi-byte UTF-8 character counts as a letter.
  return isalnum(next) || next == '*' || next >= 0x80;
}
