// Placeholder: replaced by the real implementation.
#include "directory/directory_context.h"
AdsCredentials g_credentials;
AdsResult OpenDirectoryContext(DirectoryContext*, OutputContext*, std::string*) { return -1; }
void CloseDirectoryContext(DirectoryContext*) {}
AdsResult SwitchDomain(DirectoryContext*, OutputContext*, std::string*, std::string*) { return 1; }
AdsResult BindObject(const std::string&, uint32_t, AdsObject**) { return -1; }
std::string EscapeSlashes(const std::string& t) { return t; }
std::string UnescapeSlashes(const std::string& t) { return t; }
bool IsNtFormat(const std::string&) { return false; }
