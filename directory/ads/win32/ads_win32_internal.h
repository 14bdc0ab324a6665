// Shared pieces of the directory layer over wldap32: the failure funnel, text conversions, the
// bound connections, entry decoding and the SD-flags control, used by ads_win32.cc (binds, reads,
// name services) and ads_search_win32.cc (paged searches).
#ifndef LORVEX_DIRECTORY_ADS_WIN32_ADS_WIN32_INTERNAL_H_
#define LORVEX_DIRECTORY_ADS_WIN32_ADS_WIN32_INTERNAL_H_

// Windows headers depend on one another: winsock2 before windows.h, winldap before winber.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <winldap.h>
#include <winber.h>
// clang-format on

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "directory/ads/ads.h"

/// Seconds allowed for any one request: every request has a network timeout.
constexpr int kTimeoutSeconds = 30;

/// LDAP requests made so far; batched reads run on several threads, one connection each.
extern std::atomic<uint64_t> g_round_trips;

/// Text in the console code page to UTF-16, and back.
std::wstring OemToWide(const std::string& text);
std::string WideToOem(const wchar_t* text);

/// The one funnel through which every failure of this layer becomes the code the program reports,
/// with the server's own words about it kept for the reason text (empty when it gave none).
AdsResult Failure(AdsResult result, const std::string& diagnostic);
/// A failed LDAP call, with its result message when it gave one.
AdsResult LdapFailure(LDAP* ld, ULONG code, LDAPMessage* result = nullptr);

/// Whether the program runs under Wine (see the head of ads_win32.cc).
bool UnderWine();

// A bound connection to one server with one set of credentials.
struct Connection {
  LDAP* ld = nullptr;
  bool bound = false;
  bool tls = false;  // LDAPS: the bind adds no signing or sealing of its own
};

/// Every attribute of an entry that has values, decoded by the decoder both transports share.
std::vector<AdsAttribute> EntryAttributes(LDAP* ld, LDAPMessage* entry);

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

struct AdsObject {
  Connection* connection;
  std::string server;
  std::wstring dn;
};

#endif  // LORVEX_DIRECTORY_ADS_WIN32_ADS_WIN32_INTERNAL_H_
