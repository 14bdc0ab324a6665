// The /l and /e keywords, file names with date codes, and the log and error files.
#include "util/channels.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "util/empty_dir_test_util.h"
#include "util/streams_test_util.h"

namespace {

constexpr uint32_t kDefault = kChannelCon | kChannelWrap;

struct WordResult {
  bool ok;
  uint32_t normal;
  uint32_t error;
  std::string box;
};

// Sets the /l word from value (with /l given), then the /e word from its value if given.
WordResult SetWords(const char* l_value, bool l_given, const char* e_value, bool e_given) {
  TestOutput t;
  if (l_given) t.out.control_flags |= kControlLogGiven;
  if (e_given) t.out.control_flags |= kControlErrGiven;
  testing::internal::CaptureStderr();
  bool ok = SetChannelWord(&t.out, 'l', l_value) && SetChannelWord(&t.out, 'e', e_value);
  std::string box = testing::internal::GetCapturedStderr();
  return WordResult{ok, t.out.normal_flags, t.out.error_flags, box};
}

TEST(SetChannelWord, DefaultsAndAloneForms) {
  struct Case {
    bool l_given;
    bool e_given;
    uint32_t normal;
    uint32_t error;
  } cases[] = {
      {false, false, kDefault, kDefault},
      {true, false, kDefault | kChannelLog, kDefault | kChannelLog},
      {false, true, kDefault, kDefault | kChannelErr},
      {true, true, kDefault | kChannelLog, kDefault | kChannelErr},
  };
  for (const Case& c : cases) {
    WordResult r = SetWords(nullptr, c.l_given, nullptr, c.e_given);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.normal, c.normal) << c.l_given << c.e_given;
    EXPECT_EQ(r.error, c.error) << c.l_given << c.e_given;
  }
}

TEST(SetChannelWord, KeywordsMatchByLeadingPartInTableOrder) {
  struct Case {
    const char* value;
    uint32_t normal;
  } cases[] = {
      {"a", kDefault | kChannelLog | kChannelAppend},
      {"app,date", kDefault | kChannelLog | kChannelAppend | kChannelDate},
      {"DaTe , tIME", kDefault | kChannelLog | kChannelDate | kChannelTime},
      {"c", kDefault | kChannelLog | kChannelChar},
      {"char,noc", kDefault | kChannelLog},
      {"nowrap", kChannelCon | kChannelLog},
      {"r", kChannelCon | kChannelLog},
      {"nowrap,w", kDefault | kChannelLog},
      {"co", kDefault | kChannelLog},
      {"nocon", kChannelWrap | kChannelLog},
      {"s", kChannelWrap | kChannelLog},
      {"se", kDefault | kChannelLog | kChannelSeparator},
      {"nob", kDefault | kChannelLog | kChannelNoBlanks},
      {"k", kDefault},
      {"nolog", kDefault},
      {"z", kChannelWrap},
      {"non", kChannelWrap},
      {"none,log", kChannelWrap},
      {"err,noerr,f", kDefault | kChannelLog},
      {",, ,date,", kDefault | kChannelLog | kChannelDate},
  };
  for (const Case& c : cases) {
    WordResult r = SetWords(c.value, true, nullptr, false);
    EXPECT_TRUE(r.ok) << c.value;
    EXPECT_EQ(r.normal, c.normal) << c.value;
  }
}

TEST(SetChannelWord, ErrorWordKeywords) {
  struct Case {
    const char* l_value;
    bool l_given;
    const char* e_value;
    uint32_t error;
  } cases[] = {
      {nullptr, false, "noc", kDefault | kChannelErr},
      {nullptr, false, "char,noc", kDefault | kChannelErr},
      {nullptr, false, "nocon", kChannelWrap | kChannelErr},
      {nullptr, false, "none", kChannelWrap},
      {nullptr, false, "f", kDefault},
      {nullptr, false, "noerr,err", kDefault | kChannelErr},
      {nullptr, false, "log", kDefault | kChannelErr},
      {nullptr, true, "log", kDefault | kChannelErr | kChannelLog},
      {"none", true, "log", kDefault | kChannelErr},
      {nullptr, false, "e", kDefault | kChannelErr},
  };
  for (const Case& c : cases) {
    WordResult r = SetWords(c.l_value, c.l_given, c.e_value, true);
    EXPECT_TRUE(r.ok) << c.e_value;
    EXPECT_EQ(r.error, c.error) << c.e_value;
  }
}

TEST(SetChannelWord, NoneOnTheLogWordStopsErrorsGoingToTheLog) {
  WordResult r = SetWords("none", true, nullptr, false);
  EXPECT_EQ(r.normal, kChannelWrap);
  EXPECT_EQ(r.error, kDefault);
}

TEST(SetChannelWord, AmbiguousKeywordsAreRefused) {
  struct Case {
    const char* l_value;
    const char* e_value;
    const char* box;
  } cases[] = {
      {"n", nullptr, "Error: Ambiguous keyword 'n' for /l\n"},
      {"date,NO", nullptr, "Error: Ambiguous keyword 'NO' for /l\n"},
      {nullptr, "No", "Error: Ambiguous keyword 'No' for /e\n"},
  };
  for (const Case& c : cases) {
    TestOutput t;
    t.out.control_flags = kControlLogGiven | kControlErrGiven;
    testing::internal::CaptureStderr();
    const bool l_ok = SetChannelWord(&t.out, 'l', c.l_value);
    const bool e_ok = l_ok && SetChannelWord(&t.out, 'e', c.e_value);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.box);
    EXPECT_FALSE(e_ok);
    EXPECT_EQ(c.l_value ? t.out.normal_flags : t.out.error_flags, kChannelCon);
  }
}

TEST(SetChannelWord, FileNamesDefaultFromTheProgramName) {
  TestOutput t;
  EXPECT_TRUE(SetChannelWord(&t.out, 'l', nullptr));
  EXPECT_TRUE(SetChannelWord(&t.out, 'e', nullptr));
  EXPECT_STREQ(t.out.log_file_name, "lorvex.log");
  EXPECT_STREQ(t.out.error_file_name, "lorvex.err");
}

TEST(SetChannelWord, FileNameTokensExpandDateCodesInTheLastComponent) {
  struct Case {
    const char* value;
    const char* name;
  } cases[] = {
      {"run%z%m%d.log", "run20110105.log"},
      {"c:\\logs%d\\x%d.log", "c:\\logs%d\\x05.log"},
      {"logs%d/x%D.log", "logs%d/x05.log"},
      {"%y%n%h%i%s.log", "11JAN090807.log"},
      {"a%%b%q%", "a%b%q%"},
      {"\"my logs/run 1.log\"", "my logs/run 1.log"},
      {"first.log,second.log", "second.log"},
  };
  for (const Case& c : cases) {
    TestOutput t;
    t.out.control_flags = kControlLogGiven;
    EXPECT_TRUE(SetChannelWord(&t.out, 'l', c.value)) << c.value;
    EXPECT_STREQ(t.out.log_file_name, c.name) << c.value;
    EXPECT_EQ(t.out.normal_flags, kDefault | kChannelLog) << c.value;
  }
}

// Runs in an empty directory of its own.
class ChannelFiles : public EmptyDirectoryTest {
 protected:
  static std::string ReadFile(const std::string& name) {
    FILE* file = fopen(name.c_str(), "r");
    if (file == nullptr) return "<missing>";
    std::string text;
    int c;
    while ((c = fgetc(file)) != EOF) text += static_cast<char>(c);
    fclose(file);
    return text;
  }
  // Sets both words as the option processing does and opens the files.
  static bool Open(TestOutput* t, const char* l_value, bool l_given, const char* e_value, bool e_given) {
    if (l_given) t->out.control_flags |= kControlLogGiven;
    if (e_given) t->out.control_flags |= kControlErrGiven;
    return SetChannelWord(&t->out, 'l', l_value) && SetChannelWord(&t->out, 'e', e_value) &&
           OpenChannelFiles(&t->out);
  }
};

TEST_F(ChannelFiles, LogAloneRewritesTheLogWithErrorsToo) {
  WriteFile("lorvex.log", "old contents\n");
  {
    TestOutput t;
    ASSERT_TRUE(Open(&t, nullptr, true, nullptr, false));
    EXPECT_EQ(std::string(t.out.log_file_name), dir_ + "/lorvex.log");
    EXPECT_EQ(t.out.error_file, nullptr);
    t.Print("result");
    t.Print("failure", -1, 1);
    CloseChannelFiles(&t.out);
    EXPECT_EQ(t.Stdout(), "result\n");
    EXPECT_EQ(t.Stderr(), "failure\n");
  }
  EXPECT_EQ(ReadFile("lorvex.log"), "result\nfailure\n");
}

TEST_F(ChannelFiles, ErrorAloneWritesTheErrorFile) {
  {
    TestOutput t;
    ASSERT_TRUE(Open(&t, nullptr, false, nullptr, true));
    EXPECT_EQ(t.out.log_file, nullptr);
    t.Print("result");
    t.Print("failure", -1, 1);
    CloseChannelFiles(&t.out);
  }
  EXPECT_EQ(ReadFile("lorvex.err"), "failure\n");
  EXPECT_EQ(ReadFile("lorvex.log"), "<missing>");
}

TEST_F(ChannelFiles, AppendKeepsTheOldContentsAndDatesLines) {
  WriteFile("lorvex.log", "old\n");
  {
    TestOutput t;
    ASSERT_TRUE(Open(&t, "app,date", true, nullptr, false));
    t.Print("new");
    CloseChannelFiles(&t.out);
  }
  EXPECT_EQ(ReadFile("lorvex.log"), "old\n05JAN2011 new\n");
}

TEST_F(ChannelFiles, SameFileForBothWordsTakesErrorsOnce) {
  {
    TestOutput t;
    ASSERT_TRUE(Open(&t, "x.log", true, "X.LOG", true));
    EXPECT_EQ(t.out.error_file, nullptr);
    EXPECT_EQ(t.out.error_flags & (kChannelErr | kChannelLog), static_cast<uint32_t>(kChannelLog));
    t.Print("result");
    t.Print("failure", -1, 1);
    CloseChannelFiles(&t.out);
  }
  EXPECT_EQ(ReadFile("x.log"), "result\nfailure\n");
  EXPECT_EQ(ReadFile("X.LOG"), "<missing>");
}

TEST_F(ChannelFiles, SeparatorsCloseEachFile) {
  {
    TestOutput t;
    ASSERT_TRUE(Open(&t, "sep", true, "se,e.txt", true));
    t.Print("result");
    t.Print("failure", -1, 1);
    CloseChannelFiles(&t.out);
    EXPECT_EQ(t.out.log_file, nullptr);
    EXPECT_EQ(t.out.error_file, nullptr);
  }
  const std::string dashes(78, '-');
  EXPECT_EQ(ReadFile("lorvex.log"), "result\n" + dashes + "\n");
  EXPECT_EQ(ReadFile("e.txt"), "failure\n" + dashes + "\n");
}

TEST_F(ChannelFiles, FileThatCannotBeOpenedIsShownWithItsReason) {
  TestOutput t;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Open(&t, "missing/dir/run.log", true, nullptr, false));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Cannot open log file missing/dir/run.log\nReason(s): No such file or directory\n");
}

TEST_F(ChannelFiles, LogThatIsNoOrdinaryFileIsWrittenNotDeleted) {
  // A link stands here for any name that is not an ordinary file (a device such as /dev/full, a
  // pipe): rewriting the log must not remove it.
  WriteFile("target.txt", "old contents\n");
  ASSERT_EQ(symlink("target.txt", "link.log"), 0);
  {
    TestOutput t;
    ASSERT_TRUE(Open(&t, "link.log", true, nullptr, false));
    t.Print("result");
    CloseChannelFiles(&t.out);
  }
  struct stat status;
  ASSERT_EQ(lstat("link.log", &status), 0);
  EXPECT_TRUE(S_ISLNK(status.st_mode));
  EXPECT_EQ(ReadFile("target.txt"), "result\n");
}

TEST_F(ChannelFiles, QuotedNameWithASpaceIsOpenedWithoutQuotes) {
  {
    TestOutput t;
    ASSERT_TRUE(Open(&t, nullptr, false, "\"my errors.txt\"", true));
    t.Print("failure", -1, 1);
    CloseChannelFiles(&t.out);
  }
  EXPECT_EQ(ReadFile("my errors.txt"), "failure\n");
}

}  // namespace
