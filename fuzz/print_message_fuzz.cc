// Fuzzes PrintMessage and its wrapping: whatever the message, every word reaches every channel
// chosen, in order, and no line of several words passes column 78.
//
// Input: a control byte (bits 0-1: code 0, -1 or -2; bit 2: DATE; bit 3: TIME; bit 4: no WRAP;
// bit 5: NOBLANKS in the /l word; bit 6: DATE and TIME in the /e word; bit 7: counted), then the
// message text (cut at its first NUL).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "util/line_wrap.h"
#include "util/output.h"

namespace {

// The prefixes of the fixed "now", 5 January 2011 09:08:07.
constexpr char kDatePrefix[] = "05JAN2011 ";
constexpr char kTimePrefix[] = "09:08:07 ";

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    if (c == ' ' || c == '\n') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

// A memory stream standing for one channel.
struct Channel {
  char* buffer = nullptr;
  size_t size = 0;
  FILE* file = nullptr;
  void Open() { file = open_memstream(&buffer, &size); }
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
  size_t start = 0;
  bool first = true;
  while (start < written.size()) {
    size_t end = written.find('\n', start);
    FUZZ_CHECK(end != std::string::npos);  // every line is complete
    std::string line = written.substr(start, end - start);
    std::string text = first ? line.substr(prefix.size()) : line.substr(1);
    FUZZ_CHECK(first ? line.compare(0, prefix.size(), prefix) == 0 : line[0] == ' ');
    size_t last = line.find_last_not_of(' ');
    size_t text_first = text.find_first_not_of(' ');
    size_t text_last = text.find_last_not_of(' ');
    bool several_words = text_first != std::string::npos &&
                         text.substr(text_first, text_last - text_first + 1).find(' ') != std::string::npos;
    if (several_words) FUZZ_CHECK(Utf8Length(line.substr(0, last + 1)) <= 78);
    start = end + 1;
    first = false;
  }
}

// Blank messages around a message: repeated blank lines collapse to one on every channel, and a
// log file that refuses blanks takes the console's blanks with it.
void CheckBlankLines(FuzzRun* f, const std::string& message, bool no_blanks) {
  OutputContext& out = f->out;
  memset(&out, 0, sizeof out);
  out.fixed_now = kFuzzNow;
  out.normal_flags = kChannelCon | kChannelLog | kChannelWrap | (no_blanks ? kChannelNoBlanks : 0);
  Channel console, log;
  console.Open();
  log.Open();
  out.console_out = console.file;
  out.log_file = log.file;
  const char* sequence[] = {"", "", message.c_str(), "", ""};
  for (const char* text : sequence) {
    snprintf(out.message, sizeof out.message, "%s", text);
    PrintMessage(&out, 0, 0);
  }
  const std::string on_console = console.Close();
  const std::string in_log = log.Close();
  out.console_out = out.log_file = nullptr;
  for (const std::string* written : {&on_console, &in_log}) {
    FUZZ_CHECK(written->find("\n\n\n") == std::string::npos);
    FUZZ_CHECK(written->compare(0, 2, "\n\n") != 0);
    if (no_blanks) FUZZ_CHECK(written->find("\n\n") == std::string::npos && (*written)[0] != '\n');
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t control = data[0];
  const int32_t kCodes[4] = {0, -1, -2, 0};
  const int32_t code = kCodes[control & 3];
  std::string message = InputCString(data + 1, size - 1);
  if (message.size() >= kMessageBufferSize) message.resize(kMessageBufferSize - 1);

  FuzzRun* f = ResetFuzzRun();
  OutputContext& out = f->out;
  out.fixed_now = kFuzzNow;
  out.normal_flags = kChannelCon | kChannelLog | ((control & 16) ? 0 : kChannelWrap);
  if (control & 4) out.normal_flags |= kChannelDate;
  if (control & 8) out.normal_flags |= kChannelTime;
  if (control & 32) out.normal_flags |= kChannelNoBlanks;
  out.error_flags =
      kChannelCon | kChannelErr | kChannelWrap | ((control & 64) ? kChannelDate | kChannelTime : 0);
  Channel console_out, console_err, log, err;
  console_out.Open();
  console_err.Open();
  log.Open();
  err.Open();
  out.console_out = console_out.file;
  out.console_err = console_err.file;
  out.log_file = log.file;
  out.error_file = err.file;

  const int increment = (control & 128) ? 1 : 0;
  snprintf(out.message, sizeof out.message, "%s", message.c_str());
  PrintMessage(&out, code, increment);
  FUZZ_CHECK(out.error_count == increment);
  // The message buffer is still the caller's text.
  FUZZ_CHECK(message == out.message);

  const std::string written_out = console_out.Close();
  const std::string written_err = console_err.Close();
  const std::string written_log = log.Close();
  const std::string written_error_file = err.Close();
  out.console_out = out.console_err = out.log_file = out.error_file = nullptr;

  const bool ordinary = code == 0 || code == -2;
  const bool error = code != 0;
  const bool wrap = (control & 16) == 0;
  std::string normal_prefix =
      std::string((control & 4) ? kDatePrefix : "") + ((control & 8) ? kTimePrefix : "");
  std::string error_prefix = (control & 64) ? std::string(kDatePrefix) + kTimePrefix : "";
  if (message.empty()) return 0;
  if (message.find('\n') == std::string::npos) CheckBlankLines(f, message, (control & 32) != 0);
  if (ordinary) CheckLines(written_out, normal_prefix, message, wrap);
  if (error) CheckLines(written_err, normal_prefix, message, wrap);
  // Errors reach the log file only through LOG in the /e word, which is not set here.
  if (ordinary) {
    CheckLines(written_log, normal_prefix, message, wrap);
  } else {
    FUZZ_CHECK(written_log.empty());
  }
  if (error) {
    CheckLines(written_error_file, error_prefix, message, true);
  } else {
    FUZZ_CHECK(written_error_file.empty());
  }
  return 0;
}
