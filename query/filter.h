// Filtering, sorting and the result list.
#ifndef LORVEX_QUERY_FILTER_H_
#define LORVEX_QUERY_FILTER_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "run/run_context.h"

/// Filters a record and prints or keeps it; takes the record over. Returns 0 or 150.
int SelectAndDispatch(RunContext* run, const std::string& name, RestrictionRecord* record);
/// Whether a record passes the filter of a run.
bool FilterTest(const RunContext* run, const RestrictionRecord& record);
/// Sorts the kept records, prints them and empties the list; false when it could not sort.
bool SortAndPrint(RunContext* run);
/// Frees every record kept for sorting.
void FreeResultList(RunContext* run);

/// Appends a record to the result list with a copy of its displayed name; null after printing
/// "Insufficient memory for sorting" (the record is then still the caller's).
ResultNode* KeepRecord(RunContext* run, const std::string& name, RestrictionRecord* record);
/// The sort key of a run: 33 (object name) or the restriction code, with 0x80000000 for reverse.
uint32_t SortKeyOf(const RunContext* run);
/// Three-way comparison of two records under a sort key (reverse bit included).
int CompareRecords(const RestrictionRecord& a, const RestrictionRecord& b, uint32_t key);
/// Sorts records by a key; records equal under a value key follow each other by name, ascending.
void SortRecords(RestrictionRecord** records, size_t count, uint32_t key);

#endif  // LORVEX_QUERY_FILTER_H_
