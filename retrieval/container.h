// Containers of typed names, and the schema facts resolution needs about a class.
#ifndef LORVEX_RETRIEVAL_CONTAINER_H_
#define LORVEX_RETRIEVAL_CONTAINER_H_

#include <string>

#include "run/run_context.h"

/// Verifies the container part of run->entity and replaces it by the container's DN; false after
/// reporting "Cannot verify container".
bool VerifyContainer(RunContext* run);
/// The naming attribute of a class, upper-cased ("CN"); false after reporting why it is unknown.
bool NamingAttribute(RunContext* run, const std::string& class_name, std::string* attribute);
/// Whether the schema class lists the attribute among its mandatory or optional ones.
bool ClassHasAttribute(const DirectoryContext* dir, const std::string& class_name, const char* attribute);

#endif  // LORVEX_RETRIEVAL_CONTAINER_H_
