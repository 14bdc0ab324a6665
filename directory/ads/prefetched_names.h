// What one prefetch of names found (AdsPrefetchNames), and the look-ups it may answer: an account
// name, a principal name or a distinguished name that the prefetch found exactly as the look-up
// of its own would, the identity (DN as stored, class) of an object found, and the schema
// properties of a class read while the prefetch is in force.
#ifndef LORVEX_DIRECTORY_ADS_PREFETCHED_NAMES_H_
#define LORVEX_DIRECTORY_ADS_PREFETCHED_NAMES_H_

#include <cstddef>
#include <map>
#include <string>
#include <unordered_set>
#include <vector>

#include "directory/ads/ads.h"

/// An object returned by the prefetch search.
struct PrefetchedEntry {
  std::string dn;                            ///< as the server stores it
  std::vector<std::string> accounts;         ///< its sAMAccountName values
  std::vector<std::string> principal_names;  ///< its userPrincipalName values
  std::string class_name;                    ///< its most specific structural class
  std::vector<AdsAttribute> dn_attribute;    ///< its distinguishedName attribute as decoded
};

/// Whether an account name can be looked for in a prefetch: printable ASCII without blanks or
/// wildcards. The server compares account names without regard to case by rules of its own for
/// other characters (and folds blanks); only ASCII case can be matched here with certainty.
bool IsPrefetchableAccount(const std::string& name);
/// Whether a principal name can be looked for: as an account name, with an '@'.
bool IsPrefetchablePrincipalName(const std::string& name);
/// Whether a distinguished name can be looked for: printable ASCII, every component "type=value"
/// with a type of letters, digits and '-', no blank at either end of a component.
bool IsPrefetchableDn(const std::string& dn);

/// What a prefetch can tell of a name looked for by its value.
enum class PrefetchAnswer {
  kUnknown,  ///< the look-up has to be made
  kFound,    ///< exactly one object has it
  kAbsent,   ///< no object has it
};

/// The names of one hint and what the search for them found. At most one hint's worth is kept.
class PrefetchedNames {
 public:
  /// Names of one kind taken from one hint at most; the rest are looked up as usual.
  static constexpr size_t kMaxNames = 1000;
  /// Objects a search may return; more, and nothing is kept.
  static constexpr size_t kMaxEntries = 4000;

  /// Forgets everything and takes the names of a hint for the domain below base on a server (the
  /// connection's key): those that can be looked for, each once.
  void Begin(const std::string& server, const std::string& base, const AdsNameHint& hint);
  /// The filters of the searches for the names taken, kTermsPerFilter names each (OrFilters); none
  /// when there is none to look for.
  std::vector<std::string> Filters() const;
  /// The attributes the search asks for.
  static std::vector<std::string> Attributes();
  /// Takes one object the search returned; false once there are too many (the search is then
  /// taken as failed).
  bool Add(PrefetchedEntry entry);
  /// The search ended: when it completed, answers are given from now on; else nothing is kept.
  void Finish(bool completed);
  /// Forgets everything, the class properties included.
  void Clear();

  /// The object whose account name is account in the domain below base, as a search of that
  /// domain for it would find it: exactly one (its DN), none, or unknown (several, or a name not
  /// asked for, or one whose matches cannot be told with certainty).
  PrefetchAnswer FindAccount(const std::string& server, const std::string& base, const std::string& account,
                             std::string* dn) const;
  /// The same for a principal name.
  PrefetchAnswer FindPrincipalName(const std::string& server, const std::string& base,
                                   const std::string& name, std::string* dn) const;
  /// The object named by a DN that was asked for (the text compared without regard to ASCII case).
  bool FindByDn(const std::string& server, const std::string& dn, std::string* stored_dn) const;
  /// The identity of an object found: its DN as stored and its class.
  bool FindIdentity(const std::string& server, const std::string& dn, std::string* stored_dn,
                    std::string* class_name) const;
  /// The distinguishedName attribute of an object found, as its read would give it.
  bool FindDnAttribute(const std::string& server, const std::string& dn,
                       std::vector<AdsAttribute>* attributes) const;

  /// Keeps the schema properties of a class read on a server while a hint is in force.
  void KeepClassProperties(const std::string& server, const std::string& class_name,
                           const std::vector<std::string>& mandatory,
                           const std::vector<std::string>& optional);
  /// The schema properties of a class kept since the hint.
  bool FindClassProperties(const std::string& server, const std::string& class_name,
                           std::vector<std::string>* mandatory, std::vector<std::string>* optional) const;

 private:
  struct ClassProperties {
    std::vector<std::string> mandatory, optional;
  };

  bool Answers(const std::string& server) const;
  const PrefetchedEntry* EntryWithDn(const std::string& dn) const;
  PrefetchAnswer FindByValue(const std::string& server, const std::string& base, const std::string& name,
                             const std::vector<std::string>& asked, bool certain,
                             std::vector<std::string> PrefetchedEntry::*values, std::string* dn) const;

  bool active_ = false;                   ///< a hint is in force
  bool answers_ = false;                  ///< its search completed
  bool accounts_certain_ = false;         ///< every account name found compares by ASCII case alone
  bool principal_names_certain_ = false;  ///< so does every principal name found
  std::string server_, base_;
  std::vector<std::string> accounts_, principal_names_, dns_;
  std::vector<PrefetchedEntry> entries_;
  std::unordered_set<std::string> found_dns_;       ///< the entries' DNs, lower-cased
  std::map<std::string, ClassProperties> classes_;  ///< by "server\nclass", lower-cased
};

#endif  // LORVEX_DIRECTORY_ADS_PREFETCHED_NAMES_H_
