// Filtering, sorting and the result list.
#ifndef LORVEX_QUERY_FILTER_H_
#define LORVEX_QUERY_FILTER_H_

#include <string>

#include "query/run_context.h"

/// Filters a record and prints or keeps it; takes the record over. Returns 0 or 150.
int SelectAndDispatch(RunContext* run, const std::string& name, RestrictionRecord* record);
/// Whether a record passes the filter of a run.
bool FilterTest(const RunContext* run, const RestrictionRecord& record);
/// Sorts the kept records, prints them and empties the list; false when it could not sort.
bool SortAndPrint(RunContext* run);
/// Frees every record kept for sorting.
void FreeResultList(RunContext* run);

#endif  // LORVEX_QUERY_FILTER_H_
