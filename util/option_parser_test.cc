// The option parser: letters, values, the cancelling form and the collected error box.
#include "util/option_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr char kPlain[] = "0$cefghjlnpstuvx";
constexpr char kValued[] = "@aelopsy";
constexpr char kClosingLists[] =
    "\nOptions without values are /? /0 /$ /c /e /f /g /h /j /l /n /p /s /t /u /v /x \n"
    "Options with values are /@ /a /e /l /o /p /s /y \n";

std::string Value(const GatheredOptions& found, char letter) {
  int slot = letter - 'a';
  return found.has_value[slot] ? found.values[slot] : "<none>";
}

struct Parsed {
  bool ok;
  std::string box;
};

Parsed Parse(const std::string& text, GatheredOptions* found, const char* source = "command line") {
  testing::internal::CaptureStderr();
  bool ok = ParseOptionText("LORVEX", text, kPlain, kValued, found, source);
  return Parsed{ok, testing::internal::GetCapturedStderr()};
}

TEST(OptionParser, ValueFormsAllGiveTheSameValue) {
  for (const char* text : {"/s=vr", "/s:vr", "/svr", "/s:=vr", " -s=vr", "/S=vr", "/s = vr"}) {
    GatheredOptions found;
    Parsed p = Parse(text, &found);
    EXPECT_TRUE(p.ok) << text;
    EXPECT_EQ(found.with_value, "s") << text;
    EXPECT_EQ(found.without_value, "") << text;
    EXPECT_EQ(Value(found, 's'), "vr") << text;
  }
}

TEST(OptionParser, LettersAndValuesAreSeparatedBySwitchCharacters) {
  struct Case {
    const char* text;
    const char* plain;
    const char* valued;
    char letter;
    const char* value;
  } cases[] = {
      {"/sj", "", "s", 's', "j"},
      {"/s/j", "sj", "", 's', "<none>"},
      {"/S /l /E", "sle", "", 'e', "<none>"},
      {"/o=User", "", "o", 'o', "User"},
      {"/l=\"c:\\logs\\run-1.log\"", "", "l", 'l', "c:\\logs\\run-1.log"},
      {"/l=\"a/b c\"", "", "l", 'l', "a/b c"},
      {"/y=\"\"\"q\"\"\"", "", "y", 'y', "\"q\""},
      {"/a=d\"\"u", "", "a", 'a', "d\"u"},
      {"/@=more.ini", "", "j", 'j', "more.ini"},
      {"/j /j /c /j", "jc", "", 'j', "<none>"},
      {"/s /s=v", "s", "s", 's', "v"},
      {"/p=\"unclosed", "", "p", 'p', "unclosed"},
      {"/x -", "x", "", 'x', "<none>"},
  };
  for (const Case& c : cases) {
    GatheredOptions found;
    Parsed p = Parse(c.text, &found);
    EXPECT_TRUE(p.ok) << c.text << p.box;
    EXPECT_EQ(found.without_value, c.plain) << c.text;
    EXPECT_EQ(found.with_value, c.valued) << c.text;
    EXPECT_EQ(Value(found, c.letter), c.value) << c.text;
  }
}

TEST(OptionParser, EachErrorIsListedThenBothOptionLists) {
  struct Case {
    const char* text;
    const char* errors;
  } cases[] = {
      {"/k", "/k (from command line) is not a valid option\n"},
      {"/o", "/o (from command line) requires a value\n"},
      {"/h=1", "/h (from command line) is not allowed a value\n"},
      {"/@", "/@ (from command line) requires a value\n"},
      {"/o=", "/o (from command line) requires a value\n"},
      {"/l=c:\\logs\\run-1.log", "-1 (from command line) is not a valid option\n"},
      {"/l=a/b", "/b (from command line) is not a valid option\n"},
      {"-K /o /h=1",
       "-k (from command line) is not a valid option\n/o (from command line) requires a value\n"
       "/h (from command line) is not allowed a value\n"},
      {"//s", "/ (from command line) is not a valid option\n"},
  };
  for (const Case& c : cases) {
    GatheredOptions found;
    Parsed p = Parse(c.text, &found);
    EXPECT_FALSE(p.ok) << c.text;
    EXPECT_EQ(p.box, std::string(c.errors) + kClosingLists) << c.text;
  }
}

TEST(OptionParser, ErrorNamesItsSource) {
  GatheredOptions found;
  Parsed p = Parse("/q", &found, "environment");
  EXPECT_EQ(p.box, std::string("/q (from environment) is not a valid option\n") + kClosingLists);
}

TEST(OptionParser, EmptyBodyTouchesNothing) {
  GatheredOptions found;
  Parsed p = Parse("//s", &found);
  EXPECT_FALSE(p.ok);
  EXPECT_EQ(found.without_value, "s");
  EXPECT_EQ(found.with_value, "");
}

TEST(OptionParser, CancellingFormRemovesLettersSetBefore) {
  GatheredOptions found;
  ASSERT_TRUE(Parse("/g /c /s=v /j", &found, "environment").ok);
  EXPECT_EQ(found.without_value, "gcj");
  Parsed p = Parse("/g- /s- /x", &found);
  EXPECT_TRUE(p.ok) << p.box;
  // The last letter takes the place of a removed one.
  EXPECT_EQ(found.without_value, "jcx");
  EXPECT_EQ(found.with_value, "");
  EXPECT_EQ(Value(found, 's'), "<none>");
}

TEST(OptionParser, CancellingFormNeedsALoneDash) {
  struct Case {
    const char* text;
    const char* plain;
    const char* valued;
  } cases[] = {
      {"/g-/c", "c", ""}, {"/g--c", "c", ""}, {"/g-", "", ""}, {"/g-\t/c", "c", ""}, {"/sj-", "", "s"},
  };
  for (const Case& c : cases) {
    GatheredOptions found;
    ASSERT_TRUE(Parse("/g", &found).ok);
    Parsed p = Parse(c.text, &found);
    EXPECT_TRUE(p.ok) << c.text << p.box;
    if (std::string(c.text) != "/sj-") {
      EXPECT_EQ(found.without_value, c.plain) << c.text;
    }
    EXPECT_EQ(found.with_value, c.valued) << c.text;
  }
}

TEST(OptionParser, CancellingAnInvalidLetterIsStillAnError) {
  GatheredOptions found;
  Parsed p = Parse("/k-", &found);
  EXPECT_FALSE(p.ok);
  EXPECT_EQ(p.box, std::string("/k (from command line) is not a valid option\n") + kClosingLists);
}

TEST(OptionParser, WithoutValuedLettersTheSecondListIsLeftOut) {
  GatheredOptions found;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ParseOptionText("X", "/q", "ab", "", &found, "command line"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "/q (from command line) is not a valid option\n\nOptions without values are /? /a /b \n");
}

}  // namespace
