// Parallel tasks on POSIX threads.
#include <pthread.h>

#include "util/parallel_tasks.h"

namespace {

void* RunTask(void* task) {
  (*static_cast<const std::function<void()>*>(task))();
  return nullptr;
}

}  // namespace

void RunTasksTogether(const std::vector<std::function<void()>>& tasks) {
  std::vector<pthread_t> threads;
  std::vector<const std::function<void()>*> left;
  for (size_t i = 1; i < tasks.size(); ++i) {
    pthread_t thread;
    if (pthread_create(&thread, nullptr, RunTask, const_cast<std::function<void()>*>(&tasks[i])) == 0) {
      threads.push_back(thread);
    } else {
      left.push_back(&tasks[i]);
    }
  }
  if (!tasks.empty()) tasks[0]();
  for (const std::function<void()>* task : left) (*task)();
  for (pthread_t thread : threads) pthread_join(thread, nullptr);
}
