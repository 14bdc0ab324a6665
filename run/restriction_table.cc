// The restriction table.
#include "run/restriction_table.h"

namespace {

using R = RestrictionRecord;

// Every restriction the command line can name, in code order. Columns: code, keyword, aliases,
// label, kind of value, flag read, number field read, value-line form, equal-only, sortable.
// clang-format off
const RestrictionInfo kRestrictions[] = {
    {kAd,  "ad",  {},           "Account disabled",               kValueYesNo,      kFlagDisabled,         nullptr,                     kShownYesNo,        true,  true},
    {kAe,  "ae",  {},           "Account expired",                kValueYesNo,      kFlagExpired,          &R::account_expires,         kShownYesNoAndDate, true,  true},
    {kAed, "aed", {},           "Account expiration date",        kValueDate,       0,                     &R::account_expires,         kShownOwn,          false, true},
    {kAl,  "al",  {},           "Account locked",                 kValueYesNo,      kFlagLocked,           nullptr,                     kShownYesNo,        true,  true},
    {kBlc, "blc", {},           "Bad logon count",                kValueInteger,    0,                     &R::bad_logon_count,         kShownOwn,          false, true},
    {kCd,  "cd",  {},           "Creation date",                  kValueDate,       0,                     &R::created,                 kShownDateTime,     false, true},
    {kIld, "ild", {},           "Intruder lockout date",          kValueDate,       0,                     &R::lockout_time,            kShownDateTime,     false, true},
    {kIlp, "ilp", {},           "Intruder lockout period",        kValueInteger,    0,                     &R::lockout_duration,        kShownOwn,          false, true},
    {kIlr, "ilr", {},           "Intruder reset period",          kValueInteger,    0,                     &R::lockout_reset_period,    kShownOwn,          false, true},
    {kIlt, "ilt", {},           "Intruder lockout threshold",     kValueInteger,    0,                     &R::lockout_threshold,       kShownCount,        false, true},
    {kLld, "lld", {},           "Last logon date",                kValueDate,       0,                     &R::last_logon,              kShownOwn,          false, true},
    {kLud, "lud", {},           "Last unsuccessful logon date",   kValueDate,       0,                     &R::last_bad_logon,          kShownDateTime,     false, true},
    {kMd,  "md",  {},           "Modification date",              kValueDate,       0,                     &R::modified,                kShownOwn,          false, true},
    {kPcr, "pcr", {},           "Password complexity required",   kValueYesNo,      kFlagComplexity,       nullptr,                     kShownYesNo,        false, true},
    {kPcl, "pcl", {},           "Password change next logon",     kValueYesNo,      kFlagChangeNextLogon,  nullptr,                     kShownYesNo,        true,  true},
    {kPe,  "pe",  {},           "Password expired",               kValueYesNo,      kFlagPasswordExpired,  &R::password_expires,        kShownYesNoAndDate, true,  true},
    {kPed, "ped", {},           "Password expiration date",       kValueDate,       0,                     &R::password_expires,        kShownOwn,          false, true},
    {kPhl, "phl", {},           "Password history length",        kValueInteger,    0,                     &R::password_history_length, kShownCount,        false, true},
    {kPmx, "pmx", {"pei"},      "Password maximum age",           kValueInteger,    0,                     &R::max_password_age,        kShownDuration,     false, true},
    {kPlc, "plc", {},           "Password last change date",      kValueDate,       0,                     &R::password_last_set,       kShownDateTime,     false, true},
    {kPml, "pml", {"mpl"},      "Password minimum length",        kValueInteger,    0,                     &R::min_password_length,     kShownOwn,          false, true},
    {kPmn, "pmn", {},           "Password minimum age",           kValueInteger,    0,                     &R::min_password_age,        kShownDuration,     false, true},
    {kPne, "pne", {},           "Password never expires",         kValueYesNo,      kFlagNeverExpires,     nullptr,                     kShownYesNo,        true,  true},
    {kPr,  "pr",  {},           "Password required",              kValueYesNo,      kFlagPasswordRequired, nullptr,                     kShownYesNo,        true,  true},
    {kPre, "pre", {},           "Password reversible encryption", kValueYesNo,      kFlagReversible,       nullptr,                     kShownYesNo,        true,  true},
    {kPso, "pso", {},           "Password settings object",       kValueObject,     0,                     nullptr,                     kShownOwn,          false, true},
    {kPuc, "puc", {"ucp"},      "Password user can change",       kValueYesNo,      kFlagUserCanChange,    nullptr,                     kShownYesNo,        true,  true},
    {kPur, "pur", {"upr"},      "Password unique required",       kValueYesNo,      kFlagUniqueRequired,   nullptr,                     kShownYesNo,        true,  true},
    {kLh,  "tr",  {"lh"},       "Logon hours",                    kValueLogonHours, 0,                     nullptr,                     kShownOwn,          true,  false},
    {kWr,  "wr",  {"ar", "sr"}, "Workstation restrictions",       kValueText,       0,                     nullptr,                     kShownOwn,          false, true},
    {kAll, "all", {},           "All restrictions",               kValueNone,       0,                     nullptr,                     kShownOwn,          false, false},
};
const RestrictionInfo kNoRestriction = {kRestrictionNone, "", {}, "", kValueNone, 0, nullptr, kShownOwn, false, false};
// clang-format on

}  // namespace

const RestrictionInfo& RestrictionRow(RestrictionCode code) {
  for (const RestrictionInfo& info : kRestrictions) {
    if (info.code == code) return info;
  }
  return kNoRestriction;
}

const RestrictionInfo* FindRestrictionKeyword(const std::string& keyword) {
  for (const RestrictionInfo& info : kRestrictions) {
    if (keyword == info.keyword) return &info;
    for (const char* alias : info.aliases) {
      if (alias != nullptr && keyword == alias) return &info;
    }
  }
  return nullptr;
}
