// Entity names in every accepted form, resolved to one object or a search.
#ifndef LORVEX_RETRIEVAL_ENTITY_H_
#define LORVEX_RETRIEVAL_ENTITY_H_

#include <string>

#include "directory/ads/ads.h"
#include "run/run_context.h"

struct DirectoryContext;

/// Handles one object found by a search or a group expansion; returns 0, 150 or 151.
using ObjectProcessor = int (*)(RunContext* run, const std::string& dn);

/// Resolves run->entity in place (or marks it for a search); false after printing one error report.
bool ResolveEntity(RunContext* run);
/// Runs the directory search for a wildcard or typed entity; returns the last processing code.
int SearchEntities(RunContext* run);
/// SearchEntities with the handling of each object found given (groups are expanded by default).
int SearchEntitiesWith(RunContext* run, ObjectProcessor process);
/// Translates a name to a DN, binds it and gives its DN and class; a code with error text on failure.
AdsResult VerifyObject(RunContext* run, std::string* name, std::string* class_name, std::string* error);
/// "an" before a class beginning with a vowel, except "user"; else "a".
const char* ArticleFor(const std::string& class_name);

/// Sets the search and subtree flags for run->entity and rewrites it where its form asks for it;
/// false after a failed container verification (reported).
bool Classify(RunContext* run);
/// Asks the name translation for the DN of a name in any form; dn is the prepared name on failure.
AdsResult TranslateToDN(const DirectoryContext* dir, const std::string& name, std::string* dn);
/// Finds the one object whose common name is name; its DN and class, or a code with error text.
AdsResult SearchByCommonName(RunContext* run, const std::string& name, std::string* dn,
                             std::string* class_name, std::string* error);

#endif  // LORVEX_RETRIEVAL_ENTITY_H_
