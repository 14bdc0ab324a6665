// Attribute values of the in-memory directory: what a test stores on an object, typed as the
// directory layer returns them.
#include "directory/ads/fake/ads_fake.h"

AdsAttribute FakeString(const std::string& name, const std::string& value) {
  return FakeStrings(name, {value});
}

AdsAttribute FakeStrings(const std::string& name, const std::vector<std::string>& values) {
  AdsAttribute attribute;
  attribute.name = name;
  attribute.type = kAdsTypeCaseIgnoreString;
  for (const std::string& text : values) {
    AdsValue value;
    value.text = text;
    attribute.values.push_back(value);
  }
  return attribute;
}

AdsAttribute FakeDn(const std::string& name, const std::string& value) { return FakeDns(name, {value}); }

AdsAttribute FakeDns(const std::string& name, const std::vector<std::string>& values) {
  AdsAttribute attribute = FakeStrings(name, values);
  attribute.type = kAdsTypeDn;
  return attribute;
}

AdsAttribute FakeInteger(const std::string& name, int64_t value) {
  AdsAttribute attribute;
  attribute.name = name;
  attribute.type = kAdsTypeInteger;
  AdsValue v;
  v.integer = value;
  attribute.values.push_back(v);
  return attribute;
}

AdsAttribute FakeLargeInteger(const std::string& name, int64_t value) {
  AdsAttribute attribute = FakeInteger(name, value);
  attribute.type = kAdsTypeLargeInteger;
  return attribute;
}

AdsAttribute FakeBoolean(const std::string& name, bool value) {
  AdsAttribute attribute = FakeInteger(name, value ? 1 : 0);
  attribute.type = kAdsTypeBoolean;
  return attribute;
}

AdsAttribute FakeOctets(const std::string& name, const std::string& bytes) {
  AdsAttribute attribute;
  attribute.name = name;
  attribute.type = kAdsTypeOctetString;
  AdsValue v;
  v.bytes = bytes;
  attribute.values.push_back(v);
  return attribute;
}

AdsAttribute FakeUtcTime(const std::string& name, int year, int month, int day, int hour, int minute,
                         int second) {
  AdsAttribute attribute;
  attribute.name = name;
  attribute.type = kAdsTypeUtcTime;
  AdsValue v;
  v.time =
      AdsUtcTime{static_cast<uint16_t>(year), static_cast<uint16_t>(month),  static_cast<uint16_t>(day),
                 static_cast<uint16_t>(hour), static_cast<uint16_t>(minute), static_cast<uint16_t>(second)};
  attribute.values.push_back(v);
  return attribute;
}

AdsAttribute FakeSecurityDescriptor(const std::string& bytes) {
  AdsAttribute attribute = FakeOctets("nTSecurityDescriptor", bytes);
  attribute.type = kAdsTypeSecurityDescriptor;
  return attribute;
}
