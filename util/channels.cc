// The /l and /e channel keywords, the log and error files.
#include "util/channels.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "util/ascii_text.h"
#include "util/codepage.h"
#include "util/file_path.h"
#include "util/local_clock.h"
#include "util/message_text.h"

namespace {

enum KeywordAction {
  kSetAppend,
  kSetDate,
  kSetTime,
  kSetWrap,
  kSetChar,
  kClearChar,
  kClearWrap,
  kNone,
  kSetCon,
  kClearCon,
  kClearLog,
  kErrorLog,
  kSetErr,
  kClearErr,
  kSetNoBlanks,
  kSetSeparator,
};

struct Keyword {
  const char* name;
  char exact;  ///< a one-letter token that also selects this keyword, or 0
  KeywordAction action;
};

// Tried in this order; the first keyword that the token begins (in any case) is taken.
constexpr Keyword kKeywords[] = {
    {"APPEND", 0, kSetAppend},     {"DATE", 0, kSetDate},
    {"TIME", 0, kSetTime},         {"WRAP", 0, kSetWrap},
    {"CHAR", 0, kSetChar},         {"NOCHAR", 0, kClearChar},
    {"NOWRAP", 'r', kClearWrap},   {"NONE", 'z', kNone},
    {"CON", 0, kSetCon},           {"NOCON", 's', kClearCon},
    {"NOLOG", 'k', kClearLog},     {"LOG", 0, kErrorLog},
    {"ERR", 0, kSetErr},           {"NOERR", 'f', kClearErr},
    {"NOBLANKS", 0, kSetNoBlanks}, {"SEPARATOR", 0, kSetSeparator},
};

const Keyword* FindKeyword(const std::string& token) {
  for (const Keyword& keyword : kKeywords) {
    if (keyword.exact != 0 && token.size() == 1 && AsciiLower(token[0]) == keyword.exact) return &keyword;
    if (StartsWithIgnoreCase(keyword.name, token)) return &keyword;
  }
  return nullptr;
}

// Splits a value at commas, trimming spaces around each token and dropping empty ones.
std::vector<std::string> SplitTokens(const char* value) {
  std::vector<std::string> tokens;
  std::string current;
  for (const char* p = value;; ++p) {
    if (*p == ',' || *p == '\0') {
      size_t first = current.find_first_not_of(' ');
      size_t last = current.find_last_not_of(' ');
      if (first != std::string::npos) tokens.push_back(current.substr(first, last - first + 1));
      current.clear();
      if (*p == '\0') break;
    } else {
      current += *p;
    }
  }
  return tokens;
}

void CopyName(char* destination, size_t size, const std::string& name) {
  snprintf(destination, size, "%s", name.c_str());
}

// Opens one channel file; on failure shows why and returns null.
FILE* OpenChannelFile(OutputContext* out, uint32_t word, char* stored_name, size_t stored_size,
                      const char* kind) {
  std::string typed(strlen(stored_name), '\0');
  OemToAnsi(stored_name, typed.data());
  std::string full;
  const bool have_full = FullPathName(typed, &full);
  const bool append = (word & kChannelAppend) != 0;
  if (have_full && !append) DeleteFileIfPresent(full);
  const char* mode = append ? "a" : "w";
  FILE* file = have_full ? fopen(full.c_str(), mode) : nullptr;
  if (file != nullptr) {
    std::string oem(full.size(), '\0');
    AnsiToOem(full.c_str(), oem.data());
    CopyName(stored_name, stored_size, oem);
    return file;
  }
  if (!have_full || strcasecmp(typed.c_str(), full.c_str()) != 0) file = fopen(typed.c_str(), mode);
  if (file != nullptr) return file;

  std::string reason;
  std::string text = std::string("Cannot open ") + kind + " file " + stored_name;
  if (LastFileErrorText(&reason)) text += "\nReason(s): " + reason;
  ShowMessageBox(text.c_str(), out->program_name, kMessageBoxError);
  return nullptr;
}

}  // namespace

std::string ExpandFileNameCodes(const std::string& name, uint32_t fixed_now) {
  std::string unquoted;
  for (char c : name) {
    if (c != '"') unquoted += c;
  }
  size_t cut = unquoted.find_last_of(":\\/");
  size_t start = cut == std::string::npos ? 0 : cut + 1;
  std::string result = unquoted.substr(0, start);
  const CivilTime now = CivilFromSeconds(LocalNow(fixed_now));
  const std::pair<char, int> two_digit_fields[] = {{'d', now.day},    {'h', now.hour},
                                                   {'i', now.minute}, {'s', now.second},
                                                   {'m', now.month},  {'y', now.year % 100}};
  for (size_t i = start; i < unquoted.size(); ++i) {
    char c = unquoted[i];
    if (c != '%' || i + 1 >= unquoted.size()) {
      result += c;  // a percent sign at the very end stays
      continue;
    }
    const char code = AsciiLower(unquoted[i + 1]);
    std::string text;
    for (const auto& [letter, value] : two_digit_fields) {
      if (code == letter) text = MessageText("%02d", value);
    }
    if (code == 'n') text = UpperCase(MonthAbbreviation(now.month));
    if (code == 'z') text = MessageText("%04d", now.year);
    if (code == '%') text.push_back('%');
    if (text.empty()) {
      result += c;  // any other character stays, with the percent sign before it
      continue;
    }
    result += text;
    ++i;
  }
  return result;
}

bool SetChannelWord(OutputContext* out, char letter, const char* value) {
  const bool is_log = letter == 'l';
  uint32_t* word = is_log ? &out->normal_flags : &out->error_flags;
  char* file_name = is_log ? out->log_file_name : out->error_file_name;
  const size_t name_size = is_log ? sizeof out->log_file_name : sizeof out->error_file_name;
  *word |= kChannelWrap | kChannelCon;
  if (file_name[0] == '\0') {
    std::string name = LowerCase(out->program_name);
    name.append(is_log ? ".log" : ".err");
    CopyName(file_name, name_size, name);
  }
  const uint32_t given_bit = is_log ? kControlLogGiven : kControlErrGiven;
  if (!(out->control_flags & given_bit)) return true;
  // Without /e, errors follow the results into the log file.
  if (is_log && !(out->control_flags & kControlErrGiven)) out->error_flags |= kChannelLog;
  const uint32_t file_bit = is_log ? kChannelLog : kChannelErr;
  if (value == nullptr || value[0] == '\0') {
    *word |= file_bit;
    return true;
  }
  const std::vector<std::string> tokens = SplitTokens(value);
  // A value turns the file on unless one of its keywords turns it off.
  *word |= file_bit;
  for (const std::string& token : tokens) {
    if (strcasecmp(token.c_str(), "N") == 0 || strcasecmp(token.c_str(), "NO") == 0) {
      char message[320];
      snprintf(message, sizeof message, "Error: Ambiguous keyword '%s' for /%c", token.c_str(), letter);
      ShowMessageBox(message, out->program_name, kMessageBoxError);
      *word = kChannelCon;
      return false;
    }
    const Keyword* keyword = FindKeyword(token);
    if (keyword == nullptr) {
      CopyName(file_name, name_size, ExpandFileNameCodes(token, out->fixed_now));
      *word |= file_bit;
      continue;
    }
    switch (keyword->action) {
      case kSetAppend:
        *word |= kChannelAppend;
        break;
      case kSetDate:
        *word |= kChannelDate;
        break;
      case kSetTime:
        *word |= kChannelTime;
        break;
      case kSetWrap:
        *word |= kChannelWrap;
        break;
      case kSetChar:
        *word |= kChannelChar;
        break;
      case kClearChar:
        *word &= ~static_cast<uint32_t>(kChannelChar);
        break;
      case kClearWrap:
        *word &= ~static_cast<uint32_t>(kChannelWrap);
        break;
      case kNone:
        *word &= ~static_cast<uint32_t>(kChannelCon | kChannelLog);
        if (is_log) {
          out->error_flags &= ~static_cast<uint32_t>(kChannelLog);
        } else {
          *word &= ~static_cast<uint32_t>(kChannelErr);
        }
        break;
      case kSetCon:
        *word |= kChannelCon;
        break;
      case kClearCon:
        *word &= ~static_cast<uint32_t>(kChannelCon);
        break;
      case kClearLog:
        *word &= ~static_cast<uint32_t>(kChannelLog);
        break;
      case kErrorLog:
        if (!is_log && (out->normal_flags & kChannelLog)) *word |= kChannelLog;
        break;
      case kSetErr:
        if (!is_log) *word |= kChannelErr;
        break;
      case kClearErr:
        if (!is_log) *word &= ~static_cast<uint32_t>(kChannelErr);
        break;
      case kSetNoBlanks:
        *word |= kChannelNoBlanks;
        break;
      case kSetSeparator:
        *word |= kChannelSeparator;
        break;
    }
  }
  return true;
}

bool OpenChannelFiles(OutputContext* out) {
  // One file named by both words: errors are written into the log file once, not opened twice.
  if ((out->normal_flags & kChannelLog) && (out->error_flags & (kChannelLog | kChannelErr)) &&
      strcasecmp(out->error_file_name, out->log_file_name) == 0) {
    out->error_flags &= ~static_cast<uint32_t>(kChannelErr);
    out->error_flags |= kChannelLog;
  }
  if (out->normal_flags & kChannelLog) {
    out->log_file =
        OpenChannelFile(out, out->normal_flags, out->log_file_name, sizeof out->log_file_name, "log");
    if (out->log_file == nullptr) return false;
  }
  if (out->error_flags & kChannelErr) {
    out->error_file =
        OpenChannelFile(out, out->error_flags, out->error_file_name, sizeof out->error_file_name, "error");
    if (out->error_file == nullptr) return false;
  }
  return true;
}

void CloseChannelFiles(OutputContext* out) {
  const std::string separator(78, '-');
  // A separator that cannot be written is reported like any other failed line (and closes the file).
  if (out->error_file != nullptr) {
    if (out->error_flags & kChannelSeparator) fprintf(out->error_file, "%s\n", separator.c_str());
    if (FlushChannelFile(out, false)) fclose(out->error_file);
    out->error_file = nullptr;
  }
  if (out->log_file != nullptr) {
    if (out->normal_flags & kChannelSeparator) fprintf(out->log_file, "%s\n", separator.c_str());
    if (FlushChannelFile(out, true)) fclose(out->log_file);
    out->log_file = nullptr;
  }
  if (out->message_file != nullptr) {
    fclose(out->message_file);
    out->message_file = nullptr;
  }
}
