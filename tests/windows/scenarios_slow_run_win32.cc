// Scenarios of the slow test program beside lorvex.exe (lorvex_slow_run.exe): its window, wait
// loop and worker with a run of its own, read through the window's state message.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tests/windows/driver_steps.h"
#include "tests/windows/scenarios.h"

namespace {

struct WindowState {
  int count = -1;    // lines in the window
  int position = 0;  // first visible line
  int limit = 0;     // largest first visible line
  int page = 0;      // whole lines in the window
  bool worker = false;
};

WindowState ReadState(HWND window) {
  static const UINT message = RegisterWindowMessageW(L"Lorvex Test State");
  WindowState state;
  DWORD_PTR packed = 0;
  if (!SendMessageTimeoutW(window, message, 0, 0, SMTO_NORMAL, kStepWaitMs, &packed)) return state;
  const uint64_t value = packed;
  state.count = static_cast<int>(value & 0xFFFF);
  state.position = static_cast<int>((value >> 16) & 0xFFFF);
  state.limit = static_cast<int>((value >> 32) & 0xFFFF);
  state.page = static_cast<int>((value >> 48) & 0x7FFF);
  state.worker = (value >> 63) != 0;
  return state;
}

// Whether the view shows the end (the one line of slack is a sample taken between a new range and
// the scroll that follows it).
bool AtEnd(const WindowState& s) { return s.limit > 0 && s.position >= s.limit - 1; }

// Waits until the window holds at least lines lines; false (and a failure) after the timeout.
bool WaitLines(HWND window, int lines) {
  if (WaitFor(kWindowWaitMs, [&] { return ReadState(window).count >= lines; })) return true;
  Fail("the window did not reach %d lines (has %d)", lines, ReadState(window).count);
  return false;
}

bool WaitWorkerEnd(HWND window) {
  if (WaitFor(kWindowWaitMs, [&] { return !ReadState(window).worker; })) return true;
  Fail("the worker still runs after %lu ms", static_cast<unsigned long>(kWindowWaitMs));
  return false;
}

Program StartSlow(int lines, int pause_ms, int keep_every = 10) {
  return StartProgram(
      SiblingProgram(L"lorvex_slow_run.exe"),
      std::to_wstring(lines) + L" " + std::to_wstring(pause_ms) + L" " + std::to_wstring(keep_every));
}

std::string SlowRecords(int from, int to, const char* prefix) {
  std::string text;
  char line[64];
  for (int i = from; i <= to; ++i) {
    snprintf(line, sizeof line, "%srecord %03d\r\n", prefix, i);
    text += line;
  }
  return text;
}

std::string SlowKept(int printed) {
  std::string text;
  char line[64];
  for (int i = 10; i <= printed; i += 10) {
    snprintf(line, sizeof line, "kept record %03d\r\n", i);
    text += line;
  }
  return text;
}

// Samples the state while count_more lines arrive; every sample must satisfy the check.
template <typename Check>
void SampleWhileLinesArrive(HWND window, int count_more, const char* what, Check check) {
  const int until = ReadState(window).count + count_more;
  int samples = 0;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kWindowWaitMs) {
    const WindowState state = ReadState(window);
    if (state.count >= until || !state.worker) break;
    ++samples;
    if (!check(state)) {
      Fail("%s: %d lines, position %d, limit %d", what, state.count, state.position, state.limit);
      return;
    }
    Sleep(30);
  }
  printf("%s: %d samples\n", what, samples);
  if (samples < 5) Fail("%s: only %d samples while lines arrived", what, samples);
}

// Presses Esc during the run and answers the question; returns the line count while it was asked.
int EscapeDuringRun(const Driven& slow, int button) {
  if (!WaitLines(slow.window, 30)) return -1;
  HWND box = PressForDialog(slow, {}, VK_ESCAPE, L"End search");
  if (box == nullptr) return -1;
  ExpectText("question", MessageBoxText(box), "Do you want to quit the search?");
  // The worker waits while the question is open.
  const int asked = ReadState(slow.window).count;
  Sleep(600);
  const int later = ReadState(slow.window).count;
  if (later != asked) Fail("the worker went on while asked: %d lines, then %d", asked, later);
  SaveScreen(button == IDYES ? "asked-yes" : "asked-no");
  Click(box, button);
  return asked;
}

}  // namespace

void FollowOutput() {
  Driven slow(StartSlow(300, 5));
  HWND window = slow.window;
  if (window == nullptr || !WaitLines(window, 40)) return;
  // The end is in view: every new line scrolls the view.
  SampleWhileLinesArrive(window, 40, "following at the end", AtEnd);
  // Scrolled to the top the view stays there while the output goes on below it.
  PressIn(window, {}, VK_HOME);
  if (!WaitFor(kStepWaitMs, [&] { return ReadState(window).position == 0; }))
    Fail("Home did not show the top");
  SampleWhileLinesArrive(window, 40, "staying at the top",
                         [](const WindowState& s) { return s.position == 0; });
  SaveScreen("top-during-run");
  // Back at the end it follows again.
  Press({}, VK_END);
  if (!WaitFor(kStepWaitMs, [&] { return AtEnd(ReadState(window)); })) Fail("End did not show the end");
  SampleWhileLinesArrive(window, 40, "following again", AtEnd);
  if (!WaitWorkerEnd(window)) return;
  const WindowState last = ReadState(window);
  // 300 records, 30 kept ones and the totals line.
  if (last.count != 331) Fail("%d lines after the run, expected 331", last.count);
  if (last.position != last.limit || last.position + last.page < last.count)
    Fail("the last line is not in view: position %d, limit %d, page %d", last.position, last.limit,
         last.page);
  SaveScreen("end-of-run");
  ExpectText("window text", CopyWindowText(window),
             SlowRecords(1, 300, "") + SlowKept(300) + "300 records\r\n");
  EndWithEscape(slow.program, window, 0);
}

void EscapeYes() {
  Driven slow(StartSlow(300, 5));
  if (slow.window == nullptr) return;
  const int asked = EscapeDuringRun(slow, IDYES);
  if (asked < 0 || !WaitWorkerEnd(slow.window)) return;
  // The records up to the stop, then the kept ones; no totals. The stop comes at the next record.
  const WindowState state = ReadState(slow.window);
  const std::string text = CopyWindowText(slow.window);
  int records = 0;
  while (text.find(SlowRecords(records + 1, records + 1, "")) != std::string::npos) ++records;
  printf("asked at %d lines, %d records printed, %d lines\n", asked, records, state.count);
  if (records < asked || records > asked + 1)
    Fail("%d records printed after a stop asked at %d", records, asked);
  ExpectText("window text after the stop", text, SlowRecords(1, records, "") + SlowKept(records));
  EndWithEscape(slow.program, slow.window, 1);
}

void EscapeNo() {
  Driven slow(StartSlow(120, 5));
  if (slow.window == nullptr) return;
  if (EscapeDuringRun(slow, IDNO) < 0 || !WaitWorkerEnd(slow.window)) return;
  ExpectText("window text after going on", CopyWindowText(slow.window),
             SlowRecords(1, 120, "") + SlowKept(120) + "120 records\r\n");
  EndWithEscape(slow.program, slow.window, 0);
}

void CloseDuringRun() {
  // Every record is kept, so that after the stop the worker has more to print than the close
  // waits for: the window must then drop those lines rather than keep the worker waiting.
  Driven slow(StartSlow(300, 10, 1));
  if (slow.window == nullptr || !WaitLines(slow.window, 100)) return;
  PostMessageW(slow.window, WM_CLOSE, 0, 0);
  const int code = WaitExit(slow.program, kExitWaitMs);
  printf("exit %d\n", code);
  if (code != 1) Fail("exit code %d after closing during the run, expected 1", code);
  // The order of events, from the record the slow program writes (see its WriteStopRecord).
  const std::string stop = ReadFile(WorkFile(L"stop.txt"));
  int at_close = 0, at_stop = 0, running = 0, ended_in_destroy = 0;
  unsigned long seen = 0, ended = 0, destroyed = 0, handled = 0;
  if (sscanf(stop.c_str(), "%d %d %d %d %lu %lu %lu %lu", &at_close, &at_stop, &running, &ended_in_destroy,
             &seen, &ended, &destroyed, &handled) != 8) {
    Fail("no record of the stop: %s", stop.c_str());
    return;
  }
  printf(
      "records at the close %d, at the stop %d; worker running after the close's wait %d, ended while the "
      "window was destroyed %d; after the close: stop seen %lu ms, worker ended %lu ms, window destroyed %lu "
      "ms\n",
      at_close, at_stop, running, ended_in_destroy, seen, ended, destroyed);
  // The worker stops at its next record: the window takes no line from it between the close and
  // the cancel flag, so it can finish the record it had printed and one it had begun, no more.
  if (at_stop < at_close || at_stop > at_close + 2)
    Fail("the worker stopped at record %d after a close at record %d", at_stop, at_close);
  // It still had kept records to print when the close stopped waiting for it...
  if (running != 1) Fail("the worker had ended before the close stopped waiting; nothing was left to drop");
  // ...and ended without the window's thread, which was busy destroying the window.
  if (ended_in_destroy != 1) Fail("the worker did not end while the window was being destroyed");
}
