// Where the Windows directory layer goes, decided without Windows so that the decisions are
// built and tested on every platform: the host a controller is bound by, the domain a path
// without a server means, the domain a name translation goes on in, and the parts of a typed
// account name that the security packages take apart.
#ifndef LORVEX_DIRECTORY_ADS_WIN32_BIND_TARGETS_H_
#define LORVEX_DIRECTORY_ADS_WIN32_BIND_TARGETS_H_

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "directory/ads/ads.h"

/// The DNS names of controllers by the IPv4 addresses the layer found for them.
class ControllerNames {
 public:
  /// Remembers the address a host name was found at (nothing when either is empty or the host is
  /// itself an address).
  void Learn(const std::string& host, const std::string& address);
  /// The DNS name learned for an address; empty when none was.
  std::string NameOf(const std::string& address) const;

 private:
  std::map<std::string, std::string> names_;
};

/// The host a connection to a server goes to: a DNS name as it stands; for an IPv4 address the
/// DNS name learned for it, else the name reverse_lookup gives (asked only then), else the
/// address. Empty stays empty (the library's own choice).
std::string BindHost(const std::string& host, const ControllerNames& names,
                     const std::function<std::string(const std::string&)>& reverse_lookup);

/// The domain a path without a server goes to when no LDAP server is configured: the domain the
/// user logged on to, by the DNS name Windows sets for a domain logon (USERDNSDOMAIN), else by the
/// domain part of the account's "DOMAIN\user" name (GetUserNameEx NameSamCompatible) unless that
/// part is the computer's own name (a local account). Empty: the computer's own domain.
std::string LogonDomain(const std::string& user_dns_domain, const std::string& sam_compatible_name,
                        const std::string& computer_name);

/// DsCrackNames flags: a name that lies in another forest trusted by this one gives a referral to
/// it (DS_NAME_FLAG_TRUST_REFERRAL) instead of a failure.
constexpr uint32_t kCrackNamesFlags = 0x8;

/// Statuses of one DsCrackNames answer (DS_NAME_ERROR).
constexpr uint32_t kCrackOk = 0;
constexpr uint32_t kCrackResolving = 1;
constexpr uint32_t kCrackNotFound = 2;
constexpr uint32_t kCrackNotUnique = 3;
constexpr uint32_t kCrackNoMapping = 4;
constexpr uint32_t kCrackDomainOnly = 5;
constexpr uint32_t kCrackNoSyntacticalMapping = 6;
constexpr uint32_t kCrackTrustReferral = 7;

/// The most domains one translation asks, the first included.
constexpr size_t kMaxCrackDomains = 4;

/// What a name translation does with one answer.
struct CrackStep {
  bool done = true;  ///< translated (result kAdsOk) or failed (result the code)
  AdsResult result = kAdsOk;
  std::string domain;  ///< when not done: the domain to bind to and translate again in
};

/// The next step of a translation after an answer with this status and domain (the domain the
/// answer names, for a referral): a controller that knows only the domain of the name, or a
/// referral to a trusted forest, sends the translation on to that domain, unless it has been
/// asked already (asked holds the domains asked so far, "" for the first when it was not named)
/// or the translation has asked kMaxCrackDomains.
CrackStep NextCrackStep(uint32_t status, const std::string& domain, const std::vector<std::string>& asked);

/// A typed account name in the parts the security packages take: "DOMAIN\user" and "user@domain"
/// name the domain apart; a bare name has none.
void SplitAccountName(const std::wstring& name, std::wstring* user, std::wstring* domain);

#endif  // LORVEX_DIRECTORY_ADS_WIN32_BIND_TARGETS_H_
