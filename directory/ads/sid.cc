// Security identifiers to and from their "S-1-" text form.
#include "directory/ads/sid.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "util/ascii_text.h"

namespace {

// A SID holds at most this many sub-authorities (the packed form's limit).
constexpr int kMaxSubAuthorities = 15;
// TextToSid builds SIDs of at most this many sub-authorities, like the platform's SID allocator.
constexpr int kMaxParsedSubAuthorities = 8;

// Reads a leading decimal number the way "%lu" does after the caller has cut the text at the next
// '-': optional blanks and '+', then digits; no digits gives 0. Only the low 32 bits are kept.
uint32_t ParseDecimal(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  if (*text == '+') ++text;
  uint64_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text)
    value = (value * 10 + static_cast<uint64_t>(*text - '0')) & 0xFFFFFFFFu;
  return static_cast<uint32_t>(value);
}

// Reads the six authority bytes of "0x" followed by up to two hex digits per byte; reading stops at
// the first byte without a digit, leaving the rest zero.
void ParseHexAuthority(const char* text, uint8_t authority[6]) {
  for (int i = 0; i < 6; ++i) {
    int high = HexDigit(*text);
    if (high < 0) return;
    ++text;
    int low = HexDigit(*text);
    if (low < 0) {
      authority[i] = static_cast<uint8_t>(high);
      return;
    }
    ++text;
    authority[i] = static_cast<uint8_t>(high * 16 + low);
  }
}

}  // namespace

bool SidToText(const std::string& sid, std::string* text) {
  text->clear();
  // Valid: revision 1, a sub-authority count the packed form allows, and bytes for all of them.
  if (sid.size() < 8) return false;
  const auto* bytes = reinterpret_cast<const uint8_t*>(sid.data());
  int count = bytes[1];
  if (bytes[0] != 1 || count > kMaxSubAuthorities) return false;
  if (sid.size() < 8 + 4 * static_cast<size_t>(count)) return false;

  char buffer[32];
  std::string result = "S-1-";
  const uint8_t* authority = bytes + 2;
  if (authority[0] != 0 || authority[1] != 0) {
    snprintf(buffer, sizeof buffer, "0x%02x%02x%02x%02x%02x%02x", authority[0], authority[1], authority[2],
             authority[3], authority[4], authority[5]);
  } else {
    uint32_t value = (static_cast<uint32_t>(authority[2]) << 24) |
                     (static_cast<uint32_t>(authority[3]) << 16) |
                     (static_cast<uint32_t>(authority[4]) << 8) | authority[5];
    snprintf(buffer, sizeof buffer, "%u", value);
  }
  result += buffer;
  for (int i = 0; i < count; ++i) {
    const uint8_t* p = bytes + 8 + 4 * i;
    uint32_t value = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                     (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    snprintf(buffer, sizeof buffer, "-%u", value);
    result += buffer;
  }
  *text = result;
  return true;
}

bool TextToSid(const std::string& text, std::string* sid) {
  sid->clear();
  // Work on a copy whose '-' separators are cut into terminators, as each part is read on its own.
  std::string copy = text;
  char* start = copy.data();
  char* first = strchr(start, '-');
  char* second = first ? strchr(first + 1, '-') : nullptr;
  char* third = second ? strchr(second + 1, '-') : nullptr;
  if (!third) return false;

  uint8_t authority[6] = {};
  *third = '\0';
  const char* authority_text = second + 1;
  if (authority_text[0] == '0' && (authority_text[1] == 'x' || authority_text[1] == 'X')) {
    ParseHexAuthority(authority_text + 2, authority);
  } else {
    uint32_t value = ParseDecimal(authority_text);
    authority[2] = static_cast<uint8_t>(value >> 24);
    authority[3] = static_cast<uint8_t>(value >> 16);
    authority[4] = static_cast<uint8_t>(value >> 8);
    authority[5] = static_cast<uint8_t>(value);
  }
  *third = '-';

  // Every '-' from the third on starts a sub-authority.
  char* parts[kMaxParsedSubAuthorities];
  int count = 0;
  for (char* dash = third; dash && count < kMaxParsedSubAuthorities; dash = strchr(dash + 1, '-')) {
    parts[count++] = dash + 1;
  }
  for (int i = 0; i < count; ++i) parts[i][-1] = '\0';

  std::string result;
  result.push_back(1);
  result.push_back(static_cast<char>(count));
  result.append(reinterpret_cast<const char*>(authority), 6);
  for (int i = 0; i < count; ++i) {
    uint32_t value = ParseDecimal(parts[i]);
    for (int b = 0; b < 4; ++b) result.push_back(static_cast<char>((value >> (8 * b)) & 0xFF));
  }
  *sid = result;
  return true;
}
