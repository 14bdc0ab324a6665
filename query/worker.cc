// The directory work of a run, done on the worker thread: one entity, or every
// object of an input file, then the records kept for sorting.
#include "query/worker.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "query/filter.h"
#include "retrieval/entity.h"
#include "retrieval/groups.h"
#include "retrieval/name_hint.h"
#include "retrieval/retrieval.h"
#include "retrieval/retrieval_queue.h"
#include "retrieval/servers.h"
#include "util/ascii_text.h"

namespace {

// Longest input file line that is read, without its line end.
constexpr int kMaxLineLength = 299;
// Names of the input file read ahead of their resolution: a batch's worth.
constexpr size_t kLinesAhead = RetrievalQueue::kBatchObjects;

// Reads one line of at most kMaxLineLength characters without its line end.
// The rest of a longer line is dropped: a name cannot be that long, and its
// tail read as a line of its own would name some other object.
bool ReadLine(FILE* file, std::string* line) {
  char buffer[kMaxLineLength + 2];
  if (fgets(buffer, sizeof buffer, file) == nullptr) return false;
  size_t length = strlen(buffer);
  if (length > 0 && buffer[length - 1] == '\n') {
    buffer[--length] = '\0';
  } else if (length > kMaxLineLength) {
    int c;
    while ((c = fgetc(file)) != EOF && c != '\n') {
    }
    buffer[kMaxLineLength] = '\0';
    length = kMaxLineLength;
  }
  // A file written on Windows ends its lines with a carriage return as well.
  if (length > 0 && buffer[length - 1] == '\r') buffer[--length] = '\0';
  line->assign(buffer, length);
  return true;
}

}  // namespace

void SplitServerPrefix(const std::string& entity, std::string* server, std::string* object) {
  server->clear();
  for (size_t i = 0; i < entity.size(); ++i) {
    const char c = entity[i];
    if (c == '\\' || c == '=') break;
    if (c == '/') {
      *server = entity.substr(0, i);
      *object = entity.substr(i + 1);
      return;
    }
  }
  *object = entity;
}

std::string InputLineName(const std::string& line) {
  const std::string_view name = TrimBlanks(line);
  if (name.empty()) return std::string();
  if (name[0] == '"') {
    const size_t close = name.find('"', 1);
    return std::string(name.substr(1, close == std::string_view::npos ? close : close - 1));
  }
  return std::string(name.substr(0, name.find_first_of(" \t")));
}

int ProcessOneEntity(RunContext* run, const std::string& name) {
  run->resolved_server.clear();
  if (!run->server_prefix.empty() && !ResolveServerPrefix(run)) return kWorkDone;
  if (run->search_flag || run->options.subtree) return SearchEntities(run);
  if (EqualsIgnoreCase(run->options.object_class, "group")) return ExpandGroup(run, name);
  return RetrieveRestrictions(run, name);
}

int ProcessInputFile(RunContext* run) {
  const std::string object_class = run->options.object_class;
  // The names of a block of lines are told to the directory layer before the lines are resolved,
  // so that it can look them up together; the lines are then resolved one by one as ever.
  InputPrefetch prefetch(run);
  int code = kWorkDone;
  bool more = true;
  bool stopped = false;
  std::vector<std::string> names, objects;
  while (more && !stopped) {
    names.clear();
    std::string line;
    while (names.size() < kLinesAhead && (more = ReadLine(run->input_file, &line))) {
      std::string name = InputLineName(line);
      if (!name.empty() && name[0] != ';') names.push_back(std::move(name));
    }
    if (names.empty()) break;
    // A line's own server prefix only chooses the controllers of its per-controller values; its
    // name is resolved in the run's domain like any other.
    objects.assign(names.size(), std::string());
    std::string server;
    for (size_t i = 0; i < names.size(); ++i) SplitServerPrefix(names[i], &server, &objects[i]);
    prefetch.Hint(objects, 0);
    for (size_t i = 0; i < names.size(); ++i) {
      run->options.object_class = object_class;
      SplitServerPrefix(names[i], &run->server_prefix, &run->entity);
      const bool resolved = ResolveEntity(run);
      // A line that named another domain moved the run there: the lines after it are looked up there.
      if (prefetch.Moved()) prefetch.Hint(objects, i + 1);
      if (!resolved) continue;
      if ((!run->server_prefix.empty() || run->server_list == nullptr) &&
          !PrepareServerList(run, run->server_prefix)) {
        continue;
      }
      code = ProcessOneEntity(run, run->entity);
      if (code == kWorkNoMemory || code == kWorkCancelled) {
        stopped = true;
        break;
      }
    }
  }
  fclose(run->input_file);
  run->input_file = nullptr;
  return code;
}

int WorkerBody(RunContext* run, const std::string& name) {
  // Objects are read in batches, unless the run reads each one on its own.
  std::unique_ptr<RetrievalQueue> queue;
  if (!run->per_object_reads) queue = std::make_unique<RetrievalQueue>(run);
  int code = run->options.file_mode ? ProcessInputFile(run) : ProcessOneEntity(run, name);
  if (queue) {
    const int last = queue->Flush();
    if (code != kWorkNoMemory && code != kWorkCancelled) code = last;
    queue.reset();
  }
  if (code == kWorkNoMemory) return kWorkNoMemory;
  // Also after a stop by the user: what was gathered before it is still shown.
  if (run->options.sort_mode != 0 && run->result_head != nullptr && !SortAndPrint(run)) FreeResultList(run);
  return kWorkDone;
}
