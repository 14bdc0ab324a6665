// Scenarios of the window, its menus and its dialogs, on the usage text ("lorvex ?").
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

#include "query/usage.h"
#include "tests/windows/driver_steps.h"
#include "tests/windows/scenarios.h"

namespace {

std::string UsageText() {
  std::string text;
  for (int i = 0; i < UsageLineCount(); ++i) text += std::string(kUsageLines[i]) + "\r\n";
  return text;
}

// Index of the first usage line holding word (any case) and the column, or -1.
int FirstLineWith(const char* word, int from_line, int* column) {
  std::string upper_word = word;
  for (int i = from_line; i < UsageLineCount(); ++i) {
    std::string line = kUsageLines[i];
    for (char& c : line) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    size_t at = line.find(upper_word);
    if (at != std::string::npos) {
      *column = static_cast<int>(at);
      return i;
    }
  }
  return -1;
}

// Opens Save As with Ctrl+S, names the file and presses Save; the dialog, or null when it did not
// open.
HWND SaveWindowAs(const Driven& lorvex, const std::wstring& path) {
  HWND dialog = PressForDialog(lorvex, {VK_CONTROL}, 'S', L"Save As");
  if (dialog == nullptr) return nullptr;
  SetDlgItemTextW(dialog, 0x47c, path.c_str());  // the file name box of the save dialog
  SetDlgItemTextW(dialog, 0x480, path.c_str());
  Click(dialog, IDOK);
  return dialog;
}

}  // namespace

void UsageAndCopy() {
  Driven lorvex(L"?");
  if (lorvex.window == nullptr) return;
  ExpectText("clipboard after Ctrl+C", CopyWindowText(lorvex.window), UsageText());
  EndWithEscape(lorvex.program, lorvex.window, 0);
}

void HelpAndVersion() {
  const struct {
    const wchar_t* arguments;
    std::string text;
  } runs[] = {{L"--help", UsageText()}, {L"--version", std::string(kVersionLine) + "\r\n"}};
  for (const auto& run : runs) {
    Driven lorvex(run.arguments);
    if (lorvex.window == nullptr) return;
    ExpectText(Narrow(run.arguments).c_str(), CopyWindowText(lorvex.window), run.text);
    EndWithEscape(lorvex.program, lorvex.window, 0);
  }
}

void SaveAs() {
  Driven lorvex(L"?");
  if (lorvex.window == nullptr) return;
  const std::wstring path = WorkFile(L"saved.txt");
  DeleteFileW(path.c_str());
  if (SaveWindowAs(lorvex, path) != nullptr) {
    const std::string expected = UsageText();
    WaitFor(kStepWaitMs, [&] { return ReadFile(path) == expected; });
    ExpectText("saved file", ReadFile(path), expected);
  }
  EndWithEscape(lorvex.program, lorvex.window, 0);
}

void SaveAsFailure() {
  Driven lorvex(L"?");
  if (lorvex.window == nullptr) return;
  // A file that the driver holds open without sharing cannot be written.
  const std::wstring path = WorkFile(L"locked.txt");
  HANDLE locked = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  HWND dialog = SaveWindowAs(lorvex, path);
  if (dialog != nullptr) {
    // The dialog asks before replacing the file.
    HWND confirm = WaitWindow(lorvex.program, L"#32770", nullptr, kWindowWaitMs, dialog);
    if (confirm != nullptr) Click(confirm, IDYES);
    const std::string text = AnswerMessageBox(lorvex.program, L"Lorvex", IDOK);
    ExpectText("save failure message", text, "Could not write file " + Narrow(path));
  }
  CloseHandle(locked);
  EndWithEscape(lorvex.program, lorvex.window, 0);
}

void FindText() {
  Driven lorvex(L"?");
  if (lorvex.window == nullptr) return;
  HWND window = lorvex.window;
  HWND dialog = PressForDialog(lorvex, {VK_CONTROL}, 'F', L"Find");
  if (dialog == nullptr) return;
  // Upper-case text finds the lower-case word; the line is scrolled to the top and highlighted.
  const char* word = "WILDCARD";
  SetDlgItemTextW(dialog, 0x480, L"WILDCARD");
  Click(dialog, IDOK);
  int column = 0;
  const int line = FirstLineWith(word, 0, &column);
  int char_width = 0, line_height = 0;
  FontCell(window, &char_width, &line_height);
  RECT client;
  GetClientRect(window, &client);
  const int rows = (client.bottom + GetSystemMetrics(SM_CYHSCROLL)) / line_height;
  const int top = std::min(line, UsageLineCount() + 2 - rows);
  POINT corner = {(1 + column) * char_width, (1 - top + line) * line_height};
  ClientToScreen(window, &corner);
  RECT highlight = {corner.x, corner.y, corner.x + 8 * char_width, corner.y + line_height};
  double black = 0, white = 0;
  WaitFor(kStepWaitMs, [&] {
    ScreenShares(highlight, &black, &white);
    return black >= 0.5 && white > 0.0;
  });
  printf("found line %d column %d, highlight black %.2f white %.2f\n", line, column, black, white);
  if (black < 0.5 || white <= 0.0) Fail("no white-on-black highlight at line %d column %d", line, column);
  // The line after it is drawn normally.
  RECT below = {highlight.left, highlight.bottom, highlight.right, highlight.bottom + line_height};
  ScreenShares(below, &black, &white);
  if (white > 0.0 || black > 0.5) Fail("the line below the match is highlighted too");

  // A text that is nowhere: "Text not found!".
  SetDlgItemTextW(dialog, 0x480, L"no such text anywhere");
  Click(dialog, IDOK);
  ExpectText("not found message", AnswerMessageBox(lorvex.program, L"Lorvex", IDOK), "Text not found!");
  CloseWith(dialog, IDCANCEL, "the find dialog");
  // F3 repeats the last search: still nowhere.
  PressIn(window, {}, VK_F3);
  ExpectText("F3 message", AnswerMessageBox(lorvex.program, L"Lorvex", IDOK), "Text not found!");
  EndWithEscape(lorvex.program, window, 0);
}

void About() {
  Driven lorvex(L"?");
  if (lorvex.window == nullptr) return;
  ChooseMenu(lorvex.window, 'A', VK_RETURN);
  HWND dialog = WaitDialog(lorvex.program, L"About Lorvex");
  if (dialog != nullptr) CloseWith(dialog, IDOK, "the About box after OK");
  EndWithEscape(lorvex.program, lorvex.window, 0);
}

void MenuExit() {
  Driven lorvex(L"?");
  if (lorvex.window == nullptr) return;
  ChooseMenu(lorvex.window, 'F', 'X');
  ExpectExit(lorvex.program, 0);
}

void Silent() {
  {
    // /0 runs without a window and ends with the driver's result.
    Program program = Start(L"? /0");
    const int code = WaitExit(program, kExitWaitMs);
    if (code != 0) Fail("silent run exit code %d, expected 0", code);
    Kill(program);
  }
  // -0 followed by another character is no silent switch.
  Driven lorvex(L"? -0x");
  if (lorvex.window != nullptr) EndWithEscape(lorvex.program, lorvex.window, 0);
}
