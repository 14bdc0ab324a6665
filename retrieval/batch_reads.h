// The reads of a batch of objects made all at once: the objects' own attributes with one search on
// their server, the per-controller values with one search per controller, each on a thread and a
// connection of its own. The retrieval of each object then takes its values from these reads.
#ifndef LORVEX_RETRIEVAL_BATCH_READS_H_
#define LORVEX_RETRIEVAL_BATCH_READS_H_

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "retrieval/account_psos.h"
#include "retrieval/retrieval_source.h"
#include "util/parallel_tasks.h"

/// What the retrievals of a batch read besides the objects' own attributes.
struct BatchNeeds {
  bool last_logon = false;    ///< lastLogon from every controller after the first
  bool when_changed = false;  ///< whenChanged from every controller after the first
  bool descriptor = false;    ///< the security descriptor, for the password-change permission
  /// The accounts in reach of the domain's password settings objects, when known: rows then leave
  /// msDS-ResultantPSO out and take it from here.
  const AccountPsos* psos = nullptr;
};

/// The password settings objects of a run, each read once: later objects reuse the first read,
/// its failure included.
class PasswordSettingsCache {
 public:
  /// The read of the object, made through reads the first time it is asked for.
  ReadOutcome Get(RetrievalSource* reads, const RetrievalScope& scope, const std::string& dn);

 private:
  std::map<std::string, ReadOutcome> read_;
};

/// Rows of objects by their lower-cased DN.
using RowsByDn = std::unordered_map<std::string, std::vector<AdsAttribute>>;

/// Moves the rows of these DNs that wait in waiting (a window of a search's rows) into rows, both by
/// lower-cased DN; returns the DNs neither has, in their order.
std::vector<std::string> TakeWaitingRows(const std::vector<std::string>& dns, RowsByDn* waiting,
                                         RowsByDn* rows);

/// The attributes a search that finds objects on their own server asks for, so that each row it
/// returns stands for the object's own read in a batch (distinguishedName first).
std::vector<std::string> ObjectRowAttributes(const BatchNeeds& needs);
/// The attributes of an object's own read that a batch's search asks for.
std::vector<std::string> BatchObjectAttributes(const BatchNeeds& needs);

class ControllerStream;
/// The streams of a run's other controllers by the lower-cased server of their paths.
using ControllerStreams = std::map<std::string, std::shared_ptr<ControllerStream>>;

/// The values of one batch of objects. Whatever the batch reads did not give (an object a search
/// did not return, a search that failed after its bind) is read for that object alone, so that
/// every object is shown, and every failure reported, as its own reads would have done.
class BatchReads final : public RetrievalSource {
 public:
  explicit BatchReads(PasswordSettingsCache* settings) : settings_(settings) {}

  /// Reads the values of these objects in the scope: the objects' own attributes from the rows of
  /// found (the search that found them, taken out of it) or else with a search now, and the
  /// per-controller values with searches on threads of their own that go on after the return, so
  /// that the caller can go on with other work while they run (Wait before taking values).
  /// A controller with a stream (streams, may be null) takes its rows from the stream first and
  /// searches by name only for the objects the stream did not give.
  void Start(const RetrievalScope& scope, const std::vector<std::string>& dns, const BatchNeeds& needs,
             RowsByDn* found, const ControllerStreams* streams = nullptr);
  /// Waits for the searches Start left running.
  void Wait() { running_.Wait(); }
  /// Called before any read of an object alone: the controllers' connections must be free of other
  /// batches' searches then.
  void BeforeOwnReads(std::function<void()> wait) { before_own_reads_ = std::move(wait); }

  ReadOutcome ControllerValue(const RetrievalScope& scope, size_t controller, const std::string& dn,
                              const char* attribute) override;
  bool ChangePasswordDenied(const RetrievalScope& scope, const std::string& dn,
                            const std::string& display_name, int* denied) override;
  ReadOutcome ObjectAttributes(const RetrievalScope& scope, const std::string& dn) override;
  ReadOutcome PasswordSettings(const RetrievalScope& scope, const std::string& dn) override;

  /// The rows of one search by the lower-cased DN of their object, or the failure of its bind.
  struct Rows {
    bool bind_failed = false;
    ReadOutcome failure;
    RowsByDn by_dn;
  };

 private:
  RetrievalSource* OwnReads();

  PasswordSettingsCache* settings_;
  std::function<void()> before_own_reads_;
  bool fetched_objects_ = false;
  const AccountPsos* psos_ = nullptr;  // where the rows' msDS-ResultantPSO comes from, or none
  Rows objects_;
  // The descriptors when the objects are read from a controller of /$: from the default server.
  bool separate_descriptors_ = false;
  Rows descriptors_;
  std::vector<std::string> controller_attributes_;
  std::vector<Rows> controllers_;
  // Declared last, so that its threads end before the rows they fill go.
  BackgroundTasks running_;
};

/// The per-controller values of every object a search finds, read from one other controller by the
/// same paged search over the same scope, on a thread of its own, started along with the search
/// that finds the objects on the first: a batch takes its objects' rows from here instead of
/// searching for them by name. The rows wait here until a batch takes them; at most kStreamRows of
/// them, the search (pages of 1000) pausing between pages meanwhile, so that memory does
/// not grow with the number of objects. A batch that needs rows the search has not
/// reached while that many wait (the controllers return objects in different orders) gives the
/// stream up, and it and every later batch search by name.
class ControllerStream {
 public:
  static constexpr size_t kStreamRows = 1000;

  /// sort_on: the attribute the controller is asked to order its rows by, or null.
  ControllerStream(std::string base_path, int search_scope, std::string filter,
                   std::vector<std::string> attributes, const char* sort_on = nullptr);
  /// Stops the search and waits for its thread.
  ~ControllerStream();
  ControllerStream(const ControllerStream&) = delete;
  ControllerStream& operator=(const ControllerStream&) = delete;

  /// Moves the rows of these DNs into rows as the search reaches them; returns when every one is
  /// there or when the search has ended (its last page, a failure, given up), its connection free
  /// again then. missing: the DNs it did not give.
  void Take(const std::vector<std::string>& dns, BatchReads::Rows* rows, std::vector<std::string>* missing);

 private:
  void Run(std::string base_path, int search_scope, std::string filter, std::vector<std::string> attributes,
           const char* sort_on);

  std::mutex mutex_;
  std::condition_variable changed_;
  RowsByDn rows_;
  bool ended_ = false;
  bool give_up_ = false;
  std::thread::id owner_;
  BackgroundTasks thread_;
};

/// Streams for the other controllers of the scope (those a batch would search on threads of their
/// own) over the scope of a search that finds objects: its base path's DN part, scope, filter and
/// the order it asks for. None when the batches read no per-controller value.
ControllerStreams StartControllerStreams(const RetrievalScope& scope, const BatchNeeds& needs,
                                         const std::string& base_dn, int search_scope,
                                         const std::string& filter, const char* sort_on = nullptr);

/// The filters that together find exactly the objects of these DNs (each DN once, at most
/// kTermsPerFilter to a filter), in their order.
std::vector<std::string> BatchFilters(const std::vector<std::string>& dns);

#endif  // LORVEX_RETRIEVAL_BATCH_READS_H_
