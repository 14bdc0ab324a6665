// Works lorvex.exe like a person (real keys and mouse moves) and checks clipboard, files, message
// boxes, screen pixels and exit codes against the console build's golden outputs and the window's
// measured geometry. Waits poll with generous limits (the machine may be loaded).
//   lorvex_wine_driver SCENARIO LORVEX.EXE WORKDIR EXPECTED_DIR [ARGUMENTS [USER PASSWORD [refused]]]
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kWaitMs = 60000;  // reached only when something is wrong
std::wstring g_program;
std::string g_work, g_expected;
std::vector<std::wstring> g_extra;
int g_failures = 0;
HANDLE g_current = nullptr;                              // the program driven, for its idle moments
HANDLE g_console_in = nullptr, g_console_out = nullptr;  // given to the programs, to prompt on

__attribute__((format(printf, 1, 2))) void Fail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  printf("FAIL: ");
  vprintf(format, args);
  printf("\n");
  va_end(args);
  ++g_failures;
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD milliseconds = kWaitMs) {
  for (const DWORD start = GetTickCount(); !condition(); Sleep(50)) {
    if (GetTickCount() - start >= milliseconds) return false;
  }
  return true;
}

void WaitIdle() { WaitForInputIdle(g_current, kWaitMs); }

// Starts lorvex.exe, or the program beside it, in the work folder.
PROCESS_INFORMATION Start(const std::wstring& arguments, const wchar_t* sibling = nullptr) {
  std::wstring line = g_program.substr(0, sibling ? g_program.find_last_of(L"\\/") + 1 : std::wstring::npos);
  line = L"\"" + line + (sibling ? sibling : L"") + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = g_console_in != nullptr ? STARTF_USESTDHANDLES : 0;
  startup.hStdInput = g_console_in;
  startup.hStdOutput = startup.hStdError = g_console_out;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, g_console_in != nullptr, 0, nullptr,
                      std::wstring(g_work.begin(), g_work.end()).c_str(), &startup, &process))
    Fail("cannot start the program");
  g_current = process.hProcess;
  return process;
}

int WaitExit(const PROCESS_INFORMATION& process, DWORD milliseconds = kWaitMs) {
  DWORD code = 0;
  const bool ended = WaitForSingleObject(process.hProcess, milliseconds) == WAIT_OBJECT_0;
  return ended && GetExitCodeProcess(process.hProcess, &code) ? static_cast<int>(code) : -1;
}

void ExpectExit(const PROCESS_INFORMATION& process, int expected) {
  const int code = WaitExit(process);
  if (code != expected) Fail("exit code %d, expected %d", code, expected);
}

// The program's visible top-level window with the class and title (null: any).
HWND FindWindowOf(const PROCESS_INFORMATION& process, const wchar_t* class_name, const wchar_t* title,
                  HWND exclude = nullptr) {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, class_name, title)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process.dwProcessId && IsWindowVisible(window) && window != exclude) return window;
  }
  return nullptr;
}

HWND WaitWindow(const PROCESS_INFORMATION& process, const wchar_t* title,
                const wchar_t* class_name = L"#32770", HWND exclude = nullptr) {
  HWND found = nullptr;
  if (!WaitFor([&] { return (found = FindWindowOf(process, class_name, title, exclude)) != nullptr; }))
    Fail("no window \"%ls\"", title ? title : L"");
  WaitIdle();
  return found;
}

// A program started with its "Lorvex" window, ended at the scope's end if it still runs.
struct Driven {
  explicit Driven(const std::wstring& arguments, const wchar_t* sibling = nullptr)
      : process(Start(arguments, sibling)), window(WaitWindow(process, L"Lorvex", L"Lorvex")) {}
  ~Driven() {
    if (WaitExit(process, 0) < 0) TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  PROCESS_INFORMATION process;
  HWND window;
};

void Focus(HWND window) {
  if (!WaitFor(
          [&] { return SetForegroundWindow(window), SetFocus(window), GetForegroundWindow() == window; }))
    Fail("the window did not take the focus");
  WaitIdle();
}

void Key(WORD key, DWORD flags) {
  INPUT input = {INPUT_KEYBOARD, {}};
  input.ki = {key, 0, flags, 0, 0};
  SendInput(1, &input, sizeof input);
}

// Presses the keys in order and releases them in reverse, in the window or (null) the focus.
void Press(HWND window, std::initializer_list<WORD> keys) {
  if (window != nullptr) Focus(window);
  for (WORD key : keys) Key(key, 0);
  for (const WORD* key = keys.end(); key != keys.begin();) Key(*--key, KEYEVENTF_KEYUP);
  WaitIdle();
}

HWND OpenDialog(const Driven& driven, std::initializer_list<WORD> keys, const wchar_t* title) {
  Press(driven.window, keys);
  return WaitWindow(driven.process, title);
}

// Posted: a button's handler that opens a modal box would hold a sender.
void Click(HWND dialog, int button, bool closes = false) {
  PostMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
  WaitIdle();
  if (closes && !WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }))
    Fail("a dialog did not close");
}

std::string AnswerMessageBox(const PROCESS_INFORMATION& process, const wchar_t* caption, int button) {
  HWND box = WaitWindow(process, caption);
  char text[512] = "<none>";
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // a message box's static text
  Click(box, button, true);
  return text;
}

void EndWithEscape(const Driven& driven, int expected_exit) {
  Press(driven.window, {VK_ESCAPE});
  ExpectExit(driven.process, expected_exit);
}

std::string CopyWindowText(HWND window, DWORD milliseconds = kWaitMs) {
  if (OpenClipboard(nullptr) && EmptyClipboard()) CloseClipboard();
  Press(window, {VK_CONTROL, 'C'});
  std::string text;
  if (!WaitFor([] { return IsClipboardFormatAvailable(CF_TEXT) && OpenClipboard(nullptr); }, milliseconds))
    return text;
  HANDLE data = GetClipboardData(CF_TEXT);
  if (const char* locked = static_cast<const char*>(GlobalLock(data))) text = locked, GlobalUnlock(data);
  CloseClipboard();
  return text;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return in ? text.str() : "<missing>";
}

void ExpectText(const char* what, const std::string& got, const std::string& expected) {
  const int at = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end()).first - got.begin();
  if (got != expected)
    Fail("%s differs at byte %d: got \"%.60s\" expected \"%.60s\"", what, at, &got[at], &expected[at]);
}

std::string Expected(const char* golden) {
  std::string text;
  for (char c : ReadFile(g_expected + "\\" + golden + ".out")) text += c == '\n' ? "\r\n" : std::string(1, c);
  return text;
}

double Share(RECT rect, COLORREF colour) {
  HDC screen = GetDC(nullptr);
  int count = 0, all = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x, ++all) count += GetPixel(screen, x, y) == colour;
  }
  ReleaseDC(nullptr, screen);
  return all == 0 ? 0 : static_cast<double>(count) / all;
}

// The window's text cell, in the fixed system font it draws its lines in.
SIZE Cell(HWND window) {
  HDC dc = GetDC(window);
  SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));  // a stock font: nothing to restore or free
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  ReleaseDC(window, dc);
  return {metrics.tmAveCharWidth, metrics.tmHeight + metrics.tmExternalLeading};
}

// The first line shown at the end of count lines: an empty frame line comes before the text and one
// after it, and the rows under the horizontal scroll bar count as shown.
int LastTop(HWND window, int count) {
  RECT client;
  GetClientRect(window, &client);
  return std::max<int>(0, count + 2 - (client.bottom + GetSystemMetrics(SM_CYHSCROLL)) / Cell(window).cy);
}

// The window shows the golden case's text (Ctrl+C copies it) and Esc ends with its exit code.
void ShowsText(const wchar_t* arguments, const char* golden) {
  Driven lorvex(arguments);
  if (lorvex.window == nullptr) return;
  ExpectText(golden, CopyWindowText(lorvex.window), Expected(golden));
  EndWithEscape(lorvex, atoi(ReadFile(g_expected + "\\" + golden + ".rc").c_str()));
}

// Save As (Ctrl+S) writes the text; to a file held open without sharing it says it cannot.
void SaveAs(bool locked) {
  Driven lorvex(L"?");
  const std::string path = g_work + (locked ? "\\locked.txt" : "\\saved.txt");
  HWND dialog = lorvex.window ? OpenDialog(lorvex, {VK_CONTROL, 'S'}, L"Save As") : nullptr;
  if (dialog == nullptr) return;
  if (locked)
    CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);  // till the end
  SetDlgItemTextA(dialog, 0x47c, path.c_str());                                       // the file name box
  SetDlgItemTextA(dialog, 0x480, path.c_str());
  Click(dialog, IDOK);
  if (locked) {
    Click(WaitWindow(lorvex.process, nullptr, L"#32770", dialog), IDYES);  // replace the file? yes
    ExpectText("message", AnswerMessageBox(lorvex.process, L"Lorvex", IDOK), "Could not write file " + path);
  } else {
    WaitFor([&] { return ReadFile(path) == Expected("usage-question"); });
    ExpectText("saved file", ReadFile(path), Expected("usage-question"));
  }
  EndWithEscape(lorvex, 0);
}

// Find: upper-case text finds the first "wildcard", its line scrolled to the top as far as the end
// allows and the word drawn white on black; a text that is nowhere is not found, again on F3.
void FindText() {
  Driven lorvex(L"?");
  HWND window = lorvex.window;
  HWND dialog = window ? OpenDialog(lorvex, {VK_CONTROL, 'F'}, L"Find") : nullptr;
  if (dialog == nullptr) return;
  SetDlgItemTextW(dialog, 0x480, L"WILDCARD");
  Click(dialog, IDOK);
  std::string text = Expected("usage-question");
  std::transform(text.begin(), text.end(), text.begin(), ::toupper);
  const size_t at = text.find("WILDCARD");
  const int line = std::count(text.begin(), text.begin() + at, '\n');
  const int column = at - (text.rfind('\n', at) + 1);
  const int top = std::min<int>(line, LastTop(window, std::count(text.begin(), text.end(), '\n')));
  const SIZE cell = Cell(window);
  POINT corner = {(1 + column) * cell.cx, (1 - top + line) * cell.cy};
  ClientToScreen(window, &corner);
  RECT word = {corner.x, corner.y, corner.x + 8 * cell.cx, corner.y + cell.cy};
  auto marked = [](RECT r) { return Share(r, RGB(0, 0, 0)) >= 0.5 && Share(r, RGB(255, 255, 255)) > 0; };
  if (!WaitFor([&] { return marked(word); }))
    Fail("no white-on-black word at line %d column %d", line, column);
  OffsetRect(&word, 0, cell.cy);
  if (marked(word)) Fail("the line below the match is highlighted too");
  SetDlgItemTextW(dialog, 0x480, L"no such text anywhere");
  Click(dialog, IDOK);
  ExpectText("not found", AnswerMessageBox(lorvex.process, L"Lorvex", IDOK), "Text not found!");
  Click(dialog, IDCANCEL, true);
  Press(window, {VK_F3});
  ExpectText("F3", AnswerMessageBox(lorvex.process, L"Lorvex", IDOK), "Text not found!");
  EndWithEscape(lorvex, 0);
}

// Menus by keyboard: About's box closes with OK; File, PrintScreen prints the window's image without
// a dialog (run_scenario.sh reads the printer); File, Exit ends the program.
void Menu(WORD menu, WORD item) {
  Driven lorvex(L"?");
  if (lorvex.window == nullptr) return;
  Press(lorvex.window, {VK_MENU, menu});
  Press(nullptr, {item});
  if (menu == 'A') Click(WaitWindow(lorvex.process, L"About Lorvex"), IDOK, true);
  if (item != 'X') Press(lorvex.window, {VK_ESCAPE});
  ExpectExit(lorvex.process, 0);
}

// The print dialog's copies, collation and pages 2 to 2 or all. While the pages are spooled the
// window is disabled and the "ZEM" box is open.
void Print(const wchar_t* copies, bool collate, bool range) {
  Driven lorvex(L"?");
  HWND dialog = lorvex.window ? OpenDialog(lorvex, {VK_CONTROL, 'P'}, L"Print") : nullptr;
  if (dialog == nullptr) return;
  SetDlgItemTextW(dialog, 0x482, copies);
  CheckDlgButton(dialog, 0x411, collate ? BST_CHECKED : BST_UNCHECKED);
  if (range) {
    Click(dialog, 0x422);  // pages from .. to
    SetDlgItemTextW(dialog, 0x480, L"2");
    SetDlgItemTextW(dialog, 0x481, L"2");
  }
  Click(dialog, IDOK, true);
  auto printing = [&] {
    return FindWindowOf(lorvex.process, L"#32770", L"ZEM") || !IsWindowEnabled(lorvex.window);
  };
  WaitFor(printing, kWaitMs / 6);  // printing over before a poll saw it ends this wait at its limit
  if (!WaitFor([&] { return !printing(); })) Fail("printing did not end");
  EndWithEscape(lorvex, 0);
}

// The Print Screen key prints the image once, whether press and release reach the window or, as
// Windows often sends it, the release alone.
void PrintScreenKey(bool release_only) {
  Driven lorvex(L"?");
  if (lorvex.window == nullptr) return;
  Focus(lorvex.window);
  if (!release_only) Key(VK_SNAPSHOT, 0);
  Key(VK_SNAPSHOT, KEYEVENTF_KEYUP);
  EndWithEscape(lorvex, 0);
}

// The window's text once it shows why the run failed (Ctrl+C copies nothing while the run goes on).
std::string WaitReason(HWND window) {
  std::string text;
  auto shown = [&] {
    return (text = CopyWindowText(window, 2000)).find("\r\nReason(s): ") != std::string::npos;
  };
  if (!WaitFor(shown, 2 * kWaitMs)) Fail("no reason shown");
  return text;
}

// Without a domain the window shows why the directory could not be opened, and stays open.
void DirectoryError() {
  Driven lorvex(L"");
  if ((lorvex.window ? WaitReason(lorvex.window) : "").rfind("LORVEX: ", 0) != 0)
    Fail("the window does not begin with the program name");
  if (WaitExit(lorvex.process, 0) != -1) Fail("the window did not stay open");
  EndWithEscape(lorvex, 1);
}

// directory_scenario.sh's run: the credentials typed at the prompt on the driver's own console; over
// when the log is closed or, refused (the options are read after the logon), the reason shown.
void DirectoryRun() {
  const bool prompted = g_extra.size() > 2, refused = g_extra.size() > 3 && g_extra[3] == L"refused";
  if (prompted) {
    FreeConsole();
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    auto open = [&](const char* name) {
      return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         OPEN_EXISTING, 0, nullptr);
    };
    if (!AllocConsole() || (g_console_in = open("CONIN$")) == INVALID_HANDLE_VALUE ||
        (g_console_out = open("CONOUT$")) == INVALID_HANDLE_VALUE)
      return Fail("cannot open a console");
  }
  const std::string log = g_work + "\\run.log";
  DeleteFileA(log.c_str());
  // The quotes keep the path's dashes from being read as options.
  Driven lorvex((g_extra.empty() ? L"" : g_extra[0]) + L" /l=\"" + std::wstring(log.begin(), log.end()) +
                L"\"");
  std::vector<INPUT_RECORD> keys;  // typed ahead: the console keeps them until the prompt reads them
  for (wchar_t c : prompted ? g_extra[1] + L"\r" + g_extra[2] + L"\r" : L"") {
    for (BOOL down : {TRUE, FALSE})
      keys.push_back({KEY_EVENT, {{down, 1, static_cast<WORD>(c == L'\r' ? VK_RETURN : 0), 0, {c}, 0}}});
  }
  DWORD written = 0;
  if (prompted) WriteConsoleInputW(g_console_in, keys.data(), keys.size(), &written);
  if (lorvex.window == nullptr) return;
  auto closed = [&] {
    HANDLE file = CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    return file != INVALID_HANDLE_VALUE && CloseHandle(file);
  };
  if (!refused && !WaitFor(closed)) Fail("the run did not close its log");
  std::ofstream(g_work + "\\window.txt", std::ios::binary)
      << (refused ? WaitReason(lorvex.window) : CopyWindowText(lorvex.window));
  Press(lorvex.window, {VK_ESCAPE});
  std::ofstream(g_work + "\\exit.txt", std::ios::binary) << WaitExit(lorvex.process) << "\n";
}

// The slow test program: lorvex's window, wait loop and worker; its arguments are LINES records,
// PAUSE ms apart, every KEEP-th printed again after them, FILLED lines before them.
constexpr wchar_t kSlow[] = L"lorvex_slow_run.exe";

struct SlowState {
  int count = -1, position = 0, limit = 0;  // lines, the first one shown, its largest value
  bool worker = false;
};

SlowState ReadState(HWND window) {
  static const UINT message = RegisterWindowMessageW(L"Lorvex Test State");
  DWORD_PTR value = 0;
  if (!SendMessageTimeoutW(window, message, 0, 0, SMTO_NORMAL, kWaitMs, &value)) return {};
  return {static_cast<int>(value & 0x1FFFFF), static_cast<int>(value >> 21 & 0x1FFFFF),
          static_cast<int>(value >> 42 & 0x1FFFFF), value >> 63 != 0};
}

template <typename Condition>
bool WaitState(HWND window, const char* what, Condition condition) {
  if (window != nullptr && WaitFor([&] { return condition(ReadState(window)); })) return true;
  Fail("no %s", what);
  return false;
}

// The window after the records: then the kept ones, and the totals line if the run ended.
std::string SlowText(int records, bool ended) {
  std::string text;
  char line[32];
  for (int i = 1; i <= records; ++i) text += (snprintf(line, sizeof line, "record %03d\r\n", i), line);
  for (int i = 10; i <= records; i += 10)
    text += (snprintf(line, sizeof line, "kept record %03d\r\n", i), line);
  return ended ? text + std::to_string(records) + " records\r\n" : text;
}

// Sampled while 40 lines arrive, the view follows the output at its end (give or take the line not
// yet scrolled to), stays at the top after Home and follows again after End; the end is in view last.
void FollowOutput() {
  Driven slow(L"300 5 10 0", kSlow);
  HWND window = slow.window;
  auto at_end = [&](const SlowState& s) { return s.position >= LastTop(window, s.count) - 1; };
  auto at_top = [](const SlowState& s) { return s.position == 0; };
  if (!WaitState(window, "40 lines", [](const SlowState& s) { return s.count >= 40; })) return;
  for (const WORD key : {WORD{0}, WORD{VK_HOME}, WORD{VK_END}}) {
    if (key != 0) Press(window, {key});
    if (!WaitState(window, "scroll",
                   [&](const SlowState& s) { return key == VK_HOME ? at_top(s) : at_end(s); }))
      continue;
    int samples = 0;
    for (SlowState s = ReadState(window), from = s; s.count < from.count + 40 && s.worker; Sleep(30)) {
      if (key == VK_HOME ? !at_top(s) : !at_end(s))
        return Fail("key %d: %d lines, at %d", key, s.count, s.position);
      s = ReadState(window), ++samples;
    }
    if (samples < 5) Fail("after key %d: only %d samples while lines arrived", key, samples);
  }
  if (!WaitState(window, "end of the run", [](const SlowState& s) { return !s.worker; })) return;
  const SlowState last = ReadState(window);
  if (last.count != 331 || last.position != LastTop(window, 331))
    Fail("%d lines, first shown %d: the end of 331 is not in view", last.count, last.position);
  ExpectText("window text", CopyWindowText(window), SlowText(300, true));
  EndWithEscape(slow, 0);
}

// Esc during the run asks whether to quit, and the worker waits meanwhile. Yes stops it at its next
// record, with the kept records and no totals; No lets it finish.
void EscapeDuringRun(bool yes) {
  Driven slow(yes ? L"300 5 10 0" : L"120 5 10 0", kSlow);
  if (!WaitState(slow.window, "30 lines", [](const SlowState& s) { return s.count >= 30; }) ||
      !OpenDialog(slow, {VK_ESCAPE}, L"End search"))
    return;
  const int asked = ReadState(slow.window).count;
  Sleep(600);
  if (ReadState(slow.window).count != asked) Fail("the worker went on while asked");
  ExpectText("question", AnswerMessageBox(slow.process, L"End search", yes ? IDYES : IDNO),
             "Do you want to quit the search?");
  if (!WaitState(slow.window, "end of the run", [](const SlowState& s) { return !s.worker; })) return;
  const std::string text = CopyWindowText(slow.window);
  int records = text.rfind("record ", 0) == 0;
  for (size_t at = 0; (at = text.find("\nrecord ", at + 1)) != std::string::npos;) ++records;
  if (yes && (records < asked || records > asked + 1)) Fail("%d records after a stop at %d", records, asked);
  ExpectText("window text", text, SlowText(yes ? records : 120, !yes));
  EndWithEscape(slow, yes ? 1 : 0);
}

// Closed during a run where every record is kept, the worker has more to print after the stop than
// the close waits for: the window must drop those lines, not keep it waiting. stop.txt: records at
// the close and stop, worker running after the close's wait, worker ended during the destruction.
void CloseDuringRun() {
  Driven slow(L"300 10 1 0", kSlow);
  if (!WaitState(slow.window, "100 lines", [](const SlowState& s) { return s.count >= 100; })) return;
  PostMessageW(slow.window, WM_CLOSE, 0, 0);
  ExpectExit(slow.process, 1);
  int at_close = 0, at_stop = 0, running = 0, ended_in_destroy = 0;
  const std::string stop = ReadFile(g_work + "\\stop.txt");
  if (sscanf(stop.c_str(), "%d %d %d %d", &at_close, &at_stop, &running, &ended_in_destroy) != 4)
    return Fail("no record of the stop: %s", stop.c_str());
  if (at_stop < at_close || at_stop > at_close + 2)
    Fail("stopped at record %d after a close at %d", at_stop, at_close);
  if (running != 1) Fail("the worker had ended before the close stopped waiting; nothing was left to drop");
  if (ended_in_destroy != 1) Fail("the worker did not end while the window was being destroyed");
}

void MouseAt(POINT at, DWORD flags) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input = {INPUT_MOUSE, {}};
  input.mi = {(at.x * 65536 + width - 1) / width,
              (at.y * 65536 + height - 1) / height,
              0,
              MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags,
              0,
              0};
  SendInput(1, &input, sizeof input);
  WaitIdle();
}

// The thumb (on the bar beside the client area, below an arrow), dragged in more lines than a scroll
// message's 16 bits count, 85% down the track shows the line that far to the last page (more by the
// thumb's share of the track, at most an arrow, within two pixels' worth); at the end the last page.
// Each poll moves again, a pixel aside (a move to the pointer's place is dropped): none is lost.
void ThumbDrag() {
  Driven slow(L"0 0 1 100000", kSlow);
  HWND window = slow.window;
  if (!WaitState(window, "end of the run", [](const SlowState& s) { return s.count > 100000 && !s.worker; }))
    return;
  SlowState s = ReadState(window);
  if (s.position != 0 || s.limit != LastTop(window, 100001))
    return Fail("filled: %d of %d", s.position, s.limit);
  RECT client;
  GetClientRect(window, &client);
  const int arrow = GetSystemMetrics(SM_CYVSCROLL), track = client.bottom - 2 * arrow;
  POINT grab = {client.right + GetSystemMetrics(SM_CXVSCROLL) / 2, arrow + 2};
  ClientToScreen(window, &grab);
  Focus(window);
  MouseAt(grab, MOUSEEVENTF_LEFTDOWN);
  int moves = 0;
  for (const int pixels : {track * 85 / 100, track}) {
    const long long slack = pixels == track ? 0 : 2LL * s.limit / track,
                    low = 1LL * s.limit * pixels / track - slack,
                    high = std::min<long long>(s.limit, 1LL * s.limit * pixels / (track - arrow) + slack);
    WaitFor([&] {
      MouseAt({grab.x + (++moves & 1), grab.y + pixels}, 0);
      return (s = ReadState(window)).position >= low && s.position <= high;
    });
    if (s.position < low || s.position > high)
      Fail("thumb %d of %d pixels down: line %d of %d, expected %lld to %lld", pixels, track, s.position,
           s.limit, low, high);
  }
  MouseAt({grab.x, grab.y + track}, MOUSEEVENTF_LEFTUP);
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  if (!WaitFor([&] { return GetGUIThreadInfo(slow.process.dwThreadId, &gui) && !gui.hwndCapture; }))
    Fail("the scroll bar still holds the mouse");
}

const std::pair<const char*, void (*)()> kScenarios[] = {
    {"usage-copy", [] { ShowsText(L"?", "usage-question"); }},
    {"help", [] { ShowsText(L"--help", "usage-question"); }},
    {"version", [] { ShowsText(L"--version", "version"); }},
    {"not-silent", [] { ShowsText(L"? -0x", "usage-question"); }},  // -0 with more after it
    {"silent", [] { ExpectExit(Start(L"? /0"), 0); }},              // no window
    {"save-as", [] { SaveAs(false); }},
    {"save-as-failure", [] { SaveAs(true); }},
    {"find", FindText},
    {"about", [] { Menu('A', VK_RETURN); }},
    {"menu-exit", [] { Menu('F', 'X'); }},
    {"print-uncollated", [] { Print(L"2", false, false); }},
    {"print-collated", [] { Print(L"2", true, false); }},
    {"print-range", [] { Print(L"1", false, true); }},
    {"print-screen", [] { Menu('F', 'C'); }},
    {"print-screen-key", [] { PrintScreenKey(false); }},
    {"print-screen-key-up", [] { PrintScreenKey(true); }},
    {"directory-error", DirectoryError},
    {"directory-run", DirectoryRun},
    {"follow-output", FollowOutput},
    {"escape-yes", [] { EscapeDuringRun(true); }},
    {"escape-no", [] { EscapeDuringRun(false); }},
    {"close-during-run", CloseDuringRun},
    {"thumb-drag", ThumbDrag},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 5)
    return printf("usage: lorvex_wine_driver SCENARIO LORVEX.EXE WORKDIR EXPECTED_DIR [...]\n"), 2;
  g_program = argv[2];
  g_work = std::string(argv[3], argv[3] + wcslen(argv[3]));
  g_expected = std::string(argv[4], argv[4] + wcslen(argv[4]));
  g_extra.assign(argv + 5, argv + argc);
  const std::string name(argv[1], argv[1] + wcslen(argv[1]));
  for (const auto& scenario : kScenarios) {
    if (name == scenario.first) scenario.second();
    if (name == scenario.first)
      return printf("%s %s\n", g_failures ? "FAILED" : "PASS", name.c_str()), g_failures != 0;
  }
  return printf("unknown scenario %s\n", name.c_str()), 2;
}
