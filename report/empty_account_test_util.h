// Test helpers: the all-restrictions report of an account with no values, as both the report's
// own tests and the tests of its way to the console expect it.
#ifndef LORVEX_REPORT_EMPTY_ACCOUNT_TEST_UTIL_H_
#define LORVEX_REPORT_EMPTY_ACCOUNT_TEST_UTIL_H_

#include <string>
#include <vector>

/// The report's lines for an account named dn with no values and no lockout policy: every date
/// and number "None", every flag "No" but the disabled one given, all workstations allowed.
inline std::vector<std::string> EmptyAccountReport(const std::string& dn, bool disabled) {
  return {
      "",
      "Account Restrictions for " + dn,
      "",
      "Creation date                                    None",
      "Modification date                                None",
      disabled ? "Account disabled                                  Yes"
               : "Account disabled                                   No",
      "Account expiration date                          None",
      "Password expiration date                         None",
      "Password last change                             None",
      "Password minimum age                             None",
      "Password maximum age                             None",
      "Password required                                  No",
      "Password minimum length                          None",
      "Password user can change                           No",
      "Password stored using reversible encryption        No",
      "Password complexity required                       No",
      "Password history length                          None",
      "Last logon date                                  None",
      "Allowed workstations                              All",
  };
}

#endif  // LORVEX_REPORT_EMPTY_ACCOUNT_TEST_UTIL_H_
