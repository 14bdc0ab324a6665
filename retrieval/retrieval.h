// Reading an object's restrictions and the password policies that apply to it.
#ifndef LORVEX_RETRIEVAL_RETRIEVAL_H_
#define LORVEX_RETRIEVAL_RETRIEVAL_H_

#include <string>
#include <vector>

#include "directory/ads/ads.h"
#include "run/run_context.h"

/// Reads the domain's password and lockout policy into run->policy (all zero when unreadable).
int ReadDomainPolicy(RunContext* run);
/// Reads one object into a record and hands it to the filter; returns 0, 150 or 151.
int RetrieveRestrictions(RunContext* run, const std::string& dn);
/// Checks (and completes) a pso value naming a password settings object; false after an error line.
bool CheckPasswordSettingsName(RunContext* run, std::string* value);

/// A generalized time (UTC) in the run's local seconds; 0 before 1970.
uint32_t LocalUtcTime(const RunContext* run, const AdsUtcTime& time);
/// A file-time value in the run's local seconds; 0 for none and never.
uint32_t LocalFileTime(const RunContext* run, const AdsValue& value);
/// Overrides a record's policy values from the attributes of a password settings object.
void ApplyPasswordSettings(const std::vector<AdsAttribute>& attributes, RestrictionRecord* record);

#endif  // LORVEX_RETRIEVAL_RETRIEVAL_H_
