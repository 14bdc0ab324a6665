// Whether changing an account's password is denied by its DACL.
#ifndef LORVEX_DIRECTORY_PERMISSION_H_
#define LORVEX_DIRECTORY_PERMISSION_H_

#include <cstdint>
#include <string>

#include "directory/ads/ads.h"

/// Codes of a DACL that cannot be read (the platform's last-error values for them).
constexpr AdsResult kInvalidSecurityDescriptor = 1338;  ///< ERROR_INVALID_SECURITY_DESCR
constexpr AdsResult kInvalidAcl = 1336;                 ///< ERROR_INVALID_ACL

/// Outcome of walking the DACL of a security descriptor.
enum DaclWalk {
  kDaclAnswered = 0,   ///< the answer is in denied (no DACL or a null DACL: not denied)
  kDaclUnreadable,     ///< the descriptor is malformed or its DACL cannot be located
  kDaclInfoUnreadable  ///< the DACL's header or size is malformed
};

/// Reads the object's DACL; returns 0 with denied 1 when the change-password right is denied to
/// both Everyone and SELF, else a failure code with message filled.
AdsResult CheckChangePasswordDenied(const AdsCredentials* credentials, const std::string& path,
                                    const std::string& object_name, std::string* message, int* denied);
/// The same decision over the bytes of a self-relative security descriptor; false when malformed.
bool DaclDeniesChangePassword(const std::string& descriptor, bool* denied);
/// Walks the DACL of a self-relative security descriptor, telling the two kinds of malformed input apart.
DaclWalk WalkChangePasswordDacl(const std::string& descriptor, bool* denied);

#endif  // LORVEX_DIRECTORY_PERMISSION_H_
