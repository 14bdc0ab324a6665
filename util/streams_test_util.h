// Test helpers: an output state whose console streams are temporary files that tests read back.
#ifndef LORVEX_UTIL_STREAMS_TEST_UTIL_H_
#define LORVEX_UTIL_STREAMS_TEST_UTIL_H_

#include <cstdio>
#include <cstring>
#include <string>

#include "util/output.h"

/// Everything written to a stream so far (reading to its end lets writing go on after it).
inline std::string ReadStream(FILE* stream) {
  rewind(stream);
  std::string text;
  for (int c; (c = fgetc(stream)) != EOF;) text += static_cast<char>(c);
  return text;
}

/// A zero-filled output state as the driver sets it up on a console: both words console only,
/// a fixed time of 5 January 2011 09:08:07, and temporary files as the console streams.
class TestOutput {
 public:
  TestOutput() {
    memset(&out, 0, sizeof out);
    out.normal_flags = kChannelCon;
    out.error_flags = kChannelCon;
    out.fixed_now = 1294218487;  // 2011-01-05 09:08:07
    snprintf(out.program_name, sizeof out.program_name, "LORVEX");
    out.console_out = tmpfile();
    out.console_err = tmpfile();
  }
  ~TestOutput() {
    fclose(out.console_out);
    fclose(out.console_err);
    if (out.log_file) fclose(out.log_file);
    if (out.error_file) fclose(out.error_file);
    if (out.message_file) fclose(out.message_file);
  }
  int Print(const char* text, int32_t code = 0, int increment = 0) {
    snprintf(out.message, sizeof out.message, "%s", text);
    return PrintMessage(&out, code, increment);
  }
  std::string Stdout() { return ReadStream(out.console_out); }
  std::string Stderr() { return ReadStream(out.console_err); }

  OutputContext out;
};

#endif  // LORVEX_UTIL_STREAMS_TEST_UTIL_H_
