// The program's name and folder, taken from the path it was started from; the option error box.
#include "util/cmdline.h"

#include <gtest/gtest.h>

#include <string>

#include "util/option_parser.h"

namespace {

TEST(ProgramName, ComesFromTheModuleFileName) {
  const struct {
    const char* module;
    const char* name;
    const char* file;
    const char* directory;
  } cases[] = {
      {"/usr/bin/lorvex", "LORVEX", "LORVEX", "/usr/bin"},
      {"lorvex", "LORVEX", "LORVEX", ""},
      {"C:\\Tools\\Lorvex.v2.exe", "LORVEX", "LORVEX.V2.EXE", "C:\\Tools"},
      {"C:lorvex.exe", "LORVEX", "LORVEX.EXE", "C:"},
      {"/lorvex", "LORVEX", "LORVEX", "/"},
  };
  for (const auto& c : cases) {
    SetProcessCommandLine("x", c.module);
    std::string directory, file;
    ProgramNameAndDirectory(&directory, &file);
    EXPECT_EQ(ProgramName() + "|" + file + "|" + directory,
              std::string(c.name) + "|" + c.file + "|" + c.directory);
  }
}

// A program without options that take values lists only the others under the errors.
TEST(OptionParser, WithoutValuedLettersTheSecondListIsLeftOut) {
  GatheredOptions found;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ParseOptionText("X", "/q", "ab", "", &found, "command line"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "/q (from command line) is not a valid option\n\nOptions without values are /? /a /b \n");
}

}  // namespace
