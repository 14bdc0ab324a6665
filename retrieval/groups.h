// Group member expansion.
#ifndef LORVEX_RETRIEVAL_GROUPS_H_
#define LORVEX_RETRIEVAL_GROUPS_H_

#include <string>

#include "retrieval/entity.h"
#include "run/run_context.h"

struct DirectoryContext;
struct OutputContext;

/// Processes every member of a group (nested groups with /g); returns a work result code.
int ExpandGroup(RunContext* run, const std::string& dn);
/// ExpandGroup with the handling of each member that is not a group given.
int ExpandGroupWith(RunContext* run, const std::string& dn, ObjectProcessor retrieve);
/// 1 when the object's class is group, else 0 (also after reporting that the class cannot be read).
int IsGroup(RunContext* run, const std::string& dn);
/// Turns a member under CN=ForeignSecurityPrincipals into its account: a well-known object keeps
/// its "domain\account" text, any other gets its DN. 1 when resolved or not foreign, else 0.
int ResolveForeignPrincipal(OutputContext* out, const DirectoryContext* dir, std::string* name,
                            bool* well_known, std::string* sid_text);
/// The DN of a "domain\account" name; 1 on success, else 0 with dn set to the name itself.
int TranslateNtName(const std::string& nt_name, std::string* dn);

#endif  // LORVEX_RETRIEVAL_GROUPS_H_
