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

}  // namespace

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
  if (op == kOpNone && (text == "in" || IsAbbreviationOf(text, "includes"))) op = kOpIncludes;
  if (op == kOpNone && (text == "ni" || IsAbbreviationOf(text, "!includes"))) op = kOpExcludes;
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
