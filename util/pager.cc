// The console pager of /p.
#include "util/pager.h"

#include <cstdio>
#include <cstdlib>

#include "util/console.h"

namespace {

FILE* ConsoleStream(const OutputContext* out) { return out->console_out ? out->console_out : stdout; }

}  // namespace

void PageCheck(OutputContext* out, int rows) {
  // Output that goes to a file or a pipe is not paged: nobody reads it page by page, and the
  // prompt would end up in the file.
  if (!ConsoleOutputIsTerminal()) return;
  PageCheckWithKeys(out, rows, ConsoleReadKey);
}

void PageCheckWithKeys(OutputContext* out, int rows, PagerKeyReader read_key) {
  if (!(out->control_flags & kControlPaging)) return;
  // The page length is the terminal's height unless the caller fixed it.
  if (out->page_length < 1) out->page_length = ConsoleRows();
  if (out->page_length < 1) out->page_length = 1;
  FILE* stream = ConsoleStream(out);
  const int length = out->page_length;
  const int r = rows % length;
  const int left = length - out->page_rows % length;
  if (r > 0 && out->page_rows > 0 && left < r) {
    // A line never straddles a page: fill the page with empty lines first.
    for (int i = 0; i < left; ++i) fputc('\n', stream);
    out->page_rows += left;
  }
  if (out->page_rows > 0 && out->page_rows % length == 0) {
    fputs(kPagerPrompt, stream);
    fflush(stream);
    int key = read_key();
    if (key == 0) {
      // A zero key code announces a function key; its second code is read and the key counts as 0.
      read_key();
      key = 0;
    }
    if (key == 27) {
      fputs("<ESC>\n", stream);
      fflush(stream);
      // Escape at the pager ends the whole run by design; open files are flushed by exit.
      exit(0);
    }
    if (key == 'C' || key == 'c') out->control_flags &= ~static_cast<uint32_t>(kControlPaging);
    fputs("\n\n", stream);
    fflush(stream);
  }
}

void PageBreakAtExit(OutputContext* out) {
  if (!(out->control_flags & kControlPageBreakAtExit)) return;
  if (out->page_length < 1) out->page_length = ConsoleRows();
  if (out->page_length < 1) out->page_length = 1;
  out->page_rows = out->page_length;
  PageCheck(out, 0);
}
