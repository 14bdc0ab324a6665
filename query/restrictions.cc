// Placeholder: replaced by the real implementation.
#include "query/restrictions.h"
const RestrictionInfo* FindRestriction(RestrictionCode) { return nullptr; }
const char* RestrictionKeyword(RestrictionCode) { return ""; }
bool IsDateRestriction(RestrictionCode) { return false; }
bool LookupRestriction(RunContext*, const std::string&, std::string*) { return false; }
bool ParseOperator(RunContext*, RestrictionCode, const std::string&, std::string*) { return false; }
