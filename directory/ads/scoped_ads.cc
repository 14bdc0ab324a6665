// Readers for the attributes of a read or a search row.
#include "directory/ads/scoped_ads.h"

#include <cstdlib>

#include "util/ascii_text.h"

const AdsAttribute* FindAttribute(const std::vector<AdsAttribute>& attributes, const char* name) {
  for (const AdsAttribute& attribute : attributes) {
    if (EqualsIgnoreCase(attribute.name, name)) return &attribute;
  }
  return nullptr;
}

bool FirstText(const std::vector<AdsAttribute>& attributes, const char* name, std::string* text) {
  const AdsAttribute* attribute = FindAttribute(attributes, name);
  if (!attribute || attribute->values.empty()) return false;
  *text = attribute->values.front().text;
  return true;
}

bool FirstInteger(const std::vector<AdsAttribute>& attributes, const char* name, int64_t* value) {
  const AdsAttribute* attribute = FindAttribute(attributes, name);
  if (!attribute || attribute->values.empty()) return false;
  const AdsValue& first = attribute->values.front();
  if (attribute->type == kAdsTypeInteger || attribute->type == kAdsTypeLargeInteger ||
      attribute->type == kAdsTypeBoolean || first.text.empty()) {
    *value = first.integer;
  } else {
    *value = strtoll(first.text.c_str(), nullptr, 10);
  }
  return true;
}
