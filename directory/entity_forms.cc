// Recognising the forms of an entity name.
#include "directory/entity_forms.h"

#include "directory/name_forms.h"
#include "util/ascii_text.h"

bool IsGuidForm(const std::string& name) {
  return !name.empty() && name.front() == '{' && name.back() == '}';
}

bool IsTypedName(const std::string& name) {
  return StartsWithIgnoreCase(name, "cn=") || StartsWithIgnoreCase(name, "ou=") ||
         StartsWithIgnoreCase(name, "dc=");
}

void UpperCaseLeadingType(std::string* name) {
  if (!IsTypedName(*name)) return;
  (*name)[0] = AsciiUpper((*name)[0]);
  (*name)[1] = AsciiUpper((*name)[1]);
}

std::string::size_type NextUnescapedComma(const std::string& name, std::string::size_type from) {
  for (std::string::size_type i = from; i < name.size(); ++i) {
    if (name[i] == ',' && i > 0 && name[i - 1] != '\\') return i;
  }
  return std::string::npos;
}

size_t ContainerStart(const std::string& name) {
  const size_t comma = NextUnescapedComma(name, 0);
  return comma == std::string::npos ? std::string::npos : comma + 1;
}

bool NeedsDomainCompletion(const std::string& name) {
  const size_t equals = name.find('=');
  const size_t comma = name.find(',');
  const bool relative = equals != std::string::npos ? equals < comma : comma != std::string::npos;
  return relative && name.size() <= 300 && LowerCase(name).find("dc=") == std::string::npos;
}

std::string ContainerPart(const std::string& name) {
  const size_t start = ContainerStart(name);
  return start == std::string::npos ? std::string() : name.substr(start);
}

std::string RelativeValue(const std::string& name) {
  return FormatName(nullptr, kFormRelative | kFormNoTypes, name);
}

bool IsPlainName(const std::string& name) { return name == RelativeValue(name); }
