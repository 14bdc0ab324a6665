// Security identifiers between their packed form and their "S-1-" text.
#include "directory/ads/sid.h"

#include <gtest/gtest.h>

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

TEST(Sid, PackedFormsAndTextsConvertBothWays) {
  const struct {
    std::string sid;
    const char* text;     // as SidToText writes it; empty: the packed form is refused
    const char* written;  // a text TextToSid reads as sid (null: text itself); empty: refused
  } cases[] = {
      {Bytes({1, 1, 0, 0, 0, 0, 0, 5, 10, 0, 0, 0}), "S-1-5-10", " S-1-5-+10x"},  // as "%lu" reads a number
      {Bytes({1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}), "S-1-1-0", "s-1-1-0"},
      {Bytes({1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0x50, 4, 0, 0}),
       "S-1-5-21-1-2-3-1104", nullptr},
      {Bytes({1, 1, 0x12, 0, 0xAB, 0, 0, 5, 7, 0, 0, 0}), "S-1-0x1200ab000005-7", nullptr},
      {Bytes({1, 1, 0x12, 0, 0xAB, 0, 0, 5, 7, 0, 0, 0}), "S-1-0x1200ab000005-7", "S-1-0X1200AB000005-7"},
      {Bytes({1, 0, 0, 1, 0, 0, 0, 0}), "S-1-0x000100000000", ""},
      {Bytes({1, 1, 0, 0, 0, 0, 0, 5, 0xFF, 0xFF, 0xFF, 0xFF}), "S-1-5-4294967295", nullptr},
      {Bytes({1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}), "S-1-4294967295", ""},
      {Bytes({1, 1, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0}), "S-1-5-0", "S-1-5-"},  // an empty number reads 0
      {Bytes({1, 8, 0, 0, 0, 0, 0, 5, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0,
              4, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0, 7, 0, 0, 0, 8, 0, 0, 0}),
       "S-1-5-1-2-3-4-5-6-7-8", "S-1-5-1-2-3-4-5-6-7-8-9"},  // only eight sub-authorities are read
      {Bytes({1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0, 0xEE}), "S-1-5-18", ""},  // trailing bytes ignored
      {"", "", "S-1-5"},
      {Bytes({1, 0, 0, 0, 0, 0, 0}), "", "S-1"},
      {Bytes({2, 1, 0, 0, 0, 0, 0, 5, 10, 0, 0, 0}), "", "nonsense"},  // revision 2
      {Bytes({1, 2, 0, 0, 0, 0, 0, 5, 10, 0, 0, 0}), "", "S"},         // a sub-authority missing
      {Bytes({1, 1, 0, 0, 0, 0, 0, 5, 10, 0}), "", ""},
      {Bytes({1, 16, 0, 0, 0, 0, 0, 5}) + std::string(64, '\0'), "", ""},  // more than 15
  };
  for (const auto& c : cases) {
    std::string text = "stale";
    EXPECT_EQ(SidToText(c.sid, &text), *c.text != '\0') << c.text;
    EXPECT_EQ(text, c.text);
    const std::string written = c.written ? c.written : c.text;
    if (written.empty()) continue;
    std::string sid = "stale";
    const bool valid = *c.text != '\0';
    EXPECT_EQ(TextToSid(written, &sid), valid) << written;
    EXPECT_EQ(sid, valid ? c.sid : "") << written;
  }
}

}  // namespace
