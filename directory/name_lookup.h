// Name forms read from the directory: the NT name of an object and its name translation.
#ifndef LORVEX_DIRECTORY_NAME_LOOKUP_H_
#define LORVEX_DIRECTORY_NAME_LOOKUP_H_

#include <string>

struct DirectoryContext;

/// The NT name ("DOMAIN\account") of a DN; empty when no account name can be found.
std::string NtAccountName(const DirectoryContext* dir, const std::string& name);
/// The NT4 form of a DN from the platform's name translation; empty on any failure.
std::string TranslateNameToNt(const std::string& name);

#endif  // LORVEX_DIRECTORY_NAME_LOOKUP_H_
