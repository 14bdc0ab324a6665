// The worker thread on Windows, and the main thread's wait loop that keeps the window alive and
// asks whether to stop when Esc is pressed.
#include <windows.h>

#include "query/worker.h"
#include "query/worker_control.h"
#include "util/output.h"

namespace {

// The running worker, null when none. Only the main thread reads or writes it.
HANDLE g_worker = nullptr;

struct WorkerStart {
  WorkerFunction body;
  RunContext* run;
  const std::string* name;
};

DWORD WINAPI WorkerThread(void* argument) {
  WorkerStart* start = static_cast<WorkerStart*>(argument);
  return static_cast<DWORD>(start->body(start->run, *start->name));
}

// Suspends the worker while the user decides; Yes asks it to stop at its next object.
void AskToQuit(HANDLE worker) {
  SuspendThread(worker);
  if (MessageBoxW(nullptr, L"Do you want to quit the search?", L"End search",
                  MB_YESNO | MB_ICONWARNING | MB_TASKMODAL) == IDYES) {
    g_cancel.store(1);
  }
  ResumeThread(worker);
}

bool WorkerActive(HANDLE worker, DWORD* exit_code) {
  return GetExitCodeThread(worker, exit_code) && *exit_code == STILL_ACTIVE;
}

}  // namespace

uint32_t PlatformControlFlags() { return kControlWindowConsole; }

bool WorkerExists() { return g_worker != nullptr; }

void StopWorker(int steps, unsigned step_ms) {
  g_cancel.store(1);
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

int RunWorkerAndWait(RunContext* run, const std::string& name) { return RunOnWorkerThread(WorkerBody, run, name); }

int RunOnWorkerThread(WorkerFunction body, RunContext* run, const std::string& name) {
  WorkerStart start = {body, run, &name};
  g_worker = CreateThread(nullptr, 0, WorkerThread, &start, 0, nullptr);
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
        AskToQuit(g_worker);
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(1, &g_worker, FALSE, INFINITE, QS_ALLINPUT);
  }
  CloseHandle(g_worker);
  g_worker = nullptr;
  if (g_cancel.load() != 0) return kWorkCancelled;
  return static_cast<int>(exit_code);
}
