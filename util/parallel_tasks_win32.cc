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

void BackgroundTasks::Start(std::function<void()> task) {
  tasks_.push_back(std::make_unique<std::function<void()>>(std::move(task)));
  HANDLE thread = CreateThread(nullptr, 0, RunTask, tasks_.back().get(), 0, nullptr);
  if (thread != nullptr) {
    threads_.push_back(thread);
  } else {
    (*tasks_.back())();
  }
}

void BackgroundTasks::Wait() {
  for (void* thread : threads_) {
    WaitForSingleObject(static_cast<HANDLE>(thread), INFINITE);
    CloseHandle(static_cast<HANDLE>(thread));
  }
  threads_.clear();
  tasks_.clear();
}
