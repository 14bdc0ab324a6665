// Fuzzes the readers of the query: command words, the value of every restriction, dates and
// times, wildcards and server specifications.
//
// Input: a selector byte, then the input of the check it picks (see kChecks at the end).
#include <cstdio>
#include <vector>

#include "directory/dir_time.h"
#include "fuzz/fuzz_support.h"
#include "query/arguments.h"
#include "query/restrictions.h"
#include "query/values.h"
#include "retrieval/servers.h"
#include "run/restriction_table.h"
#include "util/local_clock.h"
#include "util/wildcard.h"

namespace {

// Input: a sort byte (0-3: none, by name, by value, by value reversed), then up to six words, one
// a line; the first is the entity, which this step does not read.
void CheckCommandWords(FuzzRun* f, const std::string& input) {
  if (input.empty()) return;
  static const uint32_t kSortModes[4] = {0, kSortName, kSortValue, kSortValue | kSortReverse};
  std::vector<std::string> args;
  std::string rest = CString(input.substr(1)), word;
  do {
    SplitAt(rest, '\n', &word, &rest);
    args.push_back(word);
  } while (args.size() < 6 && !rest.empty());
  RunContext& run = f->run;
  run.options.sort_mode = kSortModes[input[0] & 3];
  CommandWords words;
  const size_t count = args.size();
  if (!ReadCommandWords(&run, &args, &words)) return;
  const RestrictionInfo* info = &RestrictionRow(run.restriction);
  FUZZ_CHECK(info->code == run.restriction && words.display_name == info->label);
  // At most the entity, restriction, operator and a value of one word (two for a date); an
  // operator always has its value.
  FUZZ_CHECK(count <= (info->kind == kValueDate ? 5u : 4u) && count != 3);
  FUZZ_CHECK(count > 2 ? run.restriction != kAll && run.op <= kOpExcludes : run.op == kOpNone);
  for (size_t i = 1; i < args.size(); ++i) {
    for (char c : args[i]) FUZZ_CHECK(!(c >= 'A' && c <= 'Z'));  // the words are read lower-cased
  }
}

// A time is the start of the period it names, inside the years a time can hold.
void CheckPeriod(uint32_t number, uint32_t range) {
  FUZZ_CHECK(range == 0 || range == 60 || range == 3600 || range == 86400);
  if (range != 0) FUZZ_CHECK(number % range == 0);
  FUZZ_CHECK(static_cast<uint64_t>(number) + range <= 0x100000000ull);
}

const RestrictionCode kValueCodes[] = {kAd,  kAe,  kAed, kAl,  kBlc, kCd,  kIld, kIlp, kIlr, kIlt,
                                       kLld, kLud, kMd,  kPcr, kPcl, kPe,  kPed, kPhl, kPmx, kPlc,
                                       kPml, kPmn, kPne, kPr,  kPre, kPso, kPuc, kPur, kLh,  kWr};

// Input: "<keyword> <value>". A keyword the table knows picks its restriction; any other first
// word picks one by the sum of its bytes, so every input reaches some value kind.
void CheckValue(FuzzRun* f, const std::string& input) {
  std::string word, text;
  SplitAt(input, ' ', &word, &text);
  unsigned sum = 0;
  for (unsigned char c : word) sum += c;
  RestrictionCode code = kValueCodes[sum % (sizeof kValueCodes / sizeof kValueCodes[0])];
  for (RestrictionCode known : kValueCodes) {
    if (word == RestrictionRow(known).keyword) code = known;
  }
  const RestrictionInfo* info = &RestrictionRow(code);
  FUZZ_CHECK(info->code == code && info->kind != kValueNone);
  RunContext& run = f->run;
  std::string error;
  bool ok = ParseValue(&run, text, info->keyword, &error, code);
  // A refused value always says why, unless it printed its own message (an object name).
  if (!ok) FUZZ_CHECK((!error.empty() || code == kPso) && error.size() < 1024);
  if (ok && info->kind == kValueYesNo) FUZZ_CHECK(run.filter_number <= 1 && run.filter_range == 0);
  if (ok && info->kind == kValueDate) CheckPeriod(run.filter_number, run.filter_range);
  // A text value is kept as typed (an object name may come back as "[None]" or as found).
  if (ok && run.has_filter_text)
    FUZZ_CHECK(run.filter_text == "[None]" || run.filter_text == text || code == kPso);
  if (ok) FUZZ_CHECK(error.empty());
  // Without an error buffer the message is printed instead; the outcome is the same.
  uint32_t number = run.filter_number;
  f = ResetFuzzRun();
  FUZZ_CHECK(ParseValue(&f->run, text, info->keyword, nullptr, code) == ok);
  if (ok) FUZZ_CHECK(f->run.filter_number == number);
}

// Input: a date text, read against "now"s of an ordinary day and both ends of the range, so that
// relative dates meet both ends.
void CheckDateTime(FuzzRun*, const std::string& text) {
  for (uint32_t now : {kFuzzNow, 0u, 4294944000u /* 31 December 2105 00:00 */}) {
    std::string error;
    uint32_t number = 0, range = 0;
    if (!ParseDateTime(text, now, &error, &number, &range)) {
      FUZZ_CHECK(!error.empty());
      continue;
    }
    CheckPeriod(number, range);
    // Written back in full, the time reads as itself, to the second.
    int year = 0, month = 0, day = 0;
    CivilFromDays(number / 86400, &year, &month, &day);
    char full[64];
    snprintf(full, sizeof full, "%d:%s:%04d:%02u:%02u:%02u", day, MonthAbbreviation(month), year,
             number % 86400 / 3600, number / 60 % 60, number % 60);
    uint32_t again = 0, again_range = 0;
    FUZZ_CHECK(ParseDateTime(full, now, &error, &again, &again_range) && again == number && again_range == 0);
    // The date part alone agrees with the day of the time.
    uint32_t days = 0;
    size_t used = 0;
    FUZZ_CHECK(ParseDate(text, now, &error, &days, &used) && used <= text.size());
    FUZZ_CHECK(days == number / 86400);
  }
}

int Sign(int value) { return (value > 0) - (value < 0); }

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return text;
}

// Ordering of two texts as lower-case unsigned bytes.
int CompareLower(const std::string& a, const std::string& b) {
  return Sign(Lower(a).compare(Lower(b)));  // std::string compares bytes as unsigned
}

// Input: "<pattern>\n<text>".
void CheckWildcard(FuzzRun*, const std::string& input) {
  std::string pattern, text;
  SplitAt(CString(input), '\n', &pattern, &text);
  int result = MatchWildcard(pattern.c_str(), text.c_str());
  // Letters compare without regard to case, whichever side holds them.
  std::string upper_pattern = pattern, upper_text = text;
  for (char& c : upper_pattern) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  for (char& c : upper_text) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  FUZZ_CHECK(MatchWildcard(upper_pattern.c_str(), text.c_str()) == result);
  FUZZ_CHECK(Sign(MatchWildcard(pattern.c_str(), upper_text.c_str())) == Sign(result));
  bool literal = pattern.find_first_of("*?") == std::string::npos;
  if (literal) {
    // Without wildcards only an equal text matches, and the sign orders texts of equal length.
    FUZZ_CHECK((result == 0) == (CompareLower(text, pattern) == 0));
    if (text.size() == pattern.size()) FUZZ_CHECK(Sign(result) == CompareLower(text, pattern));
  }
  // Every text matches "*", and itself when it holds no wildcard.
  FUZZ_CHECK(MatchWildcard("*", text.c_str()) == 0);
  if (text.find_first_of("*?") == std::string::npos) {
    FUZZ_CHECK(MatchWildcard(text.c_str(), text.c_str()) == 0);
    FUZZ_CHECK(MatchWildcard(std::string(text.size(), '?').c_str(), text.c_str()) == 0);
  }
  // A wildcard-free part between two stars matches exactly the texts that contain it.
  if (literal && !pattern.empty()) {
    bool contains = Lower(text).find(Lower(pattern)) != std::string::npos;
    FUZZ_CHECK((MatchWildcard(("*" + pattern + "*").c_str(), text.c_str()) == 0) == contains);
    bool starts = Lower(text).compare(0, pattern.size(), Lower(pattern)) == 0;
    FUZZ_CHECK((MatchWildcard((pattern + "*").c_str(), text.c_str()) == 0) == starts);
  }
}

void CheckServerTexts(const ServerSpecification& specification, const char* never_inside) {
  for (const std::vector<std::string>* texts : {&specification.wanted, &specification.excluded}) {
    for (const std::string& text : *texts) {
      FUZZ_CHECK(!text.empty() && text.find_first_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos &&
                 text.find_first_of(never_inside) == std::string::npos);
    }
  }
}

// Input: a server specification on the first line; every further line is a controller "name
// host address" offered to the list. The same lines also make up a server file.
void CheckServers(FuzzRun*, const std::string& input) {
  std::string text, rest;
  SplitAt(input, '\n', &text, &rest);
  // A specification is split at commas and loses its blanks; a file gives one name a line.
  ServerSpecification specification, from_file;
  if (ParseServerSpecification(text, &specification)) CheckServerTexts(specification, ", \t");
  // Each controller is listed once, in the order offered.
  ServerList list;
  std::vector<std::string> offered;
  for (int n = 0; !rest.empty() && n < 64; ++n) {
    std::string line, name, host, address;
    SplitAt(rest, '\n', &line, &rest);
    SplitAt(line, ' ', &name, &line);
    SplitAt(line, ' ', &host, &address);
    offered.push_back(name);
    FUZZ_CHECK(AddServer(&list, specification, name, host, address) == 0);
  }
  size_t at = 0;
  std::vector<std::string> listed;
  for (ServerEntry* entry = list.head; entry != nullptr; entry = entry->next) {
    while (at < offered.size() && offered[at] != entry->name) ++at;
    FUZZ_CHECK(at < offered.size());
    for (const std::string& earlier : listed) FUZZ_CHECK(earlier != entry->name);
    listed.push_back(entry->name);
  }
  FreeServerList(&list);
  FUZZ_CHECK(list.head == nullptr);
  FUZZ_CHECK(ReadServerFile(MemoryFileName(input), &from_file));
  CheckServerTexts(from_file, "\r\n");
}

}  // namespace

FUZZ_TARGET(CheckCommandWords, CheckValue, CheckDateTime, CheckWildcard, CheckServers)
