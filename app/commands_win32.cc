// The output window's commands: Save As, Copy, Find and Find Next, About, and the menu state.
#include <cstdio>
#include <cstring>

#include "app/line_store.h"
#include "app/resource_ids.h"
#include "app/text_search.h"
#include "app/window_win32.h"

namespace {

constexpr int kFileNameSize = 260;
constexpr int kFindTextSize = 256;

// Command state kept between uses.
wchar_t g_save_name[kFileNameSize];
wchar_t g_find_text[kFindTextSize];
FINDREPLACEW g_find;
SearchPosition g_search;
bool g_search_down = true;

void SaveAs(HWND window) {
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window;
  dialog.lpstrFilter = L"Text Files (*.TXT)\0*.txt\0Log Files (*.LOG)\0*.log\0All Files (*.*)\0*.*\0";
  dialog.lpstrFile = g_save_name;
  dialog.nMaxFile = kFileNameSize;
  dialog.lpstrDefExt = L"txt";
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
  if (!GetSaveFileNameW(&dialog)) return;
  FILE* file = _wfopen(g_save_name, L"wb");
  if (file == nullptr) {
    char text[400];
    snprintf(text, sizeof text, "Could not write file %s", WideToAnsi(g_save_name).c_str());
    AppMessageBox(window, text, MB_ICONEXCLAMATION);
    return;
  }
  for (int i = 0; i < g_line_store.count; ++i) fprintf(file, "%s\r\n", g_line_store.lines[i]);
  fclose(file);
}

void Copy(HWND window) {
  const size_t size = LineStoreTextSize(g_line_store);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  char* text = memory != nullptr ? static_cast<char*>(GlobalLock(memory)) : nullptr;
  if (text == nullptr) {
    if (memory != nullptr) GlobalFree(memory);
    AppMessageBox(window, "Cannot allocate or lock memory for copying", MB_ICONERROR);
    return;
  }
  LineStoreCopyText(g_line_store, text);
  GlobalUnlock(memory);
  if (!OpenClipboard(window)) {
    GlobalFree(memory);
    AppMessageBox(window, "Cannot allocate or lock memory for copying", MB_ICONERROR);
    return;
  }
  EmptyClipboard();
  // The clipboard owns the memory once it has taken it.
  if (SetClipboardData(CF_TEXT, memory) == nullptr) GlobalFree(memory);
  CloseClipboard();
}

// Searches with the last text and direction; found text is scrolled to and highlighted.
bool Search(HWND window) {
  const std::string text = WideToAnsi(g_find_text);
  int line = 0;
  int column = 0;
  if (!SearchLines(g_line_store.lines, g_line_store.count, text.c_str(), g_search_down, &g_search, &line,
                   &column)) {
    return false;
  }
  SendMessageW(window, g_messages.scroll, static_cast<WPARAM>(line),
               MAKELPARAM(static_cast<WORD>(text.size()), static_cast<WORD>(column)));
  return true;
}

void Find(HWND window) {
  if (g_app.find_dialog != nullptr) {
    SetFocus(g_app.find_dialog);
    return;
  }
  g_search = {g_view.vertical.position, 0};
  g_find = {};
  g_find.lStructSize = sizeof g_find;
  g_find.hwndOwner = window;
  g_find.Flags = (g_search_down ? FR_DOWN : 0) | FR_HIDEMATCHCASE | FR_HIDEWHOLEWORD;
  g_find.lpstrFindWhat = g_find_text;
  g_find.wFindWhatLen = kFindTextSize;
  g_app.find_dialog = FindTextW(&g_find);
}

void FindNext(HWND window) {
  if (g_find_text[0] == L'\0') {
    Find(window);
    return;
  }
  SendMessageW(window, g_messages.zap, 0, 0);
  if (Search(window)) {
    g_view.clear_after_paint = true;
  } else {
    AppMessageBox(window, "Text not found!", MB_ICONEXCLAMATION);
  }
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wparam), RGB(0xC0, 0xC0, 0xC0));
      return reinterpret_cast<INT_PTR>(GetStockObject(LTGRAY_BRUSH));
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      break;
    default:
      break;
  }
  (void)lparam;
  return FALSE;
}

}  // namespace

std::wstring AnsiToWide(const char* text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
  if (length > 1) MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  return wide;
}

std::string WideToAnsi(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(length > 0 ? length - 1 : 0, '\0');
  if (length > 1) WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

int AppMessageBox(HWND owner, const char* text, UINT style) {
  return MessageBoxW(owner, AnsiToWide(text).c_str(), kWindowTitle, style);
}

void PrintScreenCommand(HWND window) {
  if (!PrintWindowImage(window)) AppMessageBox(nullptr, "PrintScreen failed", MB_ICONEXCLAMATION);
}

void RunCommand(HWND window, int command) {
  switch (command) {
    case IDM_SAVE_AS:
      SaveAs(window);
      break;
    case IDM_PRINT:
      if (!PrintStoreLines(window)) {
        AppMessageBox(window, "Could not print file Lorvex", MB_ICONEXCLAMATION);
        SetFocus(window);
      }
      break;
    case IDM_EXIT:
      SendMessageW(window, WM_CLOSE, 0, 0);
      break;
    case IDM_PRINT_SCREEN:
      PrintScreenCommand(window);
      break;
    case IDM_COPY:
      Copy(window);
      break;
    case IDM_FIND:
      Find(window);
      break;
    case IDM_FIND_NEXT:
      FindNext(window);
      break;
    case IDM_ABOUT:
      DialogBoxW(g_app.instance, L"AboutBox", window, AboutProc);
      break;
    default:
      break;  // the editing commands of the accelerator table do nothing here
  }
}

void OnFindNotification(HWND window, const FINDREPLACEW* find) {
  if (find->Flags & FR_DIALOGTERM) {
    g_app.find_dialog = nullptr;
    RetireHighlight(&g_view);
    return;
  }
  if (find->Flags & FR_FINDNEXT) {
    g_search_down = (find->Flags & FR_DOWN) != 0;
    if (!Search(window)) AppMessageBox(window, "Text not found!", MB_ICONEXCLAMATION);
  }
}

void OnMenuPopup(HMENU menu) {
  if (GetMenuState(menu, IDM_FIND, MF_BYCOMMAND) == static_cast<UINT>(-1)) return;
  const UINT state = (g_app.find_dialog != nullptr || g_line_store.count == 0) ? MF_GRAYED : MF_ENABLED;
  EnableMenuItem(menu, IDM_FIND, MF_BYCOMMAND | state);
  EnableMenuItem(menu, IDM_FIND_NEXT, MF_BYCOMMAND | state);
}
