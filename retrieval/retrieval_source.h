// Where the values of one object's retrieval come from: read from the directory for that object
// alone, or taken from reads made for a whole batch of objects. The retrieval itself (what it
// reads in which order, what it prints when a read fails) is the same for both.
#ifndef LORVEX_RETRIEVAL_RETRIEVAL_SOURCE_H_
#define LORVEX_RETRIEVAL_RETRIEVAL_SOURCE_H_

#include <string>
#include <vector>

#include "directory/ads/ads.h"
#include "run/run_context.h"

struct OutputContext;

/// A domain controller of the server list that an object's per-controller values are read from.
struct ControllerTarget {
  std::string display;      ///< its name in messages and in the record
  std::string path_server;  ///< the server of its paths: its address, or its host name
  bool operator==(const ControllerTarget&) const = default;
};

/// What a retrieval reads besides the object's DN: the directory context's paths, the one
/// controller of /$ and the server list. Objects queued for a batch keep the scope that stood when
/// they were queued, since a later input-file line may switch the domain or the server list.
struct RetrievalScope {
  std::string path_prefix;               ///< the directory context's "LDAP://" or "LDAP://host/"
  std::string naming_context;            ///< the default naming context
  bool single = false;                   ///< /$ with a resolved server: the object is read there
  std::string single_server;             ///< that server
  std::string single_name;               ///< the server prefix: the controller shown and named
  bool has_list = false;                 ///< a server list exists, so per-controller values are read
  bool own_counts = true;                ///< the object's own read gives per-controller values too
  std::string own_name;                  ///< the list's entry for the default server, or empty
  std::vector<ControllerTarget> others;  ///< every other entry, in list order
  bool operator==(const RetrievalScope&) const = default;
};

/// The scope of the run as it stands now.
RetrievalScope CurrentRetrievalScope(const RunContext* run);

/// What one read gave: the attributes, or the step that failed with its code and the server's
/// own words about the failure.
struct ReadOutcome {
  enum Step { kDone = 0, kBindFailed, kReadFailed };
  Step step = kDone;
  AdsResult code = kAdsOk;
  std::string diagnostic;
  std::vector<AdsAttribute> attributes;
};

/// The reads one retrieval makes, in the order it makes them.
class RetrievalSource {
 public:
  /// One per-controller attribute of the object from scope.others[controller].
  virtual ReadOutcome ControllerValue(const RetrievalScope& scope, size_t controller, const std::string& dn,
                                      const char* attribute) = 0;
  /// Whether the object's DACL denies changing the password; false when that cannot be read.
  virtual bool ChangePasswordDenied(const RetrievalScope& scope, const std::string& dn,
                                    const std::string& display_name, int* denied) = 0;
  /// The object's own attributes from its server (a failed bind is the connection failing).
  virtual ReadOutcome ObjectAttributes(const RetrievalScope& scope, const std::string& dn) = 0;
  /// The attributes of a password settings object; a read that fails gives none.
  virtual ReadOutcome PasswordSettings(const RetrievalScope& scope, const std::string& dn) = 0;

 protected:
  ~RetrievalSource() = default;
};

/// A failed read: its step and code with the server's words about it, taken now.
ReadOutcome FailedRead(ReadOutcome::Step step, AdsResult code);

/// The reads of one object alone, each made when the retrieval asks for it.
RetrievalSource* SingleObjectReads();

/// The attributes of the object's own read.
extern const std::vector<std::string> kObjectAttributes;
/// The attributes of a password settings object.
extern const std::vector<std::string> kPasswordSettingsAttributes;

/// Binds to a controller's path with the process credentials; a controller that is not operational
/// yet is tried again, ten times in all, 20 milliseconds apart.
AdsResult BindControllerWithRetry(const std::string& path, uint32_t flags, AdsObject** object);
/// Whether the run shows a value read from every domain controller (lld, md): for that restriction,
/// for all, or when sorting by value.
bool ShowsControllerValue(const RunContext* run, RestrictionCode code);
/// Keeps the greatest value of a per-controller attribute ("lastLogon" or "whenChanged") over the
/// scope's controllers after the first, with the controller holding it; reports each controller
/// that cannot be bound or read.
void ReadLatestFrom(RunContext* run, const RetrievalScope& scope, RetrievalSource* source,
                    const std::string& dn, const std::string& display_name, const char* attribute,
                    uint32_t* latest, std::string* server);
/// Reports a failed read through the directory error report, with the server's words it gave.
void ReportReadFailure(OutputContext* out, const ReadOutcome& outcome, const std::string& description);

/// Retrieves one object from a source and hands its record to the filter: the sequence of
/// RetrieveRestrictions for an object whose display-form name is known. Returns 0, 150 or 151.
int RetrieveFrom(RunContext* run, const RetrievalScope& scope, RetrievalSource* source, const std::string& dn,
                 const std::string& display_name);

#endif  // LORVEX_RETRIEVAL_RETRIEVAL_SOURCE_H_
