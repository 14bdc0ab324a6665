// The command-line tokenizer, the raw line rebuilt from argv and the program name.
#include "util/cmdline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SplitResult {
  bool ok;
  std::string options;
  std::vector<std::string> args;
  std::string box;
};

SplitResult Split(const std::string& line, int capacity = 5) {
  SetProcessCommandLine(line, "/usr/bin/lorvex");
  SplitResult result;
  testing::internal::CaptureStderr();
  result.ok = SplitCommandLine("LORVEX", &result.options, &result.args, capacity);
  result.box = testing::internal::GetCapturedStderr();
  return result;
}

using Args = std::vector<std::string>;

TEST(SplitCommandLine, SeparatesPositionalArgumentsAndOptions) {
  struct Case {
    const char* line;
    Args args;
    const char* options;
  } cases[] = {
      {"lorvex \"cn=test account\" lld lt tod-30", {"cn=test account", "lld", "lt", "tod-30"}, ""},
      {"lorvex a* lld /s=vr -l", {"a*", "lld"}, " /s=vr -l"},
      {"lorvex -0 x", {"x"}, " -0"},
      {"lorvex -05 x", {"-05", "x"}, ""},
      {"lorvex -30 -.5 -x", {"-30", "-.5"}, " -x"},
      {"lorvex -0x", {"-0x"}, ""},
      {"lorvex \t user1\t\tlld  ", {"user1", "lld"}, ""},
      {"lorvex /l=\"c:\\logs\\run-1.log\" u", {"u"}, " /l=\"c:\\logs\\run-1.log\""},
      {"lorvex \"\" lld", {"", "lld"}, ""},
      {"lorvex a\"\"b \"x\"\"y\"", {"a\"b", "x\"y"}, ""},
      {"\"/opt/my tools/lorvex\" u1 /j", {"u1"}, " /j"},
      {"lorvex", {}, ""},
  };
  for (const Case& c : cases) {
    SplitResult r = Split(c.line);
    EXPECT_TRUE(r.ok) << c.line;
    EXPECT_EQ(r.args, c.args) << c.line;
    EXPECT_EQ(r.options, c.options) << c.line;
    EXPECT_EQ(r.box, "") << c.line;
  }
}

TEST(SplitCommandLine, ReportsErrorsInAMessageBox) {
  struct Case {
    std::string line;
    int capacity;
    const char* box;
  } cases[] = {
      {"lorvex a b c d e f", 5, "Too many parameters. The maximum is 5\n"},
      {"lorvex a b c", 2, "Too many parameters. The maximum is 2\n"},
      {"lorvex u1 \"cn=x y", 5, "Missing double quote in '\"cn=x y'\n"},
      {"lorvex /l=\"a b", 5, "Missing double quote in '/l=\"a b'\n"},
      // A program path whose quote is never closed is not skipped.
      {"\"lorvex u1", 5, "Missing double quote in '\"lorvex u1'\n"},
  };
  for (const Case& c : cases) {
    SplitResult r = Split(c.line, c.capacity);
    EXPECT_FALSE(r.ok) << c.line;
    EXPECT_EQ(r.box, c.box) << c.line;
  }
}

TEST(SplitCommandLine, OptionTextIsLimitedTo255Characters) {
  // Tokens of 50 characters take 51 each with their blank: five make 255, a sixth of 1 makes 257.
  const std::string token = "/a" + std::string(48, 'x');
  std::string line = "lorvex";
  for (int i = 0; i < 5; ++i) line += " " + token;
  SplitResult fits = Split(line);
  EXPECT_TRUE(fits.ok);
  EXPECT_EQ(fits.options.size(), 255u);

  SplitResult over = Split(line + " /");
  EXPECT_FALSE(over.ok);
  EXPECT_EQ(over.box, "The total length of options cannot exceed 255 characters\n");

  // 256 characters in all: one character too many.
  std::string longer = "lorvex";
  for (int i = 0; i < 4; ++i) longer += " " + token;
  longer += " /a" + std::string(49, 'x');
  SplitResult refused = Split(longer);
  EXPECT_FALSE(refused.ok);
}

TEST(JoinArguments, QuotesOnlyArgumentsWithBlanksAndNoQuote) {
  const char* argv[] = {"./lorvex", "cn=test account", "lld", "/l=\"a b\"", "tab\there", "", "x"};
  EXPECT_EQ(JoinArguments(7, argv), "./lorvex \"cn=test account\" lld /l=\"a b\" \"tab\there\" \"\" x");
}

TEST(JoinArguments, RoundTripsThroughTheTokenizer) {
  const char* argv[] = {"/usr/local/bin/lorvex", "cn=test account", "lld", "lt", "tod-30", "/s=v"};
  SetProcessCommandLine(JoinArguments(6, argv), argv[0]);
  std::string options;
  std::vector<std::string> args;
  ASSERT_TRUE(SplitCommandLine("LORVEX", &options, &args, 5));
  EXPECT_EQ(args, (Args{"cn=test account", "lld", "lt", "tod-30"}));
  EXPECT_EQ(options, " /s=v");
}

TEST(ProgramName, ComesFromTheModuleFileName) {
  struct Case {
    const char* module;
    const char* name;
    const char* file;
    const char* directory;
  } cases[] = {
      {"/usr/bin/lorvex", "LORVEX", "LORVEX", "/usr/bin"},
      {"./other.exe", "OTHER", "OTHER.EXE", "."},
      {"lorvex", "LORVEX", "LORVEX", ""},
      {"C:\\Tools\\Lorvex.v2.exe", "LORVEX", "LORVEX.V2.EXE", "C:\\Tools"},
      {"C:lorvex.exe", "LORVEX", "LORVEX.EXE", "C:"},
      {"/lorvex", "LORVEX", "LORVEX", "/"},
      {"/bin/a-very-long-program-name-of-forty-chars", "A-VERY-LONG-PROGRAM-NAME-OF-FO",
       "A-VERY-LONG-PROGRAM-NAME-OF-FO", "/bin"},
  };
  for (const Case& c : cases) {
    SetProcessCommandLine("x", c.module);
    std::string directory, file;
    ProgramNameAndDirectory(&directory, &file);
    EXPECT_EQ(ProgramName(), c.name) << c.module;
    EXPECT_EQ(file, c.file) << c.module;
    EXPECT_EQ(directory, c.directory) << c.module;
  }
}

}  // namespace
