// Entity names in every accepted form, resolved to one object or a search.
#ifndef LORVEX_DIRECTORY_ENTITY_H_
#define LORVEX_DIRECTORY_ENTITY_H_

#include <string>

#include "directory/ads.h"
#include "query/run_context.h"

/// Resolves run->entity in place (or marks it for a search); false after printing one error report.
bool ResolveEntity(RunContext* run);
/// Runs the directory search for a wildcard or typed entity; returns the last processing code.
int SearchEntities(RunContext* run);
/// Translates a name to a DN, binds it and gives its DN and class; a code with error text on failure.
AdsResult VerifyObject(RunContext* run, std::string* name, std::string* class_name, std::string* error);
/// "an" before a class beginning with a vowel, except "user"; else "a".
const char* ArticleFor(const std::string& class_name);

#endif  // LORVEX_DIRECTORY_ENTITY_H_
