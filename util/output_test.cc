// PrintMessage: channel choice, blank collapsing, prefixes, wrapping and reasons.
#include "util/output.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "util/streams_test_util.h"
#include "util/window_channel.h"

namespace {

std::string Words(int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) {
    char word[16];
    snprintf(word, sizeof word, "%sword%02d", text.empty() ? "" : " ", i);
    text += word;
  }
  return text;
}

TEST(PrintMessage, RoutesByCodeToStandardOutputAndError) {
  struct Case {
    int32_t code;
    int increment;
    const char* out;
    const char* err;
    int errors;
  } cases[] = {
      {0, 0, "text\n", "", 0},
      {-1, 1, "", "text\n", 1},
      {-2, 0, "text\n", "text\n", 0},
  };
  for (const Case& c : cases) {
    TestOutput t;
    EXPECT_EQ(t.Print("text", c.code, c.increment), 1);
    EXPECT_EQ(t.Stdout(), c.out) << c.code;
    EXPECT_EQ(t.Stderr(), c.err) << c.code;
    EXPECT_EQ(t.out.error_count, c.errors) << c.code;
  }
}

TEST(PrintMessage, ErrorWithoutErrorChannelGoesToConsoleOnlyAndCounts) {
  TestOutput t;
  t.OpenTempLog();
  t.out.normal_flags = kChannelCon | kChannelLog | kChannelWrap;
  t.out.error_flags = kChannelCon | kChannelWrap;
  t.Print("LORVEX: failure", -1, 1);
  EXPECT_EQ(t.Stderr(), "LORVEX: failure\n");
  EXPECT_EQ(t.Log(), "");
  EXPECT_EQ(t.out.error_count, 1);
}

TEST(PrintMessage, NoChosenChannelWritesNothingButCounts) {
  TestOutput t;
  t.out.normal_flags = 0;
  EXPECT_EQ(t.Print("quiet", 0, 1), 0);
  EXPECT_EQ(t.Stdout(), "");
  EXPECT_EQ(t.out.error_count, 1);
}

TEST(PrintMessage, RepeatedBlankLinesCollapseOnEveryChannel) {
  TestOutput t;
  t.OpenTempLog();
  t.out.normal_flags |= kChannelLog;
  t.Print("one");
  t.Print("");
  t.Print("");
  t.Print("two");
  EXPECT_EQ(t.Stdout(), "one\n\ntwo\n");
  EXPECT_EQ(t.Log(), "one\n\ntwo\n");
}

TEST(PrintMessage, ConsoleStreamsShareOneBlankLineMemory) {
  TestOutput t;
  t.Print("");
  t.Print("", -1, 0);
  EXPECT_EQ(t.Stdout(), "\n");
  EXPECT_EQ(t.Stderr(), "");
}

TEST(PrintMessage, BlankRefusedByLogIsDroppedOnConsoleToo) {
  TestOutput t;
  t.OpenTempLog();
  t.out.normal_flags = kChannelCon | kChannelLog | kChannelNoBlanks | kChannelWrap;
  t.Print("a");
  t.Print("");
  t.Print("b");
  EXPECT_EQ(t.Stdout(), "a\nb\n");
  EXPECT_EQ(t.Log(), "a\nb\n");
}

TEST(PrintMessage, BlankWithNoAcceptingChannelDoesNothing) {
  TestOutput t;
  t.OpenTempLog();
  t.out.normal_flags = kChannelLog | kChannelNoBlanks;
  EXPECT_EQ(t.Print("", 0, 1), 0);
  EXPECT_EQ(t.Log(), "");
  EXPECT_EQ(t.out.error_count, 0);
}

TEST(PrintMessage, ErrorFileBlanksFollowTheErrorWord) {
  TestOutput t;
  t.OpenTempErr();
  t.out.error_flags = kChannelCon | kChannelErr | kChannelNoBlanks;
  t.Print("x", -1, 1);
  t.Print("", -1, 0);
  EXPECT_EQ(t.Err(), "x\n");
  EXPECT_EQ(t.Stderr(), "x\n");
}

TEST(PrintMessage, DateAndTimePrefixesFollowEachWord) {
  struct Case {
    uint32_t normal;
    const char* expected;
  } cases[] = {
      {kChannelCon | kChannelDate, "05JAN2011 text\n"},
      {kChannelCon | kChannelTime, "09:08:07 text\n"},
      {kChannelCon | kChannelDate | kChannelTime, "05JAN2011 09:08:07 text\n"},
      {kChannelCon, "text\n"},
  };
  for (const Case& c : cases) {
    TestOutput t;
    t.out.normal_flags = c.normal;
    t.Print("text");
    EXPECT_EQ(t.Stdout(), c.expected);
  }
}

TEST(PrintMessage, ErrorFileTakesItsPrefixFromTheErrorWord) {
  TestOutput t;
  t.OpenTempErr();
  t.out.normal_flags = kChannelCon | kChannelDate;
  t.out.error_flags = kChannelErr | kChannelTime;
  t.Print("bad", -1, 1);
  EXPECT_EQ(t.Err(), "09:08:07 bad\n");
  EXPECT_EQ(t.Stderr(), "");
}

TEST(PrintMessage, LongMessageWrapsBelowColumn79AfterThePrefix) {
  TestOutput t;
  t.out.normal_flags = kChannelCon | kChannelWrap | kChannelDate | kChannelTime;
  const std::string text = Words(1, 29);
  ASSERT_EQ(text.size(), 202u);
  t.Print(text.c_str());
  const std::string expected =
      "05JAN2011 09:08:07 " + Words(1, 8) + "\n " + Words(9, 19) + "\n " + Words(20, 29) + "\n";
  EXPECT_EQ(t.Stdout(), expected);
  size_t start = 0;
  const std::string out = t.Stdout();
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    EXPECT_LT(end - start, 79u);
    start = end + 1;
  }
}

TEST(PrintMessage, NowrapKeepsTheMessageOnOneLine) {
  TestOutput t;
  t.out.normal_flags = kChannelCon | kChannelDate | kChannelTime;
  const std::string text = Words(1, 29);
  t.Print(text.c_str());
  EXPECT_EQ(t.Stdout(), "05JAN2011 09:08:07 " + text + "\n");
}

TEST(PrintMessage, ChoosesLogWrappingFromNormalWordAndErrorFileFromErrorWord) {
  TestOutput t;
  t.OpenTempLog();
  t.OpenTempErr();
  t.out.normal_flags = kChannelLog | kChannelWrap;
  t.out.error_flags = kChannelLog | kChannelErr;
  const std::string text = Words(1, 12);
  t.Print(text.c_str(), -1, 1);
  EXPECT_EQ(t.Log(), Words(1, 11) + "\n " + Words(12, 12) + "\n");
  EXPECT_EQ(t.Err(), text + "\n");
}

TEST(PrintMessage, CharWritesUtf8TextUnchanged) {
  TestOutput t;
  t.OpenTempLog();
  t.out.normal_flags = kChannelLog | kChannelChar;
  t.Print("Preis 5 \xE2\x82\xAC");
  EXPECT_EQ(t.Log(), "Preis 5 \xE2\x82\xAC\n");
}

TEST(PrintMessage, FormattedMessageGoesThroughTheBuffer) {
  TestOutput t;
  PrintFormatted(&t.out, -1, 1, "%s: %d objects", "LORVEX", 3);
  EXPECT_EQ(t.Stderr(), "LORVEX: 3 objects\n");
  EXPECT_STREQ(t.out.message, "LORVEX: 3 objects");
  EXPECT_EQ(t.out.error_count, 1);
}

// A log or error file on a full disk: /dev/full takes the open and refuses every write.
FILE* FullDisk(TestOutput* t, bool log) {
  FILE* file = fopen("/dev/full", "w");
  snprintf(log ? t->out.log_file_name : t->out.error_file_name, sizeof t->out.log_file_name, "/dev/full");
  return file;
}

TEST(PrintMessage, FileThatCannotBeWrittenIsClosedAndReportedOnceOnTheOtherChannels) {
  struct Case {
    const char* name;
    bool log_full;
    bool err_full;
    const char* stderr_text;
    const char* log_text;  // the log's contents when it is a working file
    int errors;
  } cases[] = {
      {"full log", true, false,
       "LORVEX: Cannot write to log file /dev/full\nReason(s): No space left on device\nfailure\n", nullptr,
       2},
      {"full error file", false, true,
       "failure\nLORVEX: Cannot write to error file /dev/full\nReason(s): No space left on device\n",
       "result\nfailure\nLORVEX: Cannot write to error file /dev/full\nReason(s): No space left on device\n"
       "more\n",
       2},
      {"both full", true, true,
       "LORVEX: Cannot write to log file /dev/full\nReason(s): No space left on device\n"
       "LORVEX: Cannot write to error file /dev/full\nReason(s): No space left on device\nfailure\n",
       nullptr, 3},
  };
  for (const Case& c : cases) {
    TestOutput t;
    t.out.normal_flags = kChannelCon | kChannelLog | kChannelWrap;
    t.out.error_flags = kChannelCon | kChannelLog | kChannelErr | kChannelWrap;
    if (c.log_full) {
      t.out.log_file = FullDisk(&t, true);
    } else {
      t.OpenTempLog();
    }
    if (c.err_full) {
      t.out.error_file = FullDisk(&t, false);
    } else {
      t.OpenTempErr();
    }
    ASSERT_NE(t.out.log_file, nullptr) << c.name;
    ASSERT_NE(t.out.error_file, nullptr) << c.name;
    t.Print("result");
    // The caller's message is still in the buffer after the report of the failure.
    EXPECT_STREQ(t.out.message, "result") << c.name;
    t.Print("failure", -1, 1);
    t.Print("more");
    EXPECT_EQ(t.Stdout(), "result\nmore\n") << c.name;
    EXPECT_EQ(t.Stderr(), c.stderr_text) << c.name;
    EXPECT_EQ(t.out.error_count, c.errors) << c.name;
    EXPECT_EQ(t.out.log_file == nullptr, c.log_full) << c.name;
    EXPECT_EQ(t.out.error_file == nullptr, c.err_full) << c.name;
    if (c.log_text != nullptr) {
      EXPECT_EQ(t.Log(), c.log_text) << c.name;
    }
  }
}

TEST(PrintMessage, FilesHoldEachMessageOnceItIsPrinted) {
  // Read through a handle of its own, as after the process had ended without closing the file.
  char name[] = "/tmp/lorvex-output-test-XXXXXX";
  const int descriptor = mkstemp(name);
  ASSERT_GE(descriptor, 0);
  close(descriptor);
  TestOutput t;
  t.out.log_file = fopen(name, "w");
  t.out.normal_flags = kChannelCon | kChannelLog | kChannelWrap;
  t.out.error_flags = kChannelCon | kChannelLog | kChannelWrap;
  t.Print("result");
  t.Print("");
  t.Print("failure", -1, 1);
  FILE* reader = fopen(name, "r");
  ASSERT_NE(reader, nullptr);
  std::string text;
  for (int c; (c = fgetc(reader)) != EOF;) text += static_cast<char>(c);
  fclose(reader);
  EXPECT_EQ(text, "result\n\nfailure\n");
  unlink(name);
}

// A window line store standing in for the output window.
std::vector<std::string> g_window_lines;
int g_window_flushes = 0;
size_t FakeLineCount() { return g_window_lines.size(); }
void FakeAppend(const char* text) { g_window_lines.push_back(text); }
void FakeFlush() { ++g_window_flushes; }
const WindowChannel kFakeWindow = {FakeLineCount, FakeAppend, FakeFlush};

TEST(PrintMessage, WindowTakesTheConsolePlaceAndSkipsLeadingBlank) {
  g_window_lines.clear();
  g_window_flushes = 0;
  SetWindowChannel(&kFakeWindow);
  TestOutput t;
  t.out.control_flags = kControlWindowConsole;
  t.Print("");
  t.Print("first");
  t.Print("");
  t.Print("");
  t.Print("error", -1, 1);
  SetWindowChannel(nullptr);
  EXPECT_EQ(g_window_lines, (std::vector<std::string>{"first", "", "error"}));
  EXPECT_EQ(g_window_flushes, 4);
  EXPECT_EQ(t.Stdout(), "");
  EXPECT_EQ(t.Stderr(), "");
  EXPECT_EQ(t.out.page_rows, 3);
}

}  // namespace
