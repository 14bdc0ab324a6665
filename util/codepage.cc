// Static-buffer forms of the code-page conversions.
#include "util/codepage.h"

#include <cstring>
#include <string>

namespace {

// Copies at most kCodepageStaticSize - 1 bytes, never cutting a UTF-8 sequence in two.
void CopyLimited(const char* text, char* buffer) {
  size_t length = strlen(text);
  if (length > kCodepageStaticSize - 1) {
    length = kCodepageStaticSize - 1;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  memcpy(buffer, text, length);
  buffer[length] = '\0';
}

}  // namespace

const char* OemToAnsiStatic(const char* text) {
  static char buffer[kCodepageStaticSize];
  std::string converted(strlen(text), '\0');
  OemToAnsi(text, converted.data());
  CopyLimited(converted.c_str(), buffer);
  return buffer;
}

const char* AnsiToOemStatic(const char* text) {
  static char buffer[kCodepageStaticSize];
  std::string converted(strlen(text), '\0');
  AnsiToOem(text, converted.data());
  CopyLimited(converted.c_str(), buffer);
  return buffer;
}
