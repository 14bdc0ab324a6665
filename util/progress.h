// The progress line of a long run: the number of objects examined so far, shown on standard error
// while the output itself goes to a file or a pipe.
#ifndef LORVEX_UTIL_PROGRESS_H_
#define LORVEX_UTIL_PROGRESS_H_

#include <cstdint>
#include <string>

/// Objects examined between two updates of the line at most.
inline constexpr int64_t kProgressEveryObjects = 100;
/// Milliseconds between two updates of the line at most, while objects are being examined.
inline constexpr uint64_t kProgressEveryMs = 1000;

/// One progress line: what it shows now and when that was written.
struct ProgressState {
  bool enabled = false;      ///< the line is wanted at all
  int64_t shown_count = 0;   ///< count last written (0 before the first)
  uint64_t shown_at_ms = 0;  ///< monotonic time of the last write, or of the start
  size_t width = 0;          ///< characters on the line now; 0 when nothing is shown
};

/// Starts a line at now_ms; enabled says whether it is to be shown at all.
void ProgressBegin(ProgressState* state, bool enabled, uint64_t now_ms);
/// The text that brings the line up to count objects examined at now_ms, empty when no update is
/// due: one every kProgressEveryObjects objects or kProgressEveryMs milliseconds, whichever comes
/// first.
std::string ProgressUpdateText(ProgressState* state, int64_t count, uint64_t now_ms);
/// The text that clears the line and leaves the cursor at its start, empty when nothing is shown.
/// The next update after it writes the line again.
std::string ProgressEraseText(ProgressState* state);

/// Whether this process shows a progress line: its output goes to a file or a pipe while standard
/// error is a terminal (never in the window build, whose window shows the output itself).
bool ProgressWanted();
/// Milliseconds of a monotonic clock.
uint64_t ProgressClockMs();
/// Writes text to standard error at once.
void ProgressWrite(const std::string& text);

/// A monotonic clock in milliseconds.
using ProgressClock = uint64_t (*)();
/// Times the process's line with clock instead of ProgressClockMs (the test build stops it, so
/// that its line moves by the count alone).
void UseProgressClock(ProgressClock clock);

/// The process's line on standard error: begun before the objects are examined, updated as each
/// one is, erased before any other text goes to standard error and at the end.
void BeginProgress();
/// Called once for each object examined, with the number examined so far.
void ShowProgress(int64_t count);
/// Clears the line if it is shown; the next ShowProgress writes it again.
void EraseProgress();
/// Clears the line and shows no more until the next BeginProgress.
void EndProgress();

#endif  // LORVEX_UTIL_PROGRESS_H_
