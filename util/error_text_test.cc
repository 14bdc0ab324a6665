// Error texts: the directory error report, system texts and the zemerr.msg message file.
#include "util/error_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "util/last_diagnostic.h"
#include "util/streams_test_util.h"

namespace {

// The directory layer's codes these reports are about.
constexpr int32_t kAdsOk = 0;
constexpr int32_t kAdsBadPath = static_cast<int32_t>(0x80005000);
constexpr int32_t kAdsNoSuchObject = static_cast<int32_t>(0x80072030);
constexpr int32_t kAdsServerDown = static_cast<int32_t>(0x8007203A);
constexpr int32_t kAdsLogonFailure = static_cast<int32_t>(0x8007052E);

TEST(ReportDirectoryError, PrintsDescriptionThenReason) {
  struct Case {
    uint32_t code;
    const char* reason;
  } cases[] = {
      {0x8000500D, "Reason(s): The property was not in the property cache"},
      {0x80005000, "Reason(s): The ADSI path is invalid"},
      {0x8000500E, "Reason(s): The ADSI object already exists"},
      {0x80045301, "Reason(s): There is no quota on the directory"},
      {0x80045316, "Reason(s): Unexpected error - check the application event log"},
      {0x80045332, "Reason(s): The report job already contains a report of the specified type"},
      {0x80070005, "Reason(s): Access is denied"},
      {0x80072030, "Reason(s): There is no such object on the server"},
      {0x8007203A, "Reason(s): The server is not operational"},
      {0x8007052E, "Reason(s): The user name or password is incorrect"},
      {0x80072116, "Reason(s): Name translation: Could not find the name or insufficient right to see name"},
      {0x8007000E, "Reason(s): Not enough memory resources are available to complete this operation"},
      {0x80004005, "Reason(s): Unspecified error"},
      {2221, "Reason(s): The user name could not be found"},
      {0x80045302, "Reason(s): Translation unavailable for error 0x80045302 (-2147200254)"},
      {0x80071234, "Reason(s): Translation unavailable for error 0x1234 (4660)"},
      {0x8000500F, "Reason(s): Translation unavailable for error 0x8000500F (-2147463153)"},
  };
  for (const Case& c : cases) {
    TestOutput t;
    ReportDirectoryError(&t.out, static_cast<int32_t>(c.code), "Cannot verify cn=x");
    EXPECT_EQ(t.Stderr(), std::string("LORVEX: Cannot verify cn=x\n") + c.reason + "\n")
        << std::hex << c.code;
    EXPECT_EQ(t.Stdout(), "");
    EXPECT_EQ(t.out.error_count, 1);
  }
}

TEST(ReportDirectoryError, CodeMinusOnePrintsTheDescriptionAlone) {
  TestOutput t;
  ReportDirectoryError(&t.out, -1, "No objects named x were found");
  EXPECT_EQ(t.Stderr(), "LORVEX: No objects named x were found\n");
  EXPECT_EQ(t.out.error_count, 1);
}

TEST(ReportDirectoryError, ReasonLineGoesToTheErrorFileToo) {
  TestOutput t;
  t.OpenTempErr();
  t.out.error_flags = kChannelErr | kChannelDate;
  ReportDirectoryError(&t.out, static_cast<int32_t>(0x8000500D), "Cannot read x");
  EXPECT_EQ(
      t.Err(),
      "05JAN2011 LORVEX: Cannot read x\n05JAN2011 Reason(s): The property was not in the property cache\n");
}

// The server's diagnostic kept by the directory layer is quoted under the code's text only when
// it belongs to the failure reported, and only once.
TEST(ReportDirectoryError, QuotesTheServersDiagnosticOfThatFailureUnderTheReason) {
  const int32_t kLogon = kAdsLogonFailure;
  const int32_t kNoObject = kAdsNoSuchObject;
  struct Case {
    const char* behaviour;
    int32_t failed;          // code the layer failed with (0: a diagnostic of no code)
    const char* diagnostic;  // what the layer kept
    int32_t reported;        // code given to the report
    const char* stderr_text;
  } cases[] = {
      {"AD's bind diagnostic follows the text", kLogon,
       "80090308: LdapErr: DSID-0C09041C, comment: AcceptSecurityContext error, data 52e, v1db1", kLogon,
       "LORVEX: Cannot verify cn=x\n"
       "Reason(s): The user name or password is incorrect\n"
       "           80090308: LdapErr: DSID-0C09041C, comment: AcceptSecurityContext error, data 52e, "
       "v1db1\n"},
      {"Samba's lines become one", kNoObject,
       "0000208D: NameErr: DSID-03100238, problem 2001 (NO_OBJECT), data 0, best match of:\n"
       "\t'OU=People,DC=x'\n",
       kNoObject,
       "LORVEX: Cannot verify cn=x\n"
       "Reason(s): There is no such object on the server\n"
       "           0000208D: NameErr: DSID-03100238, problem 2001 (NO_OBJECT), data 0, best match of: "
       "'OU=People,DC=x'\n"},
      {"a diagnostic of another failure is not quoted", kNoObject, "0000208D: NameErr: problem 2001", kLogon,
       "LORVEX: Cannot verify cn=x\nReason(s): The user name or password is incorrect\n"},
      {"a diagnostic kept without its code is not quoted", 0, "Can't contact LDAP server", kAdsServerDown,
       "LORVEX: Cannot verify cn=x\nReason(s): The server is not operational\n"},
      {"an empty diagnostic adds no line", kAdsServerDown, " \n", kAdsServerDown,
       "LORVEX: Cannot verify cn=x\nReason(s): The server is not operational\n"},
      {"the table's codes take a diagnostic too", kAdsBadPath, "Not an LDAP path: x", kAdsBadPath,
       "LORVEX: Cannot verify cn=x\nReason(s): The ADSI path is invalid\n           Not an LDAP path: x\n"},
      {"code -1 has no reason and no diagnostic", -1, "stale", -1, "LORVEX: Cannot verify cn=x\n"},
  };
  for (const Case& c : cases) {
    if (c.failed == 0) {
      SetLastDiagnostic(c.diagnostic);
    } else {
      SetLastFailure(c.failed, c.diagnostic);
    }
    TestOutput t;
    ReportDirectoryError(&t.out, c.reported, "Cannot verify cn=x");
    EXPECT_EQ(t.Stderr(), c.stderr_text) << c.behaviour;
    EXPECT_EQ(t.out.error_count, 1) << c.behaviour;
  }
  SetLastDiagnostic("");
}

TEST(ReportDirectoryError, ADiagnosticIsQuotedOnceAndNeverAfterALaterOperationStarts) {
  SetLastFailure(kAdsLogonFailure, "data 775");
  TestOutput t;
  ReportDirectoryError(&t.out, kAdsLogonFailure, "Cannot authenticate to domain SALES");
  ReportDirectoryError(&t.out, kAdsLogonFailure, "Cannot authenticate to domain SALES");
  EXPECT_EQ(t.Stderr(),
            "LORVEX: Cannot authenticate to domain SALES\n"
            "Reason(s): The user name or password is incorrect\n"
            "           data 775\n"
            "LORVEX: Cannot authenticate to domain SALES\n"
            "Reason(s): The user name or password is incorrect\n");
  // The layer clears the diagnostic when an operation starts; a failure of the same code that
  // kept no words of its own is then reported without the earlier ones.
  SetLastFailure(kAdsLogonFailure, "data 52e");
  SetLastDiagnostic("");
  TestOutput u;
  ReportDirectoryError(&u.out, kAdsLogonFailure, "Cannot authenticate to domain SALES");
  EXPECT_EQ(
      u.Stderr(),
      "LORVEX: Cannot authenticate to domain SALES\nReason(s): The user name or password is incorrect\n");
}

TEST(DiagnosticFor, BelongsToTheFailureCodeOnly) {
  SetLastFailure(kAdsServerDown, "Can't contact LDAP server");
  EXPECT_EQ(DiagnosticFor(kAdsServerDown), "Can't contact LDAP server");
  EXPECT_EQ(DiagnosticFor(kAdsNoSuchObject), "");
  EXPECT_EQ(DiagnosticFor(kAdsOk), "");
  EXPECT_EQ(LastDiagnostic(), "Can't contact LDAP server");
  SetLastDiagnostic("other");
  EXPECT_EQ(DiagnosticFor(kAdsServerDown), "");
  SetLastFailure(0, "no code");
  EXPECT_EQ(DiagnosticFor(0), "");
  SetLastDiagnostic("");
}

TEST(SystemErrorText, TrimsFullStopsAndKnowsOnlyItsCodes) {
  std::string text;
  EXPECT_TRUE(SystemErrorText(5, &text));
  EXPECT_EQ(text, "Access is denied");
  EXPECT_TRUE(SystemErrorText(1323, &text));
  EXPECT_EQ(text, "Unable to update the password. The value provided as the current password is incorrect");
  EXPECT_FALSE(SystemErrorText(0x1234, &text));
  EXPECT_EQ(text, "");
}

// Writes a zemerr.msg with the texts of codes 0x8800 + i and -j.
std::string WriteMessageFile(const std::vector<std::string>& positive,
                             const std::vector<std::string>& negative) {
  std::vector<unsigned char> bytes;
  auto put16 = [&bytes](size_t at, uint16_t value) {
    bytes[at] = static_cast<unsigned char>(value & 0xFF);
    bytes[at + 1] = static_cast<unsigned char>(value >> 8);
  };
  const uint16_t highest = static_cast<uint16_t>(positive.size() - 1);
  size_t index_end = 8 + 4 * highest + 4 * negative.size();
  bytes.assign(index_end, 0);
  put16(0, highest);
  put16(2, static_cast<uint16_t>(negative.size()));
  auto add = [&](size_t entry, const std::string& text) {
    if (text.empty()) return;  // offset 0: no text
    put16(entry, static_cast<uint16_t>(bytes.size()));
    put16(entry + 2, static_cast<uint16_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
  };
  for (size_t i = 0; i < positive.size(); ++i) add(4 + 4 * i, positive[i]);
  for (size_t j = 1; j <= negative.size(); ++j) add(8 + 4 * highest + 4 * (j - 1), negative[j - 1]);
  std::string path = testing::TempDir() + "zemerr_test.msg";
  FILE* file = fopen(path.c_str(), "wb");
  fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
  return path;
}

TEST(LookupMessageText, ReadsTextsAndFallsBackOutsideTheFile) {
  const std::string long_text(300, 'x');
  std::string path =
      WriteMessageFile({"First positive", "", "Third positive", long_text}, {"Minus one", "Minus two"});
  TestOutput t;
  t.out.message_file = fopen(path.c_str(), "rb");
  ASSERT_NE(t.out.message_file, nullptr);
  struct Case {
    int32_t code;
    std::string text;
  } cases[] = {
      {0x8800, "First positive"},
      {0x8801, "Description not available for error 0x8801"},
      {0x8802, "Third positive"},
      {0x8803, std::string(255, 'x')},
      {0x8804, "Description not available for error 0x8804"},
      {-1, "Minus one"},
      {-2, "Minus two"},
      {-3, "Description not available for error -3"},
      {0x100, "Description not available for error 0x100"},
      {0x87FF, "Description not available for error 0x87FF"},
  };
  for (const Case& c : cases) EXPECT_EQ(LookupMessageText(&t.out, c.code), c.text) << c.code;
}

TEST(LookupMessageText, LowCodesNeverOpenTheFile) {
  TestOutput t;
  EXPECT_EQ(LookupMessageText(&t.out, 0x100), "Description not available for error 0x100");
  EXPECT_EQ(t.out.message_file, nullptr);
  EXPECT_FALSE(t.out.message_file_failed);
}

TEST(LookupMessageText, MissingFileIsRememberedAndReported) {
  TestOutput t;
  t.out.message_file_failed = true;
  EXPECT_EQ(LookupMessageText(&t.out, 0x8805),
            "Not available for error 0x8805. Cannot locate message file zemerr.msg");
  EXPECT_EQ(LookupMessageText(&t.out, -4),
            "Not available for error -4. Cannot locate message file zemerr.msg");
}

TEST(PrintMessage, ErrorCodeAddsReasonPiecesIndentedUnderTheLabel) {
  std::string long_piece;
  for (int i = 0; i < 12; ++i) long_piece += i ? " piece" : "piece";
  std::string path = WriteMessageFile({"First line\\nSecond line\\n" + long_piece}, {});
  TestOutput t;
  t.out.message_file = fopen(path.c_str(), "rb");
  t.out.normal_flags = kChannelCon | kChannelWrap;
  t.out.error_flags = kChannelCon | kChannelWrap;
  t.Print("LORVEX: request failed", 0x8800, 1);
  // 11 columns of indent: a piece line takes words below column 79 - 11 = 68.
  EXPECT_EQ(t.Stderr(),
            "LORVEX: request failed\n"
            "Reason(s): First line\n"
            "           Second line\n"
            "           piece piece piece piece piece piece piece piece piece piece piece\n"
            " piece\n");
  EXPECT_EQ(t.out.error_count, 1);
}

TEST(PrintMessage, ReasonPiecesCarryTheMessagePrefix) {
  std::string path = WriteMessageFile({"", "A\\nB"}, {});
  TestOutput t;
  t.out.message_file = fopen(path.c_str(), "rb");
  t.out.normal_flags = kChannelCon | kChannelTime;
  t.Print("failed", 0x8801, 1);
  EXPECT_EQ(t.Stderr(), "09:08:07 failed\n09:08:07 Reason(s): A\n09:08:07            B\n");
}

}  // namespace
