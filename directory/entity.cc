// Placeholder: replaced by the real implementation.
#include "directory/entity.h"
bool ResolveEntity(RunContext*) { return false; }
int SearchEntities(RunContext*) { return 0; }
AdsResult VerifyObject(RunContext*, std::string*, std::string*, std::string*) { return -1; }
const char* ArticleFor(const std::string&) { return "a"; }
