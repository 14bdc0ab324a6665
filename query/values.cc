// Placeholder: replaced by the real implementation.
#include "query/values.h"
bool ParseValue(RunContext*, const std::string&, const char*, std::string*, RestrictionCode) { return false; }
bool ParseDateTime(const std::string&, uint32_t, std::string*, uint32_t*, uint32_t*) { return false; }
int16_t ReadLocalTimeOffset() { return 0; }
