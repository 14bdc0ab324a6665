// Where the Windows directory layer goes: the decisions, free of Windows.
#include "directory/ads/win32/bind_targets.h"

#include <strings.h>

#include "directory/ads/ldap_values.h"

namespace {

// Four decimal numbers of at most 255, separated by dots.
bool IsIpv4Address(const std::string& text) {
  int parts = 0;
  size_t at = 0;
  while (parts < 4) {
    size_t digits = 0;
    unsigned value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 3) {
      value = value * 10 + static_cast<unsigned>(text[at++] - '0');
      ++digits;
    }
    if (digits == 0 || value > 255) return false;
    ++parts;
    if (parts == 4) break;
    if (at >= text.size() || text[at] != '.') return false;
    ++at;
  }
  return at == text.size();
}

// Name translation errors (ERROR_DS_NAME_ERROR_*) of the statuses that end a translation.
constexpr uint32_t kWin32NameErrorBase = 8468;      // status 1, resolving, is 8469
constexpr uint32_t kWin32NameTrustReferral = 8583;  // ERROR_DS_NAME_ERROR_TRUST_REFERRAL

AdsResult CrackFailure(uint32_t status) {
  if (status == kCrackTrustReferral) return HresultFromWin32(kWin32NameTrustReferral);
  if (status >= kCrackResolving && status <= kCrackNoSyntacticalMapping)
    return HresultFromWin32(kWin32NameErrorBase + status);
  return kAdsNameNotFound;
}

}  // namespace

void ControllerNames::Learn(const std::string& host, const std::string& address) {
  if (host.empty() || address.empty() || IsIpv4Address(host)) return;
  names_[address] = host;
}

std::string ControllerNames::NameOf(const std::string& address) const {
  const auto found = names_.find(address);
  return found == names_.end() ? std::string() : found->second;
}

std::string BindHost(const std::string& host, const ControllerNames& names,
                     const std::function<std::string(const std::string&)>& reverse_lookup) {
  // Negotiate asks Kerberos for a ticket to "ldap/<host>", which a controller registers under its
  // DNS name: bound by its address, the bind falls back to NTLM, which a domain that restricts
  // NTLM refuses (and LDAPS checks the certificate against the name too).
  if (!IsIpv4Address(host)) return host;
  std::string name = names.NameOf(host);
  if (name.empty()) name = reverse_lookup(host);
  return name.empty() ? host : name;
}

std::string LogonDomain(const std::string& user_dns_domain, const std::string& sam_compatible_name,
                        const std::string& computer_name) {
  if (!user_dns_domain.empty()) return user_dns_domain;
  const size_t slash = sam_compatible_name.find('\\');
  if (slash == std::string::npos || slash == 0) return "";
  const std::string domain = sam_compatible_name.substr(0, slash);
  return strcasecmp(domain.c_str(), computer_name.c_str()) == 0 ? std::string() : domain;
}

CrackStep NextCrackStep(uint32_t status, const std::string& domain, const std::vector<std::string>& asked) {
  CrackStep step;
  if (status == kCrackOk) return step;
  step.result = CrackFailure(status);
  if ((status != kCrackDomainOnly && status != kCrackTrustReferral) || domain.empty() ||
      asked.size() >= kMaxCrackDomains) {
    return step;
  }
  for (const std::string& seen : asked) {
    if (strcasecmp(seen.c_str(), domain.c_str()) == 0) return step;
  }
  step.done = false;
  step.result = kAdsOk;
  step.domain = domain;
  return step;
}

void SplitAccountName(const std::wstring& name, std::wstring* user, std::wstring* domain) {
  const size_t slash = name.find(L'\\');
  const size_t at = name.rfind(L'@');
  if (slash != std::wstring::npos) {
    *domain = name.substr(0, slash);
    *user = name.substr(slash + 1);
  } else if (at != std::wstring::npos) {
    *domain = name.substr(at + 1);
    *user = name.substr(0, at);
  } else {
    domain->clear();
    *user = name;
  }
}
