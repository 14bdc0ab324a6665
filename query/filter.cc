// Placeholder: replaced by the real implementation.
#include "query/filter.h"
int SelectAndDispatch(RunContext*, const std::string&, RestrictionRecord* r) { delete r; return 0; }
bool FilterTest(const RunContext*, const RestrictionRecord&) { return true; }
bool SortAndPrint(RunContext*) { return false; }
void FreeResultList(RunContext*) {}
