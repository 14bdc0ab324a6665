// Start-up of the Windows program: the window class and the main window, the silent test, the
// driver under a wait cursor, and the message loop that keeps the window open afterwards.
#include <string>

#include "app/line_store.h"
#include "app/window_metrics.h"
#include "app/window_win32.h"
#include "query/driver.h"
#include "query/startup.h"
#include "run/run_context.h"
#include "util/cmdline.h"

namespace {

// Narrow text inside the program is in the console code page.
std::string WideToOem(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_OEMCP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(length > 0 ? length - 1 : 0, '\0');
  if (length > 1) WideCharToMultiByte(CP_OEMCP, 0, text, -1, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

bool RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = OutputWindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, L"ZEMICON");
  window_class.hIconSm = LoadIconW(instance, L"ZEMICON");
  window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  window_class.lpszMenuName = L"zemmenu";
  window_class.lpszClassName = kWindowTitle;
  return RegisterClassExW(&window_class) != 0;
}

// The metrics of the system fixed-pitch font on the display, and the frame sizes around it.
WindowMetrics ReadWindowMetrics() {
  WindowMetrics metrics;
  HDC info = CreateICW(L"DISPLAY", nullptr, nullptr, nullptr);
  if (info != nullptr) {
    HGDIOBJ old = SelectObject(info, GetStockObject(SYSTEM_FIXED_FONT));
    TEXTMETRICW text;
    GetTextMetricsW(info, &text);
    SelectObject(info, old);
    DeleteDC(info);
    metrics.char_width = text.tmAveCharWidth;
    metrics.char_height = text.tmHeight;
    metrics.external_leading = text.tmExternalLeading;
  }
  metrics.frame_width = GetSystemMetrics(SM_CXDLGFRAME);
  metrics.frame_height = GetSystemMetrics(SM_CYDLGFRAME);
  metrics.caption_height = GetSystemMetrics(SM_CYCAPTION);
  metrics.menu_height = GetSystemMetrics(SM_CYMENU);
  metrics.vscroll_width = GetSystemMetrics(SM_CXVSCROLL);
  metrics.screen_width = GetSystemMetrics(SM_CXSCREEN);
  metrics.screen_height = GetSystemMetrics(SM_CYSCREEN);
  return metrics;
}

void MessageLoop() {
  HACCEL accelerators = LoadAcceleratorsW(g_app.instance, L"zem");
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (g_app.find_dialog != nullptr && IsDialogMessageW(g_app.find_dialog, &message)) continue;
    if (g_app.main_window != nullptr && TranslateAcceleratorW(g_app.main_window, accelerators, &message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

int RunApplication(HINSTANCE instance, int show) {
  return RunApplication(instance, show, [] { return MainRun(); });
}

int RunApplication(HINSTANCE instance, int show, int (*run)()) {
  g_app.instance = instance;
  g_app.main_thread = GetCurrentThreadId();
  if (!RegisterWindowClass(instance)) return 1;
  const WindowRect rect = InitialWindowRect(ReadWindowMetrics(), kStartColumns, kStartRows);
  g_app.main_window =
      CreateWindowW(kWindowTitle, kWindowTitle, WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL, rect.left,
                    rect.top, rect.width, rect.height, nullptr, nullptr, instance, nullptr);
  if (g_app.main_window == nullptr) return 1;
  InstallWindowChannel();

  wchar_t module[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
  module[length < MAX_PATH ? length : MAX_PATH - 1] = L'\0';
  const std::string raw_line = WideToOem(GetCommandLineW());
  SetProcessCommandLine(raw_line, WideToOem(module));
  g_silent = IsSilentCommandLine(raw_line);
  if (!g_silent) {
    ShowWindow(g_app.main_window, show);
    UpdateWindow(g_app.main_window);
  }

  g_app.wait_cursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
  HCURSOR previous = SetCursor(g_app.wait_cursor);
  const int result = run();
  SetCursor(previous);
  g_app.wait_cursor = nullptr;
  POINT pointer;
  if (GetCursorPos(&pointer)) SetCursorPos(pointer.x, pointer.y);

  if (!g_silent && g_app.main_window != nullptr) {
    InvalidateRect(g_app.main_window, nullptr, TRUE);
    UpdateWindow(g_app.main_window);
    MessageLoop();
  }
  LineStoreRelease(&g_line_store);
  return result;
}
