// The terminal: prompts, the pager's keys and the page length.
#ifndef LORVEX_UTIL_CONSOLE_H_
#define LORVEX_UTIL_CONSOLE_H_

#include <string>

/// Whether standard output is a terminal.
bool ConsoleOutputIsTerminal();
/// Writes text to the console (standard output) at once.
void ConsoleWrite(const char* text);
/// Reads one key from the terminal without echo; -1 when there is none. Enter is '\r', Backspace 8,
/// Escape 27, and an arrow or function key 0 followed by a second code on the next call.
int ConsoleReadKey();
/// Reads a line with echo from the terminal, at most max_length characters; false at end of input.
bool ConsoleReadLine(std::string* line, size_t max_length);
/// Number of rows of the terminal, at least 1.
int ConsoleRows();

#endif  // LORVEX_UTIL_CONSOLE_H_
