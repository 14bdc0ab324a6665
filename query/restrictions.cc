// The restriction keywords and comparison operators.
#include "query/restrictions.h"

#include <cctype>
#include <cstring>

#include "util/output.h"

namespace {

// Every restriction the command line can name, in code order. Logon hours is
// listed under "tr": "lh" is turned into "tr" before the look-up.
const RestrictionInfo kRestrictions[] = {
    {kAd, "ad", "Account disabled", kValueYesNo, true, false, true},
    {kAe, "ae", "Account expired", kValueYesNo, true, false, true},
    {kAed, "aed", "Account expiration date", kValueDate, false, false, true},
    {kAl, "al", "Account locked", kValueYesNo, true, false, true},
    {kBlc, "blc", "Bad logon count", kValueInteger, false, false, true},
    {kCd, "cd", "Creation date", kValueDate, false, false, true},
    {kIld, "ild", "Intruder lockout date", kValueDate, false, false, true},
    {kIlp, "ilp", "Intruder lockout period", kValueInteger, false, false, true},
    {kIlr, "ilr", "Intruder reset period", kValueInteger, false, false, true},
    {kIlt, "ilt", "Intruder lockout threshold", kValueInteger, false, false, true},
    {kLld, "lld", "Last logon date", kValueDate, false, true, true},
    {kLud, "lud", "Last unsuccessful logon date", kValueDate, false, false, true},
    {kMd, "md", "Modification date", kValueDate, false, true, true},
    {kPcr, "pcr", "Password complexity required", kValueYesNo, false, false, true},
    {kPcl, "pcl", "Password change next logon", kValueYesNo, true, false, true},
    {kPe, "pe", "Password expired", kValueYesNo, true, false, true},
    {kPed, "ped", "Password expiration date", kValueDate, false, false, true},
    {kPhl, "phl", "Password history length", kValueInteger, false, false, true},
    {kPmx, "pmx", "Password maximum age", kValueInteger, false, false, true},
    {kPlc, "plc", "Password last change date", kValueDate, false, false, true},
    {kPml, "pml", "Password minimum length", kValueInteger, false, false, true},
    {kPmn, "pmn", "Password minimum age", kValueInteger, false, false, true},
    {kPne, "pne", "Password never expires", kValueYesNo, true, false, true},
    {kPr, "pr", "Password required", kValueYesNo, true, false, true},
    {kPre, "pre", "Password reversible encryption", kValueYesNo, true, false, true},
    {kPso, "pso", "Password settings object", kValueObject, false, false, true},
    {kPuc, "puc", "Password user can change", kValueYesNo, true, false, true},
    {kPur, "pur", "Password unique required", kValueYesNo, true, false, true},
    {kLh, "tr", "Logon hours", kValueLogonHours, true, false, false},
    {kWr, "wr", "Workstation restrictions", kValueText, false, false, true},
    {kAll, "all", "All restrictions", kValueNone, false, true, false},
};

// Alternative spellings and the keyword each stands for.
struct Alias {
  const char* alias;
  const char* keyword;
};
const Alias kAliases[] = {
    {"ar", "wr"}, {"sr", "wr"}, {"lh", "tr"}, {"mpl", "pml"}, {"pei", "pmx"}, {"ucp", "puc"}, {"upr", "pur"},
};

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

// Whether text is a non-empty beginning of word, letters compared without regard to case.
bool IsBeginningOf(const std::string& text, const char* word) {
  if (text.empty() || text.size() > strlen(word)) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (tolower(static_cast<unsigned char>(text[i])) != tolower(static_cast<unsigned char>(word[i])))
      return false;
  }
  return true;
}

}  // namespace

const RestrictionInfo* FindRestriction(RestrictionCode code) {
  for (const RestrictionInfo& info : kRestrictions) {
    if (info.code == code) return &info;
  }
  return nullptr;
}

std::vector<std::string> RestrictionWords() {
  std::vector<std::string> words;
  for (const RestrictionInfo& info : kRestrictions) words.push_back(info.keyword);
  for (const Alias& alias : kAliases) words.push_back(alias.alias);
  return words;
}

std::vector<std::string> OperatorWords() {
  std::vector<std::string> words;
  for (const OperatorSpelling& spelling : kOperators) words.push_back(spelling.text);
  for (const char* word : {kIncludesShort, kIncludes, kExcludesShort, kExcludes}) words.push_back(word);
  return words;
}

const char* RestrictionKeyword(RestrictionCode code) {
  const RestrictionInfo* info = FindRestriction(code);
  return info ? info->keyword : "";
}

const char* RestrictionDisplayName(RestrictionCode code) {
  const RestrictionInfo* info = FindRestriction(code);
  return info ? info->display_name : "";
}

bool IsDateRestriction(RestrictionCode code) {
  const RestrictionInfo* info = FindRestriction(code);
  return info && info->kind == kValueDate;
}

bool IsEqualOnlyRestriction(RestrictionCode code) {
  const RestrictionInfo* info = FindRestriction(code);
  return info && info->equal_only;
}

bool CanSortByValue(RestrictionCode code) {
  const RestrictionInfo* info = FindRestriction(code);
  return info && info->sortable;
}

bool LookupRestriction(RunContext* run, const std::string& keyword, std::string* display_name) {
  const char* wanted = keyword.c_str();
  for (const Alias& alias : kAliases) {
    if (keyword == alias.alias) wanted = alias.keyword;
  }
  for (const RestrictionInfo& info : kRestrictions) {
    if (strcmp(wanted, info.keyword) == 0) {
      run->restriction = info.code;
      if (display_name) *display_name = info.display_name;
      return true;
    }
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
  if (op == kOpNone && (text == kIncludesShort || IsBeginningOf(text, kIncludes))) op = kOpIncludes;
  if (op == kOpNone && (text == kExcludesShort || IsBeginningOf(text, kExcludes))) op = kOpExcludes;
  if (op == kOpNone) {
    if (error) *error = "Unrecognised comparison operator '" + text + "'";
    return false;
  }
  if ((op == kOpIncludes || op == kOpExcludes) && code != kWr) {
    if (error) {
      *error = std::string("Operators 'include' and '!include' can be used only with field \"") +
               RestrictionDisplayName(kWr) + "\"";
    }
    return false;
  }
  run->op = op;
  return true;
}
