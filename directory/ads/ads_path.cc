// Slashes inside the name part of a directory path.
#include "directory/ads/ads_path.h"

std::string EscapeSlashes(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '/') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

std::string UnescapeSlashes(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '/') continue;
    out.push_back(text[i]);
  }
  return out;
}
