// Placeholder: replaced by the real implementation.
#include "util/option_parser.h"
bool ParseOptionText(const char*, const std::string&, const char*, const char*, GatheredOptions*, const char*) { return false; }
