// printf-style formatting into a string.
#include "util/message_text.h"

#include <cstdio>

std::string MessageText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = MessageTextV(format, args);
  va_end(args);
  return text;
}

std::string MessageTextV(const char* format, va_list args) {
  va_list again;
  va_copy(again, args);
  const int length = vsnprintf(nullptr, 0, format, args);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    vsnprintf(text.data(), text.size(), format, again);
    text.resize(static_cast<size_t>(length));
  }
  va_end(again);
  return text;
}
