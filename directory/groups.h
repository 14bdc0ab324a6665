// Group member expansion.
#ifndef LORVEX_DIRECTORY_GROUPS_H_
#define LORVEX_DIRECTORY_GROUPS_H_

#include <string>

#include "query/run_context.h"

/// Processes every member of a group (nested groups with /g); returns a work result code.
int ExpandGroup(RunContext* run, const std::string& dn);

#endif  // LORVEX_DIRECTORY_GROUPS_H_
