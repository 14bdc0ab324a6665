// System error texts from the system's message tables, and for network errors 2100 to 2999 from
// the network message module.
#include <windows.h>

#include "util/error_text.h"

namespace {

bool FormatFrom(HMODULE module, DWORD code, std::string* text) {
  DWORD flags = FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
  if (module != nullptr) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  char buffer[1024];
  const DWORD length = FormatMessageA(flags, module, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer,
                                      sizeof buffer, nullptr);
  if (length == 0) return false;
  text->assign(buffer, length);
  return true;
}

}  // namespace

std::string PlatformErrorText(uint32_t code) {
  std::string text;
  bool found = false;
  if (code >= 2100 && code <= 2999) {
    HMODULE network = LoadLibraryExW(L"netmsg.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (network != nullptr) {
      found = FormatFrom(network, code, &text);
      FreeLibrary(network);
    }
  }
  if (!found) FormatFrom(nullptr, code, &text);
  // The texts are ANSI; everything inside the program is console text.
  if (!text.empty()) CharToOemBuffA(text.data(), text.data(), static_cast<DWORD>(text.size()));
  return text;
}
