// Parallel tasks on Windows threads.
#include <windows.h>

#include "util/parallel_tasks.h"

namespace {

DWORD WINAPI RunTask(LPVOID task) {
  (*static_cast<const std::function<void()>*>(task))();
  return 0;
}

}  // namespace

void RunTasksTogether(const std::vector<std::function<void()>>& tasks) {
  std::vector<HANDLE> threads;
  std::vector<const std::function<void()>*> left;
  for (size_t i = 1; i < tasks.size(); ++i) {
    HANDLE thread =
        CreateThread(nullptr, 0, RunTask, const_cast<std::function<void()>*>(&tasks[i]), 0, nullptr);
    if (thread != nullptr) {
      threads.push_back(thread);
    } else {
      left.push_back(&tasks[i]);
    }
  }
  if (!tasks.empty()) tasks[0]();
  for (const std::function<void()>* task : left) (*task)();
  for (HANDLE thread : threads) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
}
