// Placeholder: replaced by the real implementation.
#include "query/driver.h"
int MainRun() { return 1; }
