// Explanations of error codes: the directory code table, system texts and zemerr.msg.
#include "util/error_text.h"

#include <cstdio>
#include <cstring>

#include "util/cmdline.h"
#include "util/file_path.h"
#include "util/last_diagnostic.h"

namespace {

// Directory-service codes whose system text is missing or unhelpful.
constexpr CodeText kDirectoryTexts[] = {
    {0x8000500D, "The property was not in the property cache"},
    {0x80005000, "The ADSI path is invalid"},
    {0x8000500E, "The ADSI object already exists"},
};

// Quota and file-screen codes (facility 4).
constexpr CodeText kQuotaTexts[] = {
    {0x80045301, "There is no quota on the directory"},
    {0x80045303, "The quota object already exists"},
    {0x80045304, "The path does not exist"},
    {0x80045305, "Invalid user"},
    {0x80045306, "Invalid path"},
    {0x80045307, "Invalid or missing quota limit"},
    {0x80045308, "The specified name is invalid"},
    {0x80045309, "All items in a batch operation failed"},
    {0x8004530D, "The value is out of range"},
    {0x8004530E, "The specified required property is missing"},
    {0x8004530F, "The specified property combination is invalid"},
    {0x80045310, "Duplicate names were detected for the object"},
    {0x80045311, "The operation is not supported by the object"},
    {0x80045313, "Driver not ready"},
    {0x80045314, "Insufficient disk space"},
    {0x80045315, "The specified volume is unsupported"},
    {0x80045316, "Unexpected error - check the application event log"},
    {0x80045317, "The specified path is insecure"},
    {0x8004531F, "The file system might be corrupt"},
    {0x80045321, "The specified file group definition is invalid"},
    {0x80045324, "The specified file screen is invalid"},
    {0x80045332, "The report job already contains a report of the specified type"},
};

constexpr size_t kMaxSystemText = 255;

constexpr char kMessageFileName[] = "zemerr.msg";
constexpr int kMaxMessageText = 255;
// Positive codes of the message file count from this base.
constexpr int32_t kMessageBase = 0x8800;

// Opens zemerr.msg: beside the program, then in the current directory, then along the search path.
FILE* OpenMessageFile() {
  std::string directory;
  ProgramNameAndDirectory(&directory, nullptr);
  if (!directory.empty()) {
    std::string path = directory;
    if (path.back() != ':' && path.back() != '/') path += '/';
    path += kMessageFileName;
    if (FILE* file = fopen(path.c_str(), "rb")) return file;
  }
  if (FILE* file = fopen(kMessageFileName, "rb")) return file;
  std::string found;
  if (FindOnSearchPath(kMessageFileName, &found)) {
    if (FILE* file = fopen(found.c_str(), "rb")) return file;
  }
  return nullptr;
}

bool ReadU16(FILE* file, long offset, uint16_t* value) {
  unsigned char bytes[2];
  if (fseek(file, offset, SEEK_SET) != 0 || fread(bytes, 1, 2, file) != 2) return false;
  *value = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
  return true;
}

// The server's diagnostic on one line: line breaks and tabs (Samba's "best match of:\n\t'...'")
// and runs of blanks become single spaces; leading and trailing blanks go.
std::string OneLine(const std::string& text) {
  std::string line;
  bool blank = false;
  for (char c : text) {
    if (c == '\0') break;
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
      blank = true;
      continue;
    }
    if (blank && !line.empty()) line += ' ';
    blank = false;
    line += c;
  }
  return line;
}

}  // namespace

bool SystemErrorText(int32_t code, std::string* text) {
  *text = PlatformErrorText(static_cast<uint32_t>(code));
  while (!text->empty() && (text->back() == '\r' || text->back() == '\n' || text->back() == '.')) {
    text->pop_back();
  }
  if (text->size() > kMaxSystemText) text->resize(kMaxSystemText);
  return !text->empty();
}

int ReportDirectoryError(OutputContext* out, int32_t code, const char* description) {
  if (code == -1) {
    snprintf(out->message, sizeof out->message, "%s: %s", out->program_name, description);
    return PrintMessage(out, -1, 1);
  }
  uint32_t value = static_cast<uint32_t>(code);
  // A system error wrapped as an HRESULT is explained as the system error itself.
  if ((value >> 16) == 0x8007) value &= 0xFFFF;
  std::string reason;
  const char* known = FindCodeText(kDirectoryTexts, value);
  if (known == nullptr && (value >> 16) == 0x8004) known = FindCodeText(kQuotaTexts, value);
  if (known != nullptr) {
    reason = known;
  } else if (!SystemErrorText(static_cast<int32_t>(value), &reason)) {
    reason.clear();
  }
  if (reason.empty()) {
    char buffer[96];
    snprintf(buffer, sizeof buffer, "Translation unavailable for error 0x%X (%d)", value,
             static_cast<int32_t>(value));
    reason = buffer;
  }
  snprintf(out->message, sizeof out->message, "%s: %s", out->program_name, description);
  PrintMessage(out, -1, 1);
  // The server's own words about this very failure, when the directory layer kept some, follow
  // the code's text on a line of their own under it, indented like a further reason piece, so
  // that neither text can be mistaken for part of the other. Taking the diagnostic consumes it:
  // a later report of another failure never repeats it.
  const std::string diagnostic = OneLine(DiagnosticFor(code));
  if (!diagnostic.empty()) SetLastDiagnostic("");
  snprintf(out->message, sizeof out->message, "Reason(s): %s", reason.c_str());
  int printed = PrintMessage(out, -1, 0);
  if (diagnostic.empty()) return printed;
  snprintf(out->message, sizeof out->message, "           %s", diagnostic.c_str());
  return PrintMessage(out, -1, 0);
}

std::string LookupMessageText(OutputContext* out, int32_t code) {
  char code_text[32];
  if (code < 0) {
    snprintf(code_text, sizeof code_text, "%ld", static_cast<long>(code));
  } else {
    snprintf(code_text, sizeof code_text, "0x%lX", static_cast<unsigned long>(code));
  }
  const std::string fallback = std::string("Description not available for error ") + code_text;
  if (code >= 0 && code < kMessageBase) return fallback;

  if (out->message_file == nullptr && !out->message_file_failed) {
    out->message_file = OpenMessageFile();
    if (out->message_file == nullptr) out->message_file_failed = true;
  }
  if (out->message_file == nullptr) {
    return std::string("Not available for error ") + code_text + ". Cannot locate message file " +
           kMessageFileName;
  }
  FILE* file = out->message_file;
  uint16_t highest_positive = 0;
  uint16_t negative_count = 0;
  if (!ReadU16(file, 0, &highest_positive) || !ReadU16(file, 2, &negative_count)) return fallback;
  long entry;
  if (code < 0) {
    int64_t j = -static_cast<int64_t>(code);
    if (j > negative_count) return fallback;
    entry = 8 + 4L * highest_positive + 4L * static_cast<long>(j - 1);
  } else {
    int64_t i = static_cast<int64_t>(code) - kMessageBase;
    if (i > highest_positive) return fallback;
    entry = 4 + 4L * static_cast<long>(i);
  }
  uint16_t text_offset = 0;
  uint16_t text_length = 0;
  if (!ReadU16(file, entry, &text_offset) || !ReadU16(file, entry + 2, &text_length)) return fallback;
  if (text_offset == 0) return fallback;
  size_t wanted = text_length > kMaxMessageText ? kMaxMessageText : text_length;
  char text[kMaxMessageText + 1];
  if (fseek(file, text_offset, SEEK_SET) != 0) return fallback;
  size_t got = fread(text, 1, wanted, file);
  text[got] = '\0';
  // The text ends at its length or at an embedded terminator, whichever comes first.
  return std::string(text, strnlen(text, got));
}
