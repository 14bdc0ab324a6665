// The worker thread on Windows, and the main thread's wait loop that keeps the window alive and
// asks whether to stop when Esc is pressed.
#include <windows.h>

#include <atomic>

#include "query/worker.h"
#include "run/worker_control.h"
#include "util/output.h"

namespace {

// The running worker, null when none. Only the main thread reads or writes it.
HANDLE g_worker = nullptr;
// The worker's thread id, 0 when none: only that thread ever waits at a safe point.
std::atomic<DWORD> g_worker_id{0};
// Manual-reset event, signalled while the worker may go on; reset while the Esc question is open.
HANDLE g_go_on = nullptr;

struct WorkerStart {
  WorkerFunction body;
  RunContext* run;
  const std::string* name;
};

DWORD WINAPI WorkerThread(void* argument) {
  WorkerStart* start = static_cast<WorkerStart*>(argument);
  return static_cast<DWORD>(start->body(start->run, *start->name));
}

// Holds the worker while the user decides; Yes asks it to stop at its next object. The worker is
// not suspended where it happens to be (it could hold the heap's lock, which the question's own
// window needs): it waits at its next safe point, before its next line or object. A line it is
// handing over meanwhile is still taken by the question's message loop.
void AskToQuit() {
  ResetEvent(g_go_on);
  if (MessageBoxW(nullptr, L"Do you want to quit the search?", L"End search",
                  MB_YESNO | MB_ICONWARNING | MB_TASKMODAL) == IDYES) {
    g_cancel.store(1);
  }
  SetEvent(g_go_on);
}

bool WorkerActive(HANDLE worker, DWORD* exit_code) {
  return GetExitCodeThread(worker, exit_code) && *exit_code == STILL_ACTIVE;
}

}  // namespace

uint32_t PlatformControlFlags() { return kControlWindowConsole; }

bool WorkerExists() { return g_worker != nullptr; }

void WorkerSafePoint() {
  if (g_go_on == nullptr || GetCurrentThreadId() != g_worker_id.load()) return;
  WaitForSingleObject(g_go_on, INFINITE);
}

void StopWorker(int steps, unsigned step_ms) {
  g_cancel.store(1);
  if (g_go_on != nullptr) SetEvent(g_go_on);
  // The worker may be waiting for this thread to take a line it prints, so lines sent meanwhile
  // are still taken: it then reaches its next check of the cancel flag.
  const DWORD start = GetTickCount();
  const DWORD total = static_cast<DWORD>(steps) * step_ms;
  while (g_worker != nullptr) {
    const DWORD spent = GetTickCount() - start;
    if (spent >= total) break;
    const DWORD woke = MsgWaitForMultipleObjects(1, &g_worker, FALSE, total - spent, QS_SENDMESSAGE);
    if (woke != WAIT_OBJECT_0 + 1) break;
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

int RunWorkerAndWait(RunContext* run, const std::string& name) {
  return RunOnWorkerThread(WorkerBody, run, name);
}

int RunOnWorkerThread(WorkerFunction body, RunContext* run, const std::string& name) {
  WorkerStart start = {body, run, &name};
  if (g_go_on == nullptr) g_go_on = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  SetEvent(g_go_on);
  DWORD worker_id = 0;
  g_worker = CreateThread(nullptr, 0, WorkerThread, &start, CREATE_SUSPENDED, &worker_id);
  if (g_worker != nullptr) {
    g_worker_id.store(worker_id);
    ResumeThread(g_worker);
  }
  if (g_worker == nullptr) {
    // Without a thread nothing was examined; the run ends like one that ran out of memory:
    // no totals and exit value 1.
    PrintFormatted(run->output, -1, 1, "%s: Cannot start the search", run->output->program_name);
    return kWorkNoMemory;
  }
  // Instead of polling, the loop sleeps until a message arrives or the worker ends.
  DWORD exit_code = STILL_ACTIVE;
  while (WorkerActive(g_worker, &exit_code)) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) g_cancel.store(1);
      if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
        AskToQuit();
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(1, &g_worker, FALSE, INFINITE, QS_ALLINPUT);
  }
  CloseHandle(g_worker);
  g_worker = nullptr;
  g_worker_id.store(0);
  if (g_cancel.load() != 0) return kWorkCancelled;
  return static_cast<int>(exit_code);
}
