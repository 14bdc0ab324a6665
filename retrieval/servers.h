// The domain controllers per-controller values are read from.
#ifndef LORVEX_RETRIEVAL_SERVERS_H_
#define LORVEX_RETRIEVAL_SERVERS_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "directory/ads/ads.h"
#include "run/run_context.h"

struct DirectoryContext;
struct OutputContext;

/// One domain controller of the list.
struct ServerEntry {
  std::string name;     ///< common name of the controller
  std::string host;     ///< dNSHostName, may be empty
  std::string address;  ///< IPv4 address text, may be empty
  ServerEntry* next = nullptr;
};

/// The controllers to ask, in the order the directory returned them.
struct ServerList {
  ServerEntry* head = nullptr;
};

/// The wanted and excluded texts of a server specification, upper-cased, in the order given.
struct ServerSpecification {
  std::vector<std::string> wanted;
  std::vector<std::string> excluded;
};

/// Builds the server list for a server specification when the run needs one; false after an error.
/// Allocates run->server_list when there is none; the owner frees it with FreeServerList and delete.
bool PrepareServerList(RunContext* run, const std::string& specification);
/// Resolves the run's server prefix for the next object; false to skip the object.
bool ResolveServerPrefix(RunContext* run);
/// Frees every entry of a list and empties it.
void FreeServerList(ServerList* list);

/// Fills the list with the controllers a specification selects; 0 on success, 1 after an error.
int BuildServerList(OutputContext* out, const std::string& specification, ServerList* list,
                    const DirectoryContext* dir);
/// Reads "a,!b,c*" into wanted and excluded texts; false when nothing is left of it.
bool ParseServerSpecification(const std::string& text, ServerSpecification* specification);
/// Reads a server file, one name (or "!name") a line; false when it cannot be opened.
bool ReadServerFile(const std::string& file_name, ServerSpecification* specification);
/// Searches the domain's controllers and adds those the specification selects; 1 when the search
/// found at least one controller, else 0 (reported).
int FindDomainControllers(OutputContext* out, const DirectoryContext* dir, ServerList* list,
                          const ServerSpecification& specification);
/// Searches the whole domain with the filter for computers, handing each row to each_row. A failed
/// bind is reported as "Cannot connect to <domain> to <purpose>", a failed search with
/// search_failure; -1 after either, else the number of rows that had a distinguishedName.
long SearchDomainComputers(OutputContext* out, const DirectoryContext* dir, const std::string& filter,
                           const std::vector<std::string>& attributes, const char* purpose,
                           const std::string& search_failure,
                           const std::function<void(const std::vector<AdsAttribute>&)>& each_row);
/// Appends a controller when it is wanted, not excluded and not listed yet; 1 when it cannot be stored.
int AddServer(ServerList* list, const ServerSpecification& specification, const std::string& name,
              const std::string& host, const std::string& address);
/// Finds the domain controller named name; 1 with its DNS host name when it is one, else 0.
int LocateDomainController(RunContext* run, const std::string& name, std::string* resolved);
/// The first IPv4 address of a host as "%u.%u.%u.%u", empty when it cannot be resolved.
std::string HostToAddress(const std::string& host);

#endif  // LORVEX_RETRIEVAL_SERVERS_H_
