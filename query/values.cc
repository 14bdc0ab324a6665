// The value argument: yes/no words, dates and times, integers and texts, and the local time offset.
#include "query/values.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "retrieval/retrieval.h"
#include "run/restriction_table.h"
#include "util/ascii_text.h"
#include "util/local_clock.h"
#include "util/message_text.h"
#include "util/output.h"

namespace {

// Leaves a message in error, or prints it as an error line when the caller gave no buffer.
bool Fail(std::string* error, const char* format, ...) __attribute__((format(printf, 2, 3)));
bool Fail(std::string* error, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = MessageTextV(format, args);
  va_end(args);
  if (error != nullptr) {
    *error = text;
  } else if (g_run != nullptr && g_run->output != nullptr) {
    PrintFormatted(g_run->output, -1, 1, "%s", text.c_str());
  }
  return false;
}

// Number of decimal digits at text[at].
size_t CountDigits(const std::string& text, size_t at) {
  size_t count = 0;
  while (at + count < text.size() && text[at + count] >= '0' && text[at + count] <= '9') ++count;
  return count;
}

uint32_t DigitsValue(const std::string& text, size_t at, size_t count) {
  uint32_t value = 0;
  for (size_t i = at; i < at + count; ++i) value = value * 10 + static_cast<uint32_t>(text[i] - '0');
  return value;
}

// Accumulates digits, skipping commas, without overflow check; the position of the first other
// character, or npos.
size_t ReadCommaDecimal(const std::string& text, uint32_t* number) {
  uint32_t value = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == ',') continue;
    if (c < '0' || c > '9') return i;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  *number = value;
  return std::string::npos;
}

bool InvalidValue(std::string* error, const std::string& text, const char* keyword) {
  return Fail(error, "Invalid value '%s' found for restriction '%s'", text.c_str(), keyword);
}

bool ParseYesNo(RunContext* run, const std::string& text, std::string* error, RestrictionCode code) {
  if (!IsAbbreviationOf(text, "yes") && !IsAbbreviationOf(text, "no") && !IsAbbreviationOf(text, "true") &&
      !IsAbbreviationOf(text, "false")) {
    return Fail(error, "Illegal value '%s' - must be 'yes', 'no', 'true' or 'false'", text.c_str());
  }
  char first = AsciiLower(text[0]);
  // "Expired" states are facts about now, so only an explicit yes asks for them.
  bool yes = (code == kAe || code == kPe) ? first == 'y' : (first == 'y' || first == 't');
  run->filter_number = yes ? 1 : 0;
  return true;
}

bool ParseInteger(RunContext* run, const std::string& text, const char* keyword, std::string* error,
                  RestrictionCode code) {
  const char* word = code == kBlc ? "locked" : (code == kPmx || code == kPmn) ? "none" : nullptr;
  if (word != nullptr && !text.empty() && AsciiLower(text[0]) == word[0]) {
    if (!IsAbbreviationOf(text, word)) return InvalidValue(error, text, keyword);
    run->filter_number = code == kBlc ? 0xFFFFFFFFu : 0;
    return true;
  }
  uint32_t number = 0;
  size_t bad = ReadCommaDecimal(text, &number);
  if (bad != std::string::npos) {
    return Fail(error, "Invalid character '%c' found in decimal value '%s'", text[bad], text.c_str());
  }
  // The intruder lockout period and reset period are typed in minutes, as the usage text says,
  // while records hold every duration in seconds.
  if (code == kIlp || code == kIlr) {
    uint64_t seconds = static_cast<uint64_t>(number) * 60;
    number = seconds > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(seconds);
  }
  run->filter_number = number;
  return true;
}

}  // namespace

size_t MatchWord(const char* word, const std::string& text) {
  size_t i = 0;
  while (word[i] != '\0' && i < text.size() && AsciiLower(word[i]) == AsciiLower(text[i])) ++i;
  return i;
}

bool ParseDecimal(const std::string& text, uint32_t* number, std::string* error) {
  size_t bad = ReadCommaDecimal(text, number);
  if (bad == std::string::npos) return true;
  return Fail(error, "Invalid character '%c' found in decimal value \"%s\"", text[bad], text.c_str());
}

bool ParseDate(const std::string& text, uint32_t now_local, std::string* error, uint32_t* days,
               size_t* used) {
  const char* quoted = text.c_str();
  size_t today = MatchWord("today", text);
  size_t tomorrow = MatchWord("tomorrow", text);
  size_t yesterday = MatchWord("yesterday", text);
  if (today == tomorrow && (today == 1 || today == 2)) {
    return Fail(error, "\"%s\" is ambiguous - it could mean 'today' or 'tomorrow'", quoted);
  }
  size_t matched = today > tomorrow ? today : tomorrow;
  if (yesterday > matched) matched = yesterday;
  if (matched > 0) {
    int64_t day = now_local / kSecondsPerDay;
    if (tomorrow > 2) {
      ++day;
    } else if (yesterday > 0) {
      --day;
    }
    if (matched < text.size() && (text[matched] == '+' || text[matched] == '-')) {
      uint32_t offset = 0;
      if (!ParseDecimal(text.substr(matched + 1), &offset, error)) return false;
      day += text[matched] == '+' ? static_cast<int64_t>(offset) : -static_cast<int64_t>(offset);
    }
    // An offset that leaves the years a time can hold is refused like a typed year out of range,
    // rather than wrapping into some unrelated date.
    int year = 0, month = 0, day_of_month = 0;
    CivilFromDays(day, &year, &month, &day_of_month);
    if (year < 1970 || year > 2105) {
      return Fail(error, "The year '%d' is invalid (must be 1970 - 2105) in date/time \"%s\"", year, quoted);
    }
    *days = static_cast<uint32_t>(day);
    *used = text.size();  // anything after the word (such as a time) is ignored
    return true;
  }

  size_t at = 0;
  size_t digits = CountDigits(text, at);
  if (digits < 1 || digits > 2) return Fail(error, "Invalid day in date/time \"%s\"", quoted);
  int day = static_cast<int>(DigitsValue(text, at, digits));
  at += digits;
  if (at < text.size()) ++at;  // separator of any kind

  std::string month_text = text.substr(at < text.size() ? at : text.size(), 3);
  at += month_text.size();
  int month = 0;
  for (int m = 0; m < 12 && month_text.size() == 3; ++m) {
    if (EqualsIgnoreCase(month_text, MonthAbbreviation(m + 1))) month = m + 1;
  }
  if (month == 0) return Fail(error, "Invalid month '%s' in date/time \"%s\"", month_text.c_str(), quoted);
  if (at < text.size()) ++at;  // separator of any kind

  digits = CountDigits(text, at);
  if (digits != 1 && digits != 2 && digits != 4) {
    return Fail(error, "Invalid year in date/time \"%s\" (must be 1, 2 or 4 digits)", quoted);
  }
  int year = static_cast<int>(DigitsValue(text, at, digits));
  at += digits;
  if (year < 70) year += 100;
  if (year < 1900) year += 1900;
  if (year < 1970 || year > 2105) {
    return Fail(error, "The year '%d' is invalid (must be 1970 - 2105) in date/time \"%s\"", year, quoted);
  }
  int month_days = DaysInMonth(year, month);
  if (day < 1 || day > month_days) {
    return Fail(error, "The day is out of range (1-%d) in date/time \"%s\"", month_days, quoted);
  }
  *days = static_cast<uint32_t>(DaysFromCivil(year, month, day));
  *used = at;
  return true;
}

bool ParseDateTime(const std::string& text, uint32_t now_local, std::string* error, uint32_t* number,
                   uint32_t* range) {
  uint32_t days = 0;
  size_t used = 0;
  if (!ParseDate(text, now_local, error, &days, &used)) return false;
  uint32_t midnight = days * kSecondsPerDay;
  if (used >= text.size()) {
    *number = midnight;
    *range = kSecondsPerDay;
    return true;
  }

  static const char* const kNames[3] = {"hour", "minute", "second"};
  static const uint32_t kLimits[3] = {24, 60, 60};
  static const uint32_t kUnits[3] = {3600, 60, 1};
  static const uint32_t kRanges[3] = {3600, 60, 0};
  const char* quoted = text.c_str();
  uint32_t seconds = midnight;
  uint32_t width = kSecondsPerDay;
  size_t at = used + 1;  // the separator between date and time: ':' or a blank
  for (int part = 0; part < 3 && at < text.size(); ++part) {
    size_t digits = CountDigits(text, at);
    if (digits < 1 || digits > 2) return Fail(error, "Invalid %s in date/time \"%s\"", kNames[part], quoted);
    uint32_t value = DigitsValue(text, at, digits);
    if (value >= kLimits[part])
      return Fail(error, "The %s value is out of range in \"%s\"", kNames[part], quoted);
    seconds += value * kUnits[part];
    width = kRanges[part];
    at += digits;
    if (part < 2 && at < text.size()) ++at;  // separator after the hour and after the minute
  }
  if (at < text.size()) return Fail(error, "Extra characters found after date/time \"%s\"", quoted);
  *number = seconds;
  *range = width;
  return true;
}

bool ParseValue(RunContext* run, const std::string& text, const char* keyword, std::string* error,
                RestrictionCode code) {
  run->filter_number = 0;
  run->filter_range = 0;
  run->filter_text.clear();
  run->has_filter_text = false;
  if (error != nullptr) error->clear();

  switch (RestrictionRow(code).kind) {
    case kValueYesNo:
      return ParseYesNo(run, text, error, code);
    case kValueDate:
      if (IsAbbreviationOf(text, "none")) return true;
      if (!text.empty() && AsciiLower(text[0]) == 'n') return InvalidValue(error, text, keyword);
      return ParseDateTime(text, RunNow(run), error, &run->filter_number, &run->filter_range);
    case kValueInteger:
      return ParseInteger(run, text, keyword, error, code);
    case kValueObject: {
      std::string value = text;
      if (EqualsIgnoreCase(text, "none") || EqualsIgnoreCase(text, "[none]")) {
        value = "[None]";
      } else if (!CheckPasswordSettingsName(run, &value)) {
        return false;  // its own message has been printed
      }
      run->filter_text = value;
      run->has_filter_text = true;
      return true;
    }
    case kValueText:
      run->filter_text =
          (EqualsIgnoreCase(text, "none") || EqualsIgnoreCase(text, "[none]")) ? std::string("[None]") : text;
      run->has_filter_text = true;
      return true;
    case kValueLogonHours:
      if (!IsAbbreviationOf(text, "none")) return InvalidValue(error, text, keyword);
      run->filter_text = text;
      run->has_filter_text = true;
      return true;
    default:
      return InvalidValue(error, text, keyword);
  }
}

int16_t HalfHoursOfOffset(int utc_offset_minutes) { return static_cast<int16_t>(utc_offset_minutes / 30); }

int16_t ReadLocalTimeOffset() {
  ClockReading clock;
  if (!ReadSystemClock(&clock) || !clock.offset_known) return 0;
  return HalfHoursOfOffset(clock.utc_offset_minutes);
}
