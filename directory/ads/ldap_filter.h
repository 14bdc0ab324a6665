// Building LDAP filters from names the user typed.
#ifndef LORVEX_DIRECTORY_ADS_LDAP_FILTER_H_
#define LORVEX_DIRECTORY_ADS_LDAP_FILTER_H_

#include <cstddef>
#include <string>
#include <vector>

/// Escapes a name for an LDAP filter value; an unescaped '*' stays a wildcard, "\x" becomes "\XX".
std::string EscapeNameForFilter(const std::string& text);
/// Escapes a text for an LDAP filter value as a literal: '*', '(', ')', '\\' and NUL all escaped.
std::string EscapeFilterLiteral(const std::string& text);
/// The filter element that selects objects of a class; empty for no class.
std::string ClassFilterElement(const std::string& object_class);

/// Terms in one OR filter at most: the directory matches every row a search returns against every
/// term of its OR, so that one search of many names costs far more per name than several of fewer.
constexpr size_t kTermsPerFilter = 20;
/// The OR filters of these terms, kTermsPerFilter to a filter, in their order; none for no term.
std::vector<std::string> OrFilters(const std::vector<std::string>& terms);

#endif  // LORVEX_DIRECTORY_ADS_LDAP_FILTER_H_
