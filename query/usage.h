// The usage text: one table of lines shared by the console and the output window.
#ifndef LORVEX_QUERY_USAGE_H_
#define LORVEX_QUERY_USAGE_H_

/// The lines of the usage text, ended by a line that begins with "^".
extern const char* const kUsageLines[];
/// Number of usage lines before the closing "^" line.
int UsageLineCount();
/// The line that --version shows: the program and its version.
extern const char kVersionLine[];
/// Shows the usage text: printed to standard output on a console, put into the window otherwise.
void ShowUsage();
/// Shows the version line the same way.
void ShowVersion();

#endif  // LORVEX_QUERY_USAGE_H_
