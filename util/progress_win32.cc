// The progress line on Windows: the output window shows every line as it comes, so there is none.
#include <windows.h>

#include "util/progress.h"

bool ProgressWanted() { return false; }

uint64_t ProgressClockMs() { return GetTickCount64(); }

void ProgressWrite(const std::string&) {}
