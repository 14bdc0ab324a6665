// Drives lorvex.exe the way a person would: starts it, sends real keys, fills and presses the
// buttons of its dialogs, and checks the results through the clipboard, saved files, message
// boxes, the screen and the exit code. One scenario per run; prints "PASS" or the failures.
// Every step waits for the condition it needs (a window, the focus, an idle program, a file, a
// state of the window) with a generous limit instead of sleeping a fixed time: the tests share a
// loaded machine, where a step can take many times longer than usual.
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "query/usage.h"

namespace {

std::wstring g_program;    // path of lorvex.exe
std::wstring g_work;       // a directory for files
int g_failures = 0;
HANDLE g_current = nullptr;  // the program being driven, for waiting until it is idle

// Limits of the waits: reached only when something is wrong.
constexpr DWORD kWindowWaitMs = 60000;
constexpr DWORD kStepWaitMs = 30000;
constexpr DWORD kExitWaitMs = 60000;
constexpr DWORD kPollMs = 50;

// Polls a condition until it holds or the limit passes.
template <typename Condition>
bool WaitFor(DWORD milliseconds, Condition condition) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= milliseconds) return false;
    Sleep(kPollMs);
  }
}

// Waits until the driven program has handled its input and waits for more.
void WaitIdle() {
  if (g_current != nullptr) WaitForInputIdle(g_current, kStepWaitMs);
}

void Fail(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Fail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  printf("FAIL: ");
  vprintf(format, args);
  printf("\n");
  va_end(args);
  fflush(stdout);
  ++g_failures;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

struct Program {
  PROCESS_INFORMATION process = {};
  bool started = false;
};

// The driver's own console, when a scenario gives the program one to prompt on.
HANDLE g_console_in = nullptr;
HANDLE g_console_out = nullptr;

Program Start(const std::wstring& arguments) {
  Program program;
  std::wstring line = L"\"" + g_program + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  const bool console = g_console_in != nullptr;
  if (console) {
    // The program's standard handles are the console, so that it may prompt on it.
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = g_console_in;
    startup.hStdOutput = g_console_out;
    startup.hStdError = g_console_out;
  }
  program.started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, console ? TRUE : FALSE, 0, nullptr,
                                   g_work.c_str(), &startup, &program.process) != 0;
  if (!program.started) Fail("cannot start %s", Narrow(line).c_str());
  g_current = program.started ? program.process.hProcess : nullptr;
  return program;
}

// Exit code of the program once it has ended within milliseconds, -1 when it has not.
int WaitExit(Program& program, DWORD milliseconds) {
  if (!program.started) return -1;
  if (WaitForSingleObject(program.process.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(program.process.hProcess, &code);
  return static_cast<int>(code);
}

void Kill(Program& program) {
  if (!program.started) return;
  if (WaitForSingleObject(program.process.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(program.process.hProcess, 99);
  if (g_current == program.process.hProcess) g_current = nullptr;
  CloseHandle(program.process.hProcess);
  CloseHandle(program.process.hThread);
  program.started = false;
}

struct Search {
  DWORD process;
  const wchar_t* class_name;
  const wchar_t* title;
  HWND exclude;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  Search* search = reinterpret_cast<Search*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->process || !IsWindowVisible(window) || window == search->exclude) return TRUE;
  wchar_t text[256] = L"";
  GetWindowTextW(window, text, 256);
  wchar_t class_name[256] = L"";
  GetClassNameW(window, class_name, 256);
  if (wcscmp(class_name, search->class_name) != 0) return TRUE;
  if (search->title != nullptr && wcscmp(text, search->title) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// A visible top-level window of the program, waited for up to milliseconds.
HWND WaitWindow(const Program& program, const wchar_t* class_name, const wchar_t* title, DWORD milliseconds,
                HWND exclude = nullptr) {
  HWND found = nullptr;
  WaitFor(milliseconds, [&] {
    Search search = {program.process.dwProcessId, class_name, title, exclude, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    found = search.found;
    return found != nullptr;
  });
  // Let it finish painting and take the focus.
  if (found != nullptr) WaitIdle();
  return found;
}

HWND WaitMain(const Program& program) {
  HWND window = WaitWindow(program, L"Lorvex", L"Lorvex", kWindowWaitMs);
  if (window == nullptr) Fail("the Lorvex window did not appear");
  return window;
}

HWND WaitDialog(const Program& program, const wchar_t* title) {
  HWND dialog = WaitWindow(program, L"#32770", title, kWindowWaitMs);
  if (dialog == nullptr) Fail("the dialog \"%s\" did not appear", Narrow(title).c_str());
  return dialog;
}

// Waits until a window is gone or hidden; false (and a failure) when it stays.
bool WaitGone(HWND window, const char* what) {
  if (WaitFor(kStepWaitMs, [&] { return !IsWindow(window) || !IsWindowVisible(window); })) return true;
  Fail("%s did not close", what);
  return false;
}

// Presses a dialog button. Posted, not sent: a button whose handler opens a modal box would
// otherwise hold the driver until someone answers it.
void Click(HWND dialog, int button) {
  PostMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
  WaitIdle();
}

// Saves the screen as a bitmap file in the work folder, for the test's artifacts.
void SaveScreen(const char* name) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  GdiFlush();
  const DWORD row = static_cast<DWORD>((width * 3 + 3) & ~3);
  BITMAPFILEHEADER file_header = {};
  file_header.bfType = 0x4D42;
  file_header.bfOffBits = sizeof file_header + sizeof info.bmiHeader;
  file_header.bfSize = file_header.bfOffBits + row * height;
  const std::wstring path = g_work + L"\\" + std::wstring(name, name + strlen(name)) + L".bmp";
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (file != nullptr) {
    fwrite(&file_header, sizeof file_header, 1, file);
    fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file);
    fwrite(bits, row, height, file);
    fclose(file);
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

void Focus(HWND window) {
  if (!WaitFor(kStepWaitMs, [&] {
        SetForegroundWindow(window);
        SetFocus(window);
        return GetForegroundWindow() == window;
      })) {
    Fail("the window did not take the focus");
  }
  WaitIdle();
}

void Key(WORD key, DWORD flags) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

// Presses a key with the given modifiers (VK_CONTROL, VK_MENU, VK_SHIFT) held.
void Press(std::initializer_list<WORD> modifiers, WORD key) {
  for (WORD m : modifiers) Key(m, 0);
  Key(key, 0);
  Key(key, KEYEVENTF_KEYUP);
  for (WORD m : modifiers) Key(m, KEYEVENTF_KEYUP);
  WaitIdle();
}

// The clipboard's text, once there is any (the driver empties it before each copy).
std::string ReadClipboard() {
  std::string text;
  WaitFor(kStepWaitMs, [] { return IsClipboardFormatAvailable(CF_TEXT) != 0; });
  WaitFor(kStepWaitMs, [] { return OpenClipboard(nullptr) != 0; });
  HANDLE data = GetClipboardData(CF_TEXT);
  if (data != nullptr) {
    const char* locked = static_cast<const char*>(GlobalLock(data));
    if (locked != nullptr) text = locked;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

void ClearClipboard() {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  CloseClipboard();
}

std::string ReadFile(const std::wstring& path) {
  std::string text;
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (file == nullptr) return "<missing>";
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  fclose(file);
  return text;
}

std::string UsageText() {
  std::string text;
  for (int i = 0; i < UsageLineCount(); ++i) text += std::string(kUsageLines[i]) + "\r\n";
  return text;
}

void ExpectText(const char* what, const std::string& got, const std::string& expected) {
  if (got == expected) return;
  size_t at = 0;
  while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
  Fail("%s differs at byte %d of %d (expected %d): got \"%.60s\" expected \"%.60s\"", what, static_cast<int>(at),
       static_cast<int>(got.size()), static_cast<int>(expected.size()), got.c_str() + at, expected.c_str() + at);
}

// The text of a message box of the program with the given caption, and presses its button.
std::string AnswerMessageBox(const Program& program, const wchar_t* caption, int button) {
  HWND box = WaitDialog(program, caption);
  if (box == nullptr) return "<none>";
  wchar_t text[512] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  Click(box, button);
  WaitGone(box, "the message box");
  return Narrow(text);
}

void ExpectExit(Program& program, int expected) {
  const int code = WaitExit(program, kExitWaitMs);
  if (code != expected) Fail("exit code %d, expected %d", code, expected);
}

void EndWithEscape(Program& program, HWND window, int expected_exit) {
  Focus(window);
  Press({}, VK_ESCAPE);
  ExpectExit(program, expected_exit);
}

// Shares of black and of white pixels of a screen rectangle.
void ScreenShares(RECT rect, double* black, double* white) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  *black = *white = 0;
  if (width <= 0 || height <= 0) return;
  HDC screen = GetDC(nullptr);
  int blacks = 0, whites = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      COLORREF c = GetPixel(screen, x, y);
      if (c == RGB(0, 0, 0)) ++blacks;
      if (c == RGB(255, 255, 255)) ++whites;
    }
  }
  ReleaseDC(nullptr, screen);
  *black = static_cast<double>(blacks) / (width * height);
  *white = static_cast<double>(whites) / (width * height);
}

void FontCell(HWND window, int* char_width, int* line_height) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  *char_width = metrics.tmAveCharWidth;
  *line_height = metrics.tmHeight + metrics.tmExternalLeading;
}

// Scenarios.

void UsageAndCopy() {
  Program program = Start(L"?");
  HWND window = WaitMain(program);
  if (window == nullptr) return Kill(program);
  ClearClipboard();
  SaveScreen("usage");
  Focus(window);
  Press({VK_CONTROL}, 'C');
  ExpectText("clipboard after Ctrl+C", ReadClipboard(), UsageText());
  EndWithEscape(program, window, 0);
  Kill(program);
}

void SaveAs() {
  Program program = Start(L"?");
  HWND window = WaitMain(program);
  if (window == nullptr) return Kill(program);
  const std::wstring path = g_work + L"\\saved.txt";
  DeleteFileW(path.c_str());
  Focus(window);
  Press({VK_CONTROL}, 'S');
  HWND dialog = WaitDialog(program, L"Save As");
  if (dialog != nullptr) {
    SetDlgItemTextW(dialog, 0x47c, path.c_str());  // the file name box of the save dialog
    SetDlgItemTextW(dialog, 0x480, path.c_str());
    Click(dialog, IDOK);
    const std::string expected = UsageText();
    WaitFor(kStepWaitMs, [&] { return ReadFile(path) == expected; });
    ExpectText("saved file", ReadFile(path), expected);
  }
  EndWithEscape(program, window, 0);
  Kill(program);
}

void SaveAsFailure() {
  Program program = Start(L"?");
  HWND window = WaitMain(program);
  if (window == nullptr) return Kill(program);
  // A file that the driver holds open without sharing cannot be written.
  const std::wstring path = g_work + L"\\locked.txt";
  HANDLE locked = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  Focus(window);
  Press({VK_CONTROL}, 'S');
  HWND dialog = WaitDialog(program, L"Save As");
  if (dialog != nullptr) {
    SetDlgItemTextW(dialog, 0x47c, path.c_str());
    SetDlgItemTextW(dialog, 0x480, path.c_str());
    Click(dialog, IDOK);
    // The dialog asks before replacing the file.
    HWND confirm = WaitWindow(program, L"#32770", nullptr, kWindowWaitMs, dialog);
    if (confirm != nullptr) Click(confirm, IDYES);
    SaveScreen("save-failure");
    const std::string text = AnswerMessageBox(program, L"Lorvex", IDOK);
    ExpectText("save failure message", text, "Could not write file " + Narrow(path));
  }
  CloseHandle(locked);
  EndWithEscape(program, window, 0);
  Kill(program);
}

// Index of the first line holding word (any case) and the column, or -1.
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

void FindText() {
  Program program = Start(L"?");
  HWND window = WaitMain(program);
  if (window == nullptr) return Kill(program);
  Focus(window);
  Press({VK_CONTROL}, 'F');
  HWND dialog = WaitDialog(program, L"Find");
  if (dialog == nullptr) return Kill(program);
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
  SaveScreen("found");
  printf("found line %d column %d, highlight black %.2f white %.2f\n", line, column, black, white);
  if (black < 0.5 || white <= 0.0) Fail("no white-on-black highlight at line %d column %d", line, column);
  // The line after it is drawn normally.
  RECT below = {highlight.left, highlight.bottom, highlight.right, highlight.bottom + line_height};
  ScreenShares(below, &black, &white);
  if (white > 0.0 || black > 0.5) Fail("the line below the match is highlighted too");

  // A text that is nowhere: "Text not found!".
  SetDlgItemTextW(dialog, 0x480, L"no such text anywhere");
  Click(dialog, IDOK);
  ExpectText("not found message", AnswerMessageBox(program, L"Lorvex", IDOK), "Text not found!");
  Click(dialog, IDCANCEL);
  WaitGone(dialog, "the find dialog");
  // F3 repeats the last search: still nowhere.
  Focus(window);
  Press({}, VK_F3);
  ExpectText("F3 message", AnswerMessageBox(program, L"Lorvex", IDOK), "Text not found!");
  EndWithEscape(program, window, 0);
  Kill(program);
}

void About() {
  Program program = Start(L"?");
  HWND window = WaitMain(program);
  if (window == nullptr) return Kill(program);
  Focus(window);
  Press({VK_MENU}, 'A');
  Press({}, VK_RETURN);
  HWND dialog = WaitDialog(program, L"About Lorvex");
  if (dialog != nullptr) {
    SaveScreen("about");
    Click(dialog, IDOK);
    WaitGone(dialog, "the About box after OK");
  }
  EndWithEscape(program, window, 0);
  Kill(program);
}

void MenuExit() {
  Program program = Start(L"?");
  HWND window = WaitMain(program);
  if (window == nullptr) return Kill(program);
  Focus(window);
  Press({VK_MENU}, 'F');
  Press({}, 'X');
  ExpectExit(program, 0);
  Kill(program);
}

void Silent() {
  // /0 runs without a window and ends with the driver's result.
  Program program = Start(L"? /0");
  const int code = WaitExit(program, kExitWaitMs);
  if (code != 0) Fail("silent run exit code %d, expected 0", code);
  Kill(program);
  // -0 followed by another character is no silent switch.
  program = Start(L"? -0x");
  HWND window = WaitMain(program);
  if (window != nullptr) EndWithEscape(program, window, 0);
  Kill(program);
}

// Whether the program is printing: its window is disabled and the "ZEM" box that offers to cancel
// is open while the pages are spooled.
bool Printing(const Program& program, HWND window) {
  Search search = {program.process.dwProcessId, L"#32770", L"ZEM", nullptr, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found != nullptr || !IsWindowEnabled(window);
}

// Waits until printing has begun and ended. Printing that is over before it was seen (it takes a
// good part of a second under Wine, the polls come every 50 ms) ends the first wait at its limit.
void WaitPrinted(const Program& program, HWND window) {
  WaitFor(kStepWaitMs / 3, [&] { return Printing(program, window); });
  if (!WaitFor(kStepWaitMs, [&] { return !Printing(program, window); })) Fail("printing did not end");
  WaitIdle();
}

void Print(const wchar_t* copies, bool collate, bool range) {
  Program program = Start(L"?");
  HWND window = WaitMain(program);
  if (window == nullptr) return Kill(program);
  Focus(window);
  Press({VK_CONTROL}, 'P');
  HWND dialog = WaitDialog(program, L"Print");
  if (dialog != nullptr) {
    SetDlgItemTextW(dialog, 0x482, copies);  // copies
    CheckDlgButton(dialog, 0x411, collate ? BST_CHECKED : BST_UNCHECKED);
    if (range) {
      Click(dialog, 0x422);  // pages from .. to
      SetDlgItemTextW(dialog, 0x480, L"2");
      SetDlgItemTextW(dialog, 0x481, L"2");
    }
    Click(dialog, IDOK);
    WaitGone(dialog, "the print dialog");
    WaitPrinted(program, window);
  }
  EndWithEscape(program, window, 0);
  Kill(program);
}

void PrintScreen() {
  Program program = Start(L"?");
  HWND window = WaitMain(program);
  if (window == nullptr) return Kill(program);
  Focus(window);
  Press({VK_MENU}, 'F');
  Press({}, 'C');
  // The image is printed without a dialog, before the program waits for input again.
  WaitIdle();
  EndWithEscape(program, window, 0);
  Kill(program);
}

void DirectoryError() {
  // Without a domain the run cannot open the directory: the reason is shown in the window.
  Program program = Start(L"");
  HWND window = WaitMain(program);
  if (window == nullptr) return Kill(program);
  // The window is there before the run has failed (locating a controller can take a while):
  // its text is copied until it holds the reason.
  std::string text;
  WaitFor(kWindowWaitMs, [&] {
    ClearClipboard();
    Focus(window);
    Press({VK_CONTROL}, 'C');
    text = ReadClipboard();
    return text.find("\r\nReason(s): ") != std::string::npos;
  });
  const int code = WaitExit(program, 0);
  if (code != -1) Fail("the window did not stay open (exit %d)", code);
  SaveScreen("directory-error");
  printf("%s", text.c_str());
  if (text.rfind("LORVEX: ", 0) != 0) Fail("the window does not begin with the program name");
  EndWithEscape(program, window, 1);
  Kill(program);
}

// The slow test program beside lorvex.exe: its window, wait loop and worker with a run of its own.

struct WindowState {
  int count = -1;     // lines in the window
  int position = 0;   // first visible line
  int limit = 0;      // largest first visible line
  int page = 0;       // whole lines in the window
  bool worker = false;
};

WindowState ReadState(HWND window) {
  static const UINT message = RegisterWindowMessageW(L"Lorvex Test State");
  WindowState state;
  DWORD_PTR packed = 0;
  if (!SendMessageTimeoutW(window, message, 0, 0, SMTO_NORMAL, kStepWaitMs, &packed)) return state;
  const uint64_t value = packed;
  state.count = static_cast<int>(value & 0xFFFF);
  state.position = static_cast<int>((value >> 16) & 0xFFFF);
  state.limit = static_cast<int>((value >> 32) & 0xFFFF);
  state.page = static_cast<int>((value >> 48) & 0x7FFF);
  state.worker = (value >> 63) != 0;
  return state;
}

// Waits until the window holds at least lines lines; false (and a failure) after the timeout.
bool WaitLines(HWND window, int lines) {
  if (WaitFor(kWindowWaitMs, [&] { return ReadState(window).count >= lines; })) return true;
  Fail("the window did not reach %d lines (has %d)", lines, ReadState(window).count);
  return false;
}

bool WaitWorkerEnd(HWND window) {
  if (WaitFor(kWindowWaitMs, [&] { return !ReadState(window).worker; })) return true;
  Fail("the worker still runs after %lu ms", static_cast<unsigned long>(kWindowWaitMs));
  return false;
}

Program StartSlow(int lines, int pause_ms, int keep_every = 10) {
  std::wstring saved = g_program;
  const size_t slash = g_program.find_last_of(L"\\/");
  g_program = g_program.substr(0, slash + 1) + L"lorvex_slow_run.exe";
  Program program =
      Start(std::to_wstring(lines) + L" " + std::to_wstring(pause_ms) + L" " + std::to_wstring(keep_every));
  g_program = saved;
  return program;
}

std::string SlowRecords(int from, int to, const char* prefix) {
  std::string text;
  char line[64];
  for (int i = from; i <= to; ++i) {
    snprintf(line, sizeof line, "%srecord %03d\r\n", prefix, i);
    text += line;
  }
  return text;
}

std::string SlowKept(int printed) {
  std::string text;
  char line[64];
  for (int i = 10; i <= printed; i += 10) {
    snprintf(line, sizeof line, "kept record %03d\r\n", i);
    text += line;
  }
  return text;
}

// Samples the state while count_more lines arrive; every sample must satisfy the check.
template <typename Check>
void SampleWhileLinesArrive(HWND window, int count_more, const char* what, Check check) {
  const int until = ReadState(window).count + count_more;
  int samples = 0;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kWindowWaitMs) {
    const WindowState state = ReadState(window);
    if (state.count >= until || !state.worker) break;
    ++samples;
    if (!check(state)) {
      Fail("%s: %d lines, position %d, limit %d", what, state.count, state.position, state.limit);
      return;
    }
    Sleep(30);
  }
  printf("%s: %d samples\n", what, samples);
  if (samples < 5) Fail("%s: only %d samples while lines arrived", what, samples);
}

void FollowOutput() {
  Program program = StartSlow(300, 5);
  HWND window = WaitMain(program);
  if (window == nullptr) return Kill(program);
  if (!WaitLines(window, 40)) return Kill(program);
  // The end is in view: every new line scrolls the view (the one line of slack is a sample taken
  // between the new range and the scroll that follows it).
  SampleWhileLinesArrive(window, 40, "following at the end",
                         [](const WindowState& s) { return s.limit > 0 && s.position >= s.limit - 1; });
  // Scrolled to the top the view stays there while the output goes on below it.
  Focus(window);
  Press({}, VK_HOME);
  if (!WaitFor(kStepWaitMs, [&] { return ReadState(window).position == 0; })) Fail("Home did not show the top");
  SampleWhileLinesArrive(window, 40, "staying at the top", [](const WindowState& s) { return s.position == 0; });
  SaveScreen("top-during-run");
  // Back at the end it follows again.
  Press({}, VK_END);
  if (!WaitFor(kStepWaitMs, [&] {
        const WindowState s = ReadState(window);
        return s.limit > 0 && s.position >= s.limit - 1;
      })) {
    Fail("End did not show the end");
  }
  SampleWhileLinesArrive(window, 40, "following again",
                         [](const WindowState& s) { return s.limit > 0 && s.position >= s.limit - 1; });
  if (!WaitWorkerEnd(window)) return Kill(program);
  const WindowState last = ReadState(window);
  // 300 records, 30 kept ones and the totals line.
  if (last.count != 331) Fail("%d lines after the run, expected 331", last.count);
  if (last.position != last.limit || last.position + last.page < last.count)
    Fail("the last line is not in view: position %d, limit %d, page %d", last.position, last.limit, last.page);
  SaveScreen("end-of-run");
  ClearClipboard();
  Focus(window);
  Press({VK_CONTROL}, 'C');
  ExpectText("window text", ReadClipboard(), SlowRecords(1, 300, "") + SlowKept(300) + "300 records\r\n");
  EndWithEscape(program, window, 0);
  Kill(program);
}

// Presses Esc during the run and answers the question; returns the line count while it was asked.
int EscapeDuringRun(Program& program, HWND window, int button) {
  if (!WaitLines(window, 30)) return -1;
  Focus(window);
  Press({}, VK_ESCAPE);
  HWND box = WaitDialog(program, L"End search");
  if (box == nullptr) return -1;
  wchar_t text[512] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  ExpectText("question", Narrow(text), "Do you want to quit the search?");
  // The worker waits while the question is open.
  const int asked = ReadState(window).count;
  Sleep(600);
  const int later = ReadState(window).count;
  if (later != asked) Fail("the worker went on while asked: %d lines, then %d", asked, later);
  SaveScreen(button == IDYES ? "asked-yes" : "asked-no");
  Click(box, button);
  return asked;
}

void EscapeYes() {
  Program program = StartSlow(300, 5);
  HWND window = WaitMain(program);
  if (window == nullptr) return Kill(program);
  const int asked = EscapeDuringRun(program, window, IDYES);
  if (asked < 0 || !WaitWorkerEnd(window)) return Kill(program);
  // The records up to the stop, then the kept ones; no totals. The stop comes at the next record.
  const WindowState state = ReadState(window);
  ClearClipboard();
  Focus(window);
  Press({VK_CONTROL}, 'C');
  const std::string text = ReadClipboard();
  int records = 0;
  while (text.find(SlowRecords(records + 1, records + 1, "")) != std::string::npos) ++records;
  printf("asked at %d lines, %d records printed, %d lines\n", asked, records, state.count);
  if (records < asked || records > asked + 1) Fail("%d records printed after a stop asked at %d", records, asked);
  ExpectText("window text after the stop", text, SlowRecords(1, records, "") + SlowKept(records));
  EndWithEscape(program, window, 1);
  Kill(program);
}

void EscapeNo() {
  Program program = StartSlow(120, 5);
  HWND window = WaitMain(program);
  if (window == nullptr) return Kill(program);
  if (EscapeDuringRun(program, window, IDNO) < 0 || !WaitWorkerEnd(window)) return Kill(program);
  ClearClipboard();
  Focus(window);
  Press({VK_CONTROL}, 'C');
  ExpectText("window text after going on", ReadClipboard(),
             SlowRecords(1, 120, "") + SlowKept(120) + "120 records\r\n");
  EndWithEscape(program, window, 0);
  Kill(program);
}

void CloseDuringRun() {
  // Every record is kept, so that after the stop the worker has more to print than the close
  // waits for: the window must then drop those lines rather than keep the worker waiting.
  Program program = StartSlow(300, 10, 1);
  HWND window = WaitMain(program);
  if (window == nullptr) return Kill(program);
  if (!WaitLines(window, 100)) return Kill(program);
  PostMessageW(window, WM_CLOSE, 0, 0);
  const int code = WaitExit(program, kExitWaitMs);
  printf("exit %d\n", code);
  if (code != 1) Fail("exit code %d after closing during the run, expected 1", code);
  // The order of events, from the record the slow program writes (see its WriteStopRecord).
  const std::string stop = ReadFile(g_work + L"\\stop.txt");
  int at_close = 0, at_stop = 0, running = 0, ended_in_destroy = 0;
  unsigned long seen = 0, ended = 0, destroyed = 0, handled = 0;
  if (sscanf(stop.c_str(), "%d %d %d %d %lu %lu %lu %lu", &at_close, &at_stop, &running, &ended_in_destroy, &seen,
             &ended, &destroyed, &handled) != 8) {
    Fail("no record of the stop: %s", stop.c_str());
  } else {
    printf("records at the close %d, at the stop %d; worker running after the close's wait %d, ended while the "
           "window was destroyed %d; after the close: stop seen %lu ms, worker ended %lu ms, window destroyed %lu ms\n",
           at_close, at_stop, running, ended_in_destroy, seen, ended, destroyed);
    // The worker stops at its next record: the window takes no line from it between the close and
    // the cancel flag, so it can finish the record it had printed and one it had begun, no more.
    if (at_stop < at_close || at_stop > at_close + 2)
      Fail("the worker stopped at record %d after a close at record %d", at_stop, at_close);
    // It still had kept records to print when the close stopped waiting for it...
    if (running != 1) Fail("the worker had ended before the close stopped waiting; nothing was left to drop");
    // ...and ended without the window's thread, which was busy destroying the window.
    if (ended_in_destroy != 1) Fail("the worker did not end while the window was being destroyed");
  }
  Kill(program);
}

// A run of lorvex against a directory, for the test script that compares its output with the
// OpenLDAP build's: the arguments, and the typed name and password when the credential prompt
// is to be answered (on a console of the driver's own, which the program attaches to).
std::wstring g_run_arguments;
std::wstring g_run_user;
std::wstring g_run_password;

// Opens a console of the driver's own and keeps inheritable handles of it.
bool OpenConsole() {
  FreeConsole();
  if (!AllocConsole()) {
    Fail("cannot open a console");
    return false;
  }
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  g_console_in = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
  g_console_out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              &inherit, OPEN_EXISTING, 0, nullptr);
  if (g_console_in == INVALID_HANDLE_VALUE || g_console_out == INVALID_HANDLE_VALUE) {
    Fail("cannot open the console's handles");
    g_console_in = g_console_out = nullptr;
    return false;
  }
  return true;
}

// Types text and Enter into the console, as key presses.
void TypeIntoConsole(const std::wstring& text) {
  std::vector<INPUT_RECORD> records;
  for (wchar_t c : text + L"\r") {
    INPUT_RECORD record = {};
    record.EventType = KEY_EVENT;
    record.Event.KeyEvent.wRepeatCount = 1;
    record.Event.KeyEvent.uChar.UnicodeChar = c;
    record.Event.KeyEvent.wVirtualKeyCode = c == L'\r' ? VK_RETURN : 0;
    record.Event.KeyEvent.bKeyDown = TRUE;
    records.push_back(record);
    record.Event.KeyEvent.bKeyDown = FALSE;
    records.push_back(record);
  }
  DWORD written = 0;
  WriteConsoleInputW(g_console_in, records.data(), static_cast<DWORD>(records.size()), &written);
}

// Whether a file exists and nobody holds it open for writing.
bool FileClosed(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

void SaveText(const std::wstring& path, const std::string& text) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (file == nullptr) return Fail("cannot write %s", Narrow(path).c_str());
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
}

// Runs lorvex with the arguments and a log file, answers the credential prompt when asked to,
// waits until the run has closed its log (the run is over), and writes the window's text
// (window.txt) and, once Esc has ended the program, its exit code (exit.txt).
void DirectoryRun() {
  if (!g_run_user.empty() && !OpenConsole()) return;
  const std::wstring log = g_work + L"\\run.log";
  DeleteFileW(log.c_str());
  // The quotes keep the path's dashes from being read as options.
  Program program = Start(g_run_arguments + L" /l=\"" + log + L"\"");
  HWND window = WaitMain(program);
  if (!g_run_user.empty()) {
    // Typed ahead: the console keeps the keys until the prompt reads them.
    TypeIntoConsole(g_run_user);
    TypeIntoConsole(g_run_password);
  }
  if (window == nullptr) return Kill(program);
  if (!WaitFor(kExitWaitMs, [&] { return FileClosed(log); })) Fail("the run did not end (no closed log file)");
  ClearClipboard();
  Focus(window);
  Press({VK_CONTROL}, 'C');
  const std::string text = ReadClipboard();
  SaveText(g_work + L"\\window.txt", text);
  Focus(window);
  Press({}, VK_ESCAPE);
  const int code = WaitExit(program, kExitWaitMs);
  SaveText(g_work + L"\\exit.txt", std::to_string(code) + "\n");
  printf("exit %d, %d bytes of window text\n", code, static_cast<int>(text.size()));
  Kill(program);
}

struct Scenario {
  const char* name;
  void (*run)();
};

const Scenario kScenarios[] = {
    {"usage-copy", UsageAndCopy},
    {"save-as", SaveAs},
    {"save-as-failure", SaveAsFailure},
    {"find", FindText},
    {"about", About},
    {"menu-exit", MenuExit},
    {"silent", Silent},
    {"print-uncollated", [] { Print(L"2", false, false); }},
    {"print-collated", [] { Print(L"2", true, false); }},
    {"print-range", [] { Print(L"1", false, true); }},
    {"print-screen", PrintScreen},
    {"directory-error", DirectoryError},
    {"follow-output", FollowOutput},
    {"escape-yes", EscapeYes},
    {"escape-no", EscapeNo},
    {"close-during-run", CloseDuringRun},
    {"directory-run", DirectoryRun},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    printf("usage: lorvex_wine_driver SCENARIO LORVEX.EXE WORKDIR [ARGUMENTS [USER PASSWORD]]\n");
    return 2;
  }
  g_program = argv[2];
  g_work = argv[3];
  if (argc > 4) g_run_arguments = argv[4];
  if (argc > 6) {
    g_run_user = argv[5];
    g_run_password = argv[6];
  }
  const std::string name = Narrow(argv[1]);
  for (const Scenario& scenario : kScenarios) {
    if (name != scenario.name) continue;
    scenario.run();
    printf(g_failures == 0 ? "PASS %s\n" : "FAILED %s\n", scenario.name);
    return g_failures == 0 ? 0 : 1;
  }
  printf("unknown scenario %s\n", name.c_str());
  return 2;
}
