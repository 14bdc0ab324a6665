// The value argument: yes/no, dates and times, integers and texts.
#ifndef LORVEX_QUERY_VALUES_H_
#define LORVEX_QUERY_VALUES_H_

#include <cstdint>
#include <string>

#include "run/run_context.h"

/// Parses the value for a restriction into run->filter_*; false with the message in error
/// (empty when a message has already been printed).
bool ParseValue(RunContext* run, const std::string& text, const char* keyword, std::string* error,
                RestrictionCode code);
/// Parses a date with an optional time; today is the local date of now_local.
bool ParseDateTime(const std::string& text, uint32_t now_local, std::string* error, uint32_t* number,
                   uint32_t* range);
/// Parses a date ("today", "tod-30", dd:mmm:yy[yy]) into its count of days from 1 January 1970
/// and the count of characters it used; today is the local date of now_local.
bool ParseDate(const std::string& text, uint32_t now_local, std::string* error, uint32_t* days, size_t* used);
/// Reads decimal digits, skipping commas, into number; false with the message in error.
bool ParseDecimal(const std::string& text, uint32_t* number, std::string* error);
/// How many leading characters word and text share, compared without regard to case.
size_t MatchWord(const char* word, const std::string& text);
/// The local time zone offset in half-hours east of UTC, from the system's time zone.
int16_t ReadLocalTimeOffset();
/// The offset in half-hours of a zone offset in minutes east of UTC (truncated toward zero).
int16_t HalfHoursOfOffset(int utc_offset_minutes);

#endif  // LORVEX_QUERY_VALUES_H_
