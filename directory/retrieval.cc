// Placeholder: replaced by the real implementation.
#include "directory/retrieval.h"
int ReadDomainPolicy(RunContext*) { return 0; }
int RetrieveRestrictions(RunContext*, const std::string&) { return 0; }
bool ReadPasswordSettings(RunContext*, const std::string&, RestrictionRecord*) { return false; }
bool CheckPasswordSettingsName(RunContext*, std::string*) { return false; }
