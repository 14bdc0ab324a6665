// Printing scenarios: the print dialog's copies, collation and page range, and the window's image.
// The test script (print_scenario.sh) reads what reached the printer.
#include "tests/windows/driver_steps.h"
#include "tests/windows/scenarios.h"

namespace {

// Whether the program is printing: its window is disabled and the "ZEM" box that offers to cancel
// is open while the pages are spooled.
bool Printing(const Program& program, HWND window) {
  return FindWindowOf(program, L"#32770", L"ZEM") != nullptr || !IsWindowEnabled(window);
}

// Waits until printing has begun and ended. Printing that is over before it was seen (it takes a
// good part of a second under Wine, the polls come every 50 ms) ends the first wait at its limit.
void WaitPrinted(const Program& program, HWND window) {
  WaitFor(kStepWaitMs / 3, [&] { return Printing(program, window); });
  if (!WaitFor(kStepWaitMs, [&] { return !Printing(program, window); })) Fail("printing did not end");
  WaitIdle();
}

}  // namespace

void Print(const wchar_t* copies, bool collate, bool range) {
  Driven lorvex(L"?");
  if (lorvex.window == nullptr) return;
  HWND dialog = PressForDialog(lorvex, {VK_CONTROL}, 'P', L"Print");
  if (dialog != nullptr) {
    SetDlgItemTextW(dialog, 0x482, copies);  // copies
    CheckDlgButton(dialog, 0x411, collate ? BST_CHECKED : BST_UNCHECKED);
    if (range) {
      Click(dialog, 0x422);  // pages from .. to
      SetDlgItemTextW(dialog, 0x480, L"2");
      SetDlgItemTextW(dialog, 0x481, L"2");
    }
    CloseWith(dialog, IDOK, "the print dialog");
    WaitPrinted(lorvex.program, lorvex.window);
  }
  EndWithEscape(lorvex.program, lorvex.window, 0);
}

void PrintScreen() {
  Driven lorvex(L"?");
  if (lorvex.window == nullptr) return;
  ChooseMenu(lorvex.window, 'F', 'C');
  // The image is printed without a dialog, before the program waits for input again.
  WaitIdle();
  EndWithEscape(lorvex.program, lorvex.window, 0);
}

void PrintScreenKey(bool release_only) {
  Driven lorvex(L"?");
  if (lorvex.window == nullptr) return;
  Focus(lorvex.window);
  if (release_only) {
    Release(VK_SNAPSHOT);
  } else {
    Press({}, VK_SNAPSHOT);
  }
  EndWithEscape(lorvex.program, lorvex.window, 0);
}
