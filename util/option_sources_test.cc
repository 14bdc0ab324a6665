// The option sources: ZEMUTILS, zemutils.ini, the command line and the /@ file, in that order.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "util/cmdline.h"
#include "util/empty_dir_test_util.h"

namespace {

constexpr char kPlain[] = "0$cefghjlnpstuvx";
constexpr char kValued[] = "@aelopsy";

// Runs each test in an empty directory of its own, without ZEMUTILS.
class OptionSources : public EmptyDirectoryTest {
 protected:
  void SetUp() override {
    EmptyDirectoryTest::SetUp();
    unsetenv("ZEMUTILS");
  }
  void TearDown() override {
    unsetenv("ZEMUTILS");
    EmptyDirectoryTest::TearDown();
  }
  // Gathers with the given program name; the message box text lands in box.
  bool Gather(const char* program, const std::string& options, GatheredOptions* found, std::string* box) {
    testing::internal::CaptureStderr();
    bool ok = GatherOptions(program, options, kPlain, kValued, found);
    *box = testing::internal::GetCapturedStderr();
    return ok;
  }
  static std::string Value(const GatheredOptions& found, char letter) {
    return found.has_value[letter - 'a'] ? found.values[letter - 'a'] : "<none>";
  }
};

TEST_F(OptionSources, IniFileAppliesSectionsOfAllAndOfThisProgram) {
  WriteFile("zemutils.ini",
            "all: /j\nlorvex: /s\nother: /t\n; /x commented\n  \t/c\n-n\n\nLORVEX: /u\nall:/o=group\r\n");
  GatheredOptions found;
  std::string box;
  EXPECT_TRUE(Gather("LORVEX", "", &found, &box));
  EXPECT_EQ(box, "");
  EXPECT_EQ(found.without_value, "jscn");
  EXPECT_EQ(found.with_value, "o");
  EXPECT_EQ(Value(found, 'o'), "group");
}

TEST_F(OptionSources, SectionPrefixFollowsTheProgramName) {
  WriteFile("zemutils.ini", "lorvex: /s\nother: /t\n");
  GatheredOptions found;
  std::string box;
  EXPECT_TRUE(Gather("OTHER", "", &found, &box));
  EXPECT_EQ(found.without_value, "t");
}

TEST_F(OptionSources, MissingIniIsSilentButMissingAtFileIsAnError) {
  GatheredOptions found;
  std::string box;
  EXPECT_TRUE(Gather("LORVEX", " /j", &found, &box));
  EXPECT_EQ(box, "");
  EXPECT_FALSE(Gather("LORVEX", " /@=missing.ini", &found, &box));
  EXPECT_EQ(box, "Cannot open options file missing.ini\n");
}

TEST_F(OptionSources, LaterSourcesOverrideEarlierOnes) {
  setenv("ZEMUTILS", "/s=u /g /o=user", 1);
  WriteFile("zemutils.ini", "/o=computer /c\n");
  WriteFile("more.ini", "all: /o=group\n");
  GatheredOptions found;
  std::string box;
  EXPECT_TRUE(Gather("LORVEX", " /s=v /g- /@=more.ini", &found, &box));
  EXPECT_EQ(box, "");
  EXPECT_EQ(Value(found, 's'), "v");
  EXPECT_EQ(Value(found, 'o'), "group");
  EXPECT_EQ(Value(found, 'j'), "more.ini");
  EXPECT_EQ(found.without_value, "c");
}

TEST_F(OptionSources, ErrorsNameTheirSourceAndStopTheGathering) {
  struct Case {
    const char* environment;
    const char* ini;
    const char* options;
    const char* box_start;
  } cases[] = {
      {"/k", "", "", "/k (from environment) is not a valid option\n"},
      {"", "/c\n/h=1\n/q\n", "", "/h (from zemutils.ini) is not allowed a value\n"},
      {"", "", " /o", "/o (from command line) requires a value\n"},
  };
  for (const Case& c : cases) {
    setenv("ZEMUTILS", c.environment, 1);
    WriteFile("zemutils.ini", c.ini);
    GatheredOptions found;
    std::string box;
    EXPECT_FALSE(Gather("LORVEX", c.options, &found, &box));
    EXPECT_EQ(box.substr(0, strlen(c.box_start)), c.box_start);
    // One error per box: a failing line ends the file.
    EXPECT_EQ(box.find("/q"), std::string::npos);
  }
}

TEST_F(OptionSources, LongLinesAreReadInPiecesOf254) {
  // A 254-character line is one line; the 255th character starts a further piece.
  std::string line = "/o=" + std::string(251, 'g');
  WriteFile("zemutils.ini", line + "\n" + "/o=" + std::string(251, 'u') + "/c\n");
  GatheredOptions found;
  std::string box;
  EXPECT_TRUE(Gather("LORVEX", "", &found, &box));
  EXPECT_EQ(Value(found, 'o'), std::string(251, 'u'));
  EXPECT_EQ(found.without_value, "c");
}

TEST(ReadEnvironment, UnsetVariableIsEmpty) {
  unsetenv("LORVEX_TEST_UNSET");
  EXPECT_EQ(ReadEnvironment("LORVEX_TEST_UNSET"), "");
  setenv("LORVEX_TEST_SET", "/j", 1);
  EXPECT_EQ(ReadEnvironment("LORVEX_TEST_SET"), "/j");
}

}  // namespace
