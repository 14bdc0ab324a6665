// Whether changing an account's password is denied by its DACL.
#ifndef LORVEX_DIRECTORY_PERMISSION_H_
#define LORVEX_DIRECTORY_PERMISSION_H_

#include <cstdint>
#include <string>

#include "directory/ads.h"

/// Reads the object's DACL; returns 0 with denied 1 when the change-password right is denied to
/// both Everyone and SELF, else a failure code with message filled.
AdsResult CheckChangePasswordDenied(const AdsCredentials* credentials, const std::string& path,
                                    const std::string& object_name, std::string* message, int* denied);
/// The same decision over the bytes of a self-relative security descriptor; false when malformed.
bool DaclDeniesChangePassword(const std::string& descriptor, bool* denied);

#endif  // LORVEX_DIRECTORY_PERMISSION_H_
