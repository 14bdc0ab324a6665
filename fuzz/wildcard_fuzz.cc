// Fuzzes the "*" and "?" comparison used by name searches, the server list and the filter.
//
// Input: "<pattern>\n<text>", each read as a C string.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "util/wildcard.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

int LowerByte(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? u + 32 : u;
}

std::string Upper(const std::string& text) {
  std::string result = text;
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return result;
}

// Ordering of two texts as lower-case unsigned bytes.
int CompareLower(const std::string& a, const std::string& b) {
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    int d = LowerByte(a[i]) - LowerByte(b[i]);
    if (d != 0) return Sign(d);
  }
  return Sign(static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size()));
}

bool ContainsLower(const std::string& text, const std::string& part) {
  if (part.size() > text.size()) return false;
  for (size_t i = 0; i + part.size() <= text.size(); ++i) {
    if (CompareLower(text.substr(i, part.size()), part) == 0) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input = InputCString(data, size);
  std::string pattern, text;
  SplitAt(input, '\n', &pattern, &text);
  int result = MatchWildcard(pattern.c_str(), text.c_str());

  // Letters compare without regard to case, whichever side holds them.
  FUZZ_CHECK(MatchWildcard(Upper(pattern).c_str(), text.c_str()) == result);
  FUZZ_CHECK(Sign(MatchWildcard(pattern.c_str(), Upper(text).c_str())) == Sign(result));

  bool literal = pattern.find_first_of("*?") == std::string::npos;
  if (literal) {
    // Without wildcards only an equal text matches, and the sign orders texts of equal length.
    // (Where one text ends first, the end-of-walk rules may override the first difference.)
    FUZZ_CHECK((result == 0) == (CompareLower(text, pattern) == 0));
    if (text.size() == pattern.size()) FUZZ_CHECK(Sign(result) == CompareLower(text, pattern));
  }
  // Every text matches "*", and itself when it holds no wildcard.
  FUZZ_CHECK(MatchWildcard("*", text.c_str()) == 0);
  if (text.find_first_of("*?") == std::string::npos) {
    FUZZ_CHECK(MatchWildcard(text.c_str(), text.c_str()) == 0);
    FUZZ_CHECK(MatchWildcard(std::string(text.size(), '?').c_str(), text.c_str()) == 0);
  }
  // A wildcard-free part between two stars matches exactly the texts that contain it.
  if (literal && !pattern.empty()) {
    std::string around = "*" + pattern + "*";
    FUZZ_CHECK((MatchWildcard(around.c_str(), text.c_str()) == 0) == ContainsLower(text, pattern));
    std::string prefix = pattern + "*";
    FUZZ_CHECK((MatchWildcard(prefix.c_str(), text.c_str()) == 0) ==
               (text.size() >= pattern.size() && CompareLower(text.substr(0, pattern.size()), pattern) == 0));
  }
  return 0;
}
