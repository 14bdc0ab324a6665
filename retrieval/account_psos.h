// The password settings objects that apply to a domain's accounts, found for the whole domain at
// once. The directory computes an account's msDS-ResultantPSO from the groups of its token, which
// costs some controllers (Samba) a walk over every group of the account for every account read,
// more the larger the groups are. Only the accounts in a settings object's reach can have one:
// those it is applied to, the members of the groups it is applied to and of the groups nested in
// them, and the accounts whose primary group is one of those groups. One search of those accounts
// gives their values; every other account has none, and its row need not ask for the attribute.
#ifndef LORVEX_RETRIEVAL_ACCOUNT_PSOS_H_
#define LORVEX_RETRIEVAL_ACCOUNT_PSOS_H_

#include <string>
#include <unordered_map>
#include <vector>

#include "directory/ads/ads.h"
#include "retrieval/retrieval_source.h"

class AccountPsos {
 public:
  /// Accounts in reach kept at most; a domain with more (a settings object applied to a large
  /// group) leaves the attribute to each account's own read, so that memory stays bounded.
  static constexpr size_t kMaxAccounts = 5000;
  /// Groups in reach followed at most, nested ones included; also the most objects the settings
  /// objects together may be applied to.
  static constexpr size_t kMaxGroups = 500;

  /// Finds the accounts in reach of the settings objects of the scope's domain, on its default
  /// server. False, with nothing known, when that cannot be told for certain: no settings object
  /// can be seen (none, or none readable by this account), one whose attributes cannot be read,
  /// a failed search, or more accounts or groups than kept.
  bool Find(const RetrievalScope& scope);

  /// Adds to an account's row (its own read, without msDS-ResultantPSO) the value its own read
  /// would have given; the row is left alone when the account has none or already has the
  /// attribute.
  void AddTo(const std::string& dn, std::vector<AdsAttribute>* row) const;

 private:
  std::unordered_map<std::string, std::string> pso_by_dn_;  // accounts in reach, lower-cased DN
};

#endif  // LORVEX_RETRIEVAL_ACCOUNT_PSOS_H_
