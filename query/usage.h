// The usage text: one table of lines shared by the console and the output window.
#ifndef LORVEX_QUERY_USAGE_H_
#define LORVEX_QUERY_USAGE_H_

/// The lines of the usage text, ended by a line that begins with "^".
extern const char* const kUsageLines[];
/// Number of usage lines before the closing "^" line.
int UsageLineCount();
/// Shows the usage text: printed to standard output on a console, put into the window otherwise.
void ShowUsage();

#endif  // LORVEX_QUERY_USAGE_H_
