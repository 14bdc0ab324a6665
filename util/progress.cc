// The progress line of a long run.
#include "util/progress.h"

#include <cstdio>

void ProgressBegin(ProgressState* state, bool enabled, uint64_t now_ms) {
  *state = ProgressState();
  state->enabled = enabled;
  state->shown_at_ms = now_ms;
}

std::string ProgressUpdateText(ProgressState* state, int64_t count, uint64_t now_ms) {
  if (!state->enabled) return std::string();
  if (count <= state->shown_count) return std::string();
  // A line that was erased for other text comes back with the next object.
  const bool erased = state->width == 0 && state->shown_count > 0;
  const bool due = erased || count - state->shown_count >= kProgressEveryObjects ||
                   now_ms - state->shown_at_ms >= kProgressEveryMs;
  if (!due) return std::string();
  char text[64];
  const int length = snprintf(text, sizeof text, "%lld objects examined", static_cast<long long>(count));
  const size_t width = length > 0 ? static_cast<size_t>(length) : 0;
  state->shown_count = count;
  state->shown_at_ms = now_ms;
  state->width = width;
  return std::string("\r").append(text, width);
}

std::string ProgressEraseText(ProgressState* state) {
  if (state->width == 0) return std::string();
  std::string text = std::string("\r").append(state->width, ' ').append("\r");
  state->width = 0;
  return text;
}

namespace {

// The line of this process. It is written by the worker thread only: the driver begins and ends it
// when no worker runs, and other text on standard error comes from the worker while one does.
ProgressState g_progress;
ProgressClock g_clock = ProgressClockMs;

}  // namespace

void UseProgressClock(ProgressClock clock) { g_clock = clock; }

void BeginProgress() { ProgressBegin(&g_progress, ProgressWanted(), g_clock()); }

void ShowProgress(int64_t count) {
  if (!g_progress.enabled) return;
  const std::string text = ProgressUpdateText(&g_progress, count, g_clock());
  if (!text.empty()) ProgressWrite(text);
}

void EraseProgress() {
  const std::string text = ProgressEraseText(&g_progress);
  if (!text.empty()) ProgressWrite(text);
}

void EndProgress() {
  EraseProgress();
  g_progress.enabled = false;
}
