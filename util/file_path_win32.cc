// File names on Windows.
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "util/error_text.h"
#include "util/file_path.h"

bool FullPathName(const std::string& name, std::string* full_path) {
  if (name.empty()) return false;
  char buffer[MAX_PATH];
  const DWORD length = GetFullPathNameA(name.c_str(), MAX_PATH, buffer, nullptr);
  if (length == 0 || length >= MAX_PATH) return false;
  full_path->assign(buffer, length);
  return true;
}

void DeleteFileIfPresent(const std::string& path) { DeleteFileA(path.c_str()); }

bool FindOnSearchPath(const std::string& name, std::string* found) {
  char buffer[MAX_PATH];
  const DWORD length = SearchPathA(nullptr, name.c_str(), nullptr, MAX_PATH, buffer, nullptr);
  if (length == 0 || length >= MAX_PATH) return false;
  found->assign(buffer, length);
  return true;
}

bool LastFileErrorText(std::string* text) {
  // The C library's file functions leave the system's code behind them.
  const DWORD code = GetLastError();
  if (code != 0 && SystemErrorText(static_cast<int32_t>(code), text)) return true;
  if (errno == 0) return false;
  *text = strerror(errno);
  return !text->empty();
}
