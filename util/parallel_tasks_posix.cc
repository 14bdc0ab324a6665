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

void BackgroundTasks::Start(std::function<void()> task) {
  tasks_.push_back(std::make_unique<std::function<void()>>(std::move(task)));
  auto* thread = new pthread_t;
  if (pthread_create(thread, nullptr, RunTask, tasks_.back().get()) == 0) {
    threads_.push_back(thread);
  } else {
    delete thread;
    (*tasks_.back())();
  }
}

void BackgroundTasks::Wait() {
  for (void* handle : threads_) {
    auto* thread = static_cast<pthread_t*>(handle);
    pthread_join(*thread, nullptr);
    delete thread;
  }
  threads_.clear();
  tasks_.clear();
}
