// Objects queued for retrieval and read in batches: the objects handed on by a search, a group's
// members or the lines of an input file are gathered, their values read for the whole batch at
// once, and then each object is retrieved in turn from those reads. Whatever else is printed while
// objects wait in the queue waits with them, so the output comes in the order of the work.
#ifndef LORVEX_RETRIEVAL_RETRIEVAL_QUEUE_H_
#define LORVEX_RETRIEVAL_RETRIEVAL_QUEUE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "retrieval/batch_reads.h"
#include "retrieval/retrieval_source.h"
#include "run/run_context.h"
#include "util/output.h"

/// The batch queue of a run. While it exists, RetrieveRestrictions queues objects here and the
/// run's messages pass through it. A full batch is started (its per-controller searches set off)
/// before the batch ahead of it is retrieved and printed, so that those searches run while the
/// earlier batch is printed and the next objects are found.
class RetrievalQueue final : public OutputHold {
 public:
  /// Objects read in one batch at most.
  static constexpr size_t kBatchObjects = 250;
  /// Rows in a page of a search that finds objects to queue: the most a controller gives in one
  /// page; fewer and larger pages cost the server less than more and smaller ones.
  static constexpr int kSearchPageSize = 1000;
  /// Objects and waiting messages held at most before the queue is worked off.
  static constexpr size_t kMaxEntries = 1000;

  /// Puts the queue in place for the run: objects and messages go through it from now on.
  /// LORVEX_BATCH_OBJECTS=N (1 to kBatchObjects) makes batches smaller, so that tests over a small
  /// domain see several batches at once, and the pages of the searches that find objects as small
  /// as a batch, so that tests see a search still running while its first objects are printed.
  explicit RetrievalQueue(RunContext* run);
  /// Takes the queue out of the run; objects still queued are dropped (Flush first).
  ~RetrievalQueue();
  RetrievalQueue(const RetrievalQueue&) = delete;
  RetrievalQueue& operator=(const RetrievalQueue&) = delete;

  /// Rows in a page of a search that finds objects to queue (kSearchPageSize, or a batch's).
  int SearchPageSize() const { return page_size_; }
  /// Queues an object; returns 0, or 150 or 151 when the work stopped at an object queued earlier.
  int Add(const std::string& dn);
  /// Retrieves every queued object and prints every waiting message, in order; returns the code
  /// of the last object (0), or 150 or 151 where the work stopped, dropping what came after it.
  int Flush();
  /// Keeps a message printed while objects are queued, to be printed after them.
  bool Hold(OutputContext* out, int32_t code, int increment) override;

  /// The attributes a search that finds objects to queue should ask for so that its rows stand
  /// for the objects' own reads (KeepRow); empty when they cannot in the run's scope as it is now.
  std::vector<std::string> RowAttributes();
  /// Keeps a row of such a search for the batch its object will be read in.
  void KeepRow(const std::string& dn, std::vector<AdsAttribute> row);
  /// Before the objects of a search are queued (a wildcard's search, or a search of the accounts
  /// that are a group's members; its base path's DN part, scope and filter): when nothing is
  /// queued, the other controllers' values of the objects it finds are read by the same search on
  /// each of them, started now (ControllerStream), for the batches of the objects queued until
  /// EndStreamedSearch. Objects it does not find are searched for by name as ever. sort_on: the
  /// attribute the controllers are asked to order the objects by (that of the queue's order).
  void StartStreamedSearch(const std::string& base_dn, int search_scope, const std::string& filter,
                           const char* sort_on = nullptr);
  void EndStreamedSearch();

 private:
  struct Entry {
    bool object = false;
    std::string dn;            ///< the object
    std::string display_name;  ///< its name in its display form, as it read when it was queued
    std::string text;          ///< a waiting message
    int32_t code = 0;
    int increment = 0;
  };

  // A batch whose reads have been started, waiting to be retrieved.
  struct Started {
    RetrievalScope scope;
    std::vector<Entry> entries;
    std::unique_ptr<BatchReads> reads;
  };

  /// Starts the queued batch and retrieves the one started before it; returns its code.
  int Advance();
  /// Retrieves and prints a started batch; returns the code of its last object.
  int Finish(Started* batch);
  /// What the batches of objects in a scope read besides the objects' own attributes.
  BatchNeeds Needs(const RetrievalScope& scope) const;
  /// The domain of a scope, as the accounts in reach of its password settings objects are kept.
  static std::string PsoKey(const RetrievalScope& scope);

  RunContext* run_;
  size_t batch_objects_ = kBatchObjects;
  int page_size_ = kSearchPageSize;
  RetrievalScope scope_;  ///< the scope of the queued objects
  std::vector<Entry> entries_;
  size_t objects_ = 0;
  std::unique_ptr<Started> started_;  ///< the batch ahead of the queued objects
  bool flushing_ = false;
  int stopped_ = 0;  ///< the stop code met while working off the queue for a message
  PasswordSettingsCache settings_;
  /// The accounts in reach of each domain's password settings objects; null where not known.
  std::map<std::string, std::unique_ptr<AccountPsos>> psos_;
  RowsByDn rows_;       ///< rows kept from the searches that found objects
  uint64_t added_ = 0;  ///< objects queued so far
  ControllerStreams streams_;
  bool streamed_search_open_ = false;
  uint64_t streamed_end_ = 0;  ///< objects queued when the streamed search ended
};

/// Queues an object of the run for retrieval (RetrieveRestrictions with a queue in place).
int QueueRetrieval(RetrievalQueue* queue, const std::string& dn);

#endif  // LORVEX_RETRIEVAL_RETRIEVAL_QUEUE_H_
