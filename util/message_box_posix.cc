// Message boxes on a console system: the text goes to standard error.
#include <cstdio>
#include <cstring>

#include "util/output.h"

void ShowMessageBox(const char* text, const char* /*caption*/, unsigned /*style*/) {
  // The caption only names the program, as a window title would; the text stands alone.
  size_t length = strlen(text);
  fputs(text, stderr);
  if (length == 0 || text[length - 1] != '\n') fputc('\n', stderr);
  fflush(stderr);
}
