// The directory work of a run: the worker thread's body, one entity, the input file.
#ifndef LORVEX_QUERY_WORKER_H_
#define LORVEX_QUERY_WORKER_H_

#include <cstdint>
#include <string>

#include "run/run_context.h"

/// Splits "server/object" into its parts; a '\' or '=' before any '/' means no server part.
void SplitServerPrefix(const std::string& entity, std::string* server, std::string* object);
/// The object name of an input file line: the first word, or the text inside leading double quotes.
std::string InputLineName(const std::string& line);
/// Processes one resolved entity: a search, a group's members or one object. Returns a work result.
int ProcessOneEntity(RunContext* run, const std::string& name);
/// Resolves and processes every object of the input file; returns the last work result.
int ProcessInputFile(RunContext* run);
/// The worker thread's body: the entity or the input file, then the records kept for sorting.
int WorkerBody(RunContext* run, const std::string& name);
/// The body a worker thread runs.
using WorkerFunction = int (*)(RunContext* run, const std::string& name);
/// Runs a body on a worker thread and waits for it; 151 when the user stopped the run.
int RunOnWorkerThread(WorkerFunction body, RunContext* run, const std::string& name);
/// Runs WorkerBody on a worker thread and waits for it; 151 when the user stopped the run.
int RunWorkerAndWait(RunContext* run, const std::string& name);
/// Control flags the output state starts with on this platform.
uint32_t PlatformControlFlags();

#endif  // LORVEX_QUERY_WORKER_H_
