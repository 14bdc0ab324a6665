// The restriction keywords and comparison operators.
#ifndef LORVEX_QUERY_RESTRICTIONS_H_
#define LORVEX_QUERY_RESTRICTIONS_H_

#include <string>
#include <vector>

#include "run/codes.h"
#include "run/run_context.h"

/// Kinds of value a restriction takes.
enum ValueKind {
  kValueYesNo,
  kValueDate,
  kValueInteger,
  kValueObject,
  kValueText,
  kValueLogonHours,
  kValueNone
};

/// One row of the restriction table.
struct RestrictionInfo {
  RestrictionCode code;
  const char* keyword;
  const char* display_name;
  ValueKind kind;
  bool equal_only;      ///< takes only the equal and not-equal operators
  bool per_controller;  ///< its value is read from every domain controller
  bool sortable;        ///< may be sorted by value
};

/// The table row of a code, or null.
const RestrictionInfo* FindRestriction(RestrictionCode code);
/// The keyword of a code ("tr" for logon hours), or "".
const char* RestrictionKeyword(RestrictionCode code);
/// The display name of a code, or "".
const char* RestrictionDisplayName(RestrictionCode code);
/// Whether a code takes a date value.
bool IsDateRestriction(RestrictionCode code);
/// Whether a code takes only the equal and not-equal operators.
bool IsEqualOnlyRestriction(RestrictionCode code);
/// Whether records of a code may be sorted by value.
bool CanSortByValue(RestrictionCode code);
/// Every word that names a restriction: the keywords in code order, then the alternative spellings.
std::vector<std::string> RestrictionWords();
/// Every operator word: the fixed spellings, then "in", "includes", "ni" and "!includes".
std::vector<std::string> OperatorWords();
/// Looks up a lower-cased keyword; sets run->restriction and the display name, or prints the error.
bool LookupRestriction(RunContext* run, const std::string& keyword, std::string* display_name);
/// Parses a lower-cased operator for a restriction into run->op, or leaves the error text.
bool ParseOperator(RunContext* run, RestrictionCode code, const std::string& text, std::string* error);

#endif  // LORVEX_QUERY_RESTRICTIONS_H_
