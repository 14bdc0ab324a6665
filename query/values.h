// The value argument: yes/no, dates and times, integers and texts.
#ifndef LORVEX_QUERY_VALUES_H_
#define LORVEX_QUERY_VALUES_H_

#include <cstdint>
#include <string>

#include "query/run_context.h"

/// Parses the value for a restriction into run->filter_*; false with the message in error
/// (empty when a message has already been printed).
bool ParseValue(RunContext* run, const std::string& text, const char* keyword, std::string* error,
                RestrictionCode code);
/// Parses a date with an optional time; today is the local date of now_local.
bool ParseDateTime(const std::string& text, uint32_t now_local, std::string* error, uint32_t* number,
                   uint32_t* range);
/// The local time zone offset in half-hours east of UTC, from the C library.
int16_t ReadLocalTimeOffset();

#endif  // LORVEX_QUERY_VALUES_H_
