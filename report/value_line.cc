// One object's value line in every layout: name column, value text, /a columns and /c fields.
#include "report/value_line.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "directory/directory_context.h"
#include "directory/name_forms.h"
#include "report/all_report.h"
#include "report/print_line.h"
#include "report/text_width.h"
#include "run/restriction_table.h"
#include "util/local_clock.h"
#include "util/message_text.h"
#include "util/output.h"

namespace {

constexpr uint32_t kLockedCount = 0xFFFFFFFF;
// A date formatter width at which a missing date reads "No expiry date".
constexpr int kWordyNone = 255;
constexpr int kDateTimeWidth = 20;

// Default widths of the /a fields.
struct ColumnField {
  char letter;
  int width;
};
constexpr ColumnField kColumnFields[] = {{'d', 15}, {'f', 20}, {'u', 20}, {'v', 20}};

// A count in 12 columns, zero reading "None".
std::string CountOrNone(uint32_t count) {
  return count == 0 ? PadLeft("None", 12) : MessageText("%12d", static_cast<int>(count));
}

// A duration in 12 columns, zero reading "None".
std::string DurationOrNone(uint32_t seconds) {
  return PadLeft(seconds == 0 ? std::string("None") : FormatDuration(seconds), 12);
}

// The account expiration time as the last day the account is valid when it falls on a midnight,
// else as the moment itself.
std::string AccountExpiration(uint32_t expires) {
  if (expires != 0 && expires % kSecondsPerDay == 0)
    return FormatDate(SplitTime(expires - kSecondsPerDay), 0);
  return DateTimeText(expires);
}

int DefaultColumnWidth(int letter) {
  for (const ColumnField& field : kColumnFields) {
    if (field.letter == letter) return field.width;
  }
  return 0;
}

}  // namespace

const char* YesNoText(bool value) { return value ? "Yes" : " No"; }

std::string DateTimeText(uint32_t seconds) { return FormatDateTime(SplitTime(seconds), kDateTimeWidth); }

std::string DateTimeWithServer(uint32_t seconds, const std::string& server) {
  std::string text = DateTimeText(seconds);
  if (seconds != 0 && !server.empty()) text += " (" + server + ")";
  return text;
}

std::string ShortObjectName(const RunContext* run, const std::string& distinguished_name) {
  return FormatName(run ? run->directory : nullptr, kFormRelative | kFormNoTypes, distinguished_name);
}

std::string FormatNameColumn(bool comma_delimited, bool names_only, const std::string& name,
                             const std::string& display_name) {
  if (comma_delimited) return "\"" + name + "\",\"" + display_name + "\"";
  const size_t width = kNameColumnWidth;
  size_t name_length = CharCount(name);
  if (name_length > width && !names_only) return FirstChars(name, width - 4) + "... ";
  std::string column = name;
  if (names_only) return column;
  if (!display_name.empty() && name_length <= width - 9) {
    size_t display_length = CharCount(display_name);
    if (display_length + name_length < width - 4) {
      // " (display)" padded to the column's end; at least the ")" is written.
      return column + " (" + display_name + PadRight(")", width - 2 - name_length - display_length);
    }
    return column + " (" + FirstChars(display_name, width - 7 - name_length) + "...) ";
  }
  // A name that fills the column still gets one space before the value.
  return column + std::string(name_length < width ? width - name_length : 1, ' ');
}

std::string FormatColumns(const RunContext* run, const std::string& value, const std::string& name,
                          const std::string& display_name) {
  const ProgramOptions& options = run->options;
  const bool csv = options.comma_delimited;
  const std::string value_text = csv ? SkipLeadingSpaces(value) : value;
  std::string line;
  for (int i = 0; i < kMaxColumns && options.columns.letters[i] != 0; ++i) {
    int letter = tolower(options.columns.letters[i]);
    int width = abs(options.columns.widths[i]);
    if (width == 0) width = DefaultColumnWidth(letter);
    std::string text;
    switch (letter) {
      case 'd':
        if (run->directory) text = ShortObjectName(run, run->directory->default_naming_context);
        break;
      case 'f':
        text = display_name;
        break;
      case 'u':
        text = name;
        break;
      case 'v':
        text = value_text;
        break;
      default:
        break;
    }
    if (i > 0) line += csv ? "," : " ";
    // Text wider than its column is kept whole and pushes the following columns right.
    line += csv ? "\"" + text + "\"" : PadRight(text, static_cast<size_t>(width));
  }
  return line;
}

std::string BuildValueText(const RunContext* run, const RestrictionRecord& r) {
  const RestrictionInfo& row = RestrictionRow(run->restriction);
  const uint32_t flags = r.flags;
  switch (row.shown) {
    case kShownYesNo:
      return YesNoText(flags & row.flag);
    case kShownYesNoAndDate:
      return std::string((flags & row.flag) ? "Yes" : "No ") + " (" +
             FormatDate(SplitTime(r.*row.number), kWordyNone) + ")";
    case kShownDateTime:
      return DateTimeText(r.*row.number);
    case kShownCount:
      return CountOrNone(r.*row.number);
    case kShownDuration:
      return DurationOrNone(r.*row.number);
    case kShownOwn:
      break;
  }
  const bool lockout_policy = (flags & kFlagLockoutPolicy) != 0;
  switch (run->restriction) {
    case kAed:
      return AccountExpiration(r.account_expires) + ((flags & kFlagExpired) ? " (Expired)" : "");
    case kBlc:
      if (r.bad_logon_count == kLockedCount) return PadLeft("Locked", 12);
      return MessageText("%12d", static_cast<int>(r.bad_logon_count));
    case kIlp:
      if (!lockout_policy) return PadLeft("None", 12);
      return PadLeft(r.lockout_duration == 0 ? std::string("Indefinite") : FormatDuration(r.lockout_duration),
                     12);
    case kIlr:
      return PadLeft(lockout_policy ? FormatDuration(r.lockout_reset_period) : std::string("None"), 12);
    case kLld:
      return DateTimeWithServer(r.last_logon, r.last_logon_server);
    case kMd:
      return DateTimeWithServer(r.modified, r.modification_server);
    case kPed:
      if (flags & kFlagNeverExpires) return "Never";
      if (r.password_expires == 0) return "Change next logon";
      return DateTimeText(r.password_expires) + ((flags & kFlagPasswordExpired) ? " (Expired)" : "");
    case kPml:
      return MessageText("%12d%s", static_cast<int>(r.min_password_length),
                         r.min_password_length == 0 ? " (Not required)" : "");
    case kPso:
      return r.pso.empty() ? std::string("[None]") : ShortObjectName(run, r.pso);
    case kWr:
      return r.has_workstations ? r.workstations : std::string("All");
    default:
      // lh and all are multi-line outputs with no value text.
      return "";
  }
}

std::string BuildObjectLine(const RunContext* run, const std::string& name, const RestrictionRecord& record,
                            bool* print) {
  const ProgramOptions& options = run->options;
  const bool columns = options.columns.line_width != 0;
  std::string line;
  if (!options.values_only && !columns) {
    line = FormatNameColumn(options.comma_delimited, options.names_only, name, record.display_name);
  }
  if (options.names_only) {
    *print = true;  // an empty names-only line still prints, as a blank line
    return line;
  }
  std::string value = BuildValueText(run, record);
  if (columns || !options.comma_delimited) {
    line += value;  // the column layout quotes the value itself
  } else {
    line += ",\"" + SkipLeadingSpaces(value) + "\"";
  }
  *print = !line.empty();
  if (*print && columns) line = FormatColumns(run, line, name, record.display_name);
  return line;
}

void WriteObjectLine(RunContext* run, const std::string& name, const RestrictionRecord& record) {
  OutputContext* out = run->output;
  const ProgramOptions& options = run->options;
  if (!options.names_only && (run->restriction == kLh || run->restriction == kAll)) {
    std::string column;
    if (!options.values_only && options.columns.line_width == 0) {
      column = FormatNameColumn(options.comma_delimited, false, name, record.display_name);
    }
    SetMessageText(out, column);
    if (run->restriction == kLh) {
      WriteLogonHoursGrid(run, record.logon_hours);
    } else {
      WriteAllReport(run, record, name);
    }
    SetMessageText(out, "");
    return;
  }
  bool print = false;
  std::string line = BuildObjectLine(run, name, record, &print);
  SetMessageText(out, line);
  if (print && out) PrintMessage(out, 0, 0);
}
