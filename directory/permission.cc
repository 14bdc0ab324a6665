// Placeholder: replaced by the real implementation.
#include "directory/permission.h"
AdsResult CheckChangePasswordDenied(const AdsCredentials*, const std::string&, const std::string&, std::string*, int*) { return -1; }
bool DaclDeniesChangePassword(const std::string&, bool*) { return false; }
