// A test program with lorvex's output window, its wait loop and its worker thread, whose run
// needs no directory: the worker prints numbered records slowly, then the records it kept, the
// way a sorted run prints what it gathered (also after a stop). A finished run ends with a totals
// line and exit value 0, a stopped one without totals and with exit value 1, as lorvex's do.
// FILLED lines are put into the window at once before the run, as a long run leaves it (a run
// printing them one by one would take many minutes under Wine).
//   lorvex_slow_run.exe [LINES [MILLISECONDS_PER_LINE [KEEP_EVERY [FILLED]]]]
// The Wine test driver reads the window's state through a registered message ("Lorvex Test
// State") and, after a close, stop.txt in the current folder (see WriteStopRecord). When the
// window begins to be destroyed after a close, its thread waits for the worker to end (up to
// kDestroyWaitMs): a worker that still needed the window's thread would not end meanwhile.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/line_store.h"
#include "app/window_win32.h"
#include "query/worker.h"
#include "run/codes.h"
#include "run/run_context.h"
#include "run/worker_control.h"
#include "util/output.h"

namespace {

int g_lines = 300;
DWORD g_pause_ms = 15;
// Every g_keep_every-th record is also kept, to be printed once the records end.
int g_keep_every = 10;
int g_filled = 0;
// How long the window's destruction waits for the worker to end.
constexpr DWORD kDestroyWaitMs = 30000;

WNDPROC g_window_proc = nullptr;
UINT g_state_message = 0;
std::atomic<bool> g_closed{false};
// Records printed so far, the count when the window was closed and when the worker saw the stop.
std::atomic<int> g_last_record{0};
std::atomic<int> g_record_at_close{-1};
std::atomic<int> g_record_at_stop{-1};
// Whether the worker still ran when the close handling ended, and whether it ended while the
// window's destruction waited for it.
std::atomic<int> g_running_after_close{-1};
std::atomic<int> g_ended_during_destroy{-1};
HANDLE g_worker_ended = nullptr;

int SlowBody(RunContext* run, const std::string&) {
  std::vector<int> kept;
  for (int i = 1; i <= g_lines && g_cancel.load() == 0; ++i) {
    PrintFormatted(run->output, 0, 0, "record %03d", i);
    g_last_record.store(i);
    if (i % g_keep_every == 0) kept.push_back(i);
    Sleep(g_pause_ms);
  }
  if (g_cancel.load() != 0) g_record_at_stop.store(g_last_record.load());
  // Kept records come as slowly as the others, so after a stop they outlast the close's wait.
  for (int i : kept) {
    PrintFormatted(run->output, 0, 0, "kept record %03d", i);
    Sleep(g_pause_ms);
  }
  SetEvent(g_worker_ended);
  return kWorkDone;
}

// The state the driver asks for: the line count, the vertical position and limit, the page, and
// whether the worker still runs, packed 16 bits each; asked with wparam 1, the vertical position
// and limit, 32 bits each, for windows of more lines than 16 bits count.
LRESULT PackedState(WPARAM wide) {
  if (wide != 0)
    return static_cast<LRESULT>(static_cast<uint64_t>(g_view.vertical.position) |
                                static_cast<uint64_t>(g_view.vertical.limit) << 32);
  const uint64_t count = static_cast<uint16_t>(g_line_store.count);
  const uint64_t position = static_cast<uint16_t>(g_view.vertical.position);
  const uint64_t limit = static_cast<uint16_t>(g_view.vertical.limit);
  const uint64_t page = static_cast<uint16_t>(VerticalPage(g_view)) & 0x7FFF;
  const uint64_t worker = WorkerExists() ? 1 : 0;
  return static_cast<LRESULT>(count | position << 16 | limit << 32 | page << 48 | worker << 63);
}

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == g_state_message && message != 0) return PackedState(wparam);
  // The destruction begins by hiding the window: by then the close has stopped waiting for the
  // worker, which must now end without this thread.
  const bool hiding = message == WM_WINDOWPOSCHANGING &&
                      (reinterpret_cast<const WINDOWPOS*>(lparam)->flags & SWP_HIDEWINDOW) != 0;
  if ((hiding || message == WM_DESTROY) && g_closed.load() && g_ended_during_destroy.load() < 0) {
    g_running_after_close.store(WaitForSingleObject(g_worker_ended, 0) == WAIT_OBJECT_0 ? 0 : 1);
    g_ended_during_destroy.store(WaitForSingleObject(g_worker_ended, kDestroyWaitMs) == WAIT_OBJECT_0 ? 1
                                                                                                      : 0);
  }
  if (message == WM_CLOSE && !g_closed.exchange(true)) g_record_at_close.store(g_last_record.load());
  return CallWindowProcW(g_window_proc, window, message, wparam, lparam);
}

// The record of a stop by closing the window: the record count at the close and when the worker
// saw the stop; whether the worker still ran when the close handling ended and whether it then
// ended while the window was being destroyed (1 yes, 0 no).
void WriteStopRecord() {
  FILE* file = fopen("stop.txt", "w");
  if (file == nullptr) return;
  fprintf(file, "%d %d %d %d\n", g_record_at_close.load(), g_record_at_stop.load(),
          g_running_after_close.load(), g_ended_during_destroy.load());
  fclose(file);
}

int SlowRun() {
  g_state_message = RegisterWindowMessageW(L"Lorvex Test State");
  g_window_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(g_app.main_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TestWindowProc)));

  RunContext* run = new RunContext();
  OutputContext* out = new OutputContext();
  out->normal_flags = kChannelCon;
  out->error_flags = kChannelCon;
  out->control_flags = PlatformControlFlags();
  snprintf(out->program_name, sizeof out->program_name, "LORVEX");
  run->output = out;
  g_cancel.store(0);

  char line[32];
  for (int i = 1; i <= g_filled; ++i) {
    snprintf(line, sizeof line, "filled line %06d", i);
    LineStoreAppend(&g_line_store, line);
  }
  SendSizeNotification(g_app.main_window);

  g_worker_ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const int result = RunOnWorkerThread(SlowBody, run, std::string());
  if (g_closed.load()) WriteStopRecord();
  int exit_value = 1;
  if (result != kWorkNoMemory && result != kWorkCancelled) {
    PrintFormatted(out, 0, 0, "%d records", g_lines);
    exit_value = 0;
  }
  delete out;
  delete run;
  return exit_value;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  if (__argc > 1) g_lines = _wtoi(__wargv[1]);
  if (__argc > 2) g_pause_ms = static_cast<DWORD>(_wtoi(__wargv[2]));
  if (__argc > 3) g_keep_every = _wtoi(__wargv[3]) > 0 ? _wtoi(__wargv[3]) : 1;
  if (__argc > 4) g_filled = _wtoi(__wargv[4]);
  return RunApplication(instance, show, SlowRun);
}
