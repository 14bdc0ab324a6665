// Placeholder: replaced by the real implementation.
#include "report/value_line.h"
void WriteObjectLine(RunContext*, const std::string&, const RestrictionRecord&) {}
TimeParts SplitTime(uint32_t) { return TimeParts{}; }
std::string FormatDate(const TimeParts&, int) { return ""; }
std::string FormatDateTime(const TimeParts&, int) { return ""; }
std::string FormatDuration(uint32_t) { return ""; }
