// The batch queue: objects gathered in processing order, read a batch at a time, retrieved in turn.
#include "retrieval/retrieval_queue.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "directory/ads/ads_path.h"
#include "directory/name_forms.h"
#include "directory/name_lookup.h"
#include "run/codes.h"
#include "util/ascii_text.h"

namespace {

bool IsStop(int code) { return code == kWorkNoMemory || code == kWorkCancelled; }

}  // namespace

RetrievalQueue::RetrievalQueue(RunContext* run) : run_(run) {
  const char* size = getenv("LORVEX_BATCH_OBJECTS");
  const long wanted = size ? strtol(size, nullptr, 10) : 0;
  if (wanted >= 1 && wanted <= static_cast<long>(kBatchObjects)) {
    batch_objects_ = static_cast<size_t>(wanted);
    page_size_ = static_cast<int>(wanted);
  }
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
  if ((objects_ > 0 || started_) && !(scope == scope_)) {
    const int code = Flush();
    if (IsStop(code)) return code;
  }
  if (objects_ == 0) scope_ = std::move(scope);
  // An object of an input file line comes with its own attributes from the search of the line's
  // name, when that search asked for them.
  if (!scope_.single && !rows_.count(LowerCase(dn))) {
    std::vector<AdsAttribute> row;
    if (AdsTakeHintedRow(scope_.path_prefix + EscapeSlashes(scope_.naming_context), dn, &row)) {
      const char* name_attribute = NameFormAttribute(run_->options.name_form);
      if (name_attribute) KeepNameAttribute(scope_.path_prefix, dn, name_attribute, row);
      KeepRow(dn, std::move(row));
    }
  }
  Entry entry;
  entry.object = true;
  entry.dn = dn;
  entry.display_name = FormatName(run_->directory, run_->options.name_form, dn);
  entries_.push_back(std::move(entry));
  ++objects_;
  ++added_;
  if (objects_ >= batch_objects_) return Advance();
  if (entries_.size() >= kMaxEntries) return Flush();
  return kWorkDone;
}

int RetrievalQueue::Advance() {
  flushing_ = true;
  auto batch = std::make_unique<Started>();
  batch->scope = scope_;
  batch->entries = std::move(entries_);
  entries_.clear();
  objects_ = 0;
  batch->reads = std::make_unique<BatchReads>(&settings_);
  // The batch ahead must be done with the controllers' connections before this one's searches
  // take them, and this one's before the batch ahead reads an object alone on them.
  std::unique_ptr<Started> ahead = std::move(started_);
  if (ahead) ahead->reads->Wait();
  std::vector<std::string> dns;
  for (const Entry& entry : batch->entries) {
    if (entry.object) dns.push_back(entry.dn);
  }
  // The streams serve the objects of their search only; once past them, they stop.
  if (!streamed_search_open_ && added_ - dns.size() >= streamed_end_) streams_.clear();
  if (!dns.empty()) {
    batch->reads->Start(batch->scope, dns, Needs(batch->scope), &rows_,
                        streams_.empty() ? nullptr : &streams_);
  }
  BatchReads* next = batch->reads.get();
  started_ = std::move(batch);
  int code = kWorkDone;
  if (ahead) {
    ahead->reads->BeforeOwnReads([next]() { next->Wait(); });
    code = Finish(ahead.get());
  }
  if (IsStop(code)) {
    // What was queued after the object the work stopped at would never have been reached.
    started_.reset();
    rows_.clear();
  }
  flushing_ = false;
  return code;
}

int RetrievalQueue::Finish(Started* batch) {
  batch->reads->Wait();
  OutputContext* out = run_->output;
  int code = kWorkDone;
  for (const Entry& entry : batch->entries) {
    if (!entry.object) {
      snprintf(out->message, sizeof out->message, "%s", entry.text.c_str());
      PrintMessage(out, entry.code, entry.increment);
      continue;
    }
    code = RetrieveFrom(run_, batch->scope, batch->reads.get(), entry.dn, entry.display_name);
    // What was queued after the object the work stopped at would never have been reached.
    if (IsStop(code)) break;
  }
  return code;
}

int RetrievalQueue::Flush() {
  if (entries_.empty() && !started_) return kWorkDone;
  int code = kWorkDone;
  if (!entries_.empty()) code = Advance();
  if (!IsStop(code) && started_) {
    flushing_ = true;
    std::unique_ptr<Started> last = std::move(started_);
    code = Finish(last.get());
    flushing_ = false;
  }
  rows_.clear();
  return code;
}

bool RetrievalQueue::Hold(OutputContext* out, int32_t code, int increment) {
  if (flushing_ || (objects_ == 0 && !started_) || stopped_) return false;
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

BatchNeeds RetrievalQueue::Needs(const RetrievalScope& scope) const {
  BatchNeeds needs;
  const bool per_controller = !scope.single && scope.has_list;
  needs.last_logon = per_controller && ShowsControllerValue(run_, kLld);
  needs.when_changed = per_controller && ShowsControllerValue(run_, kMd);
  needs.descriptor = run_->restriction == kPuc || run_->restriction == kAll;
  auto it = psos_.find(PsoKey(scope));
  if (it != psos_.end() && it->second) needs.psos = it->second.get();
  return needs;
}

std::string RetrievalQueue::PsoKey(const RetrievalScope& scope) {
  return scope.path_prefix + "\n" + LowerCase(scope.naming_context);
}

std::vector<std::string> RetrievalQueue::RowAttributes() {
  const RetrievalScope scope = CurrentRetrievalScope(run_);
  // Under /$ the objects are read on a controller of their own, not where they are found.
  if (scope.single) return {};
  // A search that finds many objects makes it worth finding the accounts in reach of the domain's
  // password settings objects once: the rows of the others then need not ask for their resultant
  // one. Decided once for each domain, so that every row of it is read the same way.
  const std::string key = PsoKey(scope);
  if (!psos_.count(key)) {
    auto psos = std::make_unique<AccountPsos>();
    if (!psos->Find(scope)) psos.reset();
    psos_[key] = std::move(psos);
  }
  return ObjectRowAttributes(Needs(scope));
}

void RetrievalQueue::KeepRow(const std::string& dn, std::vector<AdsAttribute> row) {
  // Rows no batch took (objects not queued after all) go when there are too many.
  if (rows_.size() >= 2 * kMaxEntries) rows_.clear();
  rows_[LowerCase(dn)] = std::move(row);
}

void RetrievalQueue::StartStreamedSearch(const std::string& base_dn, int search_scope,
                                         const std::string& filter, const char* sort_on) {
  if (objects_ > 0 || started_ || !entries_.empty()) return;
  streams_.clear();
  const RetrievalScope scope = CurrentRetrievalScope(run_);
  streams_ = StartControllerStreams(scope, Needs(scope), base_dn, search_scope, filter, sort_on);
  streamed_search_open_ = !streams_.empty();
}

void RetrievalQueue::EndStreamedSearch() {
  if (!streamed_search_open_) return;
  streamed_search_open_ = false;
  streamed_end_ = added_;
}

int QueueRetrieval(RetrievalQueue* queue, const std::string& dn) { return queue->Add(dn); }
