// The domain controllers per-controller values are read from.
#ifndef LORVEX_DIRECTORY_SERVERS_H_
#define LORVEX_DIRECTORY_SERVERS_H_

#include <cstdint>
#include <string>

#include "query/run_context.h"

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

/// Builds the server list for a server specification when the run needs one; false after an error.
bool PrepareServerList(RunContext* run, const std::string& specification);
/// Resolves the run's server prefix for the next object; false to skip the object.
bool ResolveServerPrefix(RunContext* run);
/// Updates latest/server with the most recent lastLogon of the list's controllers after the first.
int ReadLatestLastLogon(RunContext* run, const std::string& dn, const std::string& display_name,
                        uint32_t* latest, std::string* server);
/// The same for whenChanged.
int ReadLatestWhenChanged(RunContext* run, const std::string& dn, const std::string& display_name,
                          uint32_t* latest, std::string* server);
/// Frees every entry of a list and empties it.
void FreeServerList(ServerList* list);

#endif  // LORVEX_DIRECTORY_SERVERS_H_
