// The restriction keywords and comparison operators.
#include "query/restrictions.h"

#include "util/ascii_text.h"
#include "util/output.h"

namespace {

// Fixed operator spellings in the order they are tried.
struct OperatorSpelling {
  const char* text;
  OperatorCode code;
};
const OperatorSpelling kOperators[] = {
    {"le", kOpLe}, {"<=", kOpLe}, {"lt", kOpLt}, {"<", kOpLt},  {"eq", kOpEq}, {"=", kOpEq},
    {"gt", kOpGt}, {">", kOpGt},  {"ge", kOpGe}, {">=", kOpGe}, {"ne", kOpNe}, {"!=", kOpNe},
};

// The includes and excludes operators: a short word, or any beginning of the long one.
constexpr char kIncludesShort[] = "in";
constexpr char kIncludes[] = "includes";
constexpr char kExcludesShort[] = "ni";
constexpr char kExcludes[] = "!includes";

}  // namespace

std::vector<std::string> RestrictionWords() {
  std::vector<std::string> words, aliases;
  for (uint32_t code = kAd; code <= kAll; ++code) {
    const RestrictionInfo& info = RestrictionRow(static_cast<RestrictionCode>(code));
    if (info.keyword == nullptr || *info.keyword == '\0') continue;  // no keyword: code 12
    words.push_back(info.keyword);
    for (const char* alias : info.aliases) {
      if (alias) aliases.push_back(alias);
    }
  }
  words.insert(words.end(), aliases.begin(), aliases.end());
  return words;
}

std::vector<std::string> OperatorWords() {
  std::vector<std::string> words;
  for (const OperatorSpelling& spelling : kOperators) words.push_back(spelling.text);
  for (const char* word : {kIncludesShort, kIncludes, kExcludesShort, kExcludes}) words.push_back(word);
  return words;
}

bool LookupRestriction(RunContext* run, const std::string& keyword, std::string* label) {
  if (const RestrictionInfo* info = FindRestrictionKeyword(keyword)) {
    run->restriction = info->code;
    if (label) *label = info->label;
    return true;
  }
  PrintFormatted(run->output, -1, 1, "%s: Unrecognised account restriction '%s'", run->output->program_name,
                 keyword.c_str());
  return false;
}

bool ParseOperator(RunContext* run, RestrictionCode code, const std::string& text, std::string* error) {
  OperatorCode op = kOpNone;
  for (const OperatorSpelling& spelling : kOperators) {
    if (text == spelling.text) {
      op = spelling.code;
      break;
    }
  }
  // An empty text is a beginning of every word, but it names no operator.
  if (op == kOpNone && (text == kIncludesShort || IsAbbreviationOf(text, kIncludes))) op = kOpIncludes;
  if (op == kOpNone && (text == kExcludesShort || IsAbbreviationOf(text, kExcludes))) op = kOpExcludes;
  if (op == kOpNone) {
    if (error) *error = "Unrecognised comparison operator '" + text + "'";
    return false;
  }
  if ((op == kOpIncludes || op == kOpExcludes) && code != kWr) {
    if (error) {
      *error = std::string("Operators 'include' and '!include' can be used only with field \"") +
               RestrictionRow(kWr).label + "\"";
    }
    return false;
  }
  run->op = op;
  return true;
}
