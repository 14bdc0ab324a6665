// The connections of the directory layer: one per controller for the whole run, opened to the
// configured or located server, bound with Kerberos (the user's cache, or a ticket obtained in
// memory from typed credentials) and, where no KDC answers, with a simple bind inside TLS.
#include <gssapi/gssapi_krb5.h>
#include <krb5.h>
#include <pthread.h>
#include <sasl/sasl.h>
#include <strings.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "directory/ads/ldap/ads_ldap_internal.h"
#include "directory/ads/ldap_values.h"

namespace {

std::recursive_mutex g_mutex;
std::map<std::string, std::unique_ptr<LdapConnection>> g_connections;
std::atomic<uint64_t> g_round_trips{0};
AdsCredentials g_last_credentials;
bool g_have_last_credentials = false;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return text;
}

// The servers to use when a path names none: OpenLDAP's own configuration (LDAPURI, ldaprc,
// ldap.conf URI), else the domain controllers that DNS lists for the Kerberos default realm.
// Nothing else is ever contacted; libldap's built-in "ldap://localhost" does not count as a
// configured server (so a configuration naming localhost is not honoured either).
std::string DefaultServerUris(std::string* why) {
  char* configured = nullptr;
  std::string uris;
  if (ldap_get_option(nullptr, LDAP_OPT_URI, &configured) == LDAP_OPT_SUCCESS && configured != nullptr) {
    uris = configured;
    ldap_memfree(configured);
  }
  LDAPURLDesc* url = nullptr;
  bool built_in = uris.empty();
  if (!built_in && ldap_url_parse(uris.c_str(), &url) == LDAP_URL_SUCCESS) {
    built_in = url->lud_host == nullptr || *url->lud_host == '\0' || strcmp(url->lud_host, "localhost") == 0;
  }
  if (url != nullptr) ldap_free_urldesc(url);
  if (!built_in) return uris;
  uris.clear();
  std::string realm = Lower(KerberosDefaultRealm());
  if (realm.empty()) {
    std::string missing = MissingKerberosConfiguration();
    if (missing.empty()) missing = "Kerberos has no default realm (default_realm in its configuration)";
    *why = "No LDAP server is configured (LDAPURI or URI in ldap.conf) and " + missing;
    return "";
  }
  std::vector<SrvRecord> records;
  if (!LookupSrv("_ldap._tcp.dc._msdcs." + realm, &records) || records.empty()) {
    *why = "No LDAP server is configured (LDAPURI or URI in ldap.conf) and DNS has no _ldap._tcp.dc._msdcs." +
           realm + " record";
    return "";
  }
  for (const SrvRecord& record : records) {
    if (!uris.empty()) uris += ' ';
    uris += "ldap://" + record.target + ":" + std::to_string(record.port);
  }
  return uris;
}

AdsResult OpenLink(LdapConnection* c) {
  std::string uris = c->uri;
  if (uris.empty() && !c->key.empty()) uris = "ldap://" + c->key;
  if (uris.empty()) {
    std::string why;
    uris = DefaultServerUris(&why);
    if (uris.empty()) return DirectoryFailure(kFailureWin32, kWin32NoSuchDomain, why);
  }
  if (uris.find("://") == std::string::npos) uris = "ldap://" + uris;
  LDAP* ld = nullptr;
  int rc = ldap_initialize(&ld, uris.c_str());
  if (rc != LDAP_SUCCESS) return LdapFailure(nullptr, rc);
  int version = LDAP_VERSION3;
  ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
  // Continuation references point at other partitions; the program never follows them.
  ldap_set_option(ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
  struct timeval connect_timeout = {kConnectTimeoutSeconds, 0};
  ldap_set_option(ld, LDAP_OPT_NETWORK_TIMEOUT, &connect_timeout);
  struct timeval request_timeout = RequestTimeout();
  ldap_set_option(ld, LDAP_OPT_TIMEOUT, &request_timeout);
  c->ld = ld;
  c->uri = uris;
  c->identity.clear();
  c->tls = uris.compare(0, 8, "ldaps://") == 0;
  c->reused = false;
  return kAdsOk;
}

void CloseLink(LdapConnection* c) {
  // The unbind is written to the socket, which may be the one whose server has gone.
  QuietBrokenPipe quiet;
  if (c->ld != nullptr) ldap_unbind_ext_s(c->ld, nullptr, nullptr);
  c->ld = nullptr;
  c->identity.clear();
  c->tls = false;
  c->reused = false;
}

int Interact(LDAP*, unsigned, void*, void* prompts) {
  for (sasl_interact_t* p = static_cast<sasl_interact_t*>(prompts); p->id != SASL_CB_LIST_END; ++p) {
    const char* answer = p->defresult ? p->defresult : "";
    p->result = answer;
    p->len = static_cast<unsigned>(strlen(answer));
  }
  return LDAP_SUCCESS;
}

// Kerberos logons go through Cyrus SASL's GSSAPI mechanism, a plugin packaged on its own. Without
// it every logon fails alike, whatever the ticket or password: that is no refused logon, and the
// failure names what to install.
AdsResult RequireGssapiMechanism(LdapConnection* c) {
  char** mechanisms = nullptr;
  // The list belongs to the SASL library. A library that cannot give one is left to the bind.
  if (ldap_get_option(c->ld, LDAP_OPT_X_SASL_MECHLIST, &mechanisms) != LDAP_OPT_SUCCESS ||
      mechanisms == nullptr)
    return kAdsOk;
  for (char** mechanism = mechanisms; *mechanism != nullptr; ++mechanism) {
    if (strcmp(*mechanism, "GSSAPI") == 0) return kAdsOk;
  }
  std::string why =
      "Cyrus SASL has no GSSAPI mechanism, which Kerberos logons need: install libsasl2-modules-gssapi-mit "
      "(the plugin and the Kerberos GSSAPI library it loads)";
  const char* path = getenv("SASL_PATH");
  if (path != nullptr && *path != '\0') why += std::string("; SASL_PATH names ") + path;
  return DirectoryFailure(kFailureLdap, LDAP_AUTH_UNKNOWN, why);
}

// GSSAPI bind, with the default credential cache or the named memory one. The security layer
// signs and seals on a plain connection and is left out inside TLS, which AD refuses to stack.
int BindGssapi(LdapConnection* c, const std::string& ccache_name) {
  QuietBrokenPipe quiet;
  ldap_set_option(c->ld, LDAP_OPT_X_SASL_SECPROPS, c->tls ? "maxssf=0" : "minssf=56");
  OM_uint32 minor = 0;
  const char* previous = nullptr;
  if (!ccache_name.empty()) gss_krb5_ccache_name(&minor, ccache_name.c_str(), &previous);
  int rc;
  LDAPMessage* result = nullptr;
  const char* mechanism = nullptr;
  int msgid = 0;
  for (;;) {
    rc = ldap_sasl_interactive_bind(c->ld, nullptr, "GSSAPI", nullptr, nullptr, LDAP_SASL_QUIET, Interact,
                                    nullptr, result, &mechanism, &msgid);
    ldap_msgfree(result);
    result = nullptr;
    if (rc != LDAP_SASL_BIND_IN_PROGRESS) break;
    CountRoundTrip();
    struct timeval timeout = RequestTimeout();
    int got = ldap_result(c->ld, msgid, LDAP_MSG_ALL, &timeout, &result);
    if (got == 0) {
      rc = LDAP_TIMEOUT;
      break;
    }
    if (got < 0) {
      ldap_get_option(c->ld, LDAP_OPT_RESULT_CODE, &rc);
      break;
    }
  }
  if (!ccache_name.empty()) gss_krb5_ccache_name(&minor, previous, nullptr);
  return rc;
}

// The host (and port) a connection talks to, as the LDAP library names it.
std::string ConnectedHost(LdapConnection* c) {
  char* host = nullptr;
  std::string target;
  if (ldap_get_option(c->ld, LDAP_OPT_HOST_NAME, &host) == LDAP_OPT_SUCCESS && host != nullptr) {
    target = host;
    ldap_memfree(host);
  }
  return target;
}

// A StartTLS negotiation that failed, reported as the directory interfaces report it (the server
// is not operational) with what is wrong with the server's certificate as the diagnostic.
int StartTlsFailure(LdapConnection* c, const std::string& host_port, const std::string& host) {
  std::string why = DiagnoseTlsFailure("ldap://" + host_port, true, host);
  if (why.empty()) why = "The TLS negotiation with " + host + " failed";
  ldap_set_option(c->ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, why.c_str());
  return LDAP_SERVER_DOWN;
}

// Simple bind protected by TLS: StartTLS on the connection, else, when the server does not take
// StartTLS, a new LDAPS connection. A simple bind never goes out in clear text.
int BindSimpleOverTls(LdapConnection* c, const std::string& user, const std::string& password) {
  QuietBrokenPipe quiet;
  std::string host_port = ConnectedHost(c);
  std::string target = host_port.substr(0, host_port.find(':'));
  CountRoundTrip();
  int rc = ldap_start_tls_s(c->ld, nullptr, nullptr);
  // The server took the request but the negotiation failed: LDAPS would show the same certificate.
  if (rc == LDAP_CONNECT_ERROR) return StartTlsFailure(c, host_port, target);
  bool ldaps = rc != LDAP_SUCCESS;
  if (ldaps) {
    CloseLink(c);
    std::string uri = c->uri;
    c->uri = "ldaps://" + target;
    AdsResult opened = OpenLink(c);
    c->uri = uri;
    if (opened < 0) return LDAP_CONNECT_ERROR;
  }
  c->tls = true;
  struct berval credential;
  credential.bv_val = const_cast<char*>(password.c_str());
  credential.bv_len = password.size();
  CountRoundTrip();
  rc = ldap_sasl_bind_s(c->ld, user.c_str(), LDAP_SASL_SIMPLE, &credential, nullptr, nullptr, nullptr);
  if (ldaps && rc == LDAP_SERVER_DOWN) {
    // Also a closed port; only a certificate found wrong changes the diagnostic.
    std::string why = DiagnoseTlsFailure("ldaps://" + target, false, target);
    if (!why.empty()) ldap_set_option(c->ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, why.c_str());
  }
  return rc;
}

// The Kerberos principal of a typed user name: DOMAIN\name and a bare name belong to the realm
// of the domain the server holds; name@domain names its realm itself.
std::string PrincipalFor(const LdapConnection* c, const std::string& user) {
  size_t at = user.rfind('@');
  if (at != std::string::npos) return user.substr(0, at) + "@" + Upper(user.substr(at + 1));
  std::string name = user.substr(user.find('\\') == std::string::npos ? 0 : user.find('\\') + 1);
  std::string realm = Upper(DnToDnsName(c->default_nc));
  if (realm.empty()) realm = KerberosDefaultRealm();
  return name + "@" + realm;
}

AdsResult Bind(LdapConnection* c, const AdsCredentials* credentials) {
  std::string wanted =
      credentials->set ? "user:" + credentials->user + "\n" + credentials->password : "logon";
  if (c->identity == wanted) return kAdsOk;
  if (!c->identity.empty() || c->tls) {
    // Another identity, or a TLS link from a simple bind: start over on a new connection.
    CloseLink(c);
    AdsResult opened = OpenLink(c);
    if (opened < 0) return opened;
  }
  AdsResult result = kAdsOk;
  int rc = LDAP_SUCCESS;
  if (!credentials->set) {
    result = RequireGssapiMechanism(c);
    if (result >= 0) result = CheckCredentialCache();
    if (result >= 0) {
      rc = BindGssapi(c, "");
      // A cache the server cannot use (no service ticket, wrong realm) is a refused logon too,
      // unless Kerberos has no configuration to find the realm's KDC with.
      if (rc == LDAP_LOCAL_ERROR || rc == LDAP_AUTH_UNKNOWN || rc == LDAP_INVALID_CREDENTIALS) {
        LdapFailure(c->ld, rc);
        const std::string missing = MissingKerberosConfiguration();
        result = missing.empty()
                     ? DirectoryFailure(kFailureWin32, kWin32LogonFailure, LastDiagnostic())
                     : DirectoryFailure(kFailureWin32, kWin32LocalError, missing + "; " + LastDiagnostic());
        rc = LDAP_SUCCESS;
      }
    }
  } else {
    int root = ReadRootDse(c);
    if (root != LDAP_SUCCESS) result = LdapFailure(c->ld, root);
    std::string ccache;
    bool no_kdc = false;
    if (result >= 0)
      result = ObtainTicket(PrincipalFor(c, credentials->user), credentials->password, &ccache, &no_kdc);
    if (result >= 0) result = RequireGssapiMechanism(c);
    if (result >= 0) {
      rc = BindGssapi(c, ccache);
    } else if (no_kdc) {
      result = kAdsOk;
      rc = BindSimpleOverTls(c, credentials->user, credentials->password);
    }
  }
  if (result >= 0 && rc != LDAP_SUCCESS) result = LdapFailure(c->ld, rc);
  if (result < 0) {
    CloseLink(c);
    return result;
  }
  c->identity = wanted;
  g_last_credentials = *credentials;
  g_have_last_credentials = true;
  return kAdsOk;
}

}  // namespace

QuietBrokenPipe::QuietBrokenPipe() {
  sigset_t pipe_only;
  sigemptyset(&pipe_only);
  sigaddset(&pipe_only, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe_only, &saved_mask_);
  sigset_t pending;
  sigpending(&pending);
  was_pending_ = sigismember(&pending, SIGPIPE) == 1;
}

QuietBrokenPipe::~QuietBrokenPipe() {
  if (!was_pending_) {
    sigset_t pending;
    sigpending(&pending);
    if (sigismember(&pending, SIGPIPE) == 1) {
      sigset_t pipe_only;
      sigemptyset(&pipe_only);
      sigaddset(&pipe_only, SIGPIPE);
      const struct timespec no_wait = {0, 0};
      sigtimedwait(&pipe_only, nullptr, &no_wait);
    }
  }
  pthread_sigmask(SIG_SETMASK, &saved_mask_, nullptr);
}

void CountRoundTrip() { ++g_round_trips; }

struct timeval RequestTimeout() {
  return timeval{kRequestTimeoutSeconds, 0};
}

AdsResult AcquireConnection(const std::string& server, const AdsCredentials* credentials,
                            LdapConnection** connection) {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  std::unique_ptr<LdapConnection>& slot = g_connections[Lower(server)];
  if (!slot) {
    slot = std::make_unique<LdapConnection>();
    slot->key = server;
  }
  LdapConnection* c = slot.get();
  if (c->ld == nullptr) {
    AdsResult opened = OpenLink(c);
    if (opened < 0) return opened;
  } else {
    c->reused = true;
  }
  if (credentials != nullptr) {
    AdsResult bound = Bind(c, credentials);
    if (bound < 0) return bound;
  }
  *connection = c;
  return kAdsOk;
}

bool OpenConnection(const std::string& server, LdapConnection** connection) {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  auto it = g_connections.find(Lower(server));
  if (it == g_connections.end() || it->second->ld == nullptr) return false;
  *connection = it->second.get();
  return true;
}

void DropConnection(LdapConnection* connection) {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  CloseLink(connection);
}

int ReadRootDse(LdapConnection* c) {
  if (c->root_read) return LDAP_SUCCESS;
  LDAPMessage* res = nullptr;
  int rc = SearchNow(c, "", LDAP_SCOPE_BASE, "(objectClass=*)",
                     {"defaultNamingContext", "schemaNamingContext", "configurationNamingContext",
                      "serverName", "dnsHostName"},
                     nullptr, 0, &res);
  if (rc != LDAP_SUCCESS) {
    ldap_msgfree(res);
    return rc;
  }
  LDAPMessage* entry = ldap_first_entry(c->ld, res);
  std::vector<AdsAttribute> values;
  if (entry != nullptr) DecodeEntry(c->ld, entry, &values);
  ldap_msgfree(res);
  c->default_nc = FirstText(values, "defaultNamingContext");
  c->schema_nc = FirstText(values, "schemaNamingContext");
  c->config_nc = FirstText(values, "configurationNamingContext");
  c->server_name = FirstText(values, "serverName");
  c->dns_host_name = FirstText(values, "dnsHostName");
  c->root_read = true;
  return LDAP_SUCCESS;
}

const AdsCredentials* LastCredentials() {
  static const AdsCredentials logon;
  return g_have_last_credentials ? &g_last_credentials : &logon;
}

std::string ServerKeyFor(const std::string& name) {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  auto it = g_connections.find("");
  if (it == g_connections.end() || !it->second->root_read) return name;
  const LdapConnection& c = *it->second;
  std::string host_label = c.dns_host_name.substr(0, c.dns_host_name.find('.'));
  if (strcasecmp(name.c_str(), FirstRdnValue(c.server_name).c_str()) == 0 ||
      strcasecmp(name.c_str(), c.dns_host_name.c_str()) == 0 ||
      strcasecmp(name.c_str(), host_label.c_str()) == 0) {
    return "";
  }
  return name;
}

namespace {

// The attribute names of a request as libldap takes them: null-terminated, or null for all.
class AttributeNames {
 public:
  explicit AttributeNames(const std::vector<std::string>& attributes) {
    for (const std::string& name : attributes) names_.push_back(const_cast<char*>(name.c_str()));
    names_.push_back(nullptr);
  }
  char** get() { return names_.size() > 1 ? names_.data() : nullptr; }

 private:
  std::vector<char*> names_;
};

}  // namespace

int SearchNow(LdapConnection* c, const std::string& base, int scope, const std::string& filter,
              const std::vector<std::string>& attributes, LDAPControl** controls, int size_limit,
              LDAPMessage** res) {
  *res = nullptr;
  AttributeNames names(attributes);
  struct timeval timeout = RequestTimeout();
  CountRoundTrip();
  QuietBrokenPipe quiet;
  return ldap_search_ext_s(c->ld, base.c_str(), scope, filter.c_str(), names.get(), 0, controls, nullptr,
                           &timeout, size_limit, res);
}

int SendSearch(LdapConnection* c, const std::string& base, int scope, const std::string& filter,
               const std::vector<std::string>& attributes, LDAPControl** controls, int* msgid) {
  AttributeNames names(attributes);
  struct timeval timeout = RequestTimeout();
  QuietBrokenPipe quiet;
  return ldap_search_ext(c->ld, base.c_str(), scope, filter.c_str(), names.get(), 0, controls, nullptr,
                         &timeout, 0, msgid);
}

bool AsksForDescriptor(const std::vector<std::string>& attributes) {
  for (const std::string& name : attributes) {
    if (strcasecmp(name.c_str(), "nTSecurityDescriptor") == 0) return true;
  }
  return false;
}

SdFlagsControl::SdFlagsControl(bool wanted) {
  if (!wanted) return;
  // SD_FLAGS 7 (owner, group, DACL) as a BER sequence of one integer.
  static const char kValue[] = "\x30\x03\x02\x01\x07";
  struct berval value = {5, const_cast<char*>(kValue)};
  if (ldap_control_create("1.2.840.113556.1.4.801", 0, &value, 1, &control_) != LDAP_SUCCESS)
    control_ = nullptr;
}

SdFlagsControl::~SdFlagsControl() {
  if (control_ != nullptr) ldap_control_free(control_);
}

uint64_t AdsRoundTrips() { return g_round_trips.load(); }

bool AdsBatchedReads() { return true; }

void AdsShutdown() {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  for (auto& entry : g_connections) CloseLink(entry.second.get());
  g_connections.clear();
  ForgetTickets();
  g_have_last_credentials = false;
  g_last_credentials = AdsCredentials();
}
