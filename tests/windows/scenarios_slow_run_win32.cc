// Scenarios of the slow test program beside lorvex.exe (lorvex_slow_run.exe): its window, wait
// loop and worker with a run of its own, read through the window's state message.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// Asks the slow program for its state; wide asks for the vertical position and limit alone, 32
// bits each. False when it does not answer.
bool SendStateMessage(HWND window, WPARAM wide, uint64_t* value) {
  static const UINT message = RegisterWindowMessageW(L"Lorvex Test State");
  DWORD_PTR packed = 0;
  if (!SendMessageTimeoutW(window, message, wide, 0, SMTO_NORMAL, kStepWaitMs, &packed)) return false;
  *value = packed;
  return true;
}

WindowState ReadState(HWND window) {
  WindowState state;
  uint64_t value = 0;
  if (!SendStateMessage(window, 0, &value)) return state;
  state.count = static_cast<int>(value & 0xFFFF);
  state.position = static_cast<int>((value >> 16) & 0xFFFF);
  state.limit = static_cast<int>((value >> 32) & 0xFFFF);
  state.page = static_cast<int>((value >> 48) & 0x7FFF);
  state.worker = (value >> 63) != 0;
  return state;
}

// The vertical position and limit, in a window of more lines than ReadState counts.
void ReadWidePosition(HWND window, int* position, int* limit) {
  uint64_t packed = 0;
  SendStateMessage(window, 1, &packed);
  *position = static_cast<int>(packed & 0xFFFFFFFF);
  *limit = static_cast<int>(packed >> 32);
}

// Moves the mouse to a screen point and does what the flags say there (press, release, nothing).
void MouseAt(POINT at, DWORD flags) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = (at.x * 65536 + GetSystemMetrics(SM_CXSCREEN) - 1) / GetSystemMetrics(SM_CXSCREEN);
  input.mi.dy = (at.y * 65536 + GetSystemMetrics(SM_CYSCREEN) - 1) / GetSystemMetrics(SM_CYSCREEN);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
  SendInput(1, &input, sizeof input);
  WaitIdle();
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

Program StartSlow(int lines, int pause_ms, int keep_every = 10, int filled = 0) {
  return StartProgram(SiblingProgram(L"lorvex_slow_run.exe"),
                      std::to_wstring(lines) + L" " + std::to_wstring(pause_ms) + L" " +
                          std::to_wstring(keep_every) + L" " + std::to_wstring(filled));
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
  if (sscanf(stop.c_str(), "%d %d %d %d", &at_close, &at_stop, &running, &ended_in_destroy) != 4) {
    Fail("no record of the stop: %s", stop.c_str());
    return;
  }
  printf(
      "records at the close %d, at the stop %d; worker running after the close's wait %d, ended while the "
      "window was destroyed %d\n",
      at_close, at_stop, running, ended_in_destroy);
  // The worker stops at its next record: the window takes no line from it between the close and
  // the cancel flag, so it can finish the record it had printed and one it had begun, no more.
  if (at_stop < at_close || at_stop > at_close + 2)
    Fail("the worker stopped at record %d after a close at record %d", at_stop, at_close);
  // It still had kept records to print when the close stopped waiting for it...
  if (running != 1) Fail("the worker had ended before the close stopped waiting; nothing was left to drop");
  // ...and ended without the window's thread, which was busy destroying the window.
  if (ended_in_destroy != 1) Fail("the worker did not end while the window was being destroyed");
}

void ThumbDrag() {
  // More lines than the 16 bits of a scroll message's thumb position count, the thumb at the top.
  constexpr int kLines = 100000;
  Driven slow(StartSlow(0, 0, 1, kLines));
  HWND window = slow.window;
  if (window == nullptr || !WaitWorkerEnd(window)) return;
  int position = 0, limit = 0;
  ReadWidePosition(window, &position, &limit);
  if (position != 0 || limit < kLines - 100) Fail("filled window at line %d of %d", position, limit);
  // The vertical scroll bar runs beside the client area, an arrow at each end of the track.
  RECT client;
  GetClientRect(window, &client);
  const int arrow = GetSystemMetrics(SM_CYVSCROLL);
  const int track = client.bottom - 2 * arrow;
  POINT thumb = {client.right + GetSystemMetrics(SM_CXVSCROLL) / 2, arrow + 2};
  ClientToScreen(window, &thumb);
  Focus(window);
  MouseAt(thumb, MOUSEEVENTF_LEFTDOWN);
  // Dragged 85% down the track: the view follows to the line there, give or take the thumb's size.
  const int expected = limit / 100 * 85;
  MouseAt({thumb.x, thumb.y + track * 85 / 100}, 0);
  WaitFor(kStepWaitMs, [&] {
    ReadWidePosition(window, &position, &limit);
    return abs(position - expected) <= limit / 20;
  });
  printf("dragged to line %d of %d, expected about %d\n", position, limit, expected);
  if (abs(position - expected) > limit / 20)
    Fail("dragged to line %d, expected about %d", position, expected);
  // Dragged to the end of the track: the last page.
  MouseAt({thumb.x, thumb.y + track}, 0);
  WaitFor(kStepWaitMs, [&] {
    ReadWidePosition(window, &position, &limit);
    return position == limit;
  });
  MouseAt({thumb.x, thumb.y + track}, MOUSEEVENTF_LEFTUP);
  if (position != limit) Fail("dragged to the end: line %d, expected the last page at %d", position, limit);
  EndWithEscape(slow.program, window, 0);
}
