// PrintMessage into the output window, and files that hold each message once it is printed.
#include "util/output.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "util/streams_test_util.h"
#include "util/window_channel.h"

namespace {

// A window line store standing in for the output window.
std::vector<std::string> g_window_lines;
int g_window_flushes = 0;
const WindowChannel kWindow = {[] { return g_window_lines.size(); },
                               [](const char* text) { g_window_lines.push_back(text); },
                               [] { ++g_window_flushes; }};

TEST(PrintMessage, TheWindowTakesTheConsolesPlaceWithoutALeadingBlank) {
  SetWindowChannel(&kWindow);
  TestOutput t;
  t.out.control_flags = kControlWindowConsole;
  for (const char* text : {"", "first", "", ""}) t.Print(text);
  t.Print("error", -1, 1);
  SetWindowChannel(nullptr);
  EXPECT_EQ(g_window_lines, (std::vector<std::string>{"first", "", "error"}));
  EXPECT_EQ(g_window_flushes, 4);
  EXPECT_EQ(t.Stdout() + t.Stderr(), "");
  EXPECT_EQ(t.out.page_rows, 3);
}

TEST(PrintMessage, FilesHoldEachMessageOnceItIsPrinted) {
  // Read through a handle of its own, as after the process had ended without closing the file.
  const std::string name = testing::TempDir() + "lorvex_output_test.log";
  TestOutput t;
  t.out.log_file = fopen(name.c_str(), "w");
  t.out.normal_flags = kChannelLog;
  t.out.error_flags = kChannelLog;
  t.Print("result");
  t.Print("");
  t.Print("failure", -1, 1);
  std::stringstream text;
  text << std::ifstream(name).rdbuf();
  unlink(name.c_str());
  EXPECT_EQ(text.str(), "result\n\nfailure\n");
}

}  // namespace
