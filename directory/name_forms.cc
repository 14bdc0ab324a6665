// Display forms of directory names (/y): the forms computed from the name itself.
#include "directory/name_forms.h"

#include "directory/directory_context.h"
#include "directory/entity_forms.h"
#include "directory/name_lookup.h"

namespace {

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The name without its domain part; a name that starts with its domain part stays whole.
std::string CanonicalForm(const std::string& name) {
  size_t domain = DomainPartPosition(name);
  if (domain == std::string::npos || domain == 0) return name;
  // The character in front of the domain part is the comma that joins it; it goes too.
  return name.substr(0, domain - 1);
}

// The first relative name, read without its type and without escaping backslashes.
std::string UntypedCommonName(const std::string& name) {
  size_t i = IsTypedName(name) ? 3 : 0;
  std::string result;
  while (i < name.size() && name[i] != ',') {
    if (name[i] != '\\') {
      result += name[i++];
    } else if (i + 1 >= name.size()) {
      result += name[i++];
    } else if (IsAsciiAlnum(name[i + 1])) {
      // Hexadecimal escapes such as \2C keep their backslash.
      result += name[i];
      result += name[i + 1];
      i += 2;
    } else {
      // An escaped special character is taken literally, a comma included.
      result += name[i + 1];
      i += 2;
    }
  }
  return result;
}

// The first relative name of a DN, the account part of an NT name or of a principal name.
std::string RelativeForm(const std::string& name) {
  const size_t comma = NextUnescapedComma(name, 0);
  if (comma != std::string::npos) return name.substr(0, comma);
  size_t backslash = name.find('\\');
  if (backslash != std::string::npos) {
    if (backslash + 1 < name.size() && name[backslash + 1] == ',') return name;
    return name.substr(backslash + 1);
  }
  size_t at = name.find('@');
  if (at != std::string::npos) return name.substr(0, at);
  return name;
}

// The forms read from the directory; empty when the object or its value cannot be read.
std::string AttributeForm(const DirectoryContext* dir, uint32_t form, const std::string& name) {
  if (!dir || IsNtFormat(name)) return "";
  std::string text;
  if (form & kFormNt) {
    text = NtAccountName(dir, name);
  } else if (form & kFormDisplay) {
    ReadNameAttribute(dir->path_prefix, name, "displayName", &text);
  } else if (form & kFormPrincipal) {
    ReadNameAttribute(dir->path_prefix, name, "userPrincipalName", &text);
  } else if (form & kFormGuid) {
    ReadNameAttribute(dir->path_prefix, name, "objectGUID", &text);
  }
  return text;
}

}  // namespace

size_t DomainPartPosition(const std::string& name) {
  size_t position = name.find("DC=");
  if (position == std::string::npos) position = name.find("dc=");
  return position;
}

std::string FormatName(const DirectoryContext* dir, uint32_t form, const std::string& name) {
  if (name.empty()) return "";
  bool no_types = (form & kFormNoTypes) != 0;
  if (form & kFormWithDomain) return no_types ? RemoveTypes(name) : name;
  if (form & kFormCanonical) {
    std::string canonical = CanonicalForm(name);
    return no_types ? RemoveTypes(canonical) : canonical;
  }
  if (form & kFormUntypedCn) return UntypedCommonName(name);
  if (form & kFormRelative) {
    std::string relative = RelativeForm(name);
    return no_types ? RemoveTypes(relative) : relative;
  }
  std::string text = AttributeForm(dir, form, name);
  if (!text.empty()) return text;
  // Every form the directory cannot give falls back to the canonical form, types kept.
  return CanonicalForm(name);
}

std::string RemoveTypes(const std::string& text) {
  std::string result;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    size_t end = comma == std::string::npos ? text.size() : comma;
    size_t length = end - start;
    size_t skip = 0;
    if (length >= 2 && text[start + 1] == '=') {
      skip = 2;
    } else if (length >= 3 && text[start + 2] == '=') {
      skip = 3;
    }
    result.append(text, start + skip, length - skip);
    if (comma == std::string::npos) break;
    result += ',';
    start = comma + 1;
  }
  return result;
}
