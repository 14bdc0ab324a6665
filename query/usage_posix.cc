// The usage text and the version line on a console: printed to standard output.
#include <cstdio>

#include "query/usage.h"

namespace {

void PrintLines(const char* const lines[], int count) {
  for (int i = 0; i < count; ++i) printf("%s\n", lines[i]);
  fflush(stdout);
}

}  // namespace

void ShowUsage() { PrintLines(kUsageLines, UsageLineCount()); }

void ShowVersion() {
  const char* const lines[] = {kVersionLine};
  PrintLines(lines, 1);
}
