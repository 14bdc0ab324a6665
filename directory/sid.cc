// Placeholder: replaced by the real implementation.
#include "directory/sid.h"
bool SidToText(const std::string&, std::string*) { return false; }
bool TextToSid(const std::string&, std::string*) { return false; }
