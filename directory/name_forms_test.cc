#include "directory/name_forms.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "directory/ads/fake/ads_fake.h"
#include "directory/directory_context.h"
#include "retrieval/sales_run_test_util.h"

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

class DirectoryNameForms : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFakeSalesRoot();
    FakeAddObject("CN=Ann,OU=Staff,DC=sales,DC=corp", {"top", "user"},
                  {FakeString("sAMAccountName", "ann"), FakeString("userPrincipalName", "ann@sales.corp"),
                   FakeString("displayName", "Ann Lee"), FakeOctets("objectGUID", kGuid)});
    FakeAddObject("CN=Bare,DC=sales,DC=corp", {"top", "user"});
    FakeAddObject("CN=Bob,DC=other,DC=corp", {"top", "user"}, {FakeString("sAMAccountName", "bob")});
    FakeAddObject("CN=Cy,DC=averyveryverylongdomain,DC=corp", {"top", "user"},
                  {FakeString("sAMAccountName", "cy")});
    OpenSalesDirectory(&dir_);
  }

  const std::string kGuid =
      std::string("\xf0\x50\xa0\x4f\x61\xf5\xcf\x11\xbd\xd9\x00\xaa\x00\x3a\x77\xb6", 16);
  DirectoryContext dir_;
};

TEST_F(DirectoryNameForms, AttributeFormsReadTheObject) {
  const char* ann = "CN=Ann,OU=Staff,DC=sales,DC=corp";
  const FormCase cases[] = {
      {kFormNt, ann, "SALES\\ann"},
      {kFormNt | kFormNoTypes, ann, "SALES\\ann"},
      {kFormDisplay, ann, "Ann Lee"},
      {kFormPrincipal, ann, "ann@sales.corp"},
      {kFormGuid, ann, "{4FA050F0-F561-11CF-BDD9-00AA003A77B6}"},
      // Values the object lacks, and objects that cannot be read, fall back to the canonical form.
      {kFormDisplay, "CN=Bare,DC=sales,DC=corp", "CN=Bare"},
      {kFormPrincipal | kFormNoTypes, "CN=Bare,DC=sales,DC=corp", "CN=Bare"},
      {kFormGuid, "CN=Bare,DC=sales,DC=corp", "CN=Bare"},
      {kFormNt, "CN=Bare,DC=sales,DC=corp", "CN=Bare"},
      {kFormNt, "CN=Gone,OU=Staff,DC=sales,DC=corp", "CN=Gone,OU=Staff"},
      // A wildcard name shows its own relative value as the account.
      {kFormNt, "CN=c*,OU=Staff,DC=sales,DC=corp", "SALES\\c*"},
      // A name in NT format is shown as it stands.
      {kFormNt, "SALES\\ann", "SALES\\ann"},
      {kFormDisplay, "SALES\\ann", "SALES\\ann"},
  };
  for (const FormCase& c : cases) {
    EXPECT_EQ(FormatName(&dir_, c.form, c.name), c.text)
        << "form 0x" << std::hex << c.form << " of " << c.name;
  }
}

TEST_F(DirectoryNameForms, NtNameOfAnotherDomainComesFromNameTranslation) {
  FakeSetDomainNames("OTHERDOM", "other.corp");  // the names the translation answers with
  EXPECT_EQ(FormatName(&dir_, kFormNt, "CN=Bob,DC=other,DC=corp"), "OTHERDOM\\bob");
  EXPECT_NE(std::find(FakeCalls().begin(), FakeCalls().end(), "translate 1 CN=Bob,DC=other,DC=corp"),
            FakeCalls().end());
}

TEST_F(DirectoryNameForms, NtNameWithoutNetbiosNameUsesNameTranslation) {
  dir_.netbios_domain_name.clear();
  FakeSetDomainNames("SALESNB", "sales.corp");
  EXPECT_EQ(FormatName(&dir_, kFormNt, "CN=Ann,OU=Staff,DC=sales,DC=corp"), "SALESNB\\ann");
  EXPECT_NE(std::find(FakeCalls().begin(), FakeCalls().end(), "translate-init 3 "), FakeCalls().end());
}

TEST_F(DirectoryNameForms, NtNameRetriesTranslationForTheDomainOfTheName) {
  FakeSetDomainNames("OTHERDOM", "other.corp");
  FakeFailTranslateInit(kAdsNameInitGc, kAdsServerDown);
  EXPECT_EQ(FormatName(&dir_, kFormNt, "CN=Bob,DC=other,DC=corp"), "OTHERDOM\\bob");
  EXPECT_NE(std::find(FakeCalls().begin(), FakeCalls().end(), "translate-init 1 other"), FakeCalls().end());
}

TEST_F(DirectoryNameForms, NtNameFallsBackToTheFirstDomainComponent) {
  FakeFailTranslateInit(kAdsNameInitGc, kAdsServerDown);
  FakeFailTranslateInit(kAdsNameInitDomain, kAdsServerDown);
  EXPECT_EQ(FormatName(&dir_, kFormNt, "CN=Bob,DC=other,DC=corp"), "OTHER\\bob");
  // Cut to the 15 characters of a NetBIOS name.
  EXPECT_EQ(FormatName(&dir_, kFormNt, "CN=Cy,DC=averyveryverylongdomain,DC=corp"), "AVERYVERYVERYLO\\cy");
}

TEST_F(DirectoryNameForms, ReadNameAttributeReadsStringsAndGuids) {
  std::string text = "stale";
  EXPECT_TRUE(ReadNameAttribute("LDAP://", "CN=Ann,OU=Staff,DC=sales,DC=corp", "sAMAccountName", &text));
  EXPECT_EQ(text, "ann");
  EXPECT_TRUE(ReadNameAttribute("LDAP://", "CN=Ann,OU=Staff,DC=sales,DC=corp", "objectGUID", &text));
  EXPECT_EQ(text, "{4FA050F0-F561-11CF-BDD9-00AA003A77B6}");
  // A readable object without the value still succeeds, with an empty text.
  EXPECT_TRUE(ReadNameAttribute("LDAP://", "CN=Bare,DC=sales,DC=corp", "displayName", &text));
  EXPECT_EQ(text, "");
  text = "stale";
  EXPECT_FALSE(ReadNameAttribute("LDAP://", "CN=Gone,DC=sales,DC=corp", "displayName", &text));
  EXPECT_EQ(text, "");
  FakeFailRead("CN=Bare,DC=sales,DC=corp", kAdsAccessDenied);
  EXPECT_FALSE(ReadNameAttribute("LDAP://", "CN=Bare,DC=sales,DC=corp", "displayName", &text));
}

}  // namespace
