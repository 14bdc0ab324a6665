// Fuzzes the display forms of names (/y), every form code with and without types, and the escaping
// of names and texts for LDAP filters.
//
// Input: the name (cut at its first NUL for the forms; whole for the escapes). The in-memory
// directory holds an object of that name, so the forms read from the directory find their values
// when the name can address it.
#include <cstdint>
#include <string>

#include "directory/ads/fake/ads_fake.h"
#include "directory/ads/ldap_filter.h"
#include "directory/name_forms.h"
#include "fuzz/fuzz_support.h"
#include "run/codes.h"

namespace {

const uint32_t kComputedForms[] = {kFormCanonical, kFormRelative, kFormWithDomain, kFormUntypedCn};
const uint32_t kDirectoryForms[] = {kFormNt, kFormDisplay, kFormPrincipal, kFormGuid};
const char kGuid[] = "{04030201-0605-0807-090A-0B0C0D0E0F10}";

size_t CountCommas(const std::string& text) {
  size_t count = 0;
  for (char c : text) count += c == ',';
  return count;
}

// The name as the directory reads it: "\\c" stands for c, a backslash at the very end for itself.
std::string WithoutNameEscapes(const std::string& name, size_t* wildcards) {
  std::string result;
  *wildcards = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 1 < name.size()) {
      result += name[++i];
    } else {
      if (name[i] == '*') ++*wildcards;
      result += name[i];
    }
  }
  return result;
}

void CheckFilterEscapes(const std::string& text) {
  // As a literal, nothing the filter syntax reads survives unescaped, and unescaping gives the text.
  const std::string literal = EscapeFilterLiteral(text);
  FUZZ_CHECK(literal.find_first_of(std::string("*()\0", 4)) == std::string::npos);
  std::string back;
  FUZZ_CHECK(UnescapeHexPairs(literal, &back) && back == text);

  // As a name, the unescaped stars stay wildcards and everything else is the name's own text.
  const std::string escaped = EscapeNameForFilter(text);
  FUZZ_CHECK(escaped.find_first_of(std::string("()\0", 3)) == std::string::npos);
  size_t wildcards = 0;
  const std::string expected = WithoutNameEscapes(text, &wildcards);
  size_t stars = 0;
  for (char c : escaped) stars += c == '*';
  FUZZ_CHECK(stars == wildcards);
  FUZZ_CHECK(UnescapeHexPairs(escaped, &back) && back == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string name = InputCString(data, size);
  FuzzRun* f = ResetFuzzRun();
  f->dir.default_naming_context = "DC=corp,DC=example";
  f->dir.netbios_domain_name = "CORP";
  std::string bad_line;
  FakeLoad("@names CORP corp.example", &bad_line);
  if (!name.empty()) {
    FakeAddObject(name, {"person", "user"},
                  {{"displayName", "Shown Name"},
                   {"userPrincipalName", "someone@corp.example"},
                   {"sAMAccountName", "someone"},
                   {"objectGUID", kGuid}});
  }

  FUZZ_CHECK(FormatName(&f->dir, kFormCanonical, "").empty());
  const std::string canonical = FormatName(&f->dir, kFormCanonical, name);
  for (uint32_t form : kComputedForms) {
    for (uint32_t types : {0u, static_cast<uint32_t>(kFormNoTypes)}) {
      std::string shown = FormatName(&f->dir, form | types, name);
      // A form computed from the name is cut out of it: never longer.
      FUZZ_CHECK(shown.size() <= name.size());
      // Without the directory the computed forms come out the same.
      FUZZ_CHECK(FormatName(nullptr, form | types, name) == shown);
    }
  }
  for (uint32_t form : kDirectoryForms) {
    std::string shown = FormatName(&f->dir, form, name);
    // A form the directory cannot give falls back to the canonical one.
    FUZZ_CHECK(FormatName(nullptr, form, name) == canonical);
    if (form == kFormDisplay) FUZZ_CHECK(shown == "Shown Name" || shown == canonical);
    if (form == kFormPrincipal) FUZZ_CHECK(shown == "someone@corp.example" || shown == canonical);
    if (form == kFormGuid) {
      FUZZ_CHECK(shown == kGuid || shown == canonical);
    }
  }

  std::string untyped = RemoveTypes(name);
  FUZZ_CHECK(untyped.size() <= name.size());
  FUZZ_CHECK(CountCommas(untyped) == CountCommas(name));
  size_t domain = DomainPartPosition(name);
  FUZZ_CHECK(domain == std::string::npos || domain + 3 <= name.size());

  CheckFilterEscapes(InputText(data, size));
  std::string guid = GuidToText(InputText(data, size));
  FUZZ_CHECK(size < 16 ? guid.empty() : guid.size() == 38);
  return 0;
}
