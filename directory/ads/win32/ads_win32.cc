// The directory layer on Windows, over wldap32: one bound connection per server, Negotiate binds
// with signing and sealing (the running account's logon, or the typed credentials), LDAPS where a
// server is named with the LDAPS port, paged searches, and the Windows services for name
// translation, SID look-up and locating controllers. Values are decoded by the shared LDAP value
// helpers; text leaves this file in the console code page.
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

namespace {

constexpr int kTimeoutSeconds = 30;  // every request has a network timeout

// Batched reads run on several threads, one connection each.
std::atomic<uint64_t> g_round_trips{0};
std::mutex g_connections_mutex;

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

// Directory strings are UTF-8 on the wire.
std::string Utf8ToOem(const char* bytes, size_t size) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), nullptr, 0);
  std::wstring wide(length, L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), wide.data(), length);
  return WideToOem(wide.c_str());
}

AdsResult Win32Result(DWORD error) { return HresultFromWin32(error); }

// The code of a failed LDAP call, as the component library reports it.
AdsResult LdapFailure(ULONG code) { return LdapResultToHresult(static_cast<int>(code)); }

// A bound connection to one server with one set of credentials.
struct Connection {
  LDAP* ld = nullptr;
  bool bound = false;
  bool tls = false;  // LDAPS: the bind adds no signing or sealing of its own
};

// Whether the program runs under Wine (see the head of this file).
bool UnderWine() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

std::string Environment(const char* name) {
  char value[1024];
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value) : std::string();
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
  return NO_ERROR;
}

// The server of paths that name none ("LDAP://rootDSE"). The one LDAPURI names comes first, as in
// the OpenLDAP build, so that one setting serves both builds (and asks for LDAPS with
// "ldaps://"); then a controller of the computer's domain; then one of the domain the user logged
// on to (Windows sets USERDNSDOMAIN for a domain logon); else wldap32 chooses.
LdapEndpoint DefaultEndpoint() {
  const std::string configured = Environment("LDAPURI");
  if (!configured.empty()) return ParseLdapEndpoint(configured);
  LdapEndpoint endpoint;
  std::string address;
  if (LocateController("", &endpoint.host, &address) != NO_ERROR) {
    const std::string logon_domain = Environment("USERDNSDOMAIN");
    if (logon_domain.empty() || LocateController(logon_domain, &endpoint.host, &address) != NO_ERROR)
      endpoint.host.clear();
  }
  return endpoint;
}

// Cached connections by server (empty: the default server of the domain).
std::map<std::string, std::unique_ptr<Connection>>& Connections() {
  static std::map<std::string, std::unique_ptr<Connection>> connections;
  return connections;
}

AdsResult Connect(const std::string& server, Connection* connection) {
  const LdapEndpoint endpoint = server.empty() ? DefaultEndpoint() : ParseLdapEndpoint(server);
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
  if (result != LDAP_SUCCESS) return LdapFailure(result);
  return kAdsOk;
}

// The codes with which a bind of the running account's logon means that the logon was refused:
// a server that does not accept it, and a logon whose Kerberos tickets cannot be had.
bool LogonRefused(ULONG code) {
  return code == LDAP_INVALID_CREDENTIALS || code == LDAP_LOCAL_ERROR || code == LDAP_AUTH_UNKNOWN;
}

// A simple bind with the typed name and password, only ever inside TLS.
ULONG BindSimple(Connection* connection, const AdsCredentials* credentials) {
  std::wstring user = OemToWide(credentials->user);
  std::wstring password = OemToWide(credentials->password);
  ++g_round_trips;
  const ULONG result = ldap_simple_bind_sW(connection->ld, user.data(), password.data());
  SecureZeroMemory(password.data(), password.size() * sizeof(wchar_t));
  return result;
}

// Negotiate (Kerberos, else NTLM) with signing and sealing, none inside TLS: the running account's
// logon, or the typed name ("DOMAIN\user", "user@domain" or "user") and password.
AdsResult Bind(Connection* connection, const AdsCredentials* credentials) {
  const bool typed = credentials != nullptr && credentials->set;
  if (!typed && UnderWine()) {
    SetLastFailure(kAdsLogonFailure, "Wine's wldap32 cannot bind with the running account's logon");
    return kAdsLogonFailure;
  }
  if (!connection->tls) {
    ldap_set_optionW(connection->ld, LDAP_OPT_SIGN, LDAP_OPT_ON);
    ldap_set_optionW(connection->ld, LDAP_OPT_ENCRYPT, LDAP_OPT_ON);
  }
  SEC_WINNT_AUTH_IDENTITY_W identity = {};
  std::wstring user, domain, password;
  PWCHAR secret = nullptr;
  if (typed) {
    user = OemToWide(credentials->user);
    password = OemToWide(credentials->password);
    // "DOMAIN\user" and "user@domain" both name the domain apart, as SSPI wants it.
    const size_t slash = user.find(L'\\');
    const size_t at = user.rfind(L'@');
    if (slash != std::wstring::npos) {
      domain = user.substr(0, slash);
      user = user.substr(slash + 1);
    } else if (at != std::wstring::npos) {
      domain = user.substr(at + 1);
      user = user.substr(0, at);
    }
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
  ULONG result = ldap_bind_sW(connection->ld, nullptr, secret, LDAP_AUTH_NEGOTIATE);
  SecureZeroMemory(password.data(), password.size() * sizeof(wchar_t));
  // A directory that will not take this Negotiate bind inside TLS takes the typed name and
  // password as a simple bind there.
  if (result != LDAP_SUCCESS && typed && connection->tls) result = BindSimple(connection, credentials);
  if (result != LDAP_SUCCESS) {
    if (!typed && LogonRefused(result)) return kAdsLogonFailure;
    return LdapFailure(result);
  }
  connection->bound = true;
  return kAdsOk;
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

AdsValue DecodeValue(AdsType type, const berval* value) {
  AdsValue decoded;
  const std::string raw(value->bv_val, value->bv_len);
  switch (type) {
    case kAdsTypeInteger:
    case kAdsTypeLargeInteger:
      ParseLargeInteger(raw, &decoded.integer);
      break;
    case kAdsTypeBoolean: {
      bool flag = false;
      ParseBoolean(raw, &flag);
      decoded.integer = flag ? 1 : 0;
      break;
    }
    case kAdsTypeOctetString:
    case kAdsTypeSecurityDescriptor:
      decoded.bytes = raw;
      break;
    case kAdsTypeUtcTime:
      ParseGeneralizedTime(raw, &decoded.time);
      break;
    default:
      decoded.text = Utf8ToOem(raw.data(), raw.size());
      break;
  }
  return decoded;
}

// Every attribute of an entry.
std::vector<AdsAttribute> EntryAttributes(LDAP* ld, LDAPMessage* entry) {
  std::vector<AdsAttribute> attributes;
  BerElement* position = nullptr;
  for (PWCHAR name = ldap_first_attributeW(ld, entry, &position); name != nullptr;
       name = ldap_next_attributeW(ld, entry, position)) {
    AdsAttribute attribute;
    attribute.name = WideToOem(name);
    attribute.type = AttributeType(attribute.name);
    berval** values = ldap_get_values_lenW(ld, entry, name);
    for (int i = 0; values != nullptr && values[i] != nullptr; ++i) {
      attribute.values.push_back(DecodeValue(attribute.type, values[i]));
    }
    if (values != nullptr) ldap_value_free_len(values);
    ldap_memfreeW(name);
    attributes.push_back(std::move(attribute));
  }
  if (position != nullptr) ber_free(position, 0);
  return attributes;
}

// The security descriptor parts an ordinary user may read: owner, group and DACL.
struct SdFlagsControl {
  berval value;
  char bytes[5] = {0x30, 0x03, 0x02, 0x01, 0x07};
  LDAPControlW control;
  LDAPControlW* list[2];
  SdFlagsControl() {
    value.bv_len = sizeof bytes;
    value.bv_val = bytes;
    control.ldctl_oid = const_cast<PWCHAR>(L"1.2.840.113556.1.4.801");
    control.ldctl_value = value;
    control.ldctl_iscritical = FALSE;
    list[0] = &control;
    list[1] = nullptr;
  }
};

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
    if (result != nullptr) ldap_msgfree(result);
    return LdapFailure(code);
  }
  LDAPMessage* entry = ldap_first_entry(ld, result);
  if (entry == nullptr) {
    ldap_msgfree(result);
    return kAdsNoSuchObject;
  }
  if (attributes != nullptr) *attributes = EntryAttributes(ld, entry);
  ldap_msgfree(result);
  return kAdsOk;
}

}  // namespace

struct AdsObject {
  Connection* connection;
  std::string server;
  std::wstring dn;
};

struct AdsSearch {
  LDAP* ld;
  std::wstring base;
  std::wstring filter;
  std::vector<std::wstring> attributes;
  int scope;
  int page_size;
  berval* cookie = nullptr;
  bool last_page = false;
  LDAPMessage* page = nullptr;
  LDAPMessage* next_entry = nullptr;
};

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
    if (root.empty() || root[0].values.empty()) return kAdsPropertyNotFound;
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

namespace {

// Fetches the next page of a search into search->page.
AdsResult FetchPage(AdsSearch* search) {
  if (search->page != nullptr) {
    ldap_msgfree(search->page);
    search->page = nullptr;
  }
  PLDAPControlW page_control = nullptr;
  ULONG code = ldap_create_page_controlW(search->ld, static_cast<ULONG>(search->page_size), search->cookie,
                                         FALSE, &page_control);
  if (code != LDAP_SUCCESS) return LdapFailure(code);
  // A search asking for the security descriptor reads the parts an ordinary user may read.
  SdFlagsControl sd_flags;
  bool descriptor = false;
  for (const std::wstring& name : search->attributes)
    descriptor |= _wcsicmp(name.c_str(), L"nTSecurityDescriptor") == 0;
  PLDAPControlW controls[3] = {page_control, descriptor ? &sd_flags.control : nullptr, nullptr};
  std::vector<PWCHAR> list;
  for (std::wstring& name : search->attributes) list.push_back(name.data());
  list.push_back(nullptr);
  LDAP_TIMEVAL timeout = {kTimeoutSeconds, 0};
  ++g_round_trips;
  code = ldap_search_ext_sW(search->ld, search->base.data(), static_cast<ULONG>(search->scope),
                            search->filter.data(), search->attributes.empty() ? nullptr : list.data(), 0,
                            controls, nullptr, &timeout, 0, &search->page);
  ldap_control_freeW(page_control);
  if (code != LDAP_SUCCESS && code != LDAP_SIZELIMIT_EXCEEDED) return LdapFailure(code);
  // The cookie of the next page, empty on the last one.
  PLDAPControlW* returned = nullptr;
  ULONG server_code = 0;
  ldap_parse_resultW(search->ld, search->page, &server_code, nullptr, nullptr, nullptr, &returned, FALSE);
  if (search->cookie != nullptr) {
    ber_bvfree(search->cookie);
    search->cookie = nullptr;
  }
  ULONG total = 0;
  if (returned == nullptr ||
      ldap_parse_page_controlW(search->ld, returned, &total, &search->cookie) != LDAP_SUCCESS ||
      search->cookie == nullptr || search->cookie->bv_len == 0) {
    search->last_page = true;
  }
  if (returned != nullptr) ldap_controls_freeW(returned);
  search->next_entry = ldap_first_entry(search->ld, search->page);
  return kAdsOk;
}

}  // namespace

AdsResult AdsExecuteSearch(AdsObject* base, int scope, int page_size, const std::string& filter,
                           const std::vector<std::string>& attributes, AdsSearch** search) {
  auto running = std::make_unique<AdsSearch>();
  running->ld = base->connection->ld;
  running->base = base->dn;
  running->filter = OemToWide(filter);
  for (const std::string& name : attributes) running->attributes.push_back(OemToWide(name));
  running->scope = scope;
  running->page_size = page_size > 0 ? page_size : 1000;
  const AdsResult result = FetchPage(running.get());
  if (result != kAdsOk) {
    AdsCloseSearch(running.release());
    return result;
  }
  *search = running.release();
  return kAdsOk;
}

AdsResult AdsGetNextRow(AdsSearch* search, std::vector<AdsAttribute>* row) {
  row->clear();
  while (search->next_entry == nullptr) {
    if (search->last_page) return kAdsNoMoreRows;
    const AdsResult result = FetchPage(search);
    if (result != kAdsOk) return result;
  }
  *row = EntryAttributes(search->ld, search->next_entry);
  search->next_entry = ldap_next_entry(search->ld, search->next_entry);
  return kAdsOk;
}

void AdsCloseSearch(AdsSearch* search) {
  if (search == nullptr) return;
  if (search->page != nullptr) ldap_msgfree(search->page);
  if (search->cookie != nullptr) ber_bvfree(search->cookie);
  delete search;
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
  if (root.empty() || root[0].values.empty()) return kAdsPropertyNotFound;
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
    if (!found && seen.size() == 1) return kAdsNoSuchObject;
  }
  return kAdsOk;
}

// Name translation through the directory service's own name cracking.
struct AdsNameTranslator {
  HANDLE ds = nullptr;
  std::wstring name;
  int type = kAdsNameUnknown;
};

AdsResult AdsNameTranslateInit(int init_type, const std::string& init_name, const AdsCredentials* credentials,
                               AdsNameTranslator** translator) {
  *translator = nullptr;
  // Wine has no directory service binding (DsBind fails, and its credential helper ends the
  // program): there is no name translation to offer.
  if (UnderWine()) return Win32Result(ERROR_CALL_NOT_IMPLEMENTED);
  RPC_AUTH_IDENTITY_HANDLE identity = nullptr;
  if (credentials != nullptr && credentials->set) {
    std::wstring user = OemToWide(credentials->user), domain, password = OemToWide(credentials->password);
    const size_t slash = user.find(L'\\');
    if (slash != std::wstring::npos) {
      domain = user.substr(0, slash);
      user = user.substr(slash + 1);
    }
    const DWORD made = DsMakePasswordCredentialsW(user.c_str(), domain.empty() ? nullptr : domain.c_str(),
                                                  password.c_str(), &identity);
    if (made != NO_ERROR) return Win32Result(made);
  }
  std::wstring name = OemToWide(init_name);
  const wchar_t* controller = init_type == kAdsNameInitServer ? name.c_str() : nullptr;
  const wchar_t* domain = init_type == kAdsNameInitDomain && !name.empty() ? name.c_str() : nullptr;
  auto created = std::make_unique<AdsNameTranslator>();
  const DWORD bound = DsBindWithCredW(controller, domain, identity, &created->ds);
  if (identity != nullptr) DsFreePasswordCredentials(identity);
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
  PDS_NAME_RESULTW result = nullptr;
  ++g_round_trips;
  const DWORD code = DsCrackNamesW(translator->ds, DS_NAME_NO_FLAGS, format(translator->type),
                                   format(name_type), 1, names, &result);
  if (code != NO_ERROR) return Win32Result(code);
  AdsResult answer = kAdsOk;
  if (result->cItems < 1 || result->rItems[0].status != DS_NAME_NO_ERROR ||
      result->rItems[0].pName == nullptr) {
    answer = kAdsNameNotFound;
  } else {
    *name = WideToOem(result->rItems[0].pName);
  }
  DsFreeNameResultW(result);
  return answer;
}

void AdsNameTranslateRelease(AdsNameTranslator* translator) {
  if (translator == nullptr) return;
  if (translator->ds != nullptr) DsUnBindW(&translator->ds);
  delete translator;
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
  return text;
}

std::string AdsUserName() {
  char name[257];
  DWORD size = sizeof name;
  if (!GetUserNameA(name, &size)) return "";
  CharToOemA(name, name);
  return name;
}

// This layer reads every object on its own (AdsBatchedReads), and the input file's lines are then
// resolved one at a time: a hint is never given, and would find nothing ahead if it were.
void AdsPrefetchNames(const std::string&, const AdsCredentials*, const AdsNameHint&) {}

void AdsForgetPrefetch() {}

uint64_t AdsRoundTrips() { return g_round_trips.load(); }

// Batched searches over LDAPS, on connections of their own, fail under Wine's wldap32 with "the
// server is not operational" where the same reads made one object at a time succeed; until batched
// reads are shown to work through wldap32, this layer reads every object on its own.
bool AdsBatchedReads() { return false; }

void AdsShutdown() {
  for (auto& entry : Connections()) {
    if (entry.second->ld != nullptr) ldap_unbind(entry.second->ld);
  }
  Connections().clear();
}
