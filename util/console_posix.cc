// Placeholder: replaced by the real implementation.
#include "util/console.h"
bool ConsoleOutputIsTerminal() { return false; }
void ConsoleWrite(const char*) {}
int ConsoleReadKey() { return -1; }
bool ConsoleReadLine(std::string*, size_t) { return false; }
int ConsoleRows() { return 24; }
