// Fuzzes the readers of what the user gives as options: the raw command line, option texts,
// options files, the /a /s /o /y values and the /l /e channel words.
#include <algorithm>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "query/program_options.h"
#include "run/codes.h"
#include "util/channels.h"
#include "util/cmdline.h"
#include "util/option_parser.h"

namespace {

// Input: the raw command line. Written back as the shell would pass them, arguments that survive
// joining (not empty, no quote, no leading '/' or '-') and the options split the same again.
void CheckCommandLine(FuzzRun*, const std::string& input) {
  const std::string line = CString(input);
  SetProcessCommandLine(line, "/usr/bin/lorvex");
  std::string options, options_again;
  std::vector<std::string> args, args_again;
  if (!SplitCommandLine("LORVEX", &options, &args, 5)) return;
  FUZZ_CHECK(args.size() <= 5 && options.size() <= 255);
  if (!options.empty()) FUZZ_CHECK(options[0] == ' ' && (options[1] == '/' || options[1] == '-'));
  std::vector<const char*> argv = {"lorvex"};
  for (const std::string& arg : args) {
    FUZZ_CHECK(arg.size() <= line.size());
    if (arg.empty() || arg.find('"') != std::string::npos || arg[0] == '/' || arg[0] == '-') return;
    argv.push_back(arg.c_str());
  }
  SetProcessCommandLine(JoinArguments(static_cast<int>(argv.size()), argv.data()) + options,
                        "/usr/bin/lorvex");
  FUZZ_CHECK(SplitCommandLine("LORVEX", &options_again, &args_again, 5));
  FUZZ_CHECK(args_again == args && options_again == options);
}

// What the parser gathered: each letter once and allowed (the value of '@' is kept under 'j'), and
// values not empty, not starting with the ':' or '=' that introduce them, within 255 characters.
void CheckGathered(const GatheredOptions& found) {
  for (const auto& [list, allowed] : {std::pair{&found.without_value, kPlainOptionLetters},
                                      std::pair{&found.with_value, kValuedOptionLetters}}) {
    for (size_t i = 0; i < list->size(); ++i) {
      char letter = (*list)[i];
      FUZZ_CHECK(list->find(letter, i + 1) == std::string::npos &&
                 (strchr(allowed, letter) != nullptr || (list == &found.with_value && letter == 'j')));
      if (list == &found.with_value) FUZZ_CHECK(found.has_value[letter - 'a']);
    }
  }
  for (int slot = 0; slot < 26; ++slot) {
    const std::string& value = found.values[slot];
    FUZZ_CHECK(found.has_value[slot]
                   ? !value.empty() && value[0] != ':' && value[0] != '=' && value.size() < 255
                   : value.empty());
  }
}

// Input: up to three option texts, one a line, parsed in turn as later sources override earlier.
void CheckOptionTexts(FuzzRun*, const std::string& input) {
  std::string rest = CString(input), text;
  GatheredOptions found;
  for (int source = 0; source < 3 && (source == 0 || !rest.empty()); ++source) {
    SplitAt(rest, '\n', &text, &rest);
    if (!ParseOptionText("LORVEX", text, kPlainOptionLetters, kValuedOptionLetters, &found, "command line"))
      return;
    CheckGathered(found);
  }
}

// Input: the contents of an options file.
void CheckOptionsFile(FuzzRun*, const std::string& input) {
  GatheredOptions found;
  if (ReadOptionsFile("LORVEX", MemoryFileName(input), kPlainOptionLetters, kValuedOptionLetters, &found,
                      false))
    CheckGathered(found);
}

// Input: a /a, /s, /o or /y value: what is taken stays within its kind.
void CheckLayout(FuzzRun* f, const std::string& input) {
  const ColumnFormat& columns = f->run.options.columns;
  ParseColumnLayout(&f->run, input);
  FUZZ_CHECK(columns.count >= 0 && columns.count <= kMaxColumns && columns.line_width < kMessageBufferSize);
}
void CheckSort(FuzzRun* f, const std::string& input) {
  if (ParseSortValue(&f->run, CString(input).c_str()))
    FUZZ_CHECK(((f->run.options.sort_mode & kSortName) != 0) !=
               ((f->run.options.sort_mode & kSortValue) != 0));
}
void CheckClass(FuzzRun* f, const std::string& input) {
  if (ParseObjectClass(&f->run, input)) FUZZ_CHECK(input.size() <= f->run.options.object_class.size());
}
void CheckForm(FuzzRun* f, const std::string& input) {
  if (!ParseNameForm(&f->run, input)) FUZZ_CHECK(f->run.options.name_form == kFormCanonical);
}

// Input: a control byte (bit 0: /l given, bit 1: /e given, bit 2: /l without a value, bit 3: /e
// without a value), then the /l value, a newline and the /e value. A file name without a date code
// is taken as it stands, without its quotes.
void CheckChannelWords(FuzzRun* f, const std::string& input) {
  if (input.empty()) return;
  const uint8_t control = static_cast<uint8_t>(input[0]);
  std::string log_value, err_value;
  SplitAt(CString(input.substr(1)), '\n', &log_value, &err_value);
  OutputContext& out = f->out;
  out.normal_flags = out.error_flags = kChannelCon;
  out.control_flags |= ((control & 1) ? kControlLogGiven : 0) | ((control & 2) ? kControlErrGiven : 0);
  if (SetChannelWord(&out, 'l', (control & 4) ? nullptr : log_value.c_str())) {
    SetChannelWord(&out, 'e', (control & 8) ? nullptr : err_value.c_str());
    FUZZ_CHECK((out.normal_flags & kChannelErr) == 0);  // ERR belongs to the /e word alone
  }
  FUZZ_CHECK(strnlen(out.log_file_name, 256) < 256 && strnlen(out.error_file_name, 256) < 256);
  std::string unquoted = log_value;
  unquoted.erase(std::remove(unquoted.begin(), unquoted.end(), '"'), unquoted.end());
  if (unquoted.find('%') == std::string::npos)
    FUZZ_CHECK(ExpandFileNameCodes(log_value, kFuzzNow) == unquoted);
}

}  // namespace

FUZZ_TARGET(CheckCommandLine, CheckOptionTexts, CheckOptionsFile, CheckLayout, CheckSort, CheckClass,
            CheckForm, CheckChannelWords)
