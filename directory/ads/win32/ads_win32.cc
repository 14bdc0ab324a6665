// The directory layer on Windows, over wldap32: one bound connection per server, Negotiate binds
// with signing and sealing (the running account's logon, or the typed credentials), LDAPS where a
// server is named with the LDAPS port, paged searches, and the Windows services for name
// translation, SID look-up and locating controllers. Values are decoded by the shared LDAP value
// decoder; text leaves this file in the console code page. Where it goes (the host a controller is
// bound by, the default domain, the domain a name translation goes on in) is decided in
// bind_targets.cc, which is tested on every platform.
//
// Under Wine (8.0, measured against a Samba domain) wldap32 differs from Windows' own:
// - A Negotiate bind without credentials (the running account's logon) ends the process: Wine's
//   SASL callback reads the credentials through the null pointer. Its SASL layer also needs a
//   name and password to hand to SSPI, so the logon cannot be used through wldap32 at all; it is
//   refused here as a logon failure, which leads to the credential prompt.
// - Typed credentials bind with Negotiate, signed and sealed: Kerberos when the domain part is the
//   realm (Wine then stores the new ticket in the default credential cache), else NTLM.
// - LDAP_OPT_SIGN and LDAP_OPT_ENCRYPT are refused (not supported) but Wine always asks SSPI for
//   both; inside TLS the directory refuses such a bind ("unwilling to perform"), so typed
//   credentials fall back to a simple bind there, which TLS protects.
// - ldap_init without a host means localhost, and the computer belongs to no domain.
// - LDAP_OPT_SERVER_ERROR is not supported: the server's diagnostic of a failure is read from
//   the result message where the call gives one (searches, the simple bind), and is lost for the
//   Negotiate bind, which gives none.
// - Over LDAPS, an answer of several entries is lost: Wine's TLS layer under its wldap32 decrypts
//   one TLS record per read and drops the start of the next record read along with it, so the
//   search fails as "server down" (0x51) and the connection is dead from then on. Answers of one
//   entry, base reads and pages of one, come through; searches over LDAPS therefore ask for pages
//   of one entry under Wine.
// Windows headers depend on one another: winsock2 before windows.h, winldap before winber.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <winldap.h>
#include <winber.h>
#include <dsgetdc.h>
#include <lm.h>
#include <ntdsapi.h>
#include <rpc.h>
// clang-format on
#define SECURITY_WIN32
#include <security.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

#include "directory/ads/ads.h"
#include "directory/ads/ldap_values.h"
#include "directory/ads/win32/ads_win32_internal.h"
#include "directory/ads/win32/bind_targets.h"

namespace {

std::mutex g_connections_mutex;

// Directory strings are UTF-8 on the wire.
std::string Utf8ToOem(const char* bytes, size_t size) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), nullptr, 0);
  std::wstring wide(length, L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), wide.data(), length);
  return WideToOem(wide.c_str());
}

AdsResult Win32Result(DWORD error) { return Failure(HresultFromWin32(error), ""); }

// What the server said about a failed LDAP call: AD puts its reason there ("80090308: LdapErr:
// ... data 52e ..."). Windows keeps it on the handle (LDAP_OPT_SERVER_ERROR); where that cannot be
// read, the call's result message holds it. Client-side codes (LDAP_SERVER_DOWN and up) come from
// no server, and the handle may still hold an earlier answer's text.
std::string ServerDiagnostic(LDAP* ld, ULONG code, LDAPMessage* result) {
  if (ld == nullptr || code >= LDAP_SERVER_DOWN) return "";
  std::string diagnostic;
  PWCHAR text = nullptr;
  if (ldap_get_optionW(ld, LDAP_OPT_SERVER_ERROR, &text) == LDAP_SUCCESS && text != nullptr) {
    diagnostic = WideToOem(text);
    ldap_memfreeW(text);
  }
  ULONG returned = 0;
  text = nullptr;
  if (diagnostic.empty() && result != nullptr &&
      ldap_parse_resultW(ld, result, &returned, nullptr, &text, nullptr, nullptr, FALSE) == LDAP_SUCCESS &&
      text != nullptr) {
    diagnostic = WideToOem(text);
    ldap_memfreeW(text);
  }
  return diagnostic;
}

std::string Environment(const char* name) {
  char value[1024];
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value) : std::string();
}

// DNS names of controllers by the addresses found for them, for binds to a controller named by
// its address (see BindHost).
std::mutex g_names_mutex;
ControllerNames g_controller_names;

void LearnControllerName(const std::string& host, const std::string& address) {
  std::lock_guard<std::mutex> lock(g_names_mutex);
  g_controller_names.Learn(host, address);
}

// The DNS name that the reverse look-up of an IPv4 address gives; empty when there is none.
std::string ReverseLookup(const std::string& address) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return "";
  sockaddr_in socket_address = {};
  socket_address.sin_family = AF_INET;
  char name[NI_MAXHOST] = "";
  std::string found;
  if (inet_pton(AF_INET, address.c_str(), &socket_address.sin_addr) == 1 &&
      getnameinfo(reinterpret_cast<sockaddr*>(&socket_address), sizeof socket_address, name, sizeof name,
                  nullptr, 0, NI_NAMEREQD) == 0) {
    found = name;
  }
  WSACleanup();
  return found;
}

// A domain controller of a domain (empty: the computer's own) that holds the directory, by its
// DNS name, and its address when the locator gives one. (Wine has only the UTF-16 locator.)
DWORD LocateController(const std::string& domain, std::string* name, std::string* address) {
  const std::wstring wide_domain = OemToWide(domain);
  PDOMAIN_CONTROLLER_INFOW info = nullptr;
  const DWORD code = DsGetDcNameW(nullptr, domain.empty() ? nullptr : wide_domain.c_str(), nullptr, nullptr,
                                  DS_DIRECTORY_SERVICE_REQUIRED | DS_RETURN_DNS_NAME, &info);
  if (code != NO_ERROR) return code;
  // Both come with a leading "\\".
  const wchar_t* controller = info->DomainControllerName;
  while (*controller == L'\\') ++controller;
  *name = WideToOem(controller);
  address->clear();
  if (info->DomainControllerAddressType == DS_INET_ADDRESS) {
    const wchar_t* at = info->DomainControllerAddress;
    while (*at == L'\\') ++at;
    *address = WideToOem(at);
  }
  NetApiBufferFree(info);
  LearnControllerName(*name, *address);
  return NO_ERROR;
}

// The running account as "DOMAIN\user", and the computer's own NetBIOS name.
std::string SamCompatibleName() {
  wchar_t name[512];
  ULONG size = sizeof name / sizeof name[0];
  return GetUserNameExW(NameSamCompatible, name, &size) ? WideToOem(name) : std::string();
}

std::string ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof name / sizeof name[0];
  return GetComputerNameW(name, &size) ? WideToOem(name) : std::string();
}

// The server of paths that name none ("LDAP://rootDSE"). The one LDAPURI names comes first, as in
// the OpenLDAP build, so that one setting serves both builds (and asks for LDAPS with
// "ldaps://"); then a controller of the domain the user logged on to, which is the domain the
// running account's logon is good for (a computer of one domain serves users of the forest's
// other domains too); then one of the computer's own domain; else wldap32 chooses.
LdapEndpoint DefaultEndpoint() {
  const std::string configured = Environment("LDAPURI");
  if (!configured.empty()) return ParseLdapEndpoint(configured);
  LdapEndpoint endpoint;
  std::string address;
  const std::string logon_domain =
      LogonDomain(Environment("USERDNSDOMAIN"), SamCompatibleName(), ComputerName());
  if (!logon_domain.empty() && LocateController(logon_domain, &endpoint.host, &address) == NO_ERROR)
    return endpoint;
  if (LocateController("", &endpoint.host, &address) != NO_ERROR) endpoint.host.clear();
  return endpoint;
}

// Cached connections by server (empty: the default server of the domain).
std::map<std::string, std::unique_ptr<Connection>>& Connections() {
  static std::map<std::string, std::unique_ptr<Connection>> connections;
  return connections;
}

AdsResult Connect(const std::string& server, Connection* connection) {
  LdapEndpoint endpoint = server.empty() ? DefaultEndpoint() : ParseLdapEndpoint(server);
  {
    std::lock_guard<std::mutex> lock(g_names_mutex);
    endpoint.host = BindHost(endpoint.host, g_controller_names, ReverseLookup);
  }
  std::wstring host = OemToWide(endpoint.host);
  PWCHAR host_name = host.empty() ? nullptr : host.data();
  connection->tls = endpoint.tls;
  connection->ld =
      endpoint.tls ? ldap_sslinitW(host_name, endpoint.port, 1) : ldap_initW(host_name, endpoint.port);
  if (connection->ld == nullptr) return Win32Result(LdapMapErrorToWin32(LdapGetLastError()));
  ULONG version = LDAP_VERSION3;
  ldap_set_optionW(connection->ld, LDAP_OPT_PROTOCOL_VERSION, &version);
  // Referrals would leave the bound connection for an unbound one.
  ldap_set_optionW(connection->ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
  ULONG timeout = kTimeoutSeconds;
  ldap_set_optionW(connection->ld, LDAP_OPT_TIMELIMIT, &timeout);
  LDAP_TIMEVAL connect_timeout = {kTimeoutSeconds, 0};
  const ULONG result = ldap_connect(connection->ld, &connect_timeout);
  if (result != LDAP_SUCCESS) return LdapFailure(connection->ld, result);
  return kAdsOk;
}

// The codes with which a bind of the running account's logon means that the logon was refused:
// a server that does not accept it, and a logon whose Kerberos tickets cannot be had.
bool LogonRefused(ULONG code) {
  return code == LDAP_INVALID_CREDENTIALS || code == LDAP_LOCAL_ERROR || code == LDAP_AUTH_UNKNOWN;
}

// A simple bind with the typed name and password, only ever inside TLS. It waits for its own
// result message, which holds the server's reason where the handle does not keep it.
AdsResult BindSimple(Connection* connection, const AdsCredentials* credentials) {
  std::wstring user = OemToWide(credentials->user);
  std::wstring password = OemToWide(credentials->password);
  ++g_round_trips;
  const ULONG id = ldap_simple_bindW(connection->ld, user.data(), password.data());
  SecureZeroMemory(password.data(), password.size() * sizeof(wchar_t));
  if (id == static_cast<ULONG>(-1)) return LdapFailure(connection->ld, LdapGetLastError());
  LDAP_TIMEVAL timeout = {kTimeoutSeconds, 0};
  LDAPMessage* message = nullptr;
  const ULONG type = ldap_result(connection->ld, id, LDAP_MSG_ALL, &timeout, &message);
  ULONG code = LDAP_TIMEOUT;
  if (type == static_cast<ULONG>(-1)) {
    code = LdapGetLastError();
  } else if (message != nullptr && ldap_parse_resultW(connection->ld, message, &code, nullptr, nullptr,
                                                      nullptr, nullptr, FALSE) != LDAP_SUCCESS) {
    code = LDAP_DECODING_ERROR;
  }
  const AdsResult result = code == LDAP_SUCCESS ? kAdsOk : LdapFailure(connection->ld, code, message);
  if (message != nullptr) ldap_msgfree(message);
  return result;
}

// Negotiate (Kerberos, else NTLM) with signing and sealing, none inside TLS: the running account's
// logon, or the typed name ("DOMAIN\user", "user@domain" or "user") and password.
AdsResult Bind(Connection* connection, const AdsCredentials* credentials) {
  const bool typed = credentials != nullptr && credentials->set;
  if (!typed && UnderWine()) {
    return Failure(kAdsLogonFailure, "Wine's wldap32 cannot bind with the running account's logon");
  }
  if (!connection->tls) {
    ldap_set_optionW(connection->ld, LDAP_OPT_SIGN, LDAP_OPT_ON);
    ldap_set_optionW(connection->ld, LDAP_OPT_ENCRYPT, LDAP_OPT_ON);
  }
  SEC_WINNT_AUTH_IDENTITY_W identity = {};
  std::wstring user, domain, password;
  PWCHAR secret = nullptr;
  if (typed) {
    SplitAccountName(OemToWide(credentials->user), &user, &domain);
    password = OemToWide(credentials->password);
    identity.User = reinterpret_cast<unsigned short*>(user.data());
    identity.UserLength = static_cast<ULONG>(user.size());
    identity.Domain = reinterpret_cast<unsigned short*>(domain.data());
    identity.DomainLength = static_cast<ULONG>(domain.size());
    identity.Password = reinterpret_cast<unsigned short*>(password.data());
    identity.PasswordLength = static_cast<ULONG>(password.size());
    identity.Flags = SEC_WINNT_AUTH_IDENTITY_UNICODE;
    secret = reinterpret_cast<PWCHAR>(&identity);
  }
  ++g_round_trips;
  const ULONG code = ldap_bind_sW(connection->ld, nullptr, secret, LDAP_AUTH_NEGOTIATE);
  SecureZeroMemory(password.data(), password.size() * sizeof(wchar_t));
  AdsResult result = kAdsOk;
  if (code != LDAP_SUCCESS && typed && connection->tls) {
    // A directory that will not take this Negotiate bind inside TLS takes the typed name and
    // password as a simple bind there; its answer is the one reported.
    result = BindSimple(connection, credentials);
  } else if (code != LDAP_SUCCESS) {
    result = LdapFailure(connection->ld, code);
    if (!typed && LogonRefused(code)) result = Failure(kAdsLogonFailure, LastDiagnostic());
  }
  if (result == kAdsOk) connection->bound = true;
  return result;
}

// The cached connection of a server, bound unless anonymous is enough.
AdsResult GetConnection(const std::string& server, const AdsCredentials* credentials, bool anonymous,
                        Connection** out) {
  const std::string key = server + (anonymous ? "#anonymous" : "");
  std::lock_guard<std::mutex> lock(g_connections_mutex);
  auto& connections = Connections();
  auto found = connections.find(key);
  if (found != connections.end()) {
    *out = found->second.get();
    return kAdsOk;
  }
  auto connection = std::make_unique<Connection>();
  AdsResult result = Connect(server, connection.get());
  if (result == kAdsOk && !anonymous) result = Bind(connection.get(), credentials);
  if (result != kAdsOk) {
    if (connection->ld != nullptr) ldap_unbind(connection->ld);
    return result;
  }
  *out = connection.get();
  connections[key] = std::move(connection);
  return kAdsOk;
}

// A base-scope read of the named attributes (all of them when names is empty).
AdsResult ReadBase(LDAP* ld, const std::wstring& dn, const std::vector<std::string>& names,
                   std::vector<AdsAttribute>* attributes) {
  std::vector<std::wstring> wide_names;
  for (const std::string& name : names) wide_names.push_back(OemToWide(name));
  std::vector<PWCHAR> list;
  for (std::wstring& name : wide_names) list.push_back(name.data());
  list.push_back(nullptr);
  SdFlagsControl sd_flags;
  LDAP_TIMEVAL timeout = {kTimeoutSeconds, 0};
  LDAPMessage* result = nullptr;
  ++g_round_trips;
  const ULONG code = ldap_search_ext_sW(
      ld, const_cast<PWCHAR>(dn.c_str()), LDAP_SCOPE_BASE, const_cast<PWCHAR>(L"(objectClass=*)"),
      names.empty() ? nullptr : list.data(), 0, sd_flags.list, nullptr, &timeout, 0, &result);
  if (code != LDAP_SUCCESS) {
    const AdsResult failure = LdapFailure(ld, code, result);
    if (result != nullptr) ldap_msgfree(result);
    return failure;
  }
  LDAPMessage* entry = ldap_first_entry(ld, result);
  if (entry == nullptr) {
    ldap_msgfree(result);
    return Failure(kAdsNoSuchObject, "");
  }
  if (attributes != nullptr) *attributes = EntryAttributes(ld, entry);
  ldap_msgfree(result);
  return kAdsOk;
}

}  // namespace

// Batched reads run on several threads, one connection each.
std::atomic<uint64_t> g_round_trips{0};

std::wstring OemToWide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_OEMCP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
  if (length > 1) MultiByteToWideChar(CP_OEMCP, 0, text.c_str(), -1, wide.data(), length);
  return wide;
}

std::string WideToOem(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_OEMCP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(length > 0 ? length - 1 : 0, '\0');
  if (length > 1) WideCharToMultiByte(CP_OEMCP, 0, text, -1, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

// The one funnel through which every failure of this layer becomes the code the program reports,
// with the server's own words about it kept for the reason text (empty when it gave none).
AdsResult Failure(AdsResult result, const std::string& diagnostic) {
  SetLastFailure(result, diagnostic);
  return result;
}

// A failed LDAP call, with its result message when it gave one.
AdsResult LdapFailure(LDAP* ld, ULONG code, LDAPMessage* result) {
  const std::string diagnostic = ServerDiagnostic(ld, code, result);
  return Failure(LdapFailureCode(static_cast<int>(code), diagnostic), diagnostic);
}

// Whether the program runs under Wine (see the head of this file).
bool UnderWine() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

// Every attribute of an entry that has values, decoded by the decoder both transports share.
std::vector<AdsAttribute> EntryAttributes(LDAP* ld, LDAPMessage* entry) {
  std::vector<AdsAttribute> attributes;
  BerElement* position = nullptr;
  for (PWCHAR name = ldap_first_attributeW(ld, entry, &position); name != nullptr;
       name = ldap_next_attributeW(ld, entry, position)) {
    berval** values = ldap_get_values_lenW(ld, entry, name);
    AddLdapAttribute(WideToOem(name), values, Utf8ToOem, &attributes);
    if (values != nullptr) ldap_value_free_len(values);
    ldap_memfreeW(name);
  }
  if (position != nullptr) ber_free(position, 0);
  return attributes;
}

AdsResult AdsOpenObject(const std::string& path, const AdsCredentials* credentials, uint32_t flags,
                        AdsObject** object) {
  *object = nullptr;
  AdsPathParts parts;
  if (!ParseAdsPath(path, &parts) || parts.kind == kAdsPathSchemaClass) return kAdsBadPath;
  const bool anonymous = parts.kind == kAdsPathRootDse && credentials == nullptr;
  Connection* connection = nullptr;
  AdsResult result = GetConnection(parts.server, credentials, anonymous, &connection);
  if (result != kAdsOk) return result;
  std::wstring dn = parts.kind == kAdsPathRootDse ? std::wstring() : OemToWide(parts.dn);
  if (parts.kind != kAdsPathRootDse && dn.empty()) {
    // A path naming a server alone binds to its domain.
    std::vector<AdsAttribute> root;
    result = ReadBase(connection->ld, L"", {"defaultNamingContext"}, &root);
    if (result != kAdsOk) return result;
    if (root.empty() || root[0].values.empty()) return Failure(kAdsPropertyNotFound, "");
    dn = OemToWide(root[0].values[0].text);
  }
  if (!(flags & kAdsFastBind)) {
    result = ReadBase(connection->ld, dn, {"objectClass"}, nullptr);
    if (result != kAdsOk) return result;
  }
  *object = new AdsObject{connection, parts.server, dn};
  return kAdsOk;
}

void AdsRelease(AdsObject* object) { delete object; }

AdsResult AdsGetObjectAttributes(AdsObject* object, const std::vector<std::string>& names,
                                 std::vector<AdsAttribute>* attributes) {
  attributes->clear();
  return ReadBase(object->connection->ld, object->dn, names, attributes);
}

AdsResult AdsGetObjectInformation(AdsObject* object, std::string* path_name, std::string* class_name) {
  std::vector<AdsAttribute> attributes;
  const AdsResult result = ReadBase(object->connection->ld, object->dn, {"objectClass"}, &attributes);
  if (result != kAdsOk) return result;
  *path_name = "LDAP://" + (object->server.empty() ? std::string() : object->server + "/") +
               WideToOem(object->dn.c_str());
  class_name->clear();
  for (const AdsAttribute& attribute : attributes) {
    if (!attribute.values.empty()) *class_name = attribute.values.back().text;
  }
  return kAdsOk;
}

AdsResult AdsGetClassProperties(const std::string& path, const AdsCredentials* credentials,
                                std::vector<std::string>* mandatory, std::vector<std::string>* optional) {
  mandatory->clear();
  optional->clear();
  AdsPathParts parts;
  if (!ParseAdsPath(path, &parts) || parts.kind != kAdsPathSchemaClass) return kAdsBadPath;
  Connection* connection = nullptr;
  AdsResult result = GetConnection(parts.server, credentials, false, &connection);
  if (result != kAdsOk) return result;
  std::vector<AdsAttribute> root;
  result = ReadBase(connection->ld, L"", {"schemaNamingContext"}, &root);
  if (result != kAdsOk) return result;
  if (root.empty() || root[0].values.empty()) return Failure(kAdsPropertyNotFound, "");
  // A class holds what its own definition and every class it derives from hold.
  std::vector<std::string> pending = {parts.class_name};
  std::vector<std::string> seen;
  while (!pending.empty()) {
    const std::string name = pending.back();
    pending.pop_back();
    bool known = false;
    for (const std::string& s : seen) known = known || _stricmp(s.c_str(), name.c_str()) == 0;
    if (known) continue;
    seen.push_back(name);
    AdsObject schema{connection, parts.server, OemToWide(root[0].values[0].text)};
    AdsSearch* search = nullptr;
    result = AdsExecuteSearch(&schema, kAdsScopeOneLevel, 100,
                              "(&(objectClass=classSchema)(lDAPDisplayName=" + name + "))",
                              {"mustContain", "systemMustContain", "mayContain", "systemMayContain",
                               "subClassOf", "auxiliaryClass", "systemAuxiliaryClass"},
                              &search);
    if (result != kAdsOk) return result;
    std::vector<AdsAttribute> row;
    bool found = false;
    while (AdsGetNextRow(search, &row) == kAdsOk) {
      found = true;
      for (const AdsAttribute& attribute : row) {
        const std::string& n = attribute.name;
        for (const AdsValue& value : attribute.values) {
          if (_stricmp(n.c_str(), "mustContain") == 0 || _stricmp(n.c_str(), "systemMustContain") == 0) {
            mandatory->push_back(value.text);
          } else if (_stricmp(n.c_str(), "mayContain") == 0 || _stricmp(n.c_str(), "systemMayContain") == 0) {
            optional->push_back(value.text);
          } else if (_stricmp(value.text.c_str(), name.c_str()) != 0) {
            pending.push_back(value.text);
          }
        }
      }
    }
    AdsCloseSearch(search);
    if (!found && seen.size() == 1) return Failure(kAdsNoSuchObject, "");
  }
  return kAdsOk;
}

// Name translation through the directory service's own name cracking. The credentials stay with
// the translator: a name that lies in another domain of the forest, or in a trusted forest, is
// translated again by a controller of that domain.
struct AdsNameTranslator {
  HANDLE ds = nullptr;
  RPC_AUTH_IDENTITY_HANDLE identity = nullptr;
  std::string domain;  // the domain bound to, empty when it was not named
  std::wstring name;
  int type = kAdsNameUnknown;
};

static_assert(kCrackNamesFlags == DS_NAME_FLAG_TRUST_REFERRAL, "the referral flag of DsCrackNames");
static_assert(kCrackDomainOnly == static_cast<uint32_t>(DS_NAME_ERROR_DOMAIN_ONLY) &&
                  kCrackTrustReferral == static_cast<uint32_t>(DS_NAME_ERROR_TRUST_REFERRAL),
              "the statuses of DsCrackNames");

void AdsNameTranslateRelease(AdsNameTranslator* translator) {
  if (translator == nullptr) return;
  if (translator->ds != nullptr) DsUnBindW(&translator->ds);
  if (translator->identity != nullptr) DsFreePasswordCredentials(translator->identity);
  delete translator;
}

AdsResult AdsNameTranslateInit(int init_type, const std::string& init_name, const AdsCredentials* credentials,
                               AdsNameTranslator** translator) {
  *translator = nullptr;
  // Wine has no directory service binding (DsBind fails, and its credential helper ends the
  // program): there is no name translation to offer.
  if (UnderWine()) return Win32Result(ERROR_CALL_NOT_IMPLEMENTED);
  auto created = std::unique_ptr<AdsNameTranslator, void (*)(AdsNameTranslator*)>(new AdsNameTranslator,
                                                                                  AdsNameTranslateRelease);
  if (credentials != nullptr && credentials->set) {
    std::wstring user, domain;
    SplitAccountName(OemToWide(credentials->user), &user, &domain);
    std::wstring password = OemToWide(credentials->password);
    const DWORD made = DsMakePasswordCredentialsW(user.c_str(), domain.empty() ? nullptr : domain.c_str(),
                                                  password.c_str(), &created->identity);
    SecureZeroMemory(password.data(), password.size() * sizeof(wchar_t));
    if (made != NO_ERROR) return Win32Result(made);
  }
  std::wstring name = OemToWide(init_name);
  const wchar_t* controller = init_type == kAdsNameInitServer ? name.c_str() : nullptr;
  const wchar_t* domain = init_type == kAdsNameInitDomain && !name.empty() ? name.c_str() : nullptr;
  if (domain != nullptr) created->domain = init_name;
  const DWORD bound = DsBindWithCredW(controller, domain, created->identity, &created->ds);
  if (bound != NO_ERROR) return Win32Result(bound);
  *translator = created.release();
  return kAdsOk;
}

AdsResult AdsNameTranslateSet(AdsNameTranslator* translator, int name_type, const std::string& name) {
  translator->name = OemToWide(name);
  translator->type = name_type;
  return kAdsOk;
}

AdsResult AdsNameTranslateGet(AdsNameTranslator* translator, int name_type, std::string* name) {
  // The ADS_NAME_TYPE numbers map onto the DS_NAME_FORMAT ones.
  static const DS_NAME_FORMAT kFormats[] = {
      DS_UNKNOWN_NAME, DS_FQDN_1779_NAME, DS_CANONICAL_NAME, DS_NT4_ACCOUNT_NAME, DS_DISPLAY_NAME,
      DS_UNKNOWN_NAME, DS_UNKNOWN_NAME,   DS_UNIQUE_ID_NAME, DS_UNKNOWN_NAME,     DS_USER_PRINCIPAL_NAME};
  auto format = [](int type) { return type >= 0 && type <= 9 ? kFormats[type] : DS_UNKNOWN_NAME; };
  const wchar_t* names[1] = {translator->name.c_str()};
  std::vector<std::string> asked = {translator->domain};
  HANDLE ds = translator->ds;
  // A controller of another domain, bound for this translation alone.
  HANDLE referred = nullptr;
  CrackStep step;
  for (;;) {
    PDS_NAME_RESULTW result = nullptr;
    ++g_round_trips;
    const DWORD code = DsCrackNamesW(ds, static_cast<DS_NAME_FLAGS>(kCrackNamesFlags),
                                     format(translator->type), format(name_type), 1, names, &result);
    if (code != NO_ERROR) {
      step.result = Win32Result(code);
      break;
    }
    const DS_NAME_RESULT_ITEMW* item = result->cItems < 1 ? nullptr : &result->rItems[0];
    const uint32_t status = item == nullptr ? kCrackNotFound : static_cast<uint32_t>(item->status);
    step = NextCrackStep(status, item != nullptr && item->pDomain != nullptr ? WideToOem(item->pDomain) : "",
                         asked);
    if (step.done && step.result == kAdsOk && item->pName == nullptr) step.result = kAdsNameNotFound;
    if (step.done && step.result == kAdsOk) *name = WideToOem(item->pName);
    DsFreeNameResultW(result);
    if (step.done) break;
    asked.push_back(step.domain);
    if (referred != nullptr) DsUnBindW(&referred);
    const std::wstring domain = OemToWide(step.domain);
    const DWORD bound = DsBindWithCredW(nullptr, domain.c_str(), translator->identity, &referred);
    if (bound != NO_ERROR) {
      referred = nullptr;
      step.result = Win32Result(bound);
      break;
    }
    ds = referred;
  }
  if (referred != nullptr) DsUnBindW(&referred);
  return step.result == kAdsOk ? kAdsOk : Failure(step.result, "");
}

AdsResult AdsLookupAccountSid(const std::string& server, const std::string& sid, std::string* domain,
                              std::string* name, int* use) {
  char account[256];
  char account_domain[256];
  DWORD account_size = sizeof account;
  DWORD domain_size = sizeof account_domain;
  SID_NAME_USE sid_use = SidTypeUnknown;
  std::string bytes = sid;
  if (!LookupAccountSidA(server.empty() ? nullptr : server.c_str(), reinterpret_cast<PSID>(bytes.data()),
                         account, &account_size, account_domain, &domain_size, &sid_use)) {
    return Win32Result(GetLastError());
  }
  // The system answers in ANSI; inside the program text is in the console code page.
  CharToOemA(account, account);
  CharToOemA(account_domain, account_domain);
  *name = account;
  *domain = account_domain;
  *use = static_cast<int>(sid_use);
  return kAdsOk;
}

AdsResult AdsGetDcName(const std::string& domain, std::string* dc_name, std::string* dc_address) {
  const DWORD code = LocateController(domain, dc_name, dc_address);
  if (code != NO_ERROR) return Win32Result(code);
  return kAdsOk;
}

std::string AdsHostToAddress(const std::string& host) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return "";
  addrinfo hints = {};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  std::string text;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) == 0 && found != nullptr) {
    const unsigned char* a =
        reinterpret_cast<const unsigned char*>(&reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr);
    char buffer[16];
    snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", a[0], a[1], a[2], a[3]);
    text = buffer;
    freeaddrinfo(found);
  }
  WSACleanup();
  LearnControllerName(host, text);
  return text;
}

std::string AdsUserName() {
  char name[257];
  DWORD size = sizeof name;
  if (!GetUserNameA(name, &size)) return "";
  CharToOemA(name, name);
  return name;
}

// The input file's lines are resolved one at a time: this layer finds nothing ahead for a hint.
void AdsPrefetchNames(const std::string&, const AdsCredentials*, const AdsNameHint&,
                      const std::vector<std::string>&) {}
bool AdsTakeHintedRow(const std::string&, const std::string&, std::vector<AdsAttribute>*) { return false; }

void AdsForgetPrefetch() {}

uint64_t AdsRoundTrips() { return g_round_trips.load(); }

// Objects are read in batches over LDAP signed and sealed by the Negotiate bind: paged searches
// with the SD-flags control on the connection of each controller, used by one thread at a time
// (the cache of connections is shared under its lock). Where the default server is reached over
// LDAPS, every object is read on its own: under Wine a search over LDAPS gets one entry a page (see
// the head of this file), which gains nothing over reading the objects one by one, and batched
// reads over LDAPS have not run on Windows.
bool AdsBatchedReads() { return !ParseLdapEndpoint(Environment("LDAPURI")).tls; }

void AdsShutdown() {
  for (auto& entry : Connections()) {
    if (entry.second->ld != nullptr) ldap_unbind(entry.second->ld);
  }
  Connections().clear();
}
