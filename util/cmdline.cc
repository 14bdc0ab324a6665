// Placeholder: replaced by the real implementation.
#include "util/cmdline.h"
static std::string g_line;
void SetProcessCommandLine(const std::string& l, const std::string&) { g_line = l; }
const std::string& ProcessCommandLine() { return g_line; }
std::string JoinArguments(int, const char* const*) { return ""; }
bool SplitCommandLine(const char*, std::string*, std::vector<std::string>*, int) { return false; }
bool GatherOptions(const char*, const std::string&, const char*, const char*, GatheredOptions*) { return false; }
bool ReadOptionsFile(const char*, const std::string&, const char*, const char*, GatheredOptions*, bool) { return false; }
void ProgramNameAndDirectory(std::string*, std::string*) {}
std::string ProgramName() { return "LORVEX"; }
std::string ReadEnvironment(const char*) { return ""; }
