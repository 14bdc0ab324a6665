// Conversions between the console (OEM) and the window (ANSI) code pages.
#ifndef LORVEX_UTIL_CODEPAGE_H_
#define LORVEX_UTIL_CODEPAGE_H_

#include <cstddef>

/// Size of the buffers returned by the static forms; they hold at most one less character.
constexpr size_t kCodepageStaticSize = 1024;

/// Converts OEM text to ANSI into destination (at least as long as source; may be source itself).
void OemToAnsi(const char* source, char* destination);
/// Converts ANSI text to OEM into destination (at least as long as source; may be source itself).
void AnsiToOem(const char* source, char* destination);
/// OEM to ANSI into a static buffer that the next call overwrites.
const char* OemToAnsiStatic(const char* text);
/// ANSI to OEM into a static buffer that the next call overwrites.
const char* AnsiToOemStatic(const char* text);

#endif  // LORVEX_UTIL_CODEPAGE_H_
