// The count of LDAP requests of a run, for benchmarks.
#ifndef LORVEX_QUERY_ROUND_TRIP_REPORT_H_
#define LORVEX_QUERY_ROUND_TRIP_REPORT_H_

#include <cstdint>
#include <string>

/// Environment variable that asks for the count: any value but empty or "0".
inline constexpr const char kRoundTripVariable[] = "LORVEX_ROUND_TRIPS";

/// The line written to standard error at exit when setting (the variable's value, null when
/// unset) asks for it: "LDAP round trips: N" and a line end; empty otherwise.
std::string RoundTripReport(const char* setting, uint64_t round_trips);

#endif  // LORVEX_QUERY_ROUND_TRIP_REPORT_H_
