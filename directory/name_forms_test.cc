#include "directory/name_forms.h"

#include <gtest/gtest.h>

namespace {

struct FormCase {
  uint32_t form;
  const char* name;
  const char* text;
};

TEST(NameForms, FormsComputedFromTheNameItself) {
  const char* ann = "CN=Ann,OU=Staff,DC=sales,DC=corp";
  const FormCase cases[] = {
      // Canonical: the domain part and the comma before it go.
      {kFormCanonical, ann, "CN=Ann,OU=Staff"},
      {kFormCanonical | kFormNoTypes, ann, "Ann,Staff"},
      {kFormCanonical, "DC=sales,DC=corp", "DC=sales,DC=corp"},
      {kFormCanonical, "CN=Ann,OU=Staff,dc=sales,dc=corp", "CN=Ann,OU=Staff"},
      {kFormCanonical, "CN=Ann,OU=Staff,Dc=sales", "CN=Ann,OU=Staff,Dc=sales"},
      {kFormCanonical, "CN=Ann,OU=Staff,DC=sales,dc=corp", "CN=Ann,OU=Staff"},
      {kFormCanonical, "SALES\\ann", "SALES\\ann"},
      // With domain.
      {kFormWithDomain, ann, ann},
      {kFormWithDomain | kFormNoTypes, ann, "Ann,Staff,sales,corp"},
      // Relative name.
      {kFormRelative, ann, "CN=Ann"},
      {kFormRelative | kFormNoTypes, ann, "Ann"},
      {kFormRelative, "CN=Lee\\, Ann,OU=x", "CN=Lee\\, Ann"},
      {kFormRelative, ",CN=Ann", ",CN=Ann"},
      {kFormRelative | kFormNoTypes, "SALES\\ann", "ann"},
      {kFormRelative, "SALES\\,ann", "SALES\\,ann"},
      {kFormRelative, "ann@sales.corp", "ann"},
      {kFormRelative, "ann", "ann"},
      {kFormRelative | kFormNoTypes, "cn=c*", "c*"},
      // Untyped common name: escapes resolved, hex escapes kept.
      {kFormUntypedCn, ann, "Ann"},
      {kFormUntypedCn, "CN=Lee\\, Ann,OU=x", "Lee, Ann"},
      {kFormUntypedCn, "cn=A\\2Cb,OU=x", "A\\2Cb"},
      {kFormUntypedCn, "ou=a\\\\b", "a\\b"},
      {kFormUntypedCn, "Dc=trail\\", "trail\\"},
      {kFormUntypedCn, "O=Org,C=x", "O=Org"},
      // u alone, and attribute forms without a directory: canonical with types kept.
      {kFormNoTypes, ann, "CN=Ann,OU=Staff"},
      {kFormNt, ann, "CN=Ann,OU=Staff"},
      {kFormDisplay | kFormNoTypes, ann, "CN=Ann,OU=Staff"},
      {kFormPrincipal, ann, "CN=Ann,OU=Staff"},
      {kFormGuid, ann, "CN=Ann,OU=Staff"},
      // The first form bit wins: with domain, canonical, untyped, relative.
      {kFormWithDomain | kFormCanonical, ann, ann},
      {kFormCanonical | kFormRelative, ann, "CN=Ann,OU=Staff"},
      {kFormUntypedCn | kFormRelative, ann, "Ann"},
      {kFormRelative | kFormNt, ann, "CN=Ann"},
      // An empty name stays empty in every form.
      {kFormCanonical, "", ""},
      {kFormNt, "", ""},
  };
  for (const FormCase& c : cases) {
    EXPECT_EQ(FormatName(nullptr, c.form, c.name), c.text)
        << "form 0x" << std::hex << c.form << " of " << c.name;
  }
}

TEST(NameForms, RemoveTypesDropsOneAndTwoLetterTypes) {
  const std::pair<const char*, const char*> cases[] = {
      {"CN=Ann,OU=Staff,DC=sales,DC=corp", "Ann,Staff,sales,corp"},
      {"C=de,O=Org", "de,Org"},
      {"uid=ann,CN=x", "uid=ann,x"},
      {"CN=Lee\\, Ann", "Lee\\, Ann"},
      {"CN=Lee\\,OU=x", "Lee\\,x"},
      {"plain", "plain"},
      {"", ""},
      {",", ","},
      {"a=,b==", ",="},
      {"=x", "=x"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(RemoveTypes(in), out) << in;
}

TEST(NameForms, GuidBytesReadAsBracedUpperCaseText) {
  const std::string bytes("\xf0\x50\xa0\x4f\x61\xf5\xcf\x11\xbd\xd9\x00\xaa\x00\x3a\x77\xb6", 16);
  EXPECT_EQ(GuidToText(bytes), "{4FA050F0-F561-11CF-BDD9-00AA003A77B6}");
  EXPECT_EQ(GuidToText(bytes + "extra"), "{4FA050F0-F561-11CF-BDD9-00AA003A77B6}");
  EXPECT_EQ(GuidToText(bytes.substr(0, 15)), "");
}

TEST(NameForms, DomainPartStartsAtTheFirstUpperOrLowerCaseDc) {
  EXPECT_EQ(DomainPartPosition("CN=Ann,DC=sales,DC=corp"), 7u);
  EXPECT_EQ(DomainPartPosition("CN=Ann,dc=sales,DC=corp"), 16u);
  EXPECT_EQ(DomainPartPosition("CN=Ann,dc=sales"), 7u);
  EXPECT_EQ(DomainPartPosition("CN=Ann,Dc=sales"), std::string::npos);
}

}  // namespace
