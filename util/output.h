// Output state and the one printing operation that routes every message.
#ifndef LORVEX_UTIL_OUTPUT_H_
#define LORVEX_UTIL_OUTPUT_H_

#include <cstdint>
#include <cstdio>

/// Channel word bits, the same in the normal (/l) and the error (/e) word.
enum ChannelBits : uint32_t {
  kChannelCon = 0x1,
  kChannelLog = 0x2,
  kChannelWrap = 0x4,
  kChannelDate = 0x8,
  kChannelTime = 0x10,
  kChannelAppend = 0x20,
  kChannelErr = 0x40,
  kChannelChar = 0x80,
  kChannelNoBlanks = 0x100,
  kChannelSeparator = 0x200,
};

/// Control flag bits of the output state.
enum ControlBits : uint32_t {
  kControlPaging = 0x1,
  kControlLogGiven = 0x2,
  kControlErrGiven = 0x4,
  kControlPageBreakAtExit = 0x8,
  kControlWindowConsole = 0x8000,
};

/// Size of the message buffer every caller formats into.
constexpr int kMessageBufferSize = 16384;

struct OutputContext;

/// Keeps messages that must wait their turn behind work queued before them (objects whose reads
/// are gathered into batches): a message it keeps is printed later, in order, by its owner.
class OutputHold {
 public:
  /// Takes the message in the message buffer with its code and increment; true when it is kept.
  virtual bool Hold(OutputContext* out, int32_t code, int increment) = 0;

 protected:
  ~OutputHold() = default;
};

/// Where the last line of each channel stood, for blank-line collapsing.
enum OutputChannel { kChannelWindow = 0, kChannelConsole, kChannelLogFile, kChannelErrFile, kChannelCount };

/// The output state of a run: channel words, files, counters and the message buffer.
struct OutputContext {
  uint32_t normal_flags;
  uint32_t error_flags;
  FILE* error_file;
  FILE* log_file;
  FILE* message_file;        ///< zemerr.msg once opened
  bool message_file_failed;  ///< an earlier attempt to open zemerr.msg failed
  uint32_t control_flags;
  int32_t page_length;
  int32_t error_count;
  int32_t page_rows;
  char program_name[128];
  char error_file_name[256];
  char log_file_name[256];
  char message[kMessageBufferSize];
  bool last_blank[kChannelCount];  ///< whether the last line written to each channel was blank
  bool written[kChannelCount];     ///< whether anything was written to each channel yet
  FILE* console_out;               ///< ordinary console lines; null means standard output
  FILE* console_err;               ///< error console lines; null means standard error
  uint32_t fixed_now;              ///< the run's local "now" in seconds, fixed by tests; 0 reads the clock
  bool holding_file_checks;        ///< a failed file is being reported; the other file is checked after
  int32_t file_failures;           ///< log and error files closed after a failed write; errors all run long
  OutputHold* hold;                ///< null, or where messages wait while queued work is pending
};

/// Prints the message buffer: code 0 ordinary, -1 error, -2 both, else an error with that code's reason.
/// Returns 1 when some channel took the message, else 0.
int PrintMessage(OutputContext* out, int32_t code, int increment);

/// Writes out what the log file (log) or the error file holds back; a file that cannot take it is
/// closed and the failure printed as an error. False after such a failure.
bool FlushChannelFile(OutputContext* out, bool log);

/// Formats into the message buffer and prints it with PrintMessage.
int PrintFormatted(OutputContext* out, int32_t code, int increment, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

/// Shows a modal message box; on a console platform its text goes to stderr.
void ShowMessageBox(const char* text, const char* caption, unsigned style);

/// Message box style of an error.
constexpr unsigned kMessageBoxError = 16;

#endif  // LORVEX_UTIL_OUTPUT_H_
