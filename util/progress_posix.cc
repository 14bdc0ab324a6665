// The progress line's terminal and clock on POSIX systems.
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "util/progress.h"

bool ProgressWanted() { return isatty(STDOUT_FILENO) == 0 && isatty(STDERR_FILENO) != 0; }

uint64_t ProgressClockMs() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
}

void ProgressWrite(const std::string& text) {
  fputs(text.c_str(), stderr);
  fflush(stderr);
}
