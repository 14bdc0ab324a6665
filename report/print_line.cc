// Handing finished report text to the message output.
#include "report/print_line.h"

#include <cstring>

#include "util/output.h"

void SetMessageText(OutputContext* out, const std::string& text) {
  if (!out) return;
  size_t length = text.size();
  if (length >= sizeof out->message) {
    length = sizeof out->message - 1;
    // Back up to the start of a UTF-8 sequence so no character is cut in half.
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  memcpy(out->message, text.data(), length);
  out->message[length] = '\0';
}

void PrintText(OutputContext* out, int32_t code, const std::string& text) {
  if (!out) return;
  SetMessageText(out, text);
  PrintMessage(out, code, 0);
}
