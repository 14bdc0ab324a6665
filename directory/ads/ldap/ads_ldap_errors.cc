// The one funnel through which every LDAP, Kerberos and system failure of the directory layer
// becomes the code the program reports, with the server's own words kept for the reason text.
#include <krb5.h>

#include "directory/ads/ldap/ads_ldap_internal.h"
#include "directory/ads/ldap_values.h"

namespace {

// Kerberos errors of a logon with a name and password. A bind over LDAP would answer all of
// these with invalid credentials (AD's "data 52e", "data 533", "data 775", ...).
bool IsCredentialError(long code) {
  switch (code) {
    case KRB5KDC_ERR_C_PRINCIPAL_UNKNOWN:
    case KRB5KDC_ERR_PREAUTH_FAILED:
    case KRB5KRB_AP_ERR_BAD_INTEGRITY:
    case KRB5KDC_ERR_CLIENT_REVOKED:
    case KRB5KDC_ERR_KEY_EXP:
    case KRB5KDC_ERR_POLICY:
    case KRB5KDC_ERR_NAME_EXP:
    case KRB5_PREAUTH_FAILED:
    case KRB5_CC_NOTFOUND:
    case KRB5_FCC_NOFILE:
    case KRB5_CC_END:
    case KRB5KRB_AP_ERR_TKT_EXPIRED:
    case KRB5_PARSE_MALFORMED:
    case KRB5_LIBOS_PWDINTR:
      return true;
    default:
      return false;
  }
}

AdsResult KerberosToHresult(long code) {
  if (IsCredentialError(code)) return HresultFromWin32(kWin32LogonFailure);
  switch (code) {
    case KRB5KRB_AP_ERR_SKEW:
      return HresultFromWin32(kWin32TimeSkew);
    case KRB5_KDC_UNREACH:
    case KRB5_REALM_CANT_RESOLVE:
    case KRB5_REALM_UNKNOWN:
      return HresultFromWin32(kWin32NoLogonServers);
    default:
      return HresultFromWin32(kWin32LocalError);
  }
}

}  // namespace

AdsResult DirectoryFailure(FailureSource source, long code, const std::string& diagnostic) {
  AdsResult result;
  switch (source) {
    case kFailureLdap:
      result = LdapResultToHresult(static_cast<int>(code));
      break;
    case kFailureKerberos:
      result = KerberosToHresult(code);
      break;
    default:
      result = HresultFromWin32(static_cast<uint32_t>(code));
      break;
  }
  SetLastFailure(result, diagnostic);
  return result;
}

AdsResult LdapFailure(LDAP* ld, int rc) {
  std::string diagnostic;
  char* message = nullptr;
  if (ld != nullptr && ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &message) == LDAP_OPT_SUCCESS &&
      message != nullptr) {
    diagnostic = message;
    ldap_memfree(message);
  }
  // Client-side failures carry no server text; the library's words still say what happened.
  if (diagnostic.empty() && rc < 0) diagnostic = ldap_err2string(rc);
  const AdsResult result = LdapFailureCode(rc, diagnostic);
  SetLastFailure(result, diagnostic);
  return result;
}
