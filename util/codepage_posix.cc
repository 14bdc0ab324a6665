// Code-page conversions on a UTF-8 system: console and window text are the same, so both are copies.
#include <cstring>

#include "util/codepage.h"

void OemToAnsi(const char* source, char* destination) {
  if (source != destination) memmove(destination, source, strlen(source) + 1);
}

void AnsiToOem(const char* source, char* destination) {
  if (source != destination) memmove(destination, source, strlen(source) + 1);
}
