// Display forms of directory names (/y).
#ifndef LORVEX_DIRECTORY_NAME_FORMS_H_
#define LORVEX_DIRECTORY_NAME_FORMS_H_

#include <cstdint>
#include <string>

struct DirectoryContext;

/// Name form bits of /y.
enum NameFormBits : uint32_t {
  kFormCanonical = 0x1,
  kFormRelative = 0x2,
  kFormNt = 0x4,
  kFormDisplay = 0x8,
  kFormWithDomain = 0x10,
  kFormPrincipal = 0x20,
  kFormGuid = 0x40,
  kFormNoTypes = 0x80,
  kFormUntypedCn = 0x100,
};

/// The display text of a name in a form; dir may be null for forms that need no directory.
std::string FormatName(const DirectoryContext* dir, uint32_t form, const std::string& name);
/// Drops one- and two-letter attribute types from every comma-separated component.
std::string RemoveTypes(const std::string& text);
/// Reads one attribute of an object as text; false when the object or read failed.
bool ReadNameAttribute(const std::string& path_prefix, const std::string& name, const char* attribute,
                       std::string* text);
/// Where the domain part of a DN begins: its first "DC=", else its first "dc="; npos when none.
size_t DomainPartPosition(const std::string& name);

#endif  // LORVEX_DIRECTORY_NAME_FORMS_H_
