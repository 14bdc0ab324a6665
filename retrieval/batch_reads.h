// The reads of a batch of objects made all at once: the objects' own attributes with one search on
// their server, the per-controller values with one search per controller, each on a thread and a
// connection of its own. The retrieval of each object then takes its values from these reads.
#ifndef LORVEX_RETRIEVAL_BATCH_READS_H_
#define LORVEX_RETRIEVAL_BATCH_READS_H_

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "retrieval/retrieval_source.h"

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

/// The values of one batch of objects. Whatever the batch reads did not give (an object a search
/// did not return, a search that failed after its bind) is read for that object alone, so that
/// every object is shown, and every failure reported, as its own reads would have done.
class BatchReads final : public RetrievalSource {
 public:
  explicit BatchReads(PasswordSettingsCache* settings) : settings_(settings) {}

  /// Reads the values of these objects in the scope.
  void Fetch(const RetrievalScope& scope, const std::vector<std::string>& dns, const BatchNeeds& needs);

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
    std::unordered_map<std::string, std::vector<AdsAttribute>> by_dn;
  };

 private:
  PasswordSettingsCache* settings_;
  bool fetched_objects_ = false;
  Rows objects_;
  // The descriptors when the objects are read from a controller of /$: from the default server.
  bool separate_descriptors_ = false;
  Rows descriptors_;
  std::vector<std::string> controller_attributes_;
  std::vector<Rows> controllers_;
};

/// The filter that finds exactly the objects of these DNs (each DN once).
std::string BatchFilter(const std::vector<std::string>& dns);

#endif  // LORVEX_RETRIEVAL_BATCH_READS_H_
