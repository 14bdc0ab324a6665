// The program's option letters, their effects on a run, and the parsers of
// the enumerated option values (/a, /s, /o, /y).
#include "query/program_options.h"

#include <cctype>
#include <cstring>

#include "util/ascii_text.h"
#include "util/channels.h"
#include "util/cmdline.h"
#include "util/console.h"
#include "util/output.h"

const char kPlainOptionLetters[] = "0$cefghjlnpstuvx";
const char kValuedOptionLetters[] = "@aelopsy";

namespace {

constexpr int kMaxLineWidth = 16384;

// Default widths of the /a fields.
struct ColumnDefault {
  char letter;
  int16_t width;
};
const ColumnDefault kColumnDefaults[] = {{'d', 15}, {'f', 20}, {'u', 20}, {'v', 20}};

// Object classes of /o, in the order a beginning is tried.
const char* const kObjectClasses[] = {"user", "group", "computer", "person", "inetOrgPerson"};

// Letters of /y and their name form bits.
struct FormLetter {
  char letter;
  uint32_t bit;
};
const FormLetter kFormLetters[] = {
    {'c', kFormCanonical}, {'s', kFormRelative},   {'n', kFormNt},
    {'l', kFormDisplay},   {'d', kFormWithDomain}, {'p', kFormPrincipal},
    {'g', kFormGuid},      {'u', kFormNoTypes},    {'t', kFormUntypedCn},
};

// Letters of /s: a sort key (at most one) or the reverse bit.
struct SortLetter {
  char letter;
  uint32_t bit;
  bool key;
};
const SortLetter kSortLetters[] = {
    {'u', kSortName, true}, {'d', kSortName, true}, {'v', kSortValue, true}, {'r', kSortReverse, false}};

bool Contains(const std::string& letters, char letter) { return letters.find(letter) != std::string::npos; }

int DefaultColumnWidth(char letter) {
  for (const ColumnDefault& column : kColumnDefaults) {
    if (column.letter == letter) return column.width;
  }
  return 0;
}

const char* ProgramNameOf(const RunContext* run) { return run->output->program_name; }

}  // namespace

bool ParseColumnLayout(RunContext* run, const std::string& value) {
  ColumnFormat& columns = run->options.columns;
  columns = ColumnFormat();
  const std::string text = LowerCase(value);
  const size_t n = text.size();
  ColumnFormat parsed;
  int total = 0;
  size_t i = 0;
  while (i < n) {
    const char letter = text[i];
    if (DefaultColumnWidth(letter) == 0) {
      PrintFormatted(run->output, -1, 1, "%s: Invalid field '%c' in format string '%s'", ProgramNameOf(run),
                     letter, text.c_str());
      return false;
    }
    if (parsed.count == kMaxColumns) {
      PrintFormatted(run->output, -1, 1, "%s: Too many output fields in '%s' (maximum = %d)",
                     ProgramNameOf(run), text.c_str(), kMaxColumns);
      return false;
    }
    ++i;
    while (i < n && !isalnum(static_cast<unsigned char>(text[i]))) ++i;
    // Widths beyond any possible line are held at a ceiling so that the sum cannot overflow.
    int width = 0;
    while (i < n && isdigit(static_cast<unsigned char>(text[i]))) {
      width = width * 10 + (text[i] - '0');
      if (width > kMaxLineWidth) width = kMaxLineWidth;
      ++i;
    }
    if (width == 0) width = DefaultColumnWidth(letter);
    while (i < n && !isalpha(static_cast<unsigned char>(text[i]))) ++i;
    parsed.letters[parsed.count] = letter;
    parsed.widths[parsed.count] = static_cast<int16_t>(width);
    ++parsed.count;
    total += width + 1;
  }
  total -= 1;
  if (total >= kMaxLineWidth) {
    PrintFormatted(run->output, -1, 1, "%s: The output line defined via /a exceeds %d chars",
                   ProgramNameOf(run), kMaxLineWidth);
    return false;
  }
  if (parsed.count > 0) parsed.line_width = static_cast<int16_t>(total);
  columns = parsed;
  return true;
}

bool ParseSortValue(RunContext* run, const char* value) {
  if (value == nullptr) {
    run->options.sort_mode = kSortName;
    return true;
  }
  uint32_t mode = 0;
  int keys = 0;
  bool valid = true;
  for (const char* p = value; *p && valid; ++p) {
    const SortLetter* found = nullptr;
    for (const SortLetter& entry : kSortLetters) {
      if (entry.letter == tolower(static_cast<unsigned char>(*p))) found = &entry;
    }
    valid = found != nullptr;
    if (!valid) break;
    mode |= found->bit;
    if (found->key) ++keys;
  }
  if (!valid || keys > 1) {
    PrintFormatted(run->output, -1, 1, "%s: %s", ProgramNameOf(run),
                   "A sort value may include only one of 'u' or 'v'; and/or 'r'");
    return false;
  }
  // "r" alone sorts by name in reverse.
  if (keys == 0) mode |= kSortName;
  run->options.sort_mode = mode;
  return true;
}

bool ParseObjectClass(RunContext* run, const std::string& value) {
  const std::string text = LowerCase(value);
  for (const char* object_class : kObjectClasses) {
    if (!text.empty() && text == LowerCase(std::string(object_class).substr(0, text.size()))) {
      run->options.object_class = object_class;
      return true;
    }
  }
  PrintFormatted(run->output, -1, 1,
                 "%s: An object class must be user, computer, inetOrgPerson, person or group",
                 ProgramNameOf(run));
  return false;
}

bool ParseNameForm(RunContext* run, const std::string& value) {
  const std::string text = LowerCase(value);
  uint32_t form = 0;
  int others = 0;
  bool valid = !text.empty();
  for (char letter : text) {
    const FormLetter* found = nullptr;
    for (const FormLetter& entry : kFormLetters) {
      if (entry.letter == letter) found = &entry;
    }
    if (found == nullptr) {
      valid = false;
      break;
    }
    if (found->bit != kFormNoTypes) ++others;
    form |= found->bit;
  }
  if (!valid || others > 1) {
    PrintFormatted(run->output, -1, 1, "%s: Value '%s' for /%c is invalid", ProgramNameOf(run), text.c_str(),
                   'y');
    return false;
  }
  run->options.name_form = form;
  return true;
}

int ProcessProgramOptions(RunContext* run, const std::string& option_text, int positional_count) {
  OutputContext* out = run->output;
  ProgramOptions& options = run->options;
  GatheredOptions found;
  if (!GatherOptions(out->program_name, option_text, kPlainOptionLetters, kValuedOptionLetters, &found))
    return 1;

  auto value_of = [&found](char letter) -> const char* {
    const int slot = letter - 'a';
    return found.has_value[slot] ? found.values[slot].c_str() : nullptr;
  };
  bool sort_given = false;
  for (char letter : found.without_value) {
    switch (letter) {
      case '$':
        options.single_controller = true;
        break;
      case 'c':
        options.comma_delimited = true;
        break;
      case 'e':
        out->control_flags |= kControlErrGiven;
        break;
      case 'f':
        options.file_mode = true;
        break;
      case 'g':
        options.nested_groups = true;
        break;
      case 'h':
        options.exit_level = true;
        break;
      case 'j':
        options.no_headings = true;
        break;
      case 'l':
        out->control_flags |= kControlLogGiven;
        break;
      case 'n':
        options.no_display_name = true;
        break;
      case 'p':
        if (!g_silent) out->control_flags |= kControlPaging;
        break;
      case 's':
        sort_given = true;
        break;
      case 't':
        options.totals_only = true;
        break;
      case 'u':
        options.names_only = true;
        break;
      case 'v':
        options.values_only = true;
        break;
      case 'x':
        options.subtree = true;
        break;
      default:
        break;  // /0 is read from the raw command line at start-up
    }
  }
  const char* layout = nullptr;
  const char* object_class = nullptr;
  const char* sort_value = nullptr;
  const char* name_form = nullptr;
  for (char letter : found.with_value) {
    switch (letter) {
      case 'a':
        layout = value_of('a');
        break;
      case 'o':
        object_class = value_of('o');
        break;
      case 's':
        sort_value = value_of('s');
        sort_given = sort_given || sort_value != nullptr;
        break;
      case 'y':
        name_form = value_of('y');
        break;
      case 'e':
        out->control_flags |= kControlErrGiven;
        break;
      case 'l':
        out->control_flags |= kControlLogGiven;
        break;
      case 'p':
        if (!g_silent) out->control_flags |= kControlPaging | kControlPageBreakAtExit;
        break;
      default:
        break;  // the /@ file has already been read
    }
  }
  if ((out->control_flags & kControlPaging) && out->page_length <= 0) out->page_length = ConsoleRows();

  int failed = 0;
  const bool log_valued = Contains(found.with_value, 'l');
  const bool err_valued = Contains(found.with_value, 'e');
  if (!SetChannelWord(out, 'l', log_valued ? value_of('l') : nullptr)) ++failed;
  if (failed == 0 && !SetChannelWord(out, 'e', err_valued ? value_of('e') : nullptr)) ++failed;
  if (failed == 0 && !OpenChannelFiles(out)) ++failed;

  if (failed == 0 && !options.no_headings) {
    out->message[0] = '\0';
    PrintMessage(out, 0, 0);
  }
  if (options.file_mode && positional_count == 0) {
    PrintFormatted(out, -1, 1, "%s: %s", out->program_name, "No file has been specified when /f is used");
    ++failed;
  }
  if (layout) {
    options.names_only = false;
    options.values_only = false;
    options.no_display_name = false;
  }
  if (options.totals_only) {
    layout = nullptr;
    options.names_only = true;
    options.values_only = true;
    sort_given = false;
    sort_value = nullptr;
  }
  if (failed == 0 && layout && !ParseColumnLayout(run, layout)) ++failed;
  if (failed == 0 && object_class && !ParseObjectClass(run, object_class)) ++failed;
  if (failed == 0 && sort_given && !ParseSortValue(run, sort_value)) ++failed;
  if (name_form && !ParseNameForm(run, name_form)) ++failed;
  return failed;
}

std::vector<std::string> OptionValueWords(char letter) {
  std::vector<std::string> words;
  if (letter == 'o') {
    for (const char* object_class : kObjectClasses) words.push_back(object_class);
  } else if (letter == 's') {
    for (const SortLetter& key : kSortLetters) {
      for (const SortLetter& modifier : kSortLetters) {
        if (key.key && !modifier.key) words.push_back(std::string(1, key.letter) + modifier.letter);
      }
      words.push_back(std::string(1, key.letter));
    }
  } else if (letter == 'y') {
    for (const FormLetter& form : kFormLetters) {
      if (form.bit == kFormNoTypes) continue;
      words.push_back(std::string(1, form.letter));
      for (const FormLetter& modifier : kFormLetters) {
        if (modifier.bit == kFormNoTypes) words.push_back(std::string(1, form.letter) + modifier.letter);
      }
    }
  }
  return words;
}
