// The forms an entity name can take, recognised from its text alone.
#ifndef LORVEX_DIRECTORY_ENTITY_FORMS_H_
#define LORVEX_DIRECTORY_ENTITY_FORMS_H_

#include <string>

/// A GUID form: the text begins with '{' and ends with '}'.
bool IsGuidForm(const std::string& name);
/// A typed name: begins with "cn=", "ou=" or "dc=" in any case.
bool IsTypedName(const std::string& name);
/// Upper-cases the two letters of a leading "cn=", "ou=" or "dc=".
void UpperCaseLeadingType(std::string* name);
/// Index where the container part begins (after the first comma that is neither the first
/// character nor escaped), or std::string::npos when there is none.
size_t ContainerStart(const std::string& name);
/// Whether a typed name is relative ("CN=Ann", "CN=Ann,OU=Staff", "Ann Lee,Staff": an '=' before
/// the first comma, or a comma and no '=') and lacks the domain part, so that the translation
/// takes it as a full DN only with the default naming context appended.
bool NeedsDomainCompletion(const std::string& name);
/// The container part of a name; empty when it has none.
std::string ContainerPart(const std::string& name);
/// The relative value: the first relative name without its type (name form 0x82).
std::string RelativeValue(const std::string& name);
/// A plain name is equal to its relative value.
bool IsPlainName(const std::string& name);
/// Index of the first comma at or after from that is neither the first character nor escaped.
std::string::size_type NextUnescapedComma(const std::string& name, std::string::size_type from);

#endif  // LORVEX_DIRECTORY_ENTITY_FORMS_H_
