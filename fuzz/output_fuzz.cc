// Fuzzes what the program writes: PrintMessage and its wrapping (whatever the message, every word
// reaches every channel chosen, in order, and no line of several words passes column 78), and the
// reader of the message file zemerr.msg.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "util/error_text.h"
#include "util/line_wrap.h"
#include "util/output.h"

namespace {

std::vector<std::string> Words(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::istringstream stream(text);
  std::vector<std::string> words;
  for (std::string word; std::getline(stream, word, ' ');) words.push_back(word);
  words.erase(std::remove(words.begin(), words.end(), ""), words.end());
  return words;
}

// What one channel got: the words of the prefix and the message; wrapped, complete lines, further
// ones starting with a blank, none of several words past column 78.
void CheckLines(const std::string& written, const std::string& prefix, const std::string& message,
                bool wrap) {
  FUZZ_CHECK(Words(written) == Words(prefix + message));
  if (!wrap || message.find('\n') != std::string::npos) return;
  for (size_t start = 0, end; start < written.size(); start = end + 1) {
    end = written.find('\n', start);
    FUZZ_CHECK(end != std::string::npos);
    std::string line = written.substr(start, end - start);
    FUZZ_CHECK(start == 0 ? line.compare(0, prefix.size(), prefix) == 0 : line[0] == ' ');
    line = line.substr(0, line.find_last_not_of(' ') + 1);
    std::string text = line.substr(std::min(line.size(), start == 0 ? prefix.size() : 1));
    if (text.find(' ', text.find_first_not_of(' ')) != std::string::npos) FUZZ_CHECK(Utf8Length(line) <= 78);
  }
}

// Input: a control byte (bits 0-1: code 0, -1 or -2; bit 2: DATE; bit 3: TIME; bit 4: no WRAP;
// bit 5: NOBLANKS in the /l word; bit 6: DATE and TIME in the /e word; bit 7: counted), then the
// message text. Errors reach the log file only through LOG in the /e word, which is not set here.
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
  char* buffers[4] = {};
  size_t sizes[4] = {};
  FILE** files[4] = {&out.console_out, &out.console_err, &out.log_file, &out.error_file};
  for (int i = 0; i < 4; ++i) *files[i] = open_memstream(&buffers[i], &sizes[i]);
  snprintf(out.message, sizeof out.message, "%s", message.c_str());
  PrintMessage(&out, code, control >> 7);
  FUZZ_CHECK(out.error_count == control >> 7 && message == out.message);
  std::string written[4];
  for (int i = 0; i < 4; ++i) {
    fclose(*files[i]);
    *files[i] = nullptr;
    written[i].assign(buffers[i], sizes[i]);
    free(buffers[i]);
  }
  if (message.empty()) return;
  // The prefixes of the fixed "now", 5 January 2011 09:08:07.
  std::string prefix = std::string((control & 4) ? "05JAN2011 " : "") + ((control & 8) ? "09:08:07 " : "");
  const bool ordinary = code != -1, error = code != 0, wrap = (control & 16) == 0;
  FUZZ_CHECK((ordinary || written[2].empty()) && (error || written[3].empty()));
  if (ordinary) CheckLines(written[0], prefix, message, wrap);
  if (ordinary) CheckLines(written[2], prefix, message, wrap);
  if (error) CheckLines(written[1], prefix, message, wrap);
  if (error) CheckLines(written[3], (control & 64) ? "05JAN2011 09:08:07 " : "", message, true);
}

// Input: four bytes of error code, then the contents of zemerr.msg: the file's text (255
// characters at most, no NUL) or the fallback, the same at the next lookup.
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
  bool fallback = text.compare(0, 36, "Description not available for error ") == 0;
  FUZZ_CHECK(text.find('\0') == std::string::npos && (fallback || text.size() <= 255));
  FUZZ_CHECK((fallback || code < 0 || code >= 0x8800) && LookupMessageText(&f->out, code) == text);
  fclose(file);
  f->out.message_file = nullptr;
}

}  // namespace

FUZZ_TARGET(CheckPrintMessage, CheckMessageFile)
