// The LDAP filters the in-memory directory understands: parsing the text a search
// sends and evaluating it against the values an object gives for each attribute.
#pragma once

#include <functional>
#include <string>
#include <vector>

// A parsed filter node.
struct FakeFilter {
  // '&', '|', '!', '=' (equality or substring), 'p' presence, '>' '<', 'b' bit and, 'o' bit or
  char op = '=';
  std::string attribute;
  std::string value;
  bool wildcard = false;
  std::vector<FakeFilter> children;
};

// The values of an attribute of the object under test, as text (integers in decimal,
// booleans TRUE or FALSE, octet strings as their bytes).
using FakeValuesOf = std::function<std::vector<std::string>(const std::string& attribute)>;

// Parses a whole filter text; false when it is not one well-formed filter.
bool ParseFakeFilter(const std::string& text, FakeFilter* filter);

// Whether an object with those values matches. Equality and substrings ignore case; an
// objectCategory given as the DN of its schema object matches by its relative value.
bool EvaluateFakeFilter(const FakeFilter& filter, const FakeValuesOf& values_of);
