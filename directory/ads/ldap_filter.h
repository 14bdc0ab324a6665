// Building LDAP filters from names the user typed.
#ifndef LORVEX_DIRECTORY_ADS_LDAP_FILTER_H_
#define LORVEX_DIRECTORY_ADS_LDAP_FILTER_H_

#include <string>

/// Escapes a name for an LDAP filter value; an unescaped '*' stays a wildcard, "\x" becomes "\XX".
std::string EscapeNameForFilter(const std::string& text);
/// Escapes a text for an LDAP filter value as a literal: '*', '(', ')', '\\' and NUL all escaped.
std::string EscapeFilterLiteral(const std::string& text);
/// The filter element that selects objects of a class; empty for no class.
std::string ClassFilterElement(const std::string& object_class);
/// Whether two texts are equal without regard to ASCII case.
bool EqualsIgnoreCase(const std::string& a, const std::string& b);
/// Whether text begins with prefix without regard to ASCII case.
bool StartsWithIgnoreCase(const std::string& text, const char* prefix);
/// An ASCII upper-cased copy.
std::string UpperCase(std::string text);
/// An ASCII lower-cased copy.
std::string LowerCase(std::string text);

#endif  // LORVEX_DIRECTORY_ADS_LDAP_FILTER_H_
