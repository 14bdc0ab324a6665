// The Windows output window's shared state and the operations its files offer each other.
#ifndef LORVEX_APP_WINDOW_WIN32_H_
#define LORVEX_APP_WINDOW_WIN32_H_

// windows.h comes first: the other Windows headers use its types.
// clang-format off
#include <windows.h>
#include <commdlg.h>
// clang-format on

#include <string>

#include "app/window_view.h"

/// Process-wide state of the application shell.
struct AppState {
  HINSTANCE instance = nullptr;
  HWND main_window = nullptr;
  HCURSOR wait_cursor = nullptr;  ///< set while the driver runs
  HWND find_dialog = nullptr;     ///< the modeless find dialog while it is open
  DWORD main_thread = 0;          ///< the thread that owns the window
};

extern AppState g_app;
/// The output window's scroll and highlight state.
extern WindowView g_view;

/// Registered messages, known once the window has been created.
struct RegisteredMessages {
  UINT find_replace = 0;  ///< "commdlg_FindReplace"
  UINT scroll = 0;        ///< "ZEM Scroll Window"
  UINT add = 0;           ///< "ZEM Add To Window"
  UINT zap = 0;           ///< "ZEM Zap Last Search"
};
extern RegisteredMessages g_messages;

/// The caption of the window and of every message box of its commands.
constexpr const wchar_t* kWindowTitle = L"Lorvex";

/// Runs the program: registers and creates the window, runs the driver, then the message loop.
int RunApplication(HINSTANCE instance, int show);
/// The same with another run in the driver's place (test programs run bodies of their own).
int RunApplication(HINSTANCE instance, int show, int (*run)());

/// The output window's procedure.
LRESULT CALLBACK OutputWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
/// Sends the window a size notification with its current client size.
void SendSizeNotification(HWND window);
/// Makes PrintMessage's window lines go into the line store.
void InstallWindowChannel();

/// A message box with the caption "Lorvex" and ANSI text.
int AppMessageBox(HWND owner, const char* text, UINT style);
/// ANSI text as UTF-16.
std::wstring AnsiToWide(const char* text);
/// UTF-16 text as ANSI.
std::string WideToAnsi(const wchar_t* text);

/// Carries out a menu or accelerator command.
void RunCommand(HWND window, int command);
/// Handles a notification of the find dialog.
void OnFindNotification(HWND window, const FINDREPLACEW* find);
/// Greys or enables the find commands when the Search menu opens.
void OnMenuPopup(HMENU menu);
/// Prints the window image (the Print Screen command and key).
void PrintScreenCommand(HWND window);

/// Prints the lines through the print dialog; false on failure or when the user cancelled.
bool PrintStoreLines(HWND window);
/// Prints an image of the window on the default printer; false on failure.
bool PrintWindowImage(HWND window);

#endif  // LORVEX_APP_WINDOW_WIN32_H_
