// The directory layer: the handful of directory operations the program relies on,
// with the results and result codes the Active Directory Service Interfaces give.
// Implemented over OpenLDAP (ads_ldap.cc), wldap32 (Windows) and in memory for
// unit tests (ads_fake.cc). Text is UTF-8 on every side of this header.
#ifndef LORVEX_DIRECTORY_ADS_ADS_H_
#define LORVEX_DIRECTORY_ADS_ADS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "util/last_diagnostic.h"  // every failure records the server's diagnostic there

/// Result code of a directory operation: an HRESULT, negative on failure.
using AdsResult = int32_t;

constexpr AdsResult kAdsOk = 0;
constexpr AdsResult kAdsNoMoreRows = 0x5012;                                  ///< S_ADS_NOMORE_ROWS
constexpr AdsResult kAdsPropertyNotFound = static_cast<int32_t>(0x8000500D);  ///< E_ADS_PROPERTY_NOT_FOUND
constexpr AdsResult kAdsBadPath = static_cast<int32_t>(0x80005000);           ///< E_ADS_BAD_PATHNAME
constexpr AdsResult kAdsNoSuchObject = static_cast<int32_t>(0x80072030);
constexpr AdsResult kAdsServerDown = static_cast<int32_t>(0x8007203A);
constexpr AdsResult kAdsNameNotFound = static_cast<int32_t>(0x80072116);
constexpr AdsResult kAdsLogonFailure = static_cast<int32_t>(0x8007052E);
constexpr AdsResult kAdsAccessDenied = static_cast<int32_t>(0x80070005);
constexpr AdsResult kAdsOutOfMemory = static_cast<int32_t>(0x8007000E);

/// Bind flags.
constexpr uint32_t kAdsSecureAuthentication = 0x1;
constexpr uint32_t kAdsFastBind = 0x20;

/// Search scopes.
constexpr int kAdsScopeBase = 0;
constexpr int kAdsScopeOneLevel = 1;
constexpr int kAdsScopeSubtree = 2;

/// Value types (the ADSTYPE numbers).
enum AdsType : int {
  kAdsTypeInvalid = 0,
  kAdsTypeDn = 1,
  kAdsTypeCaseExactString = 2,
  kAdsTypeCaseIgnoreString = 3,
  kAdsTypeBoolean = 6,
  kAdsTypeInteger = 7,
  kAdsTypeOctetString = 8,
  kAdsTypeUtcTime = 9,
  kAdsTypeLargeInteger = 10,
  kAdsTypeSecurityDescriptor = 25,
};

/// A broken-down UTC time as the directory gives it.
struct AdsUtcTime {
  uint16_t year, month, day, hour, minute, second;
};

/// One value of an attribute; which member holds it follows the attribute's type.
struct AdsValue {
  std::string text;     ///< DN and string types
  int64_t integer = 0;  ///< integer, large integer and boolean types
  std::string bytes;    ///< octet strings and security descriptors, raw
  AdsUtcTime time{};    ///< UTC time
};

/// An attribute with its values, as a read or a search row returns it.
struct AdsAttribute {
  std::string name;  ///< as the server spells it, e.g. "member;range=0-19"
  AdsType type = kAdsTypeInvalid;
  std::vector<AdsValue> values;
};

/// The credentials of every bind: both empty means the running account's logon.
struct AdsCredentials {
  std::string user;
  std::string password;
  bool set = false;
};

/// A bound directory object (the result of ADsOpenObject).
struct AdsObject;
/// A running search (IDirectorySearch with a search handle).
struct AdsSearch;
/// A name translation object (IADsNameTranslate).
struct AdsNameTranslator;

/// Binds to an "LDAP://[server/]dn" or "LDAP://[server/]rootDSE" path. A null
/// credentials pointer means an anonymous read (the rootDSE). kAdsFastBind skips
/// the read that proves the object exists.
AdsResult AdsOpenObject(const std::string& path, const AdsCredentials* credentials, uint32_t flags,
                        AdsObject** object);
/// Releases a bound object (null is allowed).
void AdsRelease(AdsObject* object);
/// Reads the named attributes of a bound object; absent attributes are simply missing.
AdsResult AdsGetObjectAttributes(AdsObject* object, const std::vector<std::string>& names,
                                 std::vector<AdsAttribute>* attributes);
/// The object's path-form name ("LDAP://server/dn") and its most specific structural class.
AdsResult AdsGetObjectInformation(AdsObject* object, std::string* path_name, std::string* class_name);

/// Starts a paged search below a bound object with the given scope and page size. With sort_on
/// the server is asked to return the rows in the order of that attribute's values; a server
/// that does not sort returns them in its own order (the control is not critical).
AdsResult AdsExecuteSearch(AdsObject* base, int scope, int page_size, const std::string& filter,
                           const std::vector<std::string>& attributes, AdsSearch** search,
                           const char* sort_on = nullptr);
/// The next row of a search; kAdsNoMoreRows at the end.
AdsResult AdsGetNextRow(AdsSearch* search, std::vector<AdsAttribute>* row);
/// Ends a search and frees it (null is allowed).
void AdsCloseSearch(AdsSearch* search);

/// The mandatory and optional attributes of a schema class ("LDAP://[server/]schema/<class>").
AdsResult AdsGetClassProperties(const std::string& path, const AdsCredentials* credentials,
                                std::vector<std::string>* mandatory, std::vector<std::string>* optional);

/// Name translation init types and name types (the ADS_NAME_* numbers).
constexpr int kAdsNameInitDomain = 1;
constexpr int kAdsNameInitServer = 2;
constexpr int kAdsNameInitGc = 3;
constexpr int kAdsName1779 = 1;
constexpr int kAdsNameCanonical = 2;
constexpr int kAdsNameNt4 = 3;
constexpr int kAdsNameGuid = 7;
constexpr int kAdsNameUnknown = 8;
constexpr int kAdsNameUpn = 9;

/// Creates and initialises a name translation object against a server, a domain or the catalogue.
AdsResult AdsNameTranslateInit(int init_type, const std::string& init_name, const AdsCredentials* credentials,
                               AdsNameTranslator** translator);
/// Sets the name to translate, of the given type.
AdsResult AdsNameTranslateSet(AdsNameTranslator* translator, int name_type, const std::string& name);
/// Gets the set name in the given type.
AdsResult AdsNameTranslateGet(AdsNameTranslator* translator, int name_type, std::string* name);
/// Releases a name translation object (null is allowed).
void AdsNameTranslateRelease(AdsNameTranslator* translator);

/// Account use values of a SID look-up.
constexpr int kSidTypeUser = 1;
constexpr int kSidTypeGroup = 2;
constexpr int kSidTypeDomain = 3;
constexpr int kSidTypeAlias = 4;
constexpr int kSidTypeWellKnownGroup = 5;

/// Looks up the account of a binary SID: its domain, name and use. Fails with 1332
/// (as an HRESULT) when no account maps.
AdsResult AdsLookupAccountSid(const std::string& server, const std::string& sid, std::string* domain,
                              std::string* name, int* use);

/// Locates a domain controller of a domain: its name and, when known, its IPv4 address.
AdsResult AdsGetDcName(const std::string& domain, std::string* dc_name, std::string* dc_address);
/// The first IPv4 address of a host as "%u.%u.%u.%u", empty when it cannot be resolved.
std::string AdsHostToAddress(const std::string& host);
/// The logon name of the account running the program.
std::string AdsUserName();

/// Names that the look-ups about to follow will ask for (see AdsPrefetchNames).
struct AdsNameHint {
  std::vector<std::string> accounts;         ///< account names (sAMAccountName) of the domain
  std::vector<std::string> principal_names;  ///< user principal names
  std::vector<std::string> dns;              ///< distinguished names
};

/// Tells the layer that the name translations and binds that follow will look up these names in
/// the domain below path ("LDAP://[server/]<naming context>"). The layer may find them all at once
/// and answer those look-ups from what it found, until the next hint or AdsForgetPrefetch; it
/// answers so only where the answer is certain to be the one the look-up itself would give, and
/// looks up everything else as usual. Nothing is reported: a failed prefetch keeps nothing.
/// row_attributes: attributes of the objects found to keep with them for the reads that follow
/// (AdsTakeHintedRow); the security descriptor among them is read with the SD-flags control.
void AdsPrefetchNames(const std::string& path, const AdsCredentials* credentials, const AdsNameHint& hint,
                      const std::vector<std::string>& row_attributes = {});
/// Forgets what the last hint found.
void AdsForgetPrefetch();
/// Takes the row of the object of that DN that the search of the last hint returned on the server
/// of path ("LDAP://[server/]..."), with the hint's row attributes, once; false when there is none.
bool AdsTakeHintedRow(const std::string& path, const std::string& dn, std::vector<AdsAttribute>* row);

/// Number of LDAP requests sent so far, for benchmarks.
uint64_t AdsRoundTrips();

// Whether the layer reads objects in batches, a search per controller run on threads of their
// own; where it does not, every object is read on its own.
bool AdsBatchedReads();
/// Closes every cached connection (the end of the component library).
void AdsShutdown();

#endif  // LORVEX_DIRECTORY_ADS_ADS_H_
