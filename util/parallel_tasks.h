// Running a few independent tasks at the same time, one thread each.
#ifndef LORVEX_UTIL_PARALLEL_TASKS_H_
#define LORVEX_UTIL_PARALLEL_TASKS_H_

#include <functional>
#include <vector>

/// Runs every task and returns when all have ended: the first on the calling thread, each other
/// on a thread of its own, or on the calling thread after the first when no thread can be created.
void RunTasksTogether(const std::vector<std::function<void()>>& tasks);

#endif  // LORVEX_UTIL_PARALLEL_TASKS_H_
