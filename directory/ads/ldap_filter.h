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

#endif  // LORVEX_DIRECTORY_ADS_LDAP_FILTER_H_
