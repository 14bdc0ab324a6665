// The process command line: the raw line, the program name and the tokenizer.
#include "util/cmdline.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "util/ascii_text.h"
#include "util/codepage.h"
#include "util/output.h"

namespace {

std::string g_command_line;
std::string g_module_path;

// Longest command line text after the program path that is examined.
constexpr size_t kMaxCommandText = 2049;
// Longest option text, counting the blank before each token.
constexpr size_t kMaxOptionText = 255;
// Longest program name.
constexpr size_t kMaxProgramName = 30;

void ShowError(const char* program_name, const char* text) {
  ShowMessageBox(text, program_name, kMessageBoxError);
}

// Whether the token at p is an option: "/x", "-x" unless x is a digit or '.', and "-0" alone.
bool IsOptionToken(const char* p) {
  if (p[0] == '/') return true;
  if (p[0] != '-') return false;
  if (p[1] == '0' && (p[2] == '\0' || IsBlank(p[2]))) return true;
  return !(isdigit(static_cast<unsigned char>(p[1])) || p[1] == '.');
}

}  // namespace

void SetProcessCommandLine(const std::string& raw_line, const std::string& module_path) {
  g_command_line = raw_line;
  g_module_path = module_path;
}

const std::string& ProcessCommandLine() { return g_command_line; }

std::string JoinArguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    if (i > 0) line += ' ';
    const char* arg = argv[i];
    const bool has_blank = strchr(arg, ' ') != nullptr || strchr(arg, '\t') != nullptr;
    const bool has_quote = strchr(arg, '"') != nullptr;
    if (arg[0] == '\0') {
      // An empty argument stays a positional argument: the tokenizer reads "" alone as empty.
      line += "\"\"";
    } else if (has_blank && !has_quote) {
      line += '"';
      line += arg;
      line += '"';
    } else {
      line += arg;
    }
  }
  return line;
}

bool SplitCommandLine(const char* program_name, std::string* option_text, std::vector<std::string>* args,
                      int capacity) {
  option_text->clear();
  args->clear();
  const std::string& raw = g_command_line;
  // Skip the program path: a quoted path up to its closing quote, else up to the first blank or tab.
  size_t skip = 0;
  if (!raw.empty() && raw[0] == '"') {
    size_t close = raw.find('"', 1);
    skip = close == std::string::npos ? 0 : close + 1;
  } else {
    while (skip < raw.size() && !IsBlank(raw[skip])) ++skip;
  }
  std::string rest = raw.substr(skip, kMaxCommandText);
  std::string text(rest.size(), '\0');
  AnsiToOem(rest.c_str(), text.data());
  text.resize(strlen(text.c_str()));

  const char* p = text.c_str();
  while (true) {
    while (IsBlank(*p)) ++p;
    if (*p == '\0') return true;
    const char* token = p;
    // Find the token's end: a blank or tab outside double quotes.
    bool quoted = false;
    while (*p != '\0') {
      if (*p == '"') {
        if (p[1] == '"') {
          p += 2;  // a doubled quote stands for one, inside or outside a stretch
          continue;
        }
        quoted = !quoted;
        ++p;
        continue;
      }
      if (!quoted && IsBlank(*p)) break;
      ++p;
    }
    if (quoted) {
      char message[kMaxCommandText + 64];
      snprintf(message, sizeof message, "Missing double quote in '%s'", token);
      ShowError(program_name, message);
      return false;
    }
    const std::string raw_token(token, p - token);
    if (IsOptionToken(token)) {
      if (option_text->size() + 1 + raw_token.size() > kMaxOptionText) {
        ShowError(program_name, "The total length of options cannot exceed 255 characters");
        return false;
      }
      *option_text += ' ';
      *option_text += raw_token;
      continue;
    }
    if (static_cast<int>(args->size()) >= capacity) {
      char message[64];
      snprintf(message, sizeof message, "Too many parameters. The maximum is %d", capacity);
      ShowError(program_name, message);
      return false;
    }
    std::string value;
    if (raw_token != "\"\"") {
      for (size_t i = 0; i < raw_token.size(); ++i) {
        if (raw_token[i] != '"') {
          value += raw_token[i];
        } else if (i + 1 < raw_token.size() && raw_token[i + 1] == '"') {
          value += '"';
          ++i;
        }
      }
    }
    args->push_back(value);
  }
}

void ProgramNameAndDirectory(std::string* directory, std::string* file_name) {
  const std::string module = g_module_path.substr(0, 255);
  size_t cut = module.find_last_of("\\/:");
  std::string name = cut == std::string::npos ? module : module.substr(cut + 1);
  if (directory != nullptr) {
    // The directory keeps its case: it is used to open files on case-sensitive file systems.
    if (cut == std::string::npos) {
      directory->clear();
    } else {
      *directory = module.substr(0, module[cut] == ':' ? cut + 1 : cut);
      if (directory->empty() && module[cut] == '/') directory->assign(1, '/');
    }
  }
  if (file_name != nullptr) {
    *file_name = UpperCase(name.substr(0, kMaxProgramName));
  }
}

std::string ProgramName() {
  std::string name;
  ProgramNameAndDirectory(nullptr, &name);
  size_t dot = name.find('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}
