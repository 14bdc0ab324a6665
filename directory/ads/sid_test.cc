#include "directory/ads/sid.h"

#include <gtest/gtest.h>

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

struct SidCase {
  const char* label;
  std::string sid;
  const char* text;
};

TEST(Sid, PackedFormsReadAsText) {
  const SidCase cases[] = {
      {"self", Bytes({1, 1, 0, 0, 0, 0, 0, 5, 10, 0, 0, 0}), "S-1-5-10"},
      {"everyone", Bytes({1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}), "S-1-1-0"},
      {"domain account",
       Bytes({1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0xF4, 1, 0, 0}),
       "S-1-5-21-1-2-3-500"},
      {"reference example",
       Bytes({1, 5, 0, 0, 0, 0, 0, 5, 0x15, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0x50, 4, 0, 0}),
       "S-1-5-21-1-2-3-1104"},
      {"high authority byte in hex", Bytes({1, 1, 0x12, 0, 0xAB, 0, 0, 5, 7, 0, 0, 0}),
       "S-1-0x1200ab000005-7"},
      {"second authority byte in hex", Bytes({1, 0, 0, 1, 0, 0, 0, 0}), "S-1-0x000100000000"},
      {"large sub-authority", Bytes({1, 1, 0, 0, 0, 0, 0, 5, 0xFF, 0xFF, 0xFF, 0xFF}), "S-1-5-4294967295"},
      {"large decimal authority", Bytes({1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}), "S-1-4294967295"},
      {"revision is always written as 1 and trailing bytes are ignored",
       Bytes({1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0, 0xEE}), "S-1-5-18"},
  };
  for (const SidCase& c : cases) {
    std::string text = "stale";
    EXPECT_TRUE(SidToText(c.sid, &text)) << c.label;
    EXPECT_EQ(text, c.text) << c.label;
  }
}

TEST(Sid, InvalidPackedFormsGiveEmptyText) {
  const SidCase cases[] = {
      {"empty", "", ""},
      {"shorter than the header", Bytes({1, 0, 0, 0, 0, 0, 0}), ""},
      {"revision 2", Bytes({2, 1, 0, 0, 0, 0, 0, 5, 10, 0, 0, 0}), ""},
      {"sub-authorities missing", Bytes({1, 2, 0, 0, 0, 0, 0, 5, 10, 0, 0, 0}), ""},
      {"partial sub-authority", Bytes({1, 1, 0, 0, 0, 0, 0, 5, 10, 0}), ""},
      {"more than 15 sub-authorities", Bytes({1, 16, 0, 0, 0, 0, 0, 5}) + std::string(64, '\0'), ""},
  };
  for (const SidCase& c : cases) {
    std::string text = "stale";
    EXPECT_FALSE(SidToText(c.sid, &text)) << c.label;
    EXPECT_EQ(text, "") << c.label;
  }
}

TEST(Sid, TextFormsBuildPackedSids) {
  const SidCase cases[] = {
      {"self", Bytes({1, 1, 0, 0, 0, 0, 0, 5, 10, 0, 0, 0}), "S-1-5-10"},
      {"lower-case prefix", Bytes({1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}), "s-1-1-0"},
      {"hex authority", Bytes({1, 1, 0x12, 0, 0xAB, 0, 0, 5, 7, 0, 0, 0}), "S-1-0X1200AB000005-7"},
      {"empty sub-authority reads 0", Bytes({1, 1, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0}), "S-1-5-"},
      {"only the first eight sub-authorities",
       Bytes({1, 8, 0, 0, 0, 0, 0, 5, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0,
              4, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0, 7, 0, 0, 0, 8, 0, 0, 0}),
       "S-1-5-1-2-3-4-5-6-7-8-9"},
  };
  for (const SidCase& c : cases) {
    std::string sid;
    EXPECT_TRUE(TextToSid(c.text, &sid)) << c.label;
    EXPECT_EQ(sid, c.sid) << c.label;
  }
}

TEST(Sid, TextWithoutThreeDashesIsRefused) {
  for (const char* text : {"", "S", "S-1", "S-1-5", "nonsense"}) {
    std::string sid = "stale";
    EXPECT_FALSE(TextToSid(text, &sid)) << text;
    EXPECT_EQ(sid, "") << text;
  }
}

TEST(Sid, TextRoundTripsThroughThePackedForm) {
  for (const char* text :
       {"S-1-5-10", "S-1-1-0", "S-1-5-21-3623811015-3361044348-30300820-1013", "S-1-5-32-544",
        "S-1-0x1200ab000005-7-8", "S-1-16-12288", "S-1-5-1-2-3-4-5-6-7-4294967295"}) {
    std::string sid, back;
    ASSERT_TRUE(TextToSid(text, &sid)) << text;
    ASSERT_TRUE(SidToText(sid, &back)) << text;
    EXPECT_EQ(back, text);
  }
}

}  // namespace
