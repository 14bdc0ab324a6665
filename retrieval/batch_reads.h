// The reads of a batch of objects made all at once: the objects' own attributes with one search on
// their server, the per-controller values with one search per controller, each on a thread and a
// connection of its own. The retrieval of each object then takes its values from these reads.
#ifndef LORVEX_RETRIEVAL_BATCH_READS_H_
#define LORVEX_RETRIEVAL_BATCH_READS_H_

#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "retrieval/retrieval_source.h"
#include "util/parallel_tasks.h"

/// What the retrievals of a batch read besides the objects' own attributes.
struct BatchNeeds {
  bool last_logon = false;    ///< lastLogon from every controller after the first
  bool when_changed = false;  ///< whenChanged from every controller after the first
  bool descriptor = false;    ///< the security descriptor, for the password-change permission
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

/// The attributes a search that finds objects on their own server asks for, so that each row it
/// returns stands for the object's own read in a batch (distinguishedName first).
std::vector<std::string> ObjectRowAttributes(const BatchNeeds& needs);

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
  void Start(const RetrievalScope& scope, const std::vector<std::string>& dns, const BatchNeeds& needs,
             RowsByDn* found);
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
  Rows objects_;
  // The descriptors when the objects are read from a controller of /$: from the default server.
  bool separate_descriptors_ = false;
  Rows descriptors_;
  std::vector<std::string> controller_attributes_;
  std::vector<Rows> controllers_;
  // Declared last, so that its threads end before the rows they fill go.
  BackgroundTasks running_;
};

/// DNs named in one search filter at most: the directory matches every row it returns against every
/// term of an OR, so that a search of many DNs costs far more per object than several of fewer.
constexpr size_t kFilterDns = 20;

/// The filters that together find exactly the objects of these DNs (each DN once, at most
/// kFilterDns to a filter), in their order.
std::vector<std::string> BatchFilters(const std::vector<std::string>& dns);

#endif  // LORVEX_RETRIEVAL_BATCH_READS_H_
