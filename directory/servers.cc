// Placeholder: replaced by the real implementation.
#include "directory/servers.h"
bool PrepareServerList(RunContext*, const std::string&) { return true; }
bool ResolveServerPrefix(RunContext*) { return true; }
int ReadLatestLastLogon(RunContext*, const std::string&, const std::string&, uint32_t*, std::string*) { return 1; }
int ReadLatestWhenChanged(RunContext*, const std::string&, const std::string&, uint32_t*, std::string*) { return 1; }
void FreeServerList(ServerList*) {}
