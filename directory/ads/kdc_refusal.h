// What a Kerberos KDC's refusal of a logon says about the account: the account status an Active
// Directory KDC puts into the e-data of its KRB-ERROR, and the Win32 error an LDAP bind of the
// same account would report for it. Pure: no library, no network.
#ifndef LORVEX_DIRECTORY_ADS_KDC_REFUSAL_H_
#define LORVEX_DIRECTORY_ADS_KDC_REFUSAL_H_

#include <cstdint>
#include <string>

/// KRB-ERROR error codes (RFC 4120 7.5.9) that speak about the client account.
constexpr int kKdcErrorNameExpired = 1;     ///< KDC_ERR_NAME_EXP
constexpr int kKdcErrorClientRevoked = 18;  ///< KDC_ERR_CLIENT_REVOKED
constexpr int kKdcErrorKeyExpired = 23;     ///< KDC_ERR_KEY_EXPIRED
constexpr int kKdcErrorPreauthFailed = 24;  ///< KDC_ERR_PREAUTH_FAILED

/// Reads the NTSTATUS of a KRB-ERROR's e-data: a METHOD-DATA whose PA-PW-SALT (type 3) entry holds
/// the 12-byte extended error, a TYPED-DATA of the same, or a single KERB-ERROR-DATA. False when the
/// e-data holds none (an empty, truncated or malformed e-data holds none).
bool KdcErrorStatus(const std::string& e_data, uint32_t* status);

/// The Win32 error that AD's LDAP bind reports after "data " for an account status (disabled
/// 533, account expired 701, locked out 775, password expired 532, password must change 773,
/// logon hours 530, workstation 531); 0 for any other status.
uint32_t AccountStatusToWin32(uint32_t status);

/// True for the Win32 errors of those account states.
bool IsAccountStateError(uint32_t win32);

/// The Win32 error of a KDC's refusal: the account state of its status when it sent one, else the
/// state its error code alone stands for; 0 when neither names an account state.
uint32_t KdcRefusalToWin32(int kdc_error, bool has_status, uint32_t status);

#endif  // LORVEX_DIRECTORY_ADS_KDC_REFUSAL_H_
