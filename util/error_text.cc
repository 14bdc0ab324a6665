// Placeholder: replaced by the real implementation.
#include "util/error_text.h"
int ReportDirectoryError(OutputContext*, int32_t, const char*) { return 0; }
bool SystemErrorText(int32_t, std::string*) { return false; }
std::string LookupMessageText(OutputContext*, int32_t) { return ""; }
