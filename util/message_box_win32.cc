// Message boxes on Windows: modal, owned by no window.
#include <windows.h>

#include <string>

#include "util/output.h"

namespace {

std::wstring OemToWide(const char* text) {
  const int length = MultiByteToWideChar(CP_OEMCP, 0, text, -1, nullptr, 0);
  std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
  if (length > 1) MultiByteToWideChar(CP_OEMCP, 0, text, -1, wide.data(), length);
  return wide;
}

}  // namespace

void ShowMessageBox(const char* text, const char* caption, unsigned style) {
  MessageBoxW(nullptr, OemToWide(text).c_str(), OemToWide(caption).c_str(), style | MB_SETFOREGROUND);
}
