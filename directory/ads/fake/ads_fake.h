// An in-memory directory behind the directory layer, for unit tests of logic.
#ifndef LORVEX_DIRECTORY_ADS_FAKE_ADS_FAKE_H_
#define LORVEX_DIRECTORY_ADS_FAKE_ADS_FAKE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "directory/ads/ads.h"

/// Empties the directory, the failures, the call log and every setting.
void FakeReset();
/// Sets the rootDSE values; server_name is the DN of the answering controller's server object.
void FakeSetRootDse(const std::string& default_naming_context, const std::string& schema_naming_context,
                    const std::string& server_name);
/// The NetBIOS and DNS names of the domain, used by name translation and SID look-up.
void FakeSetDomainNames(const std::string& netbios, const std::string& dns);
/// The logon name of the running account.
void FakeSetUserName(const std::string& name);
/// Makes binds with the running account's logon fail with a logon failure, and accepts only
/// these typed credentials (user as typed, password).
void FakeRequireCredentials(const std::string& user, const std::string& password);

/// Adds an object; classes are its objectClass values, most specific last.
void FakeAddObject(const std::string& dn, const std::vector<std::string>& classes,
                   std::vector<AdsAttribute> attributes = {});
/// Sets (replaces) one attribute of an existing object.
void FakeSetAttribute(const std::string& dn, const AdsAttribute& attribute);
/// Removes an object.
void FakeRemoveObject(const std::string& dn);
/// An attribute value that only reads through "LDAP://server/..." paths of this server return.
void FakeSetServerAttribute(const std::string& server, const std::string& dn, const AdsAttribute& attribute);
/// The mandatory and optional attributes of a schema class.
void FakeSetClassProperties(const std::string& class_name, const std::vector<std::string>& mandatory,
                            const std::vector<std::string>& optional);
/// A domain controller that controller location finds for a domain.
void FakeAddDomainController(const std::string& domain, const std::string& name, const std::string& address);
/// A host name and its IPv4 address.
void FakeAddHost(const std::string& host, const std::string& address);

/// Every bind to a path on this server (empty: the default server) fails with code.
void FakeFailServer(const std::string& server, AdsResult code);
/// Binds to this DN fail with code.
void FakeFailBind(const std::string& dn, AdsResult code);
/// Attribute reads of this DN fail with code.
void FakeFailRead(const std::string& dn, AdsResult code);
/// Searches based at this DN fail with code at ExecuteSearch.
void FakeFailSearch(const std::string& dn, AdsResult code);
/// Name translation objects cannot be initialised with this init type.
void FakeFailTranslateInit(int init_type, AdsResult code);

/// Every operation so far, one line each: "open <path>", "read <dn> <attr,...>",
/// "info <dn>", "search <base> <scope> <filter>", "translate <type> <name>", "sid <text>", "dc <domain>".
const std::vector<std::string>& FakeCalls();
/// The hints given (AdsPrefetchNames), each "path account:a upn:u dn:d ...", and "forget" for
/// AdsForgetPrefetch; FakeReset clears them.
const std::vector<std::string>& FakeHints();
/// Clears the call log.
void FakeClearCalls();

/// Attribute builders.
AdsAttribute FakeString(const std::string& name, const std::string& value);
AdsAttribute FakeStrings(const std::string& name, const std::vector<std::string>& values);
AdsAttribute FakeDn(const std::string& name, const std::string& value);
AdsAttribute FakeDns(const std::string& name, const std::vector<std::string>& values);
AdsAttribute FakeInteger(const std::string& name, int64_t value);
AdsAttribute FakeLargeInteger(const std::string& name, int64_t value);
AdsAttribute FakeBoolean(const std::string& name, bool value);
AdsAttribute FakeOctets(const std::string& name, const std::string& bytes);
AdsAttribute FakeUtcTime(const std::string& name, int year, int month, int day, int hour, int minute,
                         int second);
AdsAttribute FakeSecurityDescriptor(const std::string& bytes);

#endif  // LORVEX_DIRECTORY_ADS_FAKE_ADS_FAKE_H_
