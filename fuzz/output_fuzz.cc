// Fuzzes what the program writes: PrintMessage and its wrapping (whatever the message, every word
// reaches every channel chosen, in order, and no line of several words passes column 78), and
// the reader of the message file zemerr.msg.
//
// Input: a selector byte, then the input of the check it picks (see kChecks at the end).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "util/error_text.h"
#include "util/line_wrap.h"
#include "util/output.h"

namespace {

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text + ' ') {
    if (c != ' ' && c != '\n') {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  return words;
}

// A memory stream standing for one channel.
struct Channel {
  char* buffer = nullptr;
  size_t size = 0;
  FILE* file = open_memstream(&buffer, &size);
  std::string Close() {
    fclose(file);
    std::string text(buffer, size);
    free(buffer);
    return text;
  }
};

void CheckLines(const std::string& written, const std::string& prefix, const std::string& message,
                bool wrap) {
  // Nothing is lost or reordered: the words written are the prefix's and the message's.
  FUZZ_CHECK(Words(written) == Words(prefix + message));
  if (!wrap || message.find('\n') != std::string::npos) return;
  for (size_t start = 0; start < written.size();) {
    size_t end = written.find('\n', start);
    FUZZ_CHECK(end != std::string::npos);  // every line is complete
    std::string line = written.substr(start, end - start);
    // The first line starts with the prefix, every further one with a blank.
    FUZZ_CHECK(start == 0 ? line.compare(0, prefix.size(), prefix) == 0 : line[0] == ' ');
    std::string text = line.substr(start == 0 ? prefix.size() : 1);
    size_t text_first = text.find_first_not_of(' '), text_last = text.find_last_not_of(' ');
    bool several_words = text_first != std::string::npos &&
                         text.substr(text_first, text_last - text_first + 1).find(' ') != std::string::npos;
    if (several_words) FUZZ_CHECK(Utf8Length(line.substr(0, line.find_last_not_of(' ') + 1)) <= 78);
    start = end + 1;
  }
}

// Input: a control byte (bits 0-1: code 0, -1 or -2; bit 2: DATE; bit 3: TIME; bit 4: no WRAP;
// bit 5: NOBLANKS in the /l word; bit 6: DATE and TIME in the /e word; bit 7: counted), then the
// message text.
void CheckPrintMessage(FuzzRun* f, const std::string& input) {
  if (input.empty()) return;
  const uint8_t control = static_cast<uint8_t>(input[0]);
  const int32_t code = (control & 3) == 3 ? 0 : -(control & 3);
  std::string message = CString(input.substr(1)).substr(0, kMessageBufferSize - 1);
  OutputContext& out = f->out;
  out.normal_flags = kChannelCon | kChannelLog | ((control & 16) ? 0 : kChannelWrap) |
                     ((control & 4) ? kChannelDate : 0) | ((control & 8) ? kChannelTime : 0) |
                     ((control & 32) ? kChannelNoBlanks : 0);
  out.error_flags =
      kChannelCon | kChannelErr | kChannelWrap | ((control & 64) ? kChannelDate | kChannelTime : 0);
  Channel console_out, console_err, log, err;
  out.console_out = console_out.file;
  out.console_err = console_err.file;
  out.log_file = log.file;
  out.error_file = err.file;
  snprintf(out.message, sizeof out.message, "%s", message.c_str());
  PrintMessage(&out, code, control >> 7);
  FUZZ_CHECK(out.error_count == control >> 7);
  FUZZ_CHECK(message == out.message);  // the message buffer is still the caller's text
  out.console_out = out.console_err = out.log_file = out.error_file = nullptr;
  const std::string written[4] = {console_out.Close(), console_err.Close(), log.Close(), err.Close()};
  if (message.empty()) return;
  // The prefixes of the fixed "now", 5 January 2011 09:08:07.
  std::string prefix = std::string((control & 4) ? "05JAN2011 " : "") + ((control & 8) ? "09:08:07 " : "");
  const bool ordinary = code != -1, error = code != 0, wrap = (control & 16) == 0;
  if (ordinary) CheckLines(written[0], prefix, message, wrap);
  if (error) CheckLines(written[1], prefix, message, wrap);
  // Errors reach the log file only through LOG in the /e word, which is not set here.
  if (ordinary) CheckLines(written[2], prefix, message, wrap);
  if (!ordinary) FUZZ_CHECK(written[2].empty());
  if (error) CheckLines(written[3], (control & 64) ? "05JAN2011 09:08:07 " : "", message, true);
  if (!error) FUZZ_CHECK(written[3].empty());
}

// Input: four bytes of error code (little-endian), then the contents of zemerr.msg, handed to the
// reader as an in-memory stream in place of the opened file.
void CheckMessageFile(FuzzRun* f, const std::string& input) {
  if (input.size() < 4) return;
  int32_t code = 0;
  memcpy(&code, input.data(), 4);
  // fmemopen refuses an empty buffer; an empty file is one byte too short for any header anyway.
  std::string contents = input.size() > 4 ? input.substr(4) : std::string(1, '\0');
  FILE* file = fmemopen(contents.data(), contents.size(), "rb");
  FUZZ_CHECK(file != nullptr);
  f->out.message_file = file;
  std::string text = LookupMessageText(&f->out, code);
  // Either the file's text, cut at 255 characters and at an embedded NUL, or the fallback.
  bool fallback = text.compare(0, 36, "Description not available for error ") == 0;
  FUZZ_CHECK(text.find('\0') == std::string::npos && (fallback || text.size() <= 255));
  if (code >= 0 && code < 0x8800) FUZZ_CHECK(fallback);
  // The file stays open for the next lookup, which gives the same answer.
  FUZZ_CHECK(f->out.message_file == file && LookupMessageText(&f->out, code) == text);
  fclose(file);
  f->out.message_file = nullptr;
}

}  // namespace

FUZZ_TARGET(CheckPrintMessage, CheckMessageFile)
