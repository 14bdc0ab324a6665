// The console on Windows. A GUI-subsystem program has none of its own: prompts attach to the
// console of the process that started it, when there is one.
// windows.h comes first: the other Windows headers use its types.
// clang-format off
#include <windows.h>
#include <conio.h>
// clang-format on

#include <cstdio>

#include "util/console.h"

namespace {

// Attaches to the parent's console once; false when there is none.
bool HaveConsole() {
  static int state = -1;
  if (state < 0) state = (GetConsoleWindow() != nullptr || AttachConsole(ATTACH_PARENT_PROCESS)) ? 1 : 0;
  return state == 1;
}

HANDLE ConsoleInput() {
  return CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}

}  // namespace

bool ConsoleOutputIsTerminal() {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  return output != nullptr && output != INVALID_HANDLE_VALUE && GetConsoleMode(output, &mode) != 0;
}

void ConsoleWrite(const char* text) {
  if (!HaveConsole()) return;
  HANDLE output = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (output == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteConsoleA(output, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
  CloseHandle(output);
}

int ConsoleReadKey() {
  if (!HaveConsole()) return -1;
  return _getch();
}

bool ConsoleReadLine(std::string* line, size_t max_length) {
  line->clear();
  if (!HaveConsole()) return false;
  HANDLE input = ConsoleInput();
  if (input == INVALID_HANDLE_VALUE) return false;
  char buffer[512];
  DWORD got = 0;
  const bool ok = ReadConsoleA(input, buffer, sizeof buffer - 1, &got, nullptr) != 0 && got > 0;
  CloseHandle(input);
  if (!ok) return false;
  for (DWORD i = 0; i < got; ++i) {
    if (buffer[i] == '\r' || buffer[i] == '\n') break;
    if (line->size() < max_length) line->push_back(buffer[i]);
  }
  return true;
}

int ConsoleRows() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (GetConsoleScreenBufferInfo(output, &info)) {
    const int rows = info.srWindow.Bottom - info.srWindow.Top + 1;
    if (rows >= 1) return rows;
  }
  return 25;
}
