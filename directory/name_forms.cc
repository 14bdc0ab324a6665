// Placeholder: replaced by the real implementation.
#include "directory/name_forms.h"
std::string FormatName(const DirectoryContext*, uint32_t, const std::string& n) { return n; }
std::string RemoveTypes(const std::string& t) { return t; }
bool ReadNameAttribute(const std::string&, const std::string&, const char*, std::string*) { return false; }
std::string GuidToText(const std::string&) { return ""; }
