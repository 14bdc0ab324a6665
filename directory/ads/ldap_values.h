// LDAP wire values decoded into the directory layer's types, paths taken apart, and LDAP
// result codes turned into the codes the program reports. Pure: no library, no network.
#ifndef LORVEX_DIRECTORY_ADS_LDAP_VALUES_H_
#define LORVEX_DIRECTORY_ADS_LDAP_VALUES_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "directory/ads/ads.h"

/// HRESULT of a Win32 error number (0x8007xxxx); 0 stays 0.
AdsResult HresultFromWin32(uint32_t error);
/// The code reported for an LDAP result code; OpenLDAP's negative client codes are accepted.
AdsResult LdapResultToHresult(int ldap_code);
/// The Win32 error that AD puts after "data " in a bind failure's diagnostic, 0 when none.
uint32_t DiagnosticDataCode(const std::string& diagnostic);
/// The code reported for a failed LDAP call with the server's diagnostic: the account state that
/// AD names in a refused bind ("data 533": disabled), else the code of the LDAP result.
AdsResult LdapFailureCode(int ldap_code, const std::string& diagnostic);

/// Win32 errors the layer reports besides the LDAP ones.
constexpr uint32_t kWin32NoneMapped = 1332;      ///< ERROR_NONE_MAPPED
constexpr uint32_t kWin32NoSuchDomain = 1355;    ///< ERROR_NO_SUCH_DOMAIN
constexpr uint32_t kWin32TimeSkew = 1398;        ///< ERROR_TIME_SKEW
constexpr uint32_t kWin32DnsNameError = 9003;    ///< DNS_ERROR_RCODE_NAME_ERROR
constexpr uint32_t kWin32LocalError = 8251;      ///< ERROR_DS_LOCAL_ERROR
constexpr uint32_t kWin32NoLogonServers = 1311;  ///< ERROR_NO_LOGON_SERVERS
constexpr uint32_t kWin32NameNotFound = 8470;    ///< ERROR_DS_NAME_ERROR_NOT_FOUND
constexpr uint32_t kWin32LogonFailure = 1326;    ///< ERROR_LOGON_FAILURE
constexpr uint32_t kWin32InvalidParameter = 87;  ///< ERROR_INVALID_PARAMETER

/// The value type the program reads an attribute as ("member;range=0-19" counts as "member").
AdsType AttributeType(const std::string& name);

/// Decodes an LDAP GeneralizedTime such as "20240105100000.0Z".
bool ParseGeneralizedTime(const std::string& text, AdsUtcTime* time);
/// Decodes a signed 64-bit decimal integer, the whole text.
bool ParseLargeInteger(const std::string& text, int64_t* value);
/// Decodes an LDAP Boolean ("TRUE" or "FALSE").
bool ParseBoolean(const std::string& text, bool* value);

/// Turns a directory string (UTF-8 on the wire) into the program's text; null keeps the bytes.
using DirectoryTextConverter = std::string (*)(const char* utf8, size_t size);
/// Decodes one value as the wire gives it into the member its attribute's type reads.
AdsValue DecodeLdapValue(AdsType type, const char* data, size_t size, DirectoryTextConverter text);
/// Adds an attribute of an entry, as the LDAP library gives its values (berval pointers ending in
/// a null one; or none), to the decoded entry. One decoder for both transports, whose bervals
/// differ only in the width of bv_len.
template <typename Berval>
void AddLdapAttribute(const std::string& name, Berval* const* values, DirectoryTextConverter text,
                      std::vector<AdsAttribute>* entry) {
  // An attribute without values is left out, as the directory interfaces leave it out of a read:
  // nothing in it is there to show or to count. AD sends one beside the values of a ranged read
  // (a plain "member" beside "member;range=0-1499"), and a range that begins after the last value
  // comes back with none; a user expects the members a group has, no more and no fewer, and a
  // caller that looks an attribute up by name never meets one that is there without a value.
  if (values == nullptr || values[0] == nullptr) return;
  AdsAttribute attribute;
  attribute.name = name;
  attribute.type = AttributeType(name);
  for (size_t i = 0; values[i] != nullptr; ++i) {
    attribute.values.push_back(DecodeLdapValue(attribute.type, values[i]->bv_val, values[i]->bv_len, text));
  }
  entry->push_back(std::move(attribute));
}

/// The braced upper-case text of the first 16 bytes of a GUID, e.g.
/// "{4FA050F0-F561-11CF-BDD9-00AA003A77B6}"; empty for fewer bytes.
std::string GuidBytesToText(const std::string& bytes);
/// The 16 bytes of a GUID written with or without braces; false when the text is not one.
bool GuidTextToBytes(const std::string& text, std::string* bytes);

/// Writes every byte as "\xx", for binary values in a filter.
std::string EscapeFilterBytes(const std::string& bytes);

/// What a directory path names.
enum AdsPathKind { kAdsPathObject, kAdsPathRootDse, kAdsPathSchemaClass };

/// An "LDAP://[server/]name" path taken apart.
struct AdsPathParts {
  std::string server;  ///< empty: the default server
  AdsPathKind kind = kAdsPathObject;
  std::string dn;          ///< the object's DN with "\/" unescaped; empty means the server's domain
  std::string class_name;  ///< for a schema class path
};

/// Splits a path; false when it does not begin with "LDAP://".
bool ParseAdsPath(const std::string& path, AdsPathParts* parts);
/// Where a connection goes: a host (empty: the library's own choice), its port, and whether the
/// connection is LDAPS.
struct LdapEndpoint {
  std::string host;
  unsigned port = 389;
  bool tls = false;
};
/// A server as a path or a setting names it: "host", "host:port", "ldap://host[:port]" or
/// "ldaps://host[:port]"; of a list the first. The LDAPS ports (636, and 3269 of the global
/// catalogue) mean LDAPS also without "ldaps://".
LdapEndpoint ParseLdapEndpoint(const std::string& text);
/// The DNS name held by the DC= components of a DN ("DC=sales,DC=corp" gives "sales.corp").
std::string DnToDnsName(const std::string& dn);
/// The value of the first relative name of a DN, without its type ("CN=DC1,CN=Servers" gives "DC1").
std::string FirstRdnValue(const std::string& dn);
/// The account use of a sAMAccountType value (SidTypeUser, Group, Alias, or 8 unknown).
int SidUseFromAccountType(int64_t sam_account_type);

/// A DNS SRV record.
struct SrvRecord {
  uint16_t priority = 0;
  uint16_t weight = 0;
  uint16_t port = 0;
  std::string target;
};

/// Orders SRV records for trying: lowest priority first, heavier weight first among equals.
void OrderSrvRecords(std::vector<SrvRecord>* records);
/// Decodes the answers of a DNS SRV reply; false when the reply cannot be read.
bool ParseSrvReply(const unsigned char* reply, int length, std::vector<SrvRecord>* records);

#endif  // LORVEX_DIRECTORY_ADS_LDAP_VALUES_H_
