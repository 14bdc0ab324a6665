// Filter escaping (RFC 4515) and the class element of the entity searches.
#include "directory/ads/ldap_filter.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "util/ascii_text.h"

namespace {

void AppendHex(std::string* out, unsigned char c) {
  char hex[4];
  snprintf(hex, sizeof hex, "\\%02X", c);
  out->append(hex);
}

}  // namespace

std::string EscapeNameForFilter(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\\') {
      // A backslash escapes the character after it in a distinguished name ("\," or "\*"); the
      // filter gets that character as a hexadecimal escape, so an escaped '*' is a plain star.
      if (i + 1 < text.size()) {
        AppendHex(&out, static_cast<unsigned char>(text[++i]));
      } else {
        // A lone backslash at the end means itself; written bare it would make the filter invalid.
        AppendHex(&out, c);
      }
    } else if (c == '(' || c == ')' || c == '\0') {
      AppendHex(&out, c);
    } else {
      out.push_back(static_cast<char>(c));  // '*' included: it is the user's wildcard
    }
  }
  return out;
}

std::string EscapeFilterLiteral(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (const char c : text) {
    if (c == '*' || c == '(' || c == ')' || c == '\\' || c == '\0') {
      AppendHex(&out, static_cast<unsigned char>(c));
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string ClassFilterElement(const std::string& object_class) {
  if (object_class.empty()) return "";
  if (EqualsIgnoreCase(object_class, "user")) return "(sAMAccountType=805306368)";
  const std::string value = EscapeFilterLiteral(object_class);
  if (EqualsIgnoreCase(object_class, "inetOrgPerson") || EqualsIgnoreCase(object_class, "contact")) {
    return "(objectClass=" + value + ")";
  }
  return "(objectCategory=" + value + ")";
}

std::vector<std::string> OrFilters(const std::vector<std::string>& terms) {
  std::vector<std::string> filters;
  for (size_t i = 0; i < terms.size(); ++i) {
    if (i % kTermsPerFilter == 0) filters.emplace_back("(|");
    filters.back() += terms[i];
    if (i % kTermsPerFilter == kTermsPerFilter - 1 || i + 1 == terms.size()) filters.back() += ")";
  }
  return filters;
}
