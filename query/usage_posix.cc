// The usage text on a console: printed to standard output.
#include <cstdio>

#include "query/usage.h"

void ShowUsage() {
  const int count = UsageLineCount();
  for (int i = 0; i < count; ++i) printf("%s\n", kUsageLines[i]);
  fflush(stdout);
}
