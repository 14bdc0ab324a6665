// PrintMessage: routes the message buffer to the window, the console, the log file and the error file.
#include "util/output.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "util/ascii_text.h"
#include "util/codepage.h"
#include "util/error_text.h"
#include "util/file_path.h"
#include "util/line_wrap.h"
#include "util/local_clock.h"
#include "util/pager.h"
#include "util/progress.h"
#include "util/window_channel.h"

namespace {

// Lines under "Reason(s): " are indented by its width.
constexpr char kReasonLabel[] = "Reason(s): ";
constexpr char kReasonIndent[] = "           ";
constexpr size_t kReasonIndentWidth = sizeof(kReasonIndent) - 1;

// The date and time prefix that the word asks for, from the local time of this call.
std::string MakePrefix(const OutputContext* out, uint32_t word) {
  std::string prefix;
  if (!(word & (kChannelDate | kChannelTime))) return prefix;
  const CivilTime now = CivilFromSeconds(LocalNow(out->fixed_now));
  char buffer[64];
  if (word & kChannelDate) {
    snprintf(buffer, sizeof buffer, "%02d%s%d ", now.day, UpperCase(MonthAbbreviation(now.month)).c_str(),
             now.year);
    prefix += buffer;
  }
  if (word & kChannelTime) {
    snprintf(buffer, sizeof buffer, "%02d:%02d:%02d ", now.hour, now.minute, now.second);
    prefix += buffer;
  }
  return prefix;
}

// Splits a reason text at each backslash-n pair.
std::vector<std::string_view> ReasonPieces(std::string_view reason) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  while (true) {
    size_t cut = reason.find("\\n", start);
    if (cut == std::string_view::npos) {
      pieces.push_back(reason.substr(start));
      return pieces;
    }
    pieces.push_back(reason.substr(start, cut - start));
    start = cut + 2;
  }
}

// The complete lines of one channel: the message after its prefix, then the reason pieces.
std::vector<std::string> ChannelLines(const OutputContext* out, uint32_t word, std::string_view text,
                                      const std::string* reason) {
  std::vector<std::string> lines;
  const std::string prefix = MakePrefix(out, word);
  const bool wrap = (word & kChannelWrap) != 0;
  const size_t prefix_width = Utf8Length(prefix);
  bool first = true;
  for (std::string_view line : WrapMessage(text, prefix_width, wrap)) {
    lines.push_back((first ? prefix : std::string(" ")) + std::string(line));
    first = false;
  }
  if (reason == nullptr) return lines;
  bool first_piece = true;
  for (std::string_view piece : ReasonPieces(*reason)) {
    bool first_line = true;
    for (std::string_view line : WrapMessage(piece, prefix_width + kReasonIndentWidth, wrap)) {
      if (first_line) {
        lines.push_back(prefix + (first_piece ? kReasonLabel : kReasonIndent) + std::string(line));
      } else {
        lines.push_back(std::string(" ").append(line));
      }
      first_line = false;
    }
    first_piece = false;
  }
  return lines;
}

void WriteWindowLine(OutputContext* out, const WindowChannel* window, const std::string& line) {
  if (window == nullptr) return;
  if (line.empty() && window->line_count() == 0) return;
  std::string ansi(line.size(), '\0');
  OemToAnsi(line.c_str(), ansi.data());
  window->append_line(ansi.c_str());
  out->page_rows += 1;
}

// One console line on the streams chosen; the pager sees its rows first.
void WriteConsoleLine(OutputContext* out, bool to_out, bool to_err, const std::string& line) {
  int rows = static_cast<int>((Utf8Length(line) + kWrapColumn - 1) / kWrapColumn);
  if (rows < 1) rows = 1;
  PageCheck(out, rows);
  if (to_out) fprintf(out->console_out ? out->console_out : stdout, "%s\n", line.c_str());
  // The progress line is cleared first, so that the line starts at the left margin.
  if (to_err) EraseProgress();
  if (to_err) fprintf(out->console_err ? out->console_err : stderr, "%s\n", line.c_str());
  out->page_rows += rows;
}

void WriteFileLine(FILE* file, uint32_t word, const std::string& line) {
  if (word & kChannelChar) {
    std::string ansi(line.size(), '\0');
    OemToAnsi(line.c_str(), ansi.data());
    fprintf(file, "%s\n", ansi.c_str());
  } else {
    fprintf(file, "%s\n", line.c_str());
  }
}

// Takes a file that failed out of the output state, closes it and prints why on the channels left.
// The two lines of the report stay together: the other file's check waits until both are printed.
void ReportFileFailure(OutputContext* out, bool log, const std::string& reason) {
  FILE** file = log ? &out->log_file : &out->error_file;
  if (*file == nullptr) return;
  fclose(*file);
  *file = nullptr;
  ++out->file_failures;
  // The caller's message stays in the buffer, as PrintMessage promises.
  const std::string kept(out->message, strnlen(out->message, sizeof out->message));
  const bool was_holding = out->holding_file_checks;
  out->holding_file_checks = true;
  PrintFormatted(out, -1, 1, "%s: Cannot write to %s file %s", out->program_name, log ? "log" : "error",
                 log ? out->log_file_name : out->error_file_name);
  if (!reason.empty()) PrintFormatted(out, -1, 0, "Reason(s): %s", reason.c_str());
  out->holding_file_checks = was_holding;
  snprintf(out->message, sizeof out->message, "%s", kept.c_str());
  if (!was_holding) FlushChannelFile(out, !log);
}

// Whether a file took everything written to it so far; on failure the system's reason is kept.
bool FileTookItAll(FILE* file, std::string* reason) {
  errno = 0;
  if (fflush(file) == 0 && !ferror(file)) return true;
  if (!LastFileErrorText(reason)) reason->clear();
  return false;
}

// Every message is on the disk once it is printed, so that a run ended early (a second Ctrl+C, a
// crash) keeps all it printed. A file that cannot take it (a full disk) is closed, and the failure is
// printed as an error on the channels left, once.
void FlushFiles(OutputContext* out, bool log, bool err) {
  if (out->holding_file_checks) return;
  if (log) FlushChannelFile(out, true);
  if (err) FlushChannelFile(out, false);
}

}  // namespace

bool FlushChannelFile(OutputContext* out, bool log) {
  FILE* file = log ? out->log_file : out->error_file;
  if (file == nullptr) return true;
  std::string reason;
  if (FileTookItAll(file, &reason)) return true;
  ReportFileFailure(out, log, reason);
  return false;
}

int PrintMessage(OutputContext* out, int32_t code, int increment) {
  // A message kept back is printed by its holder once the work queued before it is done.
  if (out->hold != nullptr && out->hold->Hold(out, code, increment)) return 1;
  const bool ordinary = code == 0 || code == -2;
  const bool error = code != 0;
  // The console is split by kind: ordinary lines to standard output, error lines to standard error.
  const bool con_out = (out->normal_flags & kChannelCon) && ordinary;
  const bool con_err = (out->error_flags & kChannelCon) && error;
  bool use_console = con_out || con_err;
  bool use_window = false;
  if (use_console && (out->control_flags & kControlWindowConsole)) {
    use_window = true;
    use_console = false;
  }
  const bool use_log = out->log_file != nullptr && (((out->normal_flags & kChannelLog) && ordinary) ||
                                                    ((out->error_flags & kChannelLog) && error));
  const bool use_err = out->error_file != nullptr && (out->error_flags & kChannelErr) && error;
  const WindowChannel* window = use_window ? CurrentWindowChannel() : nullptr;

  const std::string_view text(out->message, strnlen(out->message, sizeof out->message));
  const bool blank = text.empty();

  if (blank) {
    const bool log_accepts = !(out->normal_flags & kChannelNoBlanks);
    const bool err_accepts = !(out->error_flags & kChannelNoBlanks);
    if (!use_window && !use_console && !(use_log && log_accepts) && !(use_err && err_accepts)) return 0;
    // A file that refuses blanks takes the window's and console's blank with it, so the copies agree.
    const bool refused = (use_log && !log_accepts) || (use_err && !err_accepts);
    bool written = false;
    if (use_window && !out->last_blank[kChannelWindow] && !refused) {
      WriteWindowLine(out, window, std::string());
      if (window != nullptr) window->flush();
      out->last_blank[kChannelWindow] = true;
      written = true;
    }
    if (use_console && !out->last_blank[kChannelConsole] && !refused) {
      WriteConsoleLine(out, con_out, con_err, std::string());
      out->last_blank[kChannelConsole] = true;
      written = true;
    }
    if (use_log && !out->last_blank[kChannelLogFile] && log_accepts) {
      fputc('\n', out->log_file);
      out->last_blank[kChannelLogFile] = true;
      written = true;
    }
    if (use_err && !out->last_blank[kChannelErrFile] && err_accepts) {
      fputc('\n', out->error_file);
      out->last_blank[kChannelErrFile] = true;
      written = true;
    }
    if (use_console) fflush(out->console_out ? out->console_out : stdout);
    out->error_count += increment;
    FlushFiles(out, use_log, use_err);
    return written ? 1 : 0;
  }

  std::string reason;
  const bool has_reason =
      code != 0 && code != -1 && code != -2 && (use_window || use_console || use_log || use_err);
  if (has_reason) reason = LookupMessageText(out, code);
  const std::string* reason_text = has_reason ? &reason : nullptr;

  if (use_window || use_console || use_log) {
    const std::vector<std::string> lines = ChannelLines(out, out->normal_flags, text, reason_text);
    if (use_window) {
      for (const std::string& line : lines) WriteWindowLine(out, window, line);
      if (window != nullptr) window->flush();
      out->last_blank[kChannelWindow] = false;
    }
    if (use_console) {
      for (const std::string& line : lines) WriteConsoleLine(out, con_out, con_err, line);
      // Standard output is flushed per message so that it interleaves with standard error.
      fflush(out->console_out ? out->console_out : stdout);
      out->last_blank[kChannelConsole] = false;
    }
    if (use_log) {
      for (const std::string& line : lines) WriteFileLine(out->log_file, out->normal_flags, line);
      out->last_blank[kChannelLogFile] = false;
    }
  }
  if (use_err) {
    // The error file has its own prefix and wrapping, governed by the /e word.
    const std::vector<std::string> lines = ChannelLines(out, out->error_flags, text, reason_text);
    for (const std::string& line : lines) WriteFileLine(out->error_file, out->error_flags, line);
    out->last_blank[kChannelErrFile] = false;
  }
  out->error_count += increment;
  FlushFiles(out, use_log, use_err);
  return (use_window || use_console || use_log || use_err) ? 1 : 0;
}

int PrintFormatted(OutputContext* out, int32_t code, int increment, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vsnprintf(out->message, sizeof out->message, format, args);
  va_end(args);
  return PrintMessage(out, code, increment);
}
