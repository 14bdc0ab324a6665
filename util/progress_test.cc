// The progress line: when it is written, its exact text, and its erasing.
#include "util/progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One step on a progress line begun at time 0: an update (count, time) or, with count -1, an erase.
struct Step {
  int64_t count;
  uint64_t now_ms;
  const char* text;  // what the step writes
};

constexpr int64_t kErase = -1;

std::string Spaces(size_t n) { return std::string(n, ' '); }

void RunSteps(const char* name, const std::vector<Step>& steps) {
  ProgressState state;
  ProgressBegin(&state, true, 0);
  for (size_t i = 0; i < steps.size(); ++i) {
    const Step& step = steps[i];
    const std::string text = step.count == kErase ? ProgressEraseText(&state)
                                                  : ProgressUpdateText(&state, step.count, step.now_ms);
    EXPECT_EQ(text, step.text) << name << ", step " << i;
  }
}

TEST(ProgressLine, UpdatesEveryHundredObjectsOrEverySecond) {
  const std::string erase20 = "\r" + Spaces(20) + "\r";
  const std::string erase22 = "\r" + Spaces(22) + "\r";
  struct Case {
    const char* name;
    std::vector<Step> steps;
  };
  const std::vector<Case> cases = {
      {"nothing before the hundredth object within a second",
       {{1, 0, ""}, {2, 10, ""}, {99, 999, ""}, {100, 999, "\r100 objects examined"}, {101, 999, ""}}},
      {"every hundredth object when they come fast",
       {{100, 0, "\r100 objects examined"},
        {199, 0, ""},
        {200, 0, "\r200 objects examined"},
        {10000, 0, "\r10000 objects examined"}}},
      {"a second after the start, then a second after the last write",
       {{1, 999, ""},
        {2, 1000, "\r2 objects examined"},
        {3, 1999, ""},
        {4, 2000, "\r4 objects examined"},
        {104, 2001, "\r104 objects examined"},
        {105, 3000, ""},
        {106, 3001, "\r106 objects examined"}}},
      {"no write while the count stands still, however long",
       {{5, 1000, "\r5 objects examined"}, {5, 9000, ""}, {6, 9000, "\r6 objects examined"}}},
      {"erasing blanks exactly the characters shown and returns to the margin",
       {{100, 0, "\r100 objects examined"}, {kErase, 0, erase20.c_str()}, {kErase, 0, ""}}},
      {"erasing before anything was shown writes nothing", {{kErase, 0, ""}, {1, 0, ""}}},
      {"an erased line comes back with the next object",
       {{100, 0, "\r100 objects examined"},
        {kErase, 0, erase20.c_str()},
        {101, 1, "\r101 objects examined"},
        {102, 2, ""},
        {200, 3, ""},
        {201, 3, "\r201 objects examined"}}},
      {"the width grows with the count",
       {{10000, 0, "\r10000 objects examined"}, {kErase, 0, erase22.c_str()}}},
  };
  for (const Case& c : cases) RunSteps(c.name, c.steps);
}

TEST(ProgressLine, DisabledLineWritesNothing) {
  ProgressState state;
  ProgressBegin(&state, false, 0);
  for (int64_t count : {1, 100, 1000}) EXPECT_EQ(ProgressUpdateText(&state, count, 5000), "");
  EXPECT_EQ(ProgressEraseText(&state), "");
}

TEST(ProgressLine, BeginStartsAgainFromNothing) {
  ProgressState state;
  ProgressBegin(&state, true, 0);
  EXPECT_EQ(ProgressUpdateText(&state, 300, 0), "\r300 objects examined");
  ProgressBegin(&state, true, 50000);
  EXPECT_EQ(ProgressEraseText(&state), "");
  EXPECT_EQ(ProgressUpdateText(&state, 1, 50999), "");
  EXPECT_EQ(ProgressUpdateText(&state, 100, 50999), "\r100 objects examined");
}

}  // namespace
