// Fuzzes the readers of the query: command words, the value of every restriction, dates and
// times, wildcards and server specifications.
#include <algorithm>
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

// Input: a sort byte, then up to six words, one a line (the entity first). An operator always has
// its value, and nothing more than a value (two words for a date) follows it.
void CheckCommandWords(FuzzRun* f, const std::string& input) {
  if (input.empty()) return;
  std::vector<std::string> args;
  std::string rest = CString(input.substr(1)), word;
  do {
    SplitAt(rest, '\n', &word, &rest);
    args.push_back(word);
  } while (args.size() < 6 && !rest.empty());
  f->run.options.sort_mode = (input[0] & 1) ? kSortValue : 0;
  const size_t count = args.size();
  CommandWords words;
  if (!ReadCommandWords(&f->run, &args, &words)) return;
  const RestrictionInfo& info = RestrictionRow(f->run.restriction);
  FUZZ_CHECK(words.display_name == info.label && count <= (info.kind == kValueDate ? 5u : 4u) && count != 3);
  FUZZ_CHECK(count > 2 ? f->run.restriction != kAll && f->run.op <= kOpExcludes : f->run.op == kOpNone);
}

// A time is the start of the period it names, inside the years a time can hold.
void CheckPeriod(uint32_t number, uint32_t range) {
  FUZZ_CHECK(range == 0 || range == 60 || range == 3600 || range == 86400);
  FUZZ_CHECK((range == 0 || number % range == 0) && static_cast<uint64_t>(number) + range <= 0x100000000ull);
}

// Input: "<keyword> <value>" (another word picks a restriction by the sum of its bytes). A refused
// value says why (an object name prints its own message), with or without an error buffer.
void CheckValue(FuzzRun* f, const std::string& input) {
  static const RestrictionCode kCodes[] = {kAd,  kAe,  kAed, kAl,  kBlc, kCd,  kIld, kIlp, kIlr, kIlt,
                                           kLld, kLud, kMd,  kPcr, kPcl, kPe,  kPed, kPhl, kPmx, kPlc,
                                           kPml, kPmn, kPne, kPr,  kPre, kPso, kPuc, kPur, kLh,  kWr};
  std::string word, text, error;
  SplitAt(input, ' ', &word, &text);
  unsigned sum = 0;
  for (unsigned char c : word) sum += c;
  RestrictionCode code = kCodes[sum % (sizeof kCodes / sizeof kCodes[0])];
  for (RestrictionCode known : kCodes) code = word == RestrictionRow(known).keyword ? known : code;
  const RestrictionInfo& info = RestrictionRow(code);
  bool ok = ParseValue(&f->run, text, info.keyword, &error, code);
  FUZZ_CHECK(ok ? error.empty() : (!error.empty() || code == kPso) && error.size() < 1024);
  if (ok && info.kind == kValueYesNo) FUZZ_CHECK(f->run.filter_number <= 1 && f->run.filter_range == 0);
  if (ok && info.kind == kValueDate) CheckPeriod(f->run.filter_number, f->run.filter_range);
  uint32_t number = f->run.filter_number;
  f = ResetFuzzRun();
  FUZZ_CHECK(ParseValue(&f->run, text, info.keyword, nullptr, code) == ok &&
             (!ok || f->run.filter_number == number));
}

// Input: a date text, read against an ordinary "now" and both ends of the range. Written back in
// full, the time reads as itself, to the second.
void CheckDateTime(FuzzRun*, const std::string& text) {
  for (uint32_t now : {kFuzzNow, 0u, 4294944000u /* 31 December 2105 00:00 */}) {
    std::string error;
    uint32_t number = 0, range = 0, again = 0, again_range = 0;
    if (!ParseDateTime(text, now, &error, &number, &range)) {
      FUZZ_CHECK(!error.empty());
      continue;
    }
    CheckPeriod(number, range);
    int year = 0, month = 0, day = 0;
    CivilFromDays(number / 86400, &year, &month, &day);
    char full[64];
    snprintf(full, sizeof full, "%d:%s:%04d:%02u:%02u:%02u", day, MonthAbbreviation(month), year,
             number % 86400 / 3600, number / 60 % 60, number % 60);
    FUZZ_CHECK(ParseDateTime(full, now, &error, &again, &again_range) && again == number && again_range == 0);
  }
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return text;
}

// Input: "<pattern>\n<text>". Case does not matter; a part alone, between two stars or before one
// matches exactly the texts that are it, hold it, or start with it.
void CheckWildcard(FuzzRun*, const std::string& input) {
  std::string pattern, text;
  SplitAt(CString(input), '\n', &pattern, &text);
  bool matches = MatchWildcard(pattern.c_str(), text.c_str()) == 0;
  FUZZ_CHECK((MatchWildcard(Lower(pattern).c_str(), Lower(text).c_str()) == 0) == matches);
  FUZZ_CHECK(MatchWildcard("*", text.c_str()) == 0);
  if (pattern.empty() || pattern.find_first_of("*?") != std::string::npos) return;
  FUZZ_CHECK(matches == (Lower(text) == Lower(pattern)));
  bool contains = Lower(text).find(Lower(pattern)) != std::string::npos;
  FUZZ_CHECK((MatchWildcard(("*" + pattern + "*").c_str(), text.c_str()) == 0) == contains);
  bool starts = Lower(text).compare(0, pattern.size(), Lower(pattern)) == 0;
  FUZZ_CHECK((MatchWildcard((pattern + "*").c_str(), text.c_str()) == 0) == starts);
}

// Input: a server specification, then lines "name host address" offered to the list, which lists
// each once, in the order offered; the same lines also make up a server file.
void CheckServers(FuzzRun*, const std::string& input) {
  std::string text, rest;
  SplitAt(input, '\n', &text, &rest);
  ServerSpecification specification, from_file;
  ParseServerSpecification(text, &specification);
  ServerList list;
  std::vector<std::string> offered, listed;
  for (int n = 0; !rest.empty() && n < 64; ++n) {
    std::string line, name, host, address;
    SplitAt(rest, '\n', &line, &rest);
    SplitAt(line, ' ', &name, &line);
    SplitAt(line, ' ', &host, &address);
    offered.push_back(name);
    FUZZ_CHECK(AddServer(&list, specification, name, host, address) == 0);
  }
  size_t at = 0;
  for (ServerEntry* entry = list.head; entry != nullptr; entry = entry->next) {
    while (at < offered.size() && offered[at] != entry->name) ++at;
    FUZZ_CHECK(at < offered.size() && std::find(listed.begin(), listed.end(), entry->name) == listed.end());
    listed.push_back(entry->name);
  }
  FreeServerList(&list);
  FUZZ_CHECK(list.head == nullptr && ReadServerFile(MemoryFileName(input), &from_file));
}

}  // namespace

FUZZ_TARGET(CheckCommandWords, CheckValue, CheckDateTime, CheckWildcard, CheckServers)
