// Lines shown instead of a run (the usage text, the version) in the output window.
#include "app/line_store.h"
#include "app/window_win32.h"
#include "query/usage.h"
#include "util/output.h"

namespace {

// Puts lines into the window in place of a run.
void ShowLines(const char* const lines[], int count) {
  for (int i = 0; i < count; ++i) {
    if (!LineStoreAppend(&g_line_store, lines[i])) {
      ShowMessageBox("Insufficient memory", "Lorvex", kMessageBoxError);
      break;
    }
  }
  if (g_app.main_window == nullptr) return;
  SendSizeNotification(g_app.main_window);
  InvalidateRect(g_app.main_window, nullptr, TRUE);
  UpdateWindow(g_app.main_window);
}

}  // namespace

void ShowUsage() { ShowLines(kUsageLines, UsageLineCount()); }

void ShowVersion() {
  const char* const lines[] = {kVersionLine};
  ShowLines(lines, 1);
}
