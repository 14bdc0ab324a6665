// Shared pieces of the directory layer over OpenLDAP, Cyrus SASL and MIT Kerberos: the cached
// connections, the one failure funnel, entry decoding and the Kerberos helpers.
#ifndef LORVEX_DIRECTORY_ADS_LDAP_ADS_LDAP_INTERNAL_H_
#define LORVEX_DIRECTORY_ADS_LDAP_ADS_LDAP_INTERNAL_H_

#include <ldap.h>
#include <signal.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "directory/ads/ads.h"
#include "directory/ads/ldap_values.h"
#include "directory/ads/prefetched_names.h"

/// Seconds allowed to open a TCP connection to a controller.
constexpr int kConnectTimeoutSeconds = 5;
/// Seconds allowed for any one LDAP request to be answered.
constexpr int kRequestTimeoutSeconds = 30;

/// Whether a request asks for nTSecurityDescriptor, which then needs the SD-flags control.
bool AsksForDescriptor(const std::vector<std::string>& attributes);

/// The SD-flags control of a request that asks for the security descriptor: the parts an ordinary
/// user may read (owner, group and DACL). Null when not wanted or when it cannot be made, and the
/// request then goes without it.
class SdFlagsControl {
 public:
  explicit SdFlagsControl(bool wanted);
  ~SdFlagsControl();
  SdFlagsControl(const SdFlagsControl&) = delete;
  SdFlagsControl& operator=(const SdFlagsControl&) = delete;
  LDAPControl* get() const { return control_; }

 private:
  LDAPControl* control_ = nullptr;
};

/// One connection to a controller, kept for the whole run and reused by every bind.
struct LdapConnection {
  std::string key;  ///< the server as paths name it; empty for the default server
  std::string uri;  ///< what it was opened with
  LDAP* ld = nullptr;
  std::string identity;  ///< who it is bound as; empty while anonymous
  bool tls = false;      ///< StartTLS or LDAPS in force
  bool reused = false;   ///< handed out before, so a dropped link is worth one reconnect
  // The rootDSE, read once.
  bool root_read = false;
  std::string default_nc, schema_nc, config_nc, server_name, dns_host_name;
  // The domain's NetBIOS name, looked up once when first needed.
  std::string netbios;
  // Naming contexts of domains found by a value of their cross-reference ("nETBIOSName\nSALES"),
  // each looked up once: every NT4 name of a run needs its domain's.
  std::map<std::string, std::string> domain_contexts;
};

/// Keeps a connection whose server has gone from ending the process. While it lives, a write to
/// such a socket raises no SIGPIPE on this thread: the write fails and the call in hand reports the
/// server as down. A SIGPIPE that came meanwhile for this thread is taken away when it ends. (The
/// console keeps the usual SIGPIPE: a reader that stops reading still ends the program.)
class QuietBrokenPipe {
 public:
  QuietBrokenPipe();
  ~QuietBrokenPipe();
  QuietBrokenPipe(const QuietBrokenPipe&) = delete;
  QuietBrokenPipe& operator=(const QuietBrokenPipe&) = delete;

 private:
  sigset_t saved_mask_;
  bool was_pending_;
};

/// Where a failure came from, for the funnel.
enum FailureSource { kFailureLdap, kFailureKerberos, kFailureWin32 };

/// The one place where a failure becomes the code the program reports: maps an LDAP result, a
/// Kerberos error or a Win32 error to its HRESULT and keeps the diagnostic for the reason text.
AdsResult DirectoryFailure(FailureSource source, long code, const std::string& diagnostic);
/// An LDAP failure on a handle, with the server's diagnostic message when it sent one.
AdsResult LdapFailure(LDAP* ld, int rc);

/// A connection to a server, bound as the credentials ask (null: as it is, anonymous when new).
AdsResult AcquireConnection(const std::string& server, const AdsCredentials* credentials,
                            LdapConnection** connection);
/// The connection to a server when its link is open, without opening or binding anything.
bool OpenConnection(const std::string& server, LdapConnection** connection);
/// Closes a connection after its link failed, so that the next acquisition opens a new one.
void DropConnection(LdapConnection* connection);
/// Reads the rootDSE of a connection once (anonymously when nothing is bound yet); an LDAP code.
int ReadRootDse(LdapConnection* connection);
/// The credentials of the last successful bind, for operations that name none.
const AdsCredentials* LastCredentials();
/// The default connection's server, when its short name or host name is this name.
std::string ServerKeyFor(const std::string& name);

/// Runs one LDAP operation (returning an LDAP code) on a server's connection, bound as asked; a
/// link found dead on a connection kept from earlier is opened again once.
template <typename Operation>
AdsResult OnConnection(const std::string& server, const AdsCredentials* credentials, Operation operation) {
  for (int attempt = 0;; ++attempt) {
    LdapConnection* c = nullptr;
    AdsResult result = AcquireConnection(server, credentials, &c);
    if (result < 0) return result;
    int rc = operation(c);
    if (rc == LDAP_SUCCESS) return kAdsOk;
    if (rc == LDAP_SERVER_DOWN && c->reused && attempt == 0) {
      DropConnection(c);
      continue;
    }
    return LdapFailure(c->ld, rc);
  }
}

/// Where a search below a bound object goes: its server, its bind and its DN.
void AdsObjectSearchBase(const AdsObject* object, std::string* server, bool* anonymous,
                         AdsCredentials* credentials, std::string* dn);

/// Counts one LDAP request.
void CountRoundTrip();
/// The time limit of one request.
struct timeval RequestTimeout();

/// A synchronous search with the time limit, counted; res must be freed by the caller.
int SearchNow(LdapConnection* connection, const std::string& base, int scope, const std::string& filter,
              const std::vector<std::string>& attributes, LDAPControl** controls, int size_limit,
              LDAPMessage** res);
/// Sends a search with the time limit without waiting for its answer; its message ID in msgid.
/// Counted when its answer is taken.
int SendSearch(LdapConnection* connection, const std::string& base, int scope, const std::string& filter,
               const std::vector<std::string>& attributes, LDAPControl** controls, int* msgid);
/// Decodes an entry's attributes by the table of attribute types.
void DecodeEntry(LDAP* ld, LDAPMessage* entry, std::vector<AdsAttribute>* attributes);
/// The DN of an entry as the server stores it.
std::string EntryDn(LDAP* ld, LDAPMessage* entry);
/// The first text value of an attribute of a decoded entry, empty when absent.
std::string FirstText(const std::vector<AdsAttribute>& attributes, const char* name);
/// Appends the text values of an attribute of a decoded entry to out.
void AppendValues(const std::vector<AdsAttribute>& values, const char* name, std::vector<std::string>* out);
/// The NetBIOS name of the domain whose naming context is nc, from its cross-reference object.
std::string NetbiosNameOf(LdapConnection* connection, const std::string& nc);

/// Look-ups answered from the last prefetch of names (AdsPrefetchNames) on a connection's server,
/// with the answer the look-up of its own would give, or none when that look-up has to be made.
/// An account name or a principal name in the domain below base: found (with its DN), absent or
/// unknown.
PrefetchAnswer PrefetchedAccount(const LdapConnection* connection, const std::string& base,
                                 const std::string& account, std::string* dn);
PrefetchAnswer PrefetchedPrincipalName(const LdapConnection* connection, const std::string& base,
                                       const std::string& name, std::string* dn);
/// An object by a DN as typed: its DN as stored.
bool PrefetchedDn(const LdapConnection* connection, const std::string& dn, std::string* stored_dn);
/// An object's DN as stored and its class, as its base read gives them.
bool PrefetchedIdentity(const LdapConnection* connection, const std::string& dn, std::string* stored_dn,
                        std::string* class_name);
/// An object's distinguishedName attribute, as a read of that attribute alone gives it.
bool PrefetchedDnAttribute(const LdapConnection* connection, const std::string& dn,
                           std::vector<AdsAttribute>* attributes);
/// The schema properties of a class read since the last hint; and keeping them.
bool PrefetchedClassProperties(const LdapConnection* connection, const std::string& class_name,
                               std::vector<std::string>* mandatory, std::vector<std::string>* optional);
void KeepClassProperties(const LdapConnection* connection, const std::string& class_name,
                         const std::vector<std::string>& mandatory, const std::vector<std::string>& optional);

/// What is wrong with the certificate a server presents over TLS (StartTLS on an ldap:// URI, else
/// LDAPS), checked for the host name against the LDAP library's trust anchors; empty when nothing
/// is found wrong with it or it cannot be had.
std::string DiagnoseTlsFailure(const std::string& uri, bool start_tls, const std::string& host);

/// The SRV records of a DNS name, in the order to try them; false when DNS has none.
bool LookupSrv(const std::string& name, std::vector<SrvRecord>* records);

/// The Kerberos default realm of the configuration, empty when there is none.
std::string KerberosDefaultRealm();
/// What is missing when Kerberos has no configuration file (none of KRB5_CONFIG's files, or
/// /etc/krb5.conf, exists), naming the file and where it comes from; empty when one exists.
std::string MissingKerberosConfiguration();
/// Checks that the user's credential cache holds a ticket-granting ticket still valid; a failure
/// counts as a logon failure.
AdsResult CheckCredentialCache();
/// Obtains a ticket-granting ticket for the typed name and password into a memory cache (never
/// on disk). Sets *no_kdc when no KDC of the realm answered, so the caller may bind over TLS.
AdsResult ObtainTicket(const std::string& principal, const std::string& password, std::string* ccache_name,
                       bool* no_kdc);
/// The client principal's name of the user's credential cache, without realm; empty when none.
std::string CredentialCacheUser();
/// Forgets every memory credential cache.
void ForgetTickets();

#endif  // LORVEX_DIRECTORY_ADS_LDAP_ADS_LDAP_INTERNAL_H_
