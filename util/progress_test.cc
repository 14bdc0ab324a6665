// The progress line: when it is written, by count and by time, and its erasing.
#include "util/progress.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(ProgressLine, UpdatesEveryHundredObjectsOrEverySecondAndErasesWhatItShowed) {
  constexpr int64_t kErase = -1;
  const std::string erase20 = "\r" + std::string(20, ' ') + "\r";
  const struct {
    const char* what;
    std::vector<std::pair<int64_t, uint64_t>> steps;  // count and milliseconds, or kErase
    std::vector<std::string> texts;
  } cases[] = {
      {"the hundredth object within a second",
       {{99, 999}, {100, 999}, {101, 999}, {199, 999}, {200, 999}},
       {"", "\r100 objects examined", "", "", "\r200 objects examined"}},
      {"a second after the start, then after the last write",
       {{1, 999}, {2, 1000}, {3, 1999}, {4, 2000}, {104, 2001}, {105, 3000}, {106, 3001}},
       {"", "\r2 objects examined", "", "\r4 objects examined", "\r104 objects examined", "",
        "\r106 objects examined"}},
      {"no write while the count stands still", {{5, 1000}, {5, 9000}}, {"\r5 objects examined", ""}},
      {"an erased line comes back with the next object",
       {{100, 0}, {kErase, 0}, {kErase, 0}, {101, 1}, {102, 2}},
       {"\r100 objects examined", erase20, "", "\r101 objects examined", ""}},
  };
  for (const auto& c : cases) {
    ProgressState state;
    ProgressBegin(&state, true, 0);
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const auto [count, now_ms] = c.steps[i];
      const std::string text =
          count == kErase ? ProgressEraseText(&state) : ProgressUpdateText(&state, count, now_ms);
      EXPECT_EQ(text, c.texts[i]) << c.what << ", step " << i;
    }
  }
  ProgressState off;
  ProgressBegin(&off, false, 0);
  EXPECT_EQ(ProgressUpdateText(&off, 1000, 5000) + ProgressEraseText(&off), "");
}

}  // namespace
