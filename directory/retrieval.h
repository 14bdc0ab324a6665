// Reading an object's restrictions and the password policies that apply to it.
#ifndef LORVEX_DIRECTORY_RETRIEVAL_H_
#define LORVEX_DIRECTORY_RETRIEVAL_H_

#include <string>

#include "query/run_context.h"

/// Reads the domain's password and lockout policy into run->policy (all zero when unreadable).
int ReadDomainPolicy(RunContext* run);
/// Reads one object into a record and hands it to the filter; returns 0, 150 or 151.
int RetrieveRestrictions(RunContext* run, const std::string& dn);
/// Overrides the record's policy values from a password settings object; false after an error line.
bool ReadPasswordSettings(RunContext* run, const std::string& dn, RestrictionRecord* record);
/// Checks (and completes) a pso value naming a password settings object; false after an error line.
bool CheckPasswordSettingsName(RunContext* run, std::string* value);

#endif  // LORVEX_DIRECTORY_RETRIEVAL_H_
