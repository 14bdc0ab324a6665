// One object's value line in every layout: name column, value text, /a columns and /c fields.
#ifndef LORVEX_REPORT_VALUE_LINE_H_
#define LORVEX_REPORT_VALUE_LINE_H_

#include <cstdint>
#include <string>

#include "directory/dir_time.h"
#include "report/time_format.h"
#include "run/run_context.h"

/// Width of the name column of the default layout.
constexpr int kNameColumnWidth = 45;

/// Builds and prints the line (or report, or grid) of one selected object.
void WriteObjectLine(RunContext* run, const std::string& name, const RestrictionRecord& record);
/// The text WriteObjectLine prints for a one-value restriction or in names-only mode; *print is
/// false when nothing is printed.
std::string BuildObjectLine(const RunContext* run, const std::string& name, const RestrictionRecord& record,
                            bool* print);
/// The name column: 45 characters with the display name, the bare name when names-only, or the
/// two quoted fields in comma-delimited mode.
std::string FormatNameColumn(bool comma_delimited, bool names_only, const std::string& name,
                             const std::string& display_name);
/// A line in the /a column layout of the run, made of the value and the object's names.
std::string FormatColumns(const RunContext* run, const std::string& value, const std::string& name,
                          const std::string& display_name);
/// The value text of the run's restriction for one object ("" for lh and all).
std::string BuildValueText(const RunContext* run, const RestrictionRecord& record);
/// "Yes" or " No", three characters either way.
const char* YesNoText(bool value);
/// A stored time as a date-time in 20 columns ("None" when there is none).
std::string DateTimeText(uint32_t seconds);
/// DateTimeText followed by " (controller)" when the time is set and a controller supplied it.
std::string DateTimeWithServer(uint32_t seconds, const std::string& server);
/// A password settings object or domain name shown as its relative name without attribute type.
std::string ShortObjectName(const RunContext* run, const std::string& distinguished_name);

#endif  // LORVEX_REPORT_VALUE_LINE_H_
