// The batch queue: objects gathered in processing order, read a batch at a time, retrieved in turn.
#include "retrieval/retrieval_queue.h"

#include <cstdio>
#include <cstring>

#include "directory/name_forms.h"
#include "run/codes.h"

namespace {

bool IsStop(int code) { return code == kWorkNoMemory || code == kWorkCancelled; }

// What the retrievals of the run read besides the objects' own attributes.
BatchNeeds NeedsOf(const RunContext* run, const RetrievalScope& scope) {
  BatchNeeds needs;
  const bool per_controller = !scope.single && scope.has_list;
  needs.last_logon = per_controller && ShowsControllerValue(run, kLld);
  needs.when_changed = per_controller && ShowsControllerValue(run, kMd);
  needs.descriptor = run->restriction == kPuc || run->restriction == kAll;
  return needs;
}

}  // namespace

RetrievalQueue::RetrievalQueue(RunContext* run) : run_(run) {
  run_->retrievals = this;
  run_->output->hold = this;
}

RetrievalQueue::~RetrievalQueue() {
  if (run_->retrievals == this) run_->retrievals = nullptr;
  if (run_->output->hold == this) run_->output->hold = nullptr;
}

int RetrievalQueue::Add(const std::string& dn) {
  if (stopped_) return stopped_;
  // A stop asked for by the user ends the work at the first object not yet retrieved.
  if (g_cancel) {
    const int code = Flush();
    return IsStop(code) ? code : kWorkCancelled;
  }
  RetrievalScope scope = CurrentRetrievalScope(run_);
  if (objects_ > 0 && !(scope == scope_)) {
    const int code = Flush();
    if (IsStop(code)) return code;
  }
  if (objects_ == 0) scope_ = std::move(scope);
  Entry entry;
  entry.object = true;
  entry.dn = dn;
  entry.display_name = FormatName(run_->directory, run_->options.name_form, dn);
  entries_.push_back(std::move(entry));
  ++objects_;
  if (objects_ >= kBatchObjects || entries_.size() >= kMaxEntries) return Flush();
  return kWorkDone;
}

int RetrievalQueue::Flush() {
  if (entries_.empty()) return kWorkDone;
  flushing_ = true;
  std::vector<std::string> dns;
  for (const Entry& entry : entries_) {
    if (entry.object) dns.push_back(entry.dn);
  }
  BatchReads reads(&settings_);
  if (!dns.empty()) reads.Fetch(scope_, dns, NeedsOf(run_, scope_));
  OutputContext* out = run_->output;
  int code = kWorkDone;
  for (const Entry& entry : entries_) {
    if (!entry.object) {
      snprintf(out->message, sizeof out->message, "%s", entry.text.c_str());
      PrintMessage(out, entry.code, entry.increment);
      continue;
    }
    code = RetrieveFrom(run_, scope_, &reads, entry.dn, entry.display_name);
    // What was queued after the object the work stopped at would never have been reached.
    if (IsStop(code)) break;
  }
  entries_.clear();
  objects_ = 0;
  flushing_ = false;
  return code;
}

bool RetrievalQueue::Hold(OutputContext* out, int32_t code, int increment) {
  if (flushing_ || objects_ == 0 || stopped_) return false;
  Entry entry;
  entry.text.assign(out->message, strnlen(out->message, sizeof out->message));
  entry.code = code;
  entry.increment = increment;
  entries_.push_back(std::move(entry));
  if (entries_.size() >= kMaxEntries) {
    const int flushed = Flush();
    if (IsStop(flushed)) stopped_ = flushed;
  }
  return true;
}

int QueueRetrieval(RetrievalQueue* queue, const std::string& dn) { return queue->Add(dn); }
