// The all-restrictions report and the logon-hours grid.
#include "report/all_report.h"

#include "report/print_line.h"
#include "report/text_width.h"
#include "report/value_line.h"
#include "util/local_clock.h"
#include "util/output.h"

namespace {

constexpr int kHoursPerWeek = 168;

// A number right-aligned in width columns (like "%*d").
std::string Number(uint32_t value, size_t width) {
  return PadLeft(std::to_string(static_cast<int>(value)), width);
}

std::string DurationOr(uint32_t seconds, const char* zero_text) {
  return seconds == 0 ? std::string(zero_text) : FormatDuration(seconds);
}

// A count right-aligned in 21 columns, zero reading "None".
std::string CountOrNone21(uint32_t count) { return count == 0 ? PadLeft("None", 21) : Number(count, 21); }

std::string AccountExpirationLine(const RestrictionRecord& r) {
  const uint32_t t = r.account_expires;
  std::string line;
  if (t != 0 && t % kSecondsPerDay == 0) {
    // Expiry at midnight: the last day on which the account is still valid.
    line = "Account expiration date                   " + FormatDate(SplitTime(t - kSecondsPerDay), 0);
  } else {
    line = "Account expiration date          " + DateTimeText(t);
  }
  if (r.flags & kFlagExpired) line += " (expired)";
  return line;
}

std::string WorkstationsText(const RestrictionRecord& r) {
  if (!r.has_workstations) return PadLeft("All", 32);
  return PadLeft(r.workstations, 32);  // a longer list is kept whole
}

}  // namespace

std::vector<std::string> BuildAllReport(const RunContext* run, const RestrictionRecord& r,
                                        const std::string& name) {
  const uint32_t flags = r.flags;
  std::vector<std::string> lines;
  lines.push_back("");
  std::string title = "Account Restrictions for " + name;
  if (!r.display_name.empty()) title += " (" + r.display_name + ")";
  lines.push_back(title);
  lines.push_back("");
  lines.push_back("Creation date                    " + DateTimeText(r.created));
  lines.push_back("Modification date                " +
                  DateTimeWithServer(r.modified, r.modification_server));
  lines.push_back(std::string("Account disabled                                  ") +
                  YesNoText(flags & kFlagDisabled));
  lines.push_back(AccountExpirationLine(r));
  std::string password_expiration = "Password expiration date         ";
  password_expiration +=
      (flags & kFlagNeverExpires) ? PadLeft("Never", 20) : DateTimeText(r.password_expires);
  if (flags & kFlagPasswordExpired) password_expiration += " (expired)";
  lines.push_back(password_expiration);
  lines.push_back("Password last change             " + DateTimeText(r.password_last_set));
  if (!r.pso.empty()) {
    lines.push_back("Password policy object           " + PadLeft(ShortObjectName(run, r.pso), 20));
  }
  lines.push_back("Password minimum age " + PadLeft(DurationOr(r.min_password_age, "None"), 32));
  lines.push_back("Password maximum age " + PadLeft(DurationOr(r.max_password_age, "None"), 32));
  lines.push_back(std::string("Password required                                 ") +
                  YesNoText(flags & kFlagPasswordRequired));
  lines.push_back("Password minimum length         " + CountOrNone21(r.min_password_length));
  lines.push_back(std::string("Password user can change                          ") +
                  YesNoText(flags & kFlagUserCanChange));
  lines.push_back(std::string("Password stored using reversible encryption       ") +
                  YesNoText(flags & kFlagReversible));
  lines.push_back(std::string("Password complexity required                      ") +
                  YesNoText(flags & kFlagComplexity));
  lines.push_back("Password history length         " + CountOrNone21(r.password_history_length));
  lines.push_back("Last logon date                  " +
                  DateTimeWithServer(r.last_logon, r.last_logon_server));
  lines.push_back("Allowed workstations " + WorkstationsText(r));
  if (!(flags & kFlagLockoutPolicy)) return lines;
  lines.push_back("Intruder lockout threshold                       " + Number(r.lockout_threshold, 4));
  lines.push_back("Intruder lockout period " + PadLeft(DurationOr(r.lockout_duration, "Indefinite"), 29));
  lines.push_back("Intruder reset period " + PadLeft(FormatDuration(r.lockout_reset_period), 31));
  const bool locked = (flags & kFlagLocked) != 0;
  lines.push_back(std::string("Account locked                                    ") + YesNoText(locked));
  if (locked) {
    lines.push_back("Lockout date/time                " + DateTimeText(r.lockout_time));
  } else {
    lines.push_back("Bad logon count                 " + Number(r.bad_logon_count, 21));
    lines.push_back("Last unsuccessful logon          " + DateTimeText(r.last_bad_logon));
  }
  return lines;
}

std::vector<std::string> BuildLogonHoursGrid(const uint8_t* logon_hours, int local_offset_half_hours) {
  static const char* const kDays[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  std::vector<std::string> lines;
  lines.push_back("                        1 1 1 1 1 1 1 1 1 1 2 2 2 2");
  lines.push_back("    0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3");
  // Bit 0 is Sunday 00:00 UTC, so local Monday 00:00 is bit 24 less the whole hours of the offset
  // (a half hour is dropped, truncating toward zero).
  int shift = local_offset_half_hours / 2;
  int index = ((24 - shift) % kHoursPerWeek + kHoursPerWeek) % kHoursPerWeek;
  for (const char* day : kDays) {
    std::string row = std::string(day) + " ";
    for (int hour = 0; hour < 24; ++hour) {
      bool allowed = (logon_hours[index / 8] >> (index % 8)) & 1;
      row += allowed ? "* " : "  ";
      index = (index + 1) % kHoursPerWeek;
    }
    lines.push_back(row);
  }
  return lines;
}

void WriteAllReport(RunContext* run, const RestrictionRecord& record, const std::string& name) {
  for (const std::string& line : BuildAllReport(run, record, name)) PrintText(run->output, 0, line);
}

void WriteLogonHoursGrid(RunContext* run, const uint8_t* logon_hours) {
  OutputContext* out = run->output;
  if (!out) return;
  // A blank line first, leaving the name column in the buffer for the line after it.
  std::string name_column = out->message;
  PrintText(out, 0, "");
  PrintText(out, 0, name_column);
  for (const std::string& line : BuildLogonHoursGrid(logon_hours, run->local_offset)) PrintText(out, 0, line);
  SetMessageText(out, "");
}
