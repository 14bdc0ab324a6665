// Placeholder: replaced by the real implementation.
#include "report/all_report.h"
void WriteAllReport(RunContext*, const RestrictionRecord&, const std::string&) {}
void WriteLogonHoursGrid(RunContext*, const uint8_t*) {}
