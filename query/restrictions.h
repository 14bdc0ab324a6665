// The restriction keyword and the comparison operator of the command line.
#ifndef LORVEX_QUERY_RESTRICTIONS_H_
#define LORVEX_QUERY_RESTRICTIONS_H_

#include <string>
#include <vector>

#include "run/restriction_table.h"
#include "run/run_context.h"

/// Every word that names a restriction: the keywords in code order, then the other spellings.
std::vector<std::string> RestrictionWords();
/// Every operator word: the fixed spellings, then "in", "includes", "ni" and "!includes".
std::vector<std::string> OperatorWords();
/// Looks up a lower-cased keyword; sets run->restriction and the label, or prints the error.
bool LookupRestriction(RunContext* run, const std::string& keyword, std::string* label);
/// Parses a lower-cased operator for a restriction into run->op, or leaves the error text.
bool ParseOperator(RunContext* run, RestrictionCode code, const std::string& text, std::string* error);

#endif  // LORVEX_QUERY_RESTRICTIONS_H_
