// Name forms read from the directory: the NT name of an object and its name translation.
#ifndef LORVEX_DIRECTORY_NAME_LOOKUP_H_
#define LORVEX_DIRECTORY_NAME_LOOKUP_H_

#include <cstdint>
#include <string>
#include <vector>

#include "directory/ads/ads.h"

struct DirectoryContext;

/// The NT name ("DOMAIN\account") of a DN; empty when no account name can be found.
std::string NtAccountName(const DirectoryContext* dir, const std::string& name);
/// The NT4 form of a DN from the platform's name translation; empty on any failure.
std::string TranslateNameToNt(const std::string& name);

/// The attribute a display form (/y) reads of an object: sAMAccountName, displayName,
/// userPrincipalName or objectGUID; null for the forms made from the name alone.
const char* NameFormAttribute(uint32_t form);
/// Adds an attribute to a list of them unless it is there already.
void AddAttributeOnce(const std::string& attribute, std::vector<std::string>* attributes);
/// Keeps the values of that attribute from the row of a search that found the object over a path
/// prefix, so that the form is made from them instead of a read of its own (a few pages' worth).
void KeepNameAttribute(const std::string& path_prefix, const std::string& dn, const char* attribute,
                       const std::vector<AdsAttribute>& row);

#endif  // LORVEX_DIRECTORY_NAME_LOOKUP_H_
