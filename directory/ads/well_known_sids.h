// The well-known security identifiers every Windows domain knows by name.
#ifndef LORVEX_DIRECTORY_ADS_WELL_KNOWN_SIDS_H_
#define LORVEX_DIRECTORY_ADS_WELL_KNOWN_SIDS_H_

#include <string>

/// Looks up a SID in text form among the well-known ones; false when it is not one of them.
bool LookupWellKnownSid(const std::string& sid_text, std::string* domain, std::string* name, int* use);

#endif  // LORVEX_DIRECTORY_ADS_WELL_KNOWN_SIDS_H_
