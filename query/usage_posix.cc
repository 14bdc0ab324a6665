// Lines shown instead of a run, on a console: printed to standard output.
#include <cstdio>

#include "query/usage.h"

void ShowLines(const char* const lines[], int count) {
  for (int i = 0; i < count; ++i) printf("%s\n", lines[i]);
  fflush(stdout);
}
