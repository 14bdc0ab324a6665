// lorvex's output window, wait loop and worker thread with a run that needs no directory: the
// worker prints numbered records slowly, then every KEEP_EVERY-th again, as a sorted run prints what
// it gathered (also after a stop); a finished run ends with a totals line and exit value 0, a
// stopped one with 1. FILLED lines are in the window before the run, as a long run leaves it.
//   lorvex_slow_run.exe LINES MILLISECONDS_PER_LINE KEEP_EVERY(>0) FILLED
// The Wine test driver reads the window's state through the message "Lorvex Test State" and, after
// a close, stop.txt.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
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

int g_lines = 0, g_pause_ms = 0, g_keep_every = 1, g_filled = 0;
WNDPROC g_window_proc = nullptr;
UINT g_state_message = 0;
std::atomic<bool> g_closed{false};
// Records printed so far, at the close and when the worker saw the stop; whether the worker still
// ran when the close handling ended, and whether it ended while the window's destruction waited.
std::atomic<int> g_last_record{0}, g_record_at_close{-1}, g_record_at_stop{-1};
std::atomic<int> g_running_after_close{-1}, g_ended_during_destroy{-1};
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

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // The state: the line count, the first line shown and its largest value, 21 bits each, and
  // whether the worker still runs.
  const uint64_t mask = 0x1FFFFF;
  if (message == g_state_message)
    return static_cast<LRESULT>((g_line_store.count & mask) | (g_view.vertical.position & mask) << 21 |
                                (g_view.vertical.limit & mask) << 42 | uint64_t{WorkerExists()} << 63);
  // The destruction begins by hiding the window: the close has stopped waiting for the worker, which
  // must now end without this thread (which waits for it here).
  const bool hiding = message == WM_WINDOWPOSCHANGING &&
                      (reinterpret_cast<const WINDOWPOS*>(lparam)->flags & SWP_HIDEWINDOW) != 0;
  if ((hiding || message == WM_DESTROY) && g_closed.load() && g_ended_during_destroy.load() < 0) {
    g_running_after_close.store(WaitForSingleObject(g_worker_ended, 0) != WAIT_OBJECT_0);
    g_ended_during_destroy.store(WaitForSingleObject(g_worker_ended, 30000) == WAIT_OBJECT_0);
  }
  if (message == WM_CLOSE && !g_closed.exchange(true)) g_record_at_close.store(g_last_record.load());
  return CallWindowProcW(g_window_proc, window, message, wparam, lparam);
}

int SlowRun() {
  g_state_message = RegisterWindowMessageW(L"Lorvex Test State");
  g_window_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(g_app.main_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TestWindowProc)));
  RunContext* run = new RunContext();
  OutputContext* out = run->output = new OutputContext();
  out->normal_flags = out->error_flags = kChannelCon;
  out->control_flags = PlatformControlFlags();
  snprintf(out->program_name, sizeof out->program_name, "LORVEX");
  g_cancel.store(0);
  for (int i = 1; i <= g_filled; ++i)
    LineStoreAppend(&g_line_store, ("filled line " + std::to_string(i)).c_str());
  SendSizeNotification(g_app.main_window);
  g_worker_ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const int result = RunOnWorkerThread(SlowBody, run, std::string());
  FILE* stop = g_closed.load() ? fopen("stop.txt", "w") : nullptr;
  if (stop != nullptr) {
    fprintf(stop, "%d %d %d %d\n", g_record_at_close.load(), g_record_at_stop.load(),
            g_running_after_close.load(), g_ended_during_destroy.load());
    fclose(stop);
  }
  const bool finished = result != kWorkNoMemory && result != kWorkCancelled;
  if (finished) PrintFormatted(out, 0, 0, "%d records", g_lines);
  delete out;
  delete run;
  return finished ? 0 : 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  int* arguments[] = {&g_lines, &g_pause_ms, &g_keep_every, &g_filled};
  for (int i = 1; i < __argc && i <= 4; ++i) *arguments[i - 1] = _wtoi(__wargv[i]);
  return RunApplication(instance, show, SlowRun);
}
