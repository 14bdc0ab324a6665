// The bound domain: path prefix, naming contexts, names, the running account,
// and the process-wide credentials of every bind.
#ifndef LORVEX_DIRECTORY_DIRECTORY_CONTEXT_H_
#define LORVEX_DIRECTORY_DIRECTORY_CONTEXT_H_

#include <cstdint>
#include <string>

#include "directory/ads/ads.h"

struct OutputContext;

/// The directory context of a run.
struct DirectoryContext {
  std::string path_prefix;  ///< "LDAP://" or, after a domain switch, "LDAP://host/"
  std::string server_name;  ///< short name of the controller that answered the rootDSE read
  std::string default_naming_context;
  std::string domain_short_name;  ///< first component of the default naming context, upper-cased
  std::string netbios_domain_name;
  std::string dns_domain_name;
  std::string schema_naming_context;
  std::string account_dn;  ///< the running (or prompted) account; its plain name when not found
  int open_count = 0;
};

/// The credentials of every bind; unset means the running account's logon.
extern AdsCredentials g_credentials;

/// Opens the context from the rootDSE, authenticating (with a prompt) as needed. Returns 1, or a
/// negative code with the message in error.
AdsResult OpenDirectoryContext(DirectoryContext* dir, OutputContext* out, std::string* error);
/// Frees the context's texts and ends the directory layer when it was opened.
void CloseDirectoryContext(DirectoryContext* dir);
/// For an NT-format entity, switches to a controller of its domain when needed and rewrites the
/// entity. Returns 1, or a negative code with the message in error.
AdsResult SwitchDomain(DirectoryContext* dir, OutputContext* out, std::string* entity, std::string* error);
/// Finds an account's DN by its sAMAccountName below the default naming context. Returns 0 with
/// the DN (or the plain name when none was found), or a negative code with the message in error.
AdsResult LocateAccount(const DirectoryContext* dir, const std::string& account, std::string* dn,
                        std::string* error);
/// Binds to a path with the process credentials and the given flags.
AdsResult BindObject(const std::string& path, uint32_t flags, AdsObject** object);
/// The console operations of the credential prompt, replaceable so that tests can answer it.
struct PromptConsole {
  bool (*output_is_terminal)();
  void (*write)(const char* text);
  int (*read_key)();
  bool (*read_line)(std::string* line, size_t max_length);
};
/// Puts a prompt console in place; null restores the terminal.
void SetPromptConsole(const PromptConsole* console);

/// Whether a name is in NT format: a backslash before any '=' followed by a letter, digit or '*'.
bool IsNtFormat(const std::string& name);

#endif  // LORVEX_DIRECTORY_DIRECTORY_CONTEXT_H_
