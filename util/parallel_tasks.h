// Running a few independent tasks at the same time, one thread each.
#ifndef LORVEX_UTIL_PARALLEL_TASKS_H_
#define LORVEX_UTIL_PARALLEL_TASKS_H_

#include <functional>
#include <memory>
#include <vector>

/// Runs every task and returns when all have ended: the first on the calling thread, each other
/// on a thread of its own, or on the calling thread after the first when no thread can be created.
void RunTasksTogether(const std::vector<std::function<void()>>& tasks);

/// Tasks that run on threads of their own while the caller goes on, until Wait (or the end of the
/// group) waits for them; a task for which no thread can be created runs at once on the caller's.
class BackgroundTasks {
 public:
  BackgroundTasks() = default;
  ~BackgroundTasks() { Wait(); }
  BackgroundTasks(const BackgroundTasks&) = delete;
  BackgroundTasks& operator=(const BackgroundTasks&) = delete;

  void Start(std::function<void()> task);
  /// Returns when every task started has ended.
  void Wait();

 private:
  // Each task stays where it is until its thread has been waited for.
  std::vector<std::unique_ptr<std::function<void()>>> tasks_;
  std::vector<void*> threads_;
};

#endif  // LORVEX_UTIL_PARALLEL_TASKS_H_
