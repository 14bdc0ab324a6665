// The restriction, operator and value words of a command and the rules that
// decide which may stand together.
#include "query/arguments.h"

#include "query/restrictions.h"
#include "query/values.h"
#include "run/restriction_table.h"
#include "util/ascii_text.h"
#include "util/output.h"

namespace {

// Values that stand for none, unlimited or locked; they compare only for (in)equality.
bool IsSpecialValueWord(const std::string& value) {
  static const char* const kWords[] = {"n", "none", "u", "unlimited", "l", "locked"};
  for (const char* word : kWords) {
    if (value == word) return true;
  }
  return false;
}

// Whether one of the option text's tokens is exactly word. The tokens stand after one blank each,
// as typed: a blank inside double quotes belongs to its token.
bool HasOptionWord(const std::string& option_text, const std::string& word) {
  bool quoted = false;
  size_t start = 0;
  for (size_t i = 0; i <= option_text.size(); ++i) {
    if (i < option_text.size() && option_text[i] == '"') quoted = !quoted;
    if (i == option_text.size() || (option_text[i] == ' ' && !quoted)) {
      if (option_text.compare(start, i - start, word) == 0) return true;
      start = i + 1;
    }
  }
  return false;
}

bool IsEqualityOperator(OperatorCode op) { return op == kOpEq || op == kOpNe; }

// Prints a refusal of the command: the text after the program name, as an error.
bool Refuse(RunContext* run, const std::string& text) {
  PrintFormatted(run->output, -1, 1, "%s: %s", run->output->program_name, text.c_str());
  return false;
}

}  // namespace

InformationRequest RequestedInformation(const std::vector<std::string>& args,
                                        const std::string& option_text) {
  // --help and --version are words of their own: as option letters they would be refused
  // ("-h" takes no value), so they take nothing from what the options mean.
  if ((!args.empty() && args[0] == "?") || option_text.find(" -?") != std::string::npos ||
      option_text.find(" /?") != std::string::npos || HasOptionWord(option_text, "--help")) {
    return kUsageRequested;
  }
  return HasOptionWord(option_text, "--version") ? kVersionRequested : kNoInformation;
}

bool ReadCommandWords(RunContext* run, std::vector<std::string>* args, CommandWords* words) {
  const size_t count = args->size();
  words->display_name = RestrictionRow(kAll).label;
  words->op_text.clear();
  words->value_text.clear();

  if (count > 1) {
    (*args)[1] = LowerCase((*args)[1]);
    if (!LookupRestriction(run, (*args)[1], &words->display_name)) return false;
  }
  const RestrictionCode restriction = run->restriction;
  const RestrictionInfo& row = RestrictionRow(restriction);

  const uint32_t sort_mode = run->options.sort_mode;
  if (sort_mode != 0 && (sort_mode & ~static_cast<uint32_t>(kSortReverse)) != kSortName && !row.sortable) {
    return Refuse(run, "Cannot sort by value for all restrictions or logon hours");
  }

  if (count > 2) {
    if (restriction == kAll) return Refuse(run, "Cannot follow 'all' with an operator");
    (*args)[2] = LowerCase((*args)[2]);
    words->op_text = (*args)[2];
    std::string error;
    if (!ParseOperator(run, restriction, words->op_text, &error)) return Refuse(run, error);
    if (row.equal_only && !IsEqualityOperator(run->op)) {
      return Refuse(
          run,
          "Restrictions 'ad', 'ae', 'al, 'pcl', 'pe', 'pne', 'pr', 'pre', 'pur' 'puc' can only be used "
          "with operators 'eq' and 'ne'");
    }
  }

  // A date and a time may be given as two words.
  size_t used = count < 3 ? count : 3;
  if (count > 3) {
    (*args)[3] = LowerCase((*args)[3]);
    words->value_text = (*args)[3];
    std::string value = (*args)[3];
    used = 4;
    if (row.kind == kValueDate && count > 4) {
      (*args)[4] = LowerCase((*args)[4]);
      value += " " + (*args)[4];
      used = 5;
    }
    if (IsSpecialValueWord(value) && !IsEqualityOperator(run->op)) {
      return Refuse(
          run,
          "Values 'none', 'n', 'unlimited', 'u', 'locked' and 'l' can only be used with operators '=', "
          "'eq' and 'ne'");
    }
    std::string error;
    if (!ParseValue(run, value, row.keyword, &error, restriction)) {
      // Without a text the value's own check has printed its message.
      return error.empty() ? false : Refuse(run, error);
    }
  } else if (count == 3) {
    return Refuse(run, "Operator '" + words->op_text + "' must be followed by a value");
  }
  if (count > used) return Refuse(run, "Too many parameters or missing '/' or '-'");
  return true;
}
