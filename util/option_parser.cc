// The generic option parser: letters with and without values from one option text.
#include "util/option_parser.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "util/ascii_text.h"
#include "util/output.h"

namespace {

// Longest option body (letter and value) that is kept.
constexpr size_t kMaxBody = 255;

bool Allows(const char* letters, char letter) {
  return letters != nullptr && letter != '\0' && strchr(letters, letter) != nullptr;
}

// The slot of the value table that holds a letter; /@ is kept under j. -1 for letters without a slot.
int SlotOf(char letter) {
  if (letter == '@') return 'j' - 'a';
  if (letter >= 'a' && letter <= 'z') return letter - 'a';
  return -1;
}

void AddLetter(std::string* letters, char letter) {
  if (letters->find(letter) == std::string::npos) *letters += letter;
}

// Removes a letter; the last letter of the text takes its place.
void RemoveLetter(std::string* letters, char letter) {
  size_t at = letters->find(letter);
  if (at == std::string::npos) return;
  (*letters)[at] = letters->back();
  letters->pop_back();
}

std::string FormatError(char switch_char, char letter, const char* source, const char* what) {
  char buffer[512];
  snprintf(buffer, sizeof buffer, "%c%c (from %s) %s", switch_char, letter, source, what);
  return buffer;
}

}  // namespace

bool ParseOptionText(const char* program_name, const std::string& text, const char* allowed_plain,
                     const char* allowed_valued, GatheredOptions* found, const char* source_name) {
  std::string errors;
  const char* p = text.c_str();
  while (IsBlank(*p)) ++p;
  while (*p != '\0') {
    const char switch_char = *p++;
    if (*p == '\0') break;
    const char* body_start = p;
    std::string body;
    bool quoted = false;
    while (*p != '\0') {
      char c = *p;
      if (c == '"') {
        if (p[1] == '"') {
          if (body.size() < kMaxBody) body += '"';
          p += 2;
          continue;
        }
        quoted = !quoted;
        ++p;
        continue;
      }
      if (!quoted && (c == '/' || c == '-')) break;
      if (!quoted && IsBlank(c)) {
        ++p;
        continue;
      }
      if (body.size() < kMaxBody) body += c;
      ++p;
    }
    // "/g-": the switch and one letter directly followed by a lone '-' cancel the letter.
    bool cancel = false;
    if (p == body_start + 1 && body.size() == 1 && *p == '-' &&
        (p[1] == '\0' || IsBlank(p[1]) || p[1] == '-' || p[1] == '/')) {
      cancel = true;
      ++p;
      while (*p != '\0' && *p != '-' && *p != '/') ++p;
    }
    if (body.empty()) {
      // A switch character directly followed by another has no letter: reported, nothing recorded.
      char buffer[512];
      snprintf(buffer, sizeof buffer, "%c (from %s) is not a valid option", switch_char, source_name);
      errors += buffer;
      errors += '\n';
      continue;
    }
    const char letter = static_cast<char>(tolower(static_cast<unsigned char>(body[0])));
    const std::string value = body.substr(1);
    const bool plain_ok = Allows(allowed_plain, letter);
    const bool valued_ok = Allows(allowed_valued, letter);
    if (!plain_ok && !valued_ok) {
      errors += FormatError(switch_char, letter, source_name, "is not a valid option") + '\n';
      continue;
    }
    const int slot = SlotOf(letter);
    const char stored = letter == '@' ? 'j' : letter;
    if (cancel) {
      RemoveLetter(&found->without_value, stored);
      RemoveLetter(&found->with_value, stored);
      if (slot >= 0) {
        found->values[slot].clear();
        found->has_value[slot] = false;
      }
      continue;
    }
    if (!valued_ok && !value.empty()) {
      errors += FormatError(switch_char, letter, source_name, "is not allowed a value") + '\n';
      continue;
    }
    if (!plain_ok && value.empty()) {
      errors += FormatError(switch_char, letter, source_name, "requires a value") + '\n';
      continue;
    }
    if (plain_ok && value.empty()) {
      AddLetter(&found->without_value, stored);
      continue;
    }
    AddLetter(&found->with_value, stored);
    size_t skip = value.find_first_not_of(":=");
    if (skip == std::string::npos) {
      errors += FormatError(switch_char, letter, source_name, "requires a value") + '\n';
      continue;
    }
    if (slot >= 0) {
      found->values[slot] = value.substr(skip);
      found->has_value[slot] = true;
    }
  }
  if (errors.empty()) return true;

  errors += "\nOptions without values are /? ";
  for (const char* c = allowed_plain; c && *c; ++c) {
    char item[8];
    snprintf(item, sizeof item, "/%c ", *c);
    errors += item;
  }
  errors += '\n';
  if (allowed_valued != nullptr && *allowed_valued != '\0') {
    errors += "Options with values are ";
    for (const char* c = allowed_valued; *c; ++c) {
      char item[8];
      snprintf(item, sizeof item, "/%c ", *c);
      errors += item;
    }
  }
  ShowMessageBox(errors.c_str(), program_name, kMessageBoxError);
  return false;
}
