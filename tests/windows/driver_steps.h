// Steps of the Wine test driver, the way a person works lorvex.exe: start it, wait for its
// windows, press keys and buttons, read the clipboard, message boxes, files and the screen's pixels.
// Every wait polls for the condition it needs (a window, the focus, an idle program, a file)
// with a generous limit instead of sleeping a fixed time: the tests share a loaded machine,
// where a step can take many times longer than usual. A step that fails counts a failure and
// lets the scenario go on, so that one run reports all it can.
#ifndef LORVEX_TESTS_WINDOWS_DRIVER_STEPS_H_
#define LORVEX_TESTS_WINDOWS_DRIVER_STEPS_H_

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

/// Limits of the waits: reached only when something is wrong.
constexpr DWORD kWindowWaitMs = 60000;
constexpr DWORD kStepWaitMs = 30000;
constexpr DWORD kExitWaitMs = 60000;
/// The interval of every poll.
constexpr DWORD kPollMs = 50;

/// What the driver was started with: lorvex.exe, a folder for files, the scenario's own arguments.
struct DriverSetup {
  std::wstring program;
  std::wstring work;
  std::vector<std::wstring> extra;
};

/// Keeps the setup for the steps; called once, before the scenario runs.
void SetUpDriver(const DriverSetup& setup);
/// The setup the driver was started with.
const DriverSetup& Driver();
/// The path of a file in the work folder.
std::wstring WorkFile(const std::wstring& name);

/// Prints "FAIL: " and the message, and counts the failure.
void Fail(const char* format, ...) __attribute__((format(printf, 1, 2)));
/// The failures counted so far.
int FailureCount();
/// The text with every character outside ASCII as '?', for messages.
std::string Narrow(const std::wstring& text);

/// Polls a condition until it holds (true) or the limit passes (false).
template <typename Condition>
bool WaitFor(DWORD milliseconds, Condition condition) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= milliseconds) return false;
    Sleep(kPollMs);
  }
}

/// Waits until the program last started has handled its input and waits for more.
void WaitIdle();

/// A started program's process.
struct Program {
  PROCESS_INFORMATION process = {};
  bool started = false;
};

/// Starts lorvex.exe with the arguments, in the work folder.
Program Start(const std::wstring& arguments);
/// Starts another program with the arguments, in the work folder.
Program StartProgram(const std::wstring& path, const std::wstring& arguments);
/// The path of a program beside lorvex.exe.
std::wstring SiblingProgram(const wchar_t* name);
/// The exit code of the program once it has ended within milliseconds, -1 when it has not.
int WaitExit(Program& program, DWORD milliseconds);
/// Waits for the program to end and counts a failure unless it ends with the expected code.
void ExpectExit(Program& program, int expected);
/// Ends the program if it still runs and closes its handles.
void Kill(Program& program);

/// A visible top-level window of the program with the class and title (any title when null),
/// other than exclude; null when there is none now.
HWND FindWindowOf(const Program& program, const wchar_t* class_name, const wchar_t* title,
                  HWND exclude = nullptr);
/// The same window, waited for up to milliseconds, and then the program's idle moment.
HWND WaitWindow(const Program& program, const wchar_t* class_name, const wchar_t* title, DWORD milliseconds,
                HWND exclude = nullptr);
/// The program's "Lorvex" window; a failure when it does not appear.
HWND WaitMain(const Program& program);
/// The program's dialog with the title; a failure when it does not appear.
HWND WaitDialog(const Program& program, const wchar_t* title);
/// Waits until a window is gone or hidden; false (and a failure naming what) when it stays.
bool WaitGone(HWND window, const char* what);

/// A program started and its main window waited for; the program is ended, if it still runs,
/// when this goes out of scope. window is null (and a failure counted) when none appeared.
class Driven {
 public:
  /// lorvex.exe with the arguments.
  explicit Driven(const std::wstring& arguments) : Driven(Start(arguments)) {}
  /// A program started already.
  explicit Driven(Program started) : program(started), window(WaitMain(program)) {}
  ~Driven() { Kill(program); }
  Driven(const Driven&) = delete;
  Driven& operator=(const Driven&) = delete;

  Program program;
  HWND window;
};

/// Brings the window to the foreground and gives it the keyboard focus.
void Focus(HWND window);
/// Presses a key with the given modifiers (VK_CONTROL, VK_MENU, VK_SHIFT) held.
void Press(std::initializer_list<WORD> modifiers, WORD key);
/// Sends only the release of a key, the way Windows sends some keys (Print Screen) to a window.
void Release(WORD key);
/// Focuses the window and presses the key there.
void PressIn(HWND window, std::initializer_list<WORD> modifiers, WORD key);
/// Chooses a menu item from the keyboard: Alt with the menu's letter, then the item's key.
void ChooseMenu(HWND window, WORD menu, WORD item);
/// Presses a key in the program's window and waits for the dialog with the title it opens; null
/// (and a failure) when none opens.
HWND PressForDialog(const Driven& driven, std::initializer_list<WORD> modifiers, WORD key,
                    const wchar_t* title);
/// Presses a dialog button. Posted, not sent: a button whose handler opens a modal box would
/// otherwise hold the driver until someone answers it.
void Click(HWND dialog, int button);
/// Presses a dialog's button and waits until the dialog has closed (what names it in a failure).
void CloseWith(HWND dialog, int button, const char* what);
/// The text of a message box.
std::string MessageBoxText(HWND box);
/// The text of the program's message box with the caption, after pressing its button.
std::string AnswerMessageBox(const Program& program, const wchar_t* caption, int button);
/// Focuses the window, presses Esc and expects the program to end with the exit code.
void EndWithEscape(Program& program, HWND window, int expected_exit);

/// Empties the clipboard.
void ClearClipboard();
/// The clipboard's text, once there is any (waited for, since a copy is asynchronous).
std::string ReadClipboard();
/// The window's whole text, copied to the emptied clipboard with Ctrl+C.
std::string CopyWindowText(HWND window);

/// A file's bytes, or "<missing>".
std::string ReadFile(const std::wstring& path);
/// Writes text to a file; a failure when it cannot.
void SaveText(const std::wstring& path, const std::string& text);
/// Whether a file exists and nobody holds it open for writing.
bool FileClosed(const std::wstring& path);
/// Counts a failure naming what and the first difference unless got is expected.
void ExpectText(const char* what, const std::string& got, const std::string& expected);

/// The shares of black and of white pixels of a screen rectangle.
void ScreenShares(RECT rect, double* black, double* white);
/// The cell of the fixed system font in a window: the width of a character, the height of a line.
void FontCell(HWND window, int* char_width, int* line_height);

/// Opens a console of the driver's own, whose handles the programs started afterwards get as
/// their standard handles (so that they may prompt on it).
bool OpenConsole();
/// Types text and Enter into that console, as key presses.
void TypeIntoConsole(const std::wstring& text);

#endif  // LORVEX_TESTS_WINDOWS_DRIVER_STEPS_H_
