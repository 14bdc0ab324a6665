// Error texts: the server's words under a directory error, and the zemerr.msg message file.
#include "util/error_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "util/last_diagnostic.h"
#include "util/streams_test_util.h"

namespace {

// The server's words kept by the directory layer are quoted, on one line, under the text of the
// failure they belong to, and only once.
TEST(ReportDirectoryError, QuotesTheServersWordsOfThatFailureOnce) {
  const int32_t kLogonFailure = static_cast<int32_t>(0x8007052E);
  const int32_t kNoObject = static_cast<int32_t>(0x80072030);
  const std::string bind = "LORVEX: Cannot bind\nReason(s): The user name or password is incorrect\n";
  const std::string read = "LORVEX: Cannot read x\nReason(s): There is no such object on the server\n";
  TestOutput t;
  SetLastFailure(kNoObject, "0000208D: NameErr: problem 2001, best match of:\n\t'OU=People,DC=x'\r\n");
  ReportDirectoryError(&t.out, kNoObject, "Cannot read x");
  SetLastFailure(kLogonFailure, "data 775");
  ReportDirectoryError(&t.out, kNoObject, "Cannot read x");
  ReportDirectoryError(&t.out, kLogonFailure, "Cannot bind");
  ReportDirectoryError(&t.out, kLogonFailure, "Cannot bind");
  SetLastDiagnostic("words of no failure code");
  ReportDirectoryError(&t.out, kLogonFailure, "Cannot bind");
  SetLastFailure(kLogonFailure, " \n");
  ReportDirectoryError(&t.out, kLogonFailure, "Cannot bind");
  EXPECT_EQ(LastDiagnostic(), " \n");
  SetLastFailure(5, "a system error code keeps no words");
  ReportDirectoryError(&t.out, 5, "Cannot read x");
  ReportDirectoryError(&t.out, -1, "No objects");
  EXPECT_EQ(t.Stderr(), read +
                            "           0000208D: NameErr: problem 2001, best match of: 'OU=People,DC=x'\n" +
                            read + bind + "           data 775\n" + bind + bind + bind +
                            "LORVEX: Cannot read x\nReason(s): Access is denied\nLORVEX: No objects\n");
  EXPECT_EQ(t.out.error_count, 8);
  SetLastDiagnostic("");
}

// Writes a zemerr.msg holding the texts of codes 0x8800 on, then of -1 down.
std::string WriteMessageFile(const std::vector<std::string>& positive,
                             const std::vector<std::string>& negative) {
  std::vector<std::string> texts = positive;
  texts.insert(texts.end(), negative.begin(), negative.end());
  std::string bytes(4 + 4 * texts.size(), '\0');
  auto put16 = [&bytes](size_t at, size_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
  };
  put16(0, positive.size() - 1);
  put16(2, negative.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].empty()) continue;  // offset 0: no text
    put16(4 + 4 * i, bytes.size());
    put16(6 + 4 * i, texts[i].size());
    bytes += texts[i];
  }
  const std::string path = testing::TempDir() + "zemerr_test.msg";
  FILE* file = fopen(path.c_str(), "wb");
  fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
  return path;
}

// Texts of the file are looked up by code; a reason's pieces stand under its label, with the prefix.
TEST(LookupMessageText, ReadsTextsFallsBackOutsideTheFileAndSplitsReasonsIntoPieces) {
  const std::string words = "piece piece piece piece piece piece piece piece piece piece piece piece";
  const std::string path =
      WriteMessageFile({"First line\\nSecond line\\n" + words, "", std::string(300, 'x')}, {"Minus one"});
  TestOutput t;
  EXPECT_EQ(LookupMessageText(&t.out, 0x100), "Description not available for error 0x100");
  EXPECT_EQ(t.out.message_file, nullptr);  // low codes never look for the file
  t.out.message_file = fopen(path.c_str(), "rb");
  const std::pair<int32_t, std::string> cases[] = {
      {0x8801, "Description not available for error 0x8801"},
      {0x8802, std::string(255, 'x')},
      {0x8803, "Description not available for error 0x8803"},
      {-1, "Minus one"},
      {-2, "Description not available for error -2"},
      {0x87FF, "Description not available for error 0x87FF"},
  };
  for (const auto& [code, text] : cases) EXPECT_EQ(LookupMessageText(&t.out, code), text) << code;
  t.out.normal_flags = kChannelCon | kChannelWrap | kChannelTime;
  t.Print("LORVEX: request failed", 0x8800, 1);
  EXPECT_EQ(t.Stderr(),
            "09:08:07 LORVEX: request failed\n"
            "09:08:07 Reason(s): First line\n"
            "09:08:07            Second line\n"
            "09:08:07            piece piece piece piece piece piece piece piece piece\n"
            " piece piece piece\n");
  TestOutput missing;
  missing.out.message_file_failed = true;
  EXPECT_EQ(LookupMessageText(&missing.out, -4),
            "Not available for error -4. Cannot locate message file zemerr.msg");
}

}  // namespace
