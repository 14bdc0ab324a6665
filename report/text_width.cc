// Character-counted padding and cutting of UTF-8 text for aligned columns.
#include "report/text_width.h"

namespace {

// Continuation bytes of a UTF-8 sequence (10xxxxxx) do not start a character.
bool StartsCharacter(unsigned char byte) { return (byte & 0xC0) != 0x80; }

}  // namespace

size_t CharCount(const std::string& text) {
  size_t count = 0;
  for (unsigned char byte : text) {
    if (StartsCharacter(byte)) ++count;
  }
  return count;
}

std::string FirstChars(const std::string& text, size_t count) {
  size_t seen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (StartsCharacter(static_cast<unsigned char>(text[i]))) {
      if (seen == count) return text.substr(0, i);
      ++seen;
    }
  }
  return text;
}

std::string PadRight(const std::string& text, size_t width) {
  size_t length = CharCount(text);
  if (length >= width) return text;
  return text + std::string(width - length, ' ');
}

std::string PadLeft(const std::string& text, size_t width) {
  size_t length = CharCount(text);
  if (length >= width) return text;
  return std::string(width - length, ' ') + text;
}

std::string SkipLeadingSpaces(const std::string& text) {
  size_t start = text.find_first_not_of(' ');
  return start == std::string::npos ? std::string() : text.substr(start);
}
