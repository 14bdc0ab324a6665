// Placeholder: replaced by the real implementation.
#include "query/program_options.h"
int ProcessProgramOptions(RunContext*, const std::string&, int) { return 1; }
