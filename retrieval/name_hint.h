// The names that resolving the lines of an input file will look up, told to the directory layer a
// block of lines ahead, so that it can find them all at once (AdsPrefetchNames).
#ifndef LORVEX_RETRIEVAL_NAME_HINT_H_
#define LORVEX_RETRIEVAL_NAME_HINT_H_

#include <string>
#include <vector>

#include "directory/ads/ads.h"
#include "directory/directory_context.h"
#include "run/run_context.h"

/// Adds to hint what ResolveEntity will look up for entity (an object name, its server prefix
/// split off) in the domain of dir, as far as the form of the name tells: the account name of a
/// plain or NT name of that domain, a principal name, the distinguished names of a typed name and
/// of its container. object_class is the /o class of the run; searched says that the name will be
/// searched for (/x, or a wildcard line earlier), which looks up nothing by name.
void AddEntityToHint(const DirectoryContext& dir, const std::string& object_class, bool searched,
                     const std::string& entity, AdsNameHint* hint);

/// Tells the directory layer the names of a block of input lines ahead of their resolution, and
/// tells it again when a line has moved the run to another domain. Does nothing when the run
/// reads every object on its own: that is the one-line-at-a-time reference.
class InputPrefetch {
 public:
  /// Takes the run as the input file begins (its /o class is the one every line starts from).
  explicit InputPrefetch(RunContext* run);
  /// Forgets what was found.
  ~InputPrefetch();
  InputPrefetch(const InputPrefetch&) = delete;
  InputPrefetch& operator=(const InputPrefetch&) = delete;

  /// Hints the names of entities[from...] in the run's current domain.
  void Hint(const std::vector<std::string>& entities, size_t from);
  /// Whether the run's domain has changed since the last hint (a line named another domain).
  bool Moved() const;

 private:
  RunContext* run_;
  bool active_;
  bool hinted_ = false;
  std::string object_class_;
  std::string path_prefix_, naming_context_;  ///< the domain of the last hint
};

#endif  // LORVEX_RETRIEVAL_NAME_HINT_H_
