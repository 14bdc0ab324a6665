// Fuzzes SIDs in both directions: the input read as a binary SID and as a SID text.
#include <cstdint>
#include <string>

#include "directory/ads/sid.h"
#include "fuzz/fuzz_support.h"

namespace {

// TextToSid builds SIDs of at most this many sub-authorities.
constexpr int kMaxParsedSubAuthorities = 8;

void CheckBinary(const std::string& bytes) {
  std::string text;
  if (!SidToText(bytes, &text)) {
    FUZZ_CHECK(text.empty());
    return;
  }
  FUZZ_CHECK(text.compare(0, 4, "S-1-") == 0);
  // Bytes beyond the sub-authorities the SID counts are not part of it.
  int count = static_cast<uint8_t>(bytes[1]);
  std::string sid = bytes.substr(0, 8 + 4 * static_cast<size_t>(count));
  std::string back;
  // The text form of a SID without sub-authorities has no third '-', which TextToSid needs.
  FUZZ_CHECK(TextToSid(text, &back) == (count > 0));
  if (count == 0) return;
  if (count <= kMaxParsedSubAuthorities) FUZZ_CHECK(back == sid);
  std::string text_again;
  FUZZ_CHECK(SidToText(back, &text_again));
  if (count <= kMaxParsedSubAuthorities) FUZZ_CHECK(text_again == text);
}

void CheckText(const std::string& text) {
  std::string sid;
  if (!TextToSid(text, &sid)) {
    FUZZ_CHECK(sid.empty());
    return;
  }
  // What TextToSid builds is always a SID, and its text is a fixed point of the round trip.
  std::string first;
  FUZZ_CHECK(SidToText(sid, &first));
  std::string sid_again;
  FUZZ_CHECK(TextToSid(first, &sid_again));
  FUZZ_CHECK(sid_again == sid);
  std::string second;
  FUZZ_CHECK(SidToText(sid_again, &second));
  FUZZ_CHECK(second == first);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckBinary(InputText(data, size));
  CheckText(InputCString(data, size));
  return 0;
}
