// Steps of the Wine test driver: programs, windows, keys, dialogs, clipboard, files and screen.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "tests/windows/driver_steps.h"

namespace {

DriverSetup g_setup;
int g_failures = 0;
HANDLE g_current = nullptr;  // the program being driven, for waiting until it is idle

// The driver's own console, when a scenario gives the programs one to prompt on.
HANDLE g_console_in = nullptr;
HANDLE g_console_out = nullptr;

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

void Key(WORD key, DWORD flags) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

}  // namespace

void SetUpDriver(const DriverSetup& setup) { g_setup = setup; }

const DriverSetup& Driver() { return g_setup; }

std::wstring WorkFile(const std::wstring& name) { return g_setup.work + L"\\" + name; }

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

int FailureCount() { return g_failures; }

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

void WaitIdle() {
  if (g_current != nullptr) WaitForInputIdle(g_current, kStepWaitMs);
}

Program StartProgram(const std::wstring& path, const std::wstring& arguments) {
  Program program;
  std::wstring line = L"\"" + path + L"\" " + arguments;
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
                                   g_setup.work.c_str(), &startup, &program.process) != 0;
  if (!program.started) Fail("cannot start %s", Narrow(line).c_str());
  g_current = program.started ? program.process.hProcess : nullptr;
  return program;
}

Program Start(const std::wstring& arguments) { return StartProgram(g_setup.program, arguments); }

std::wstring SiblingProgram(const wchar_t* name) {
  const size_t slash = g_setup.program.find_last_of(L"\\/");
  return g_setup.program.substr(0, slash + 1) + name;
}

int WaitExit(Program& program, DWORD milliseconds) {
  if (!program.started) return -1;
  if (WaitForSingleObject(program.process.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(program.process.hProcess, &code);
  return static_cast<int>(code);
}

void ExpectExit(Program& program, int expected) {
  const int code = WaitExit(program, kExitWaitMs);
  if (code != expected) Fail("exit code %d, expected %d", code, expected);
}

void Kill(Program& program) {
  if (!program.started) return;
  if (WaitForSingleObject(program.process.hProcess, 0) != WAIT_OBJECT_0)
    TerminateProcess(program.process.hProcess, 99);
  if (g_current == program.process.hProcess) g_current = nullptr;
  CloseHandle(program.process.hProcess);
  CloseHandle(program.process.hThread);
  program.started = false;
}

HWND FindWindowOf(const Program& program, const wchar_t* class_name, const wchar_t* title, HWND exclude) {
  Search search = {program.process.dwProcessId, class_name, title, exclude, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitWindow(const Program& program, const wchar_t* class_name, const wchar_t* title, DWORD milliseconds,
                HWND exclude) {
  HWND found = nullptr;
  WaitFor(milliseconds, [&] {
    found = FindWindowOf(program, class_name, title, exclude);
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

bool WaitGone(HWND window, const char* what) {
  if (WaitFor(kStepWaitMs, [&] { return !IsWindow(window) || !IsWindowVisible(window); })) return true;
  Fail("%s did not close", what);
  return false;
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

void Press(std::initializer_list<WORD> modifiers, WORD key) {
  for (WORD m : modifiers) Key(m, 0);
  Key(key, 0);
  Key(key, KEYEVENTF_KEYUP);
  for (WORD m : modifiers) Key(m, KEYEVENTF_KEYUP);
  WaitIdle();
}

void Release(WORD key) {
  Key(key, KEYEVENTF_KEYUP);
  WaitIdle();
}

void PressIn(HWND window, std::initializer_list<WORD> modifiers, WORD key) {
  Focus(window);
  Press(modifiers, key);
}

void ChooseMenu(HWND window, WORD menu, WORD item) {
  PressIn(window, {VK_MENU}, menu);
  Press({}, item);
}

HWND PressForDialog(const Driven& driven, std::initializer_list<WORD> modifiers, WORD key,
                    const wchar_t* title) {
  PressIn(driven.window, modifiers, key);
  return WaitDialog(driven.program, title);
}

void Click(HWND dialog, int button) {
  PostMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
  WaitIdle();
}

void CloseWith(HWND dialog, int button, const char* what) {
  Click(dialog, button);
  WaitGone(dialog, what);
}

std::string MessageBoxText(HWND box) {
  wchar_t text[512] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 512);  // the static text of a message box
  return Narrow(text);
}

std::string AnswerMessageBox(const Program& program, const wchar_t* caption, int button) {
  HWND box = WaitDialog(program, caption);
  if (box == nullptr) return "<none>";
  const std::string text = MessageBoxText(box);
  CloseWith(box, button, "the message box");
  return text;
}

void EndWithEscape(Program& program, HWND window, int expected_exit) {
  PressIn(window, {}, VK_ESCAPE);
  ExpectExit(program, expected_exit);
}

void ClearClipboard() {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  CloseClipboard();
}

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

std::string CopyWindowText(HWND window) {
  ClearClipboard();
  PressIn(window, {VK_CONTROL}, 'C');
  return ReadClipboard();
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

void SaveText(const std::wstring& path, const std::string& text) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (file == nullptr) return Fail("cannot write %s", Narrow(path).c_str());
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
}

bool FileClosed(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

void ExpectText(const char* what, const std::string& got, const std::string& expected) {
  if (got == expected) return;
  size_t at = 0;
  while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
  Fail("%s differs at byte %d of %d (expected %d): got \"%.60s\" expected \"%.60s\"", what,
       static_cast<int>(at), static_cast<int>(got.size()), static_cast<int>(expected.size()),
       got.c_str() + at, expected.c_str() + at);
}

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

bool OpenConsole() {
  FreeConsole();
  if (!AllocConsole()) {
    Fail("cannot open a console");
    return false;
  }
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  g_console_in = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, OPEN_EXISTING, 0, nullptr);
  g_console_out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              &inherit, OPEN_EXISTING, 0, nullptr);
  if (g_console_in == INVALID_HANDLE_VALUE || g_console_out == INVALID_HANDLE_VALUE) {
    Fail("cannot open the console's handles");
    g_console_in = g_console_out = nullptr;
    return false;
  }
  return true;
}

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
