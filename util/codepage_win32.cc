// Code-page conversions between the console (OEM) and the window (ANSI) code pages.
#include <windows.h>

#include <cstring>
#include <string>

// windows.h names these two conversions as macros of its own.
#undef OemToAnsi
#undef AnsiToOem

#include "util/codepage.h"

namespace {

// The system tables map byte for byte. Byte 204 in OEM text and byte 128 in ANSI text stand for
// each other, so that the ANSI euro sign survives a round trip through OEM text.
void Convert(const char* source, char* destination, bool oem_to_ansi) {
  const size_t length = strlen(source);
  std::string converted(source, length);
  if (oem_to_ansi) {
    OemToCharBuffA(source, converted.data(), static_cast<DWORD>(length));
  } else {
    CharToOemBuffA(source, converted.data(), static_cast<DWORD>(length));
  }
  const unsigned char from = oem_to_ansi ? 204 : 128;
  const char to = static_cast<char>(oem_to_ansi ? 128 : 204);
  for (size_t i = 0; i < length; ++i) {
    if (static_cast<unsigned char>(source[i]) == from) converted[i] = to;
  }
  memcpy(destination, converted.data(), length);
  destination[length] = '\0';
}

}  // namespace

void OemToAnsi(const char* source, char* destination) { Convert(source, destination, true); }

void AnsiToOem(const char* source, char* destination) { Convert(source, destination, false); }
