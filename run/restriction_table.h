// The restriction vocabulary: one row per restriction, walked by the command grammar (keywords,
// aliases, operators and values allowed), by the filter and the sort (the record field a code
// reads) and by the reports (the label and the form of the value line).
#ifndef LORVEX_RUN_RESTRICTION_TABLE_H_
#define LORVEX_RUN_RESTRICTION_TABLE_H_

#include <cstdint>
#include <string>

#include "run/codes.h"
#include "run/restriction_record.h"

/// Kinds of value a restriction takes.
enum ValueKind {
  kValueYesNo,
  kValueDate,
  kValueInteger,
  kValueObject,
  kValueText,
  kValueLogonHours,
  kValueNone
};

/// How a value line shows a restriction's value.
enum ValueShown {
  kShownYesNo,         ///< "Yes" or " No" of the flag
  kShownYesNoAndDate,  ///< "Yes" or "No " of the flag and the date of the number field in brackets
  kShownDateTime,      ///< the number field as a date and time
  kShownCount,         ///< the number field in 12 columns, zero reading "None"
  kShownDuration,      ///< the number field as a duration in 12 columns, zero reading "None"
  kShownOwn,           ///< a form of its own, chosen by the code
};

/// One row of the restriction table.
struct RestrictionInfo {
  RestrictionCode code;
  const char* keyword;     ///< as typed, lower case; logon hours is "tr"
  const char* aliases[2];  ///< other spellings of the keyword, or null
  const char* label;       ///< the long name the headings show
  ValueKind kind;
  uint32_t flag;                        ///< the record flag a yes/no restriction reads, else 0
  uint32_t RestrictionRecord::*number;  ///< the record field a number or time restriction reads, or null
  ValueShown shown;
  bool equal_only;  ///< takes only the equal and not-equal operators
  bool sortable;    ///< may be sorted by value
};

/// The row of a code; a code outside the table gets a row with no keyword, no label and no kind.
const RestrictionInfo& RestrictionRow(RestrictionCode code);
/// The row of a lower-case keyword or alias ("lh" names logon hours), or null.
const RestrictionInfo* FindRestrictionKeyword(const std::string& keyword);

#endif  // LORVEX_RUN_RESTRICTION_TABLE_H_
