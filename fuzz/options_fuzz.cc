// Fuzzes the readers of what the user gives as options: the raw command line, option texts,
// options files, the /a /s /o /y values and the /l /e channel words.
//
// Input: a selector byte, then the input of the check it picks (see kChecks at the end).
#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "query/program_options.h"
#include "run/codes.h"
#include "util/channels.h"
#include "util/cmdline.h"
#include "util/option_parser.h"

namespace {

// Whether an argument written back by JoinArguments reads as the same positional argument.
bool SurvivesJoin(const std::string& arg) {
  return !arg.empty() && arg.find('"') == std::string::npos && arg[0] != '/' && arg[0] != '-';
}

// Input: the raw command line, program path first.
void CheckCommandLine(FuzzRun*, const std::string& input) {
  const std::string line = CString(input);
  SetProcessCommandLine(line, "/usr/bin/lorvex");
  std::string options;
  std::vector<std::string> args;
  if (!SplitCommandLine("LORVEX", &options, &args, 5)) return;
  FUZZ_CHECK(args.size() <= 5 && options.size() <= 255);
  // The option text is each option token after one blank; a token starts with '/' or '-'.
  if (!options.empty()) FUZZ_CHECK(options[0] == ' ' && (options[1] == '/' || options[1] == '-'));
  for (const std::string& arg : args) FUZZ_CHECK(arg.size() <= line.size());
  // Written back as the shell would pass them, the arguments and options split the same again.
  if (!std::all_of(args.begin(), args.end(), SurvivesJoin)) return;
  std::vector<const char*> argv = {"lorvex"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  SetProcessCommandLine(JoinArguments(static_cast<int>(argv.size()), argv.data()) + options,
                        "/usr/bin/lorvex");
  std::string options_again;
  std::vector<std::string> args_again;
  FUZZ_CHECK(SplitCommandLine("LORVEX", &options_again, &args_again, 5));
  FUZZ_CHECK(args_again == args && options_again == options);
}

// What the parser gathered from sources that were all read without error.
void CheckGathered(const GatheredOptions& found) {
  // Letters appear once each, and only the allowed ones (the value of '@' is kept under 'j').
  for (size_t i = 0; i < found.without_value.size(); ++i) {
    FUZZ_CHECK(strchr(kPlainOptionLetters, found.without_value[i]) != nullptr);
    FUZZ_CHECK(found.without_value.find(found.without_value[i], i + 1) == std::string::npos);
  }
  for (size_t i = 0; i < found.with_value.size(); ++i) {
    char letter = found.with_value[i];
    FUZZ_CHECK(strchr(kValuedOptionLetters, letter) != nullptr || letter == 'j');
    FUZZ_CHECK(found.with_value.find(letter, i + 1) == std::string::npos);
    FUZZ_CHECK(found.has_value[letter - 'a']);
  }
  for (int slot = 0; slot < 26; ++slot) {
    const std::string& value = found.values[slot];
    // A value is never empty, never starts with the ':' or '=' that introduce it, and fits the
    // 255-character body of its option.
    if (!found.has_value[slot]) FUZZ_CHECK(value.empty());
    if (found.has_value[slot])
      FUZZ_CHECK(!value.empty() && value[0] != ':' && value[0] != '=' && value.size() < 255);
  }
}

bool Parse(const std::string& text, GatheredOptions* found) {
  return ParseOptionText("LORVEX", text, kPlainOptionLetters, kValuedOptionLetters, found, "command line");
}

std::string Sorted(std::string letters) {
  std::sort(letters.begin(), letters.end());
  return letters;
}

// Input: up to three option texts, one a line, parsed in turn as later sources override earlier.
void CheckOptionTexts(FuzzRun*, const std::string& input) {
  std::string rest = CString(input), text;
  GatheredOptions found;
  for (int source = 0; source < 3; ++source) {
    SplitAt(rest, '\n', &text, &rest);
    if (!Parse(text, &found)) return;
    CheckGathered(found);
    if (rest.empty()) break;
  }
  // A text given twice in a row leaves what it left the first time.
  SplitAt(CString(input), '\n', &text, &rest);
  GatheredOptions once;
  if (!Parse(text, &once)) return;
  GatheredOptions twice = once;
  FUZZ_CHECK(Parse(text, &twice));
  FUZZ_CHECK(Sorted(once.without_value) == Sorted(twice.without_value));
  FUZZ_CHECK(Sorted(once.with_value) == Sorted(twice.with_value));
  for (int slot = 0; slot < 26; ++slot) FUZZ_CHECK(once.values[slot] == twice.values[slot]);
}

// Input: the contents of an options file (zemutils.ini or a /@ file).
void CheckOptionsFile(FuzzRun*, const std::string& input) {
  GatheredOptions found;
  if (ReadOptionsFile("LORVEX", MemoryFileName(input), kPlainOptionLetters, kValuedOptionLetters, &found,
                      false)) {
    CheckGathered(found);
  }
}

// Input: a /a column layout.
void CheckLayout(FuzzRun* f, const std::string& input) {
  const ColumnFormat& columns = f->run.options.columns;
  if (!ParseColumnLayout(&f->run, input)) {
    FUZZ_CHECK(columns.count == 0 && columns.line_width == 0);
    return;
  }
  // The line holds every field and one blank between neighbours, and fits the message buffer.
  int total = -1;
  for (int i = 0; i < columns.count && i < kMaxColumns; ++i) total += columns.widths[i] + 1;
  FUZZ_CHECK(columns.count >= 0 && columns.count <= kMaxColumns && columns.line_width < kMessageBufferSize);
  FUZZ_CHECK(columns.line_width == (columns.count == 0 ? 0 : total));
}

// Input: a /s value.
void CheckSort(FuzzRun* f, const std::string& input) {
  if (!ParseSortValue(&f->run, CString(input).c_str())) return;
  uint32_t mode = f->run.options.sort_mode;
  FUZZ_CHECK((mode & ~(kSortName | kSortValue | kSortReverse)) == 0);
  FUZZ_CHECK(((mode & kSortName) != 0) != ((mode & kSortValue) != 0));  // exactly one key
}

// Input: a /o value.
void CheckClass(FuzzRun* f, const std::string& input) {
  if (!ParseObjectClass(&f->run, input)) return;
  const std::string& name = f->run.options.object_class;
  FUZZ_CHECK(name == "user" || name == "group" || name == "computer" || name == "person" ||
             name == "inetOrgPerson");
  FUZZ_CHECK(!input.empty() && input.size() <= name.size());
}

// Input: a /y value.
void CheckForm(FuzzRun* f, const std::string& input) {
  if (!ParseNameForm(&f->run, input)) {
    FUZZ_CHECK(f->run.options.name_form == kFormCanonical);  // the default stays
    return;
  }
  uint32_t form = f->run.options.name_form;
  // At most one form, with or without "remove types".
  FUZZ_CHECK(form != 0 && form <= 0x1FF && std::popcount(form & ~static_cast<uint32_t>(kFormNoTypes)) <= 1);
}

// Only the last path component has its date and time codes expanded.
void CheckFileName(const std::string& name, uint32_t now) {
  std::string expanded = ExpandFileNameCodes(name, now), unquoted;
  FUZZ_CHECK(expanded.find('"') == std::string::npos);
  for (char c : name) {
    if (c != '"') unquoted += c;
  }
  size_t cut = unquoted.find_last_of(":\\/");
  size_t start = cut == std::string::npos ? 0 : cut + 1;
  FUZZ_CHECK(expanded.compare(0, start, unquoted, 0, start) == 0);
  // A code of two characters gives at most four ("%z", the year).
  FUZZ_CHECK(expanded.size() <= start + 2 * (unquoted.size() - start));
  if (unquoted.find('%', start) == std::string::npos) FUZZ_CHECK(expanded == unquoted);
}

void CheckWord(uint32_t word, const char* name, bool ok) {
  FUZZ_CHECK((word & ~0x3FFu) == 0);
  FUZZ_CHECK(strnlen(name, 256) < 256);  // a name typed longer is cut to its buffer
  if (!ok) FUZZ_CHECK(word == kChannelCon);
}

// Input: a control byte (bit 0: /l given, bit 1: /e given, bit 2: /l without a value, bit 3: /e
// without a value), then the /l value, a newline and the /e value.
void CheckChannelWords(FuzzRun* f, const std::string& input) {
  if (input.empty()) return;
  const uint8_t control = static_cast<uint8_t>(input[0]);
  std::string log_value, err_value;
  SplitAt(CString(input.substr(1)), '\n', &log_value, &err_value);
  OutputContext& out = f->out;
  out.normal_flags = out.error_flags = kChannelCon;
  if (control & 1) out.control_flags |= kControlLogGiven;
  if (control & 2) out.control_flags |= kControlErrGiven;
  bool ok = SetChannelWord(&out, 'l', (control & 4) ? nullptr : log_value.c_str());
  CheckWord(out.normal_flags, out.log_file_name, ok);
  if (ok) {
    CheckWord(out.error_flags, out.error_file_name,
              SetChannelWord(&out, 'e', (control & 8) ? nullptr : err_value.c_str()));
    FUZZ_CHECK((out.normal_flags & kChannelErr) == 0);  // ERR belongs to the /e word alone
  }
  // An option that was not given leaves its word at the defaults and its file at the default name.
  if (!(control & 1) && ok) {
    FUZZ_CHECK(out.normal_flags == (kChannelCon | kChannelWrap) &&
               strcmp(out.log_file_name, "lorvex.log") == 0);
  }
  CheckFileName(log_value, kFuzzNow);
  CheckFileName(err_value, 0x7FFFFFFF);
}

}  // namespace

FUZZ_TARGET(CheckCommandLine, CheckOptionTexts, CheckOptionsFile, CheckLayout, CheckSort, CheckClass,
            CheckForm, CheckChannelWords)
