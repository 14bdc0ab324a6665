// Test helpers: tests that run in an empty directory of their own, removed afterwards.
#ifndef LORVEX_UTIL_EMPTY_DIR_TEST_UTIL_H_
#define LORVEX_UTIL_EMPTY_DIR_TEST_UTIL_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

/// Tests whose current directory is a new empty one under /tmp (dir_), which is removed and the
/// previous one restored after each test.
class EmptyDirectoryTest : public testing::Test {
 protected:
  void SetUp() override {
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    saved_dir_ = saved;
    char pattern[] = "/tmp/lorvex_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir(saved_dir_.c_str()), 0);
    std::string command = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(system(command.c_str()), 0);
  }
  /// Writes a file with the text.
  static void WriteFile(const std::string& name, const std::string& text) {
    FILE* file = fopen(name.c_str(), "w");
    fputs(text.c_str(), file);
    fclose(file);
  }

  std::string saved_dir_;
  std::string dir_;
};

#endif  // LORVEX_UTIL_EMPTY_DIR_TEST_UTIL_H_
