// Directory paths ("LDAP://[server/]name"): a '/' inside the name is written "\/".
#ifndef LORVEX_DIRECTORY_ADS_ADS_PATH_H_
#define LORVEX_DIRECTORY_ADS_ADS_PATH_H_

#include <string>

/// Writes a backslash before every '/', for a name put into a path.
std::string EscapeSlashes(const std::string& text);
/// Removes the backslash of every "\/" pair and leaves every other backslash.
std::string UnescapeSlashes(const std::string& text);

#endif  // LORVEX_DIRECTORY_ADS_ADS_PATH_H_
