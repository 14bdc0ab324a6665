// Reading a server specification: "dc1,dc*,!dc3,10.1.1.5" or a file of such names.
#include <cstdio>
#include <cstring>

#include "retrieval/servers.h"
#include "util/ascii_text.h"

namespace {

void AddText(ServerSpecification* specification, const std::string& text) {
  if (text.empty()) return;
  if (text[0] == '!') {
    if (text.size() > 1) specification->excluded.push_back(text.substr(1));
  } else {
    specification->wanted.push_back(text);
  }
}

}  // namespace

bool ParseServerSpecification(const std::string& text, ServerSpecification* specification) {
  std::string copy;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsBlank(c)) continue;
    if (c == '"') {
      // A doubled double quote stands for one; a lone one only groups.
      if (i + 1 < text.size() && text[i + 1] == '"') {
        copy.push_back('"');
        ++i;
      }
      continue;
    }
    copy.push_back(AsciiUpper(c));
  }
  if (copy.empty()) return false;
  size_t from = 0;
  for (;;) {
    const size_t comma = copy.find(',', from);
    AddText(specification, copy.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  return true;
}

bool ReadServerFile(const std::string& file_name, ServerSpecification* specification) {
  FILE* file = fopen(file_name.c_str(), "r");
  if (!file) return false;
  char line[258];
  while (fgets(line, sizeof line, file)) {
    std::string text(TrimBlanks(std::string_view(line, strcspn(line, "\r\n"))));
    if (!text.empty() && text[0] == '"') {
      const size_t close = text.find('"', 1);
      text = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    text = UpperCase(text);
    if (text.empty() || text[0] == ';') continue;
    AddText(specification, text);
  }
  fclose(file);
  return true;
}
