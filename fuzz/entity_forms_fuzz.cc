// Fuzzes the recognition of entity name forms from their text: GUIDs, typed names, the container
// part and the relative value.
//
// Input: the name.
#include <cstdint>
#include <string>

#include "directory/entity_forms.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetFuzzRun();
  const std::string name = InputText(data, size);

  size_t start = ContainerStart(name);
  if (start == std::string::npos) {
    FUZZ_CHECK(ContainerPart(name).empty());
  } else {
    // The container follows a comma that is neither the first character nor escaped.
    FUZZ_CHECK(start >= 2 && start <= name.size());
    FUZZ_CHECK(name[start - 1] == ',');
    FUZZ_CHECK(name.compare(start, std::string::npos, ContainerPart(name)) == 0);
  }
  for (size_t from = 0; from <= name.size(); from += 1 + name.size() / 8) {
    size_t comma = NextUnescapedComma(name, from);
    if (comma != std::string::npos) FUZZ_CHECK(comma >= from && comma < name.size() && name[comma] == ',');
  }
  std::string relative = RelativeValue(name);
  FUZZ_CHECK(relative.size() <= name.size());
  FUZZ_CHECK(IsPlainName(name) == (relative == name));
  if (IsGuidForm(name)) FUZZ_CHECK(name.front() == '{' && name.back() == '}');

  std::string upper = name;
  UpperCaseLeadingType(&upper);
  FUZZ_CHECK(upper.size() == name.size());
  if (name.size() > 2) FUZZ_CHECK(upper.compare(2, std::string::npos, name, 2, std::string::npos) == 0);
  FUZZ_CHECK(IsTypedName(upper) == IsTypedName(name));
  return 0;
}
