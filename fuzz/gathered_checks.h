// Invariants of the letters and values gathered by the option parser, shared by the targets that
// feed it (option texts and options files).
#ifndef LORVEX_FUZZ_GATHERED_CHECKS_H_
#define LORVEX_FUZZ_GATHERED_CHECKS_H_

#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "util/cmdline.h"

/// Checks what the parser gathered from sources that were all read without error.
inline void CheckGathered(const GatheredOptions& found, const char* plain, const char* valued) {
  // Letters appear once each, and only the allowed ones (the value of '@' is kept under 'j').
  for (size_t i = 0; i < found.without_value.size(); ++i) {
    char letter = found.without_value[i];
    FUZZ_CHECK(strchr(plain, letter) != nullptr);
    FUZZ_CHECK(found.without_value.find(letter, i + 1) == std::string::npos);
  }
  for (size_t i = 0; i < found.with_value.size(); ++i) {
    char letter = found.with_value[i];
    FUZZ_CHECK(strchr(valued, letter) != nullptr || (letter == 'j' && strchr(valued, '@') != nullptr));
    FUZZ_CHECK(found.with_value.find(letter, i + 1) == std::string::npos);
    // A letter given with a value has one, unless a later source cancelled it (which removes the
    // letter too).
    FUZZ_CHECK(found.has_value[letter - 'a']);
  }
  for (int slot = 0; slot < 26; ++slot) {
    if (!found.has_value[slot]) {
      FUZZ_CHECK(found.values[slot].empty());
      continue;
    }
    const std::string& value = found.values[slot];
    // A value is never empty, never starts with the ':' or '=' that introduce it, and fits the
    // 255-character body of its option.
    FUZZ_CHECK(!value.empty());
    FUZZ_CHECK(value[0] != ':' && value[0] != '=');
    FUZZ_CHECK(value.size() < 255);
  }
}

#endif  // LORVEX_FUZZ_GATHERED_CHECKS_H_
