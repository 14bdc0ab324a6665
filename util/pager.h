// The console pager of /p.
#ifndef LORVEX_UTIL_PAGER_H_
#define LORVEX_UTIL_PAGER_H_

#include "util/output.h"

/// Reads one key from the user without echo.
using PagerKeyReader = int (*)();

/// The pager prompt shown at the end of each console page.
inline constexpr const char kPagerPrompt[] =
    "\nPress any key to continue, 'C' for continuous, <ESC> to exit: ";

/// Called before a console line of rows rows: keeps lines off page breaks and prompts at each page end.
/// Standard output that is not a terminal is not paged.
void PageCheck(OutputContext* out, int rows);
/// PageCheck with the keys taken from read_key instead of the terminal.
void PageCheckWithKeys(OutputContext* out, int rows, PagerKeyReader read_key);
/// At the end of a run with a page break asked for: shows the prompt once more.
void PageBreakAtExit(OutputContext* out);

#endif  // LORVEX_UTIL_PAGER_H_
