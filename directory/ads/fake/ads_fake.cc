// An in-memory directory behind the directory layer, for unit tests of logic.
// It answers the operations of directory/ads.h the way a domain controller
// reached through the real layer does, for the objects a test has added.
#include "directory/ads/fake/ads_fake.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

#include "directory/ads/fake/ads_fake_filter.h"
#include "directory/ads/well_known_sids.h"

namespace {

struct FakeEntry {
  std::string dn;
  std::vector<std::string> classes;
  std::vector<AdsAttribute> attributes;
};

struct FakeDc {
  std::string domain, name, address;
};

struct FakeState {
  std::vector<FakeEntry> objects;
  std::string default_nc, schema_nc, server_name_dn;
  std::string netbios, dns, user_name;
  bool require_credentials = false;
  std::string credential_user, credential_password;
  std::map<std::string, std::vector<AdsAttribute>> server_attributes;  // "server\ndn", lower case
  std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::string>>> class_properties;
  std::vector<FakeDc> dcs;
  std::map<std::string, std::string> hosts;
  std::map<std::string, AdsResult> fail_server, fail_bind, fail_read, fail_search;
  std::map<int, AdsResult> fail_translate_init;
  std::vector<std::string> calls;
  std::vector<std::string> hints;
};

FakeState& State() {
  static FakeState state;
  return state;
}

std::mutex& Lock() {
  static std::mutex mutex;
  return mutex;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

bool SameText(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

FakeEntry* FindEntry(const std::string& dn) {
  for (FakeEntry& entry : State().objects)
    if (SameText(entry.dn, dn)) return &entry;
  return nullptr;
}

// The parent of a DN: the text after its first comma that no backslash escapes.
std::string ParentDn(const std::string& dn) {
  for (size_t i = 0; i < dn.size(); ++i) {
    if (dn[i] == '\\') {
      ++i;
      continue;
    }
    if (dn[i] == ',') return dn.substr(i + 1);
  }
  return "";
}

bool InScope(const std::string& dn, const std::string& base, int scope) {
  if (scope == kAdsScopeBase) return SameText(dn, base);
  if (scope == kAdsScopeOneLevel) return SameText(ParentDn(dn), base);
  if (SameText(dn, base)) return true;
  if (base.empty()) return true;
  return dn.size() > base.size() + 1 && dn[dn.size() - base.size() - 1] == ',' &&
         SameText(dn.substr(dn.size() - base.size()), base);
}

std::string GuidText(const std::string& bytes) {
  if (bytes.size() != 16) return "";
  const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes.data());
  char text[64];
  snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
           static_cast<unsigned>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<unsigned>(b[3]) << 24),
           static_cast<unsigned>(b[4] | b[5] << 8), static_cast<unsigned>(b[6] | b[7] << 8), b[8], b[9],
           b[10], b[11], b[12], b[13], b[14], b[15]);
  return text;
}

std::string SidText(const std::string& sid) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(sid.data());
  if (sid.size() < 8 || b[0] != 1 || sid.size() != 8u + 4u * b[1]) return "";
  uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = authority << 8 | b[i];
  std::string text = std::string("S-1-").append(std::to_string(authority));
  for (int i = 0; i < b[1]; ++i) {
    const unsigned char* p = b + 8 + 4 * i;
    uint32_t sub = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
    text.append(1, '-').append(std::to_string(sub));
  }
  return text;
}

// Attributes the directory computes for every object of a class.
std::string DefaultCategory(const FakeEntry& entry) {
  for (const std::string& c : entry.classes)
    if (SameText(c, "computer")) return "computer";
  for (const std::string& c : entry.classes)
    if (SameText(c, "user") || SameText(c, "person") || SameText(c, "inetOrgPerson")) return "person";
  return entry.classes.empty() ? "" : entry.classes.back();
}

const AdsAttribute* StoredAttribute(const FakeEntry& entry, const std::string& name) {
  for (const AdsAttribute& attribute : entry.attributes)
    if (SameText(attribute.name, name)) return &attribute;
  return nullptr;
}

// The attribute as a read returns it: stored, synthesised, or overridden for a server.
bool ReadAttribute(const FakeEntry& entry, const std::string& server, const std::string& name,
                   AdsAttribute* out) {
  FakeState& state = State();
  if (!server.empty()) {
    auto it = state.server_attributes.find(Lower(server) + "\n" + Lower(entry.dn));
    if (it != state.server_attributes.end())
      for (const AdsAttribute& attribute : it->second)
        if (SameText(attribute.name, name)) {
          *out = attribute;
          return true;
        }
  }
  if (const AdsAttribute* stored = StoredAttribute(entry, name)) {
    *out = *stored;
    return true;
  }
  if (SameText(name, "distinguishedName")) {
    *out = FakeDn("distinguishedName", entry.dn);
    return true;
  }
  if (SameText(name, "objectClass")) {
    *out = FakeStrings("objectClass", entry.classes);
    return true;
  }
  // The naming attribute and "name" hold the value of the first component, unescaped.
  size_t eq = entry.dn.find('=');
  if (eq != std::string::npos) {
    std::string type = entry.dn.substr(0, eq);
    if (SameText(name, type) || SameText(name, "name")) {
      std::string value;
      for (size_t i = eq + 1; i < entry.dn.size() && entry.dn[i] != ','; ++i) {
        if (entry.dn[i] == '\\' && i + 1 < entry.dn.size()) ++i;
        value += entry.dn[i];
      }
      *out = FakeString(SameText(name, "name") ? "name" : type, value);
      return true;
    }
  }
  return false;
}

bool HasClass(const FakeEntry& entry, const std::string& name) {
  for (const std::string& c : entry.classes)
    if (SameText(c, name)) return true;
  return SameText(name, "top");
}

int64_t DefaultAccountType(const FakeEntry& entry) {
  if (HasClass(entry, "computer")) return 805306369;
  if (HasClass(entry, "user")) return 805306368;
  if (HasClass(entry, "group")) return 268435456;
  return -1;
}

std::string ValueText(const AdsAttribute& attribute, const AdsValue& value) {
  switch (attribute.type) {
    case kAdsTypeInteger:
    case kAdsTypeLargeInteger:
      return std::to_string(value.integer);
    case kAdsTypeBoolean:
      return value.integer ? "TRUE" : "FALSE";
    case kAdsTypeOctetString:
    case kAdsTypeSecurityDescriptor:
      return value.bytes;
    default:
      return value.text;
  }
}

std::vector<std::string> CandidateValues(const FakeEntry& entry, const std::string& attribute) {
  std::vector<std::string> values;
  AdsAttribute read;
  if (ReadAttribute(entry, "", attribute, &read)) {
    for (const AdsValue& value : read.values) values.push_back(ValueText(read, value));
    return values;
  }
  if (SameText(attribute, "objectCategory")) {
    values.push_back(DefaultCategory(entry));
  } else if (SameText(attribute, "sAMAccountType")) {
    int64_t type = DefaultAccountType(entry);
    if (type >= 0) values.push_back(std::to_string(type));
  }
  return values;
}

// The values a filter sees for an attribute: objectClass holds every class and "top".
std::vector<std::string> FilterValues(const FakeEntry& entry, const std::string& attribute) {
  if (SameText(attribute, "objectClass")) {
    std::vector<std::string> classes = entry.classes;
    classes.push_back("top");
    return classes;
  }
  return CandidateValues(entry, attribute);
}

struct ParsedPath {
  std::string server;
  std::string rest;  // DN with slashes unescaped, "rootDSE", or "schema/<class>"
  bool ok = false;
};

ParsedPath ParsePath(const std::string& path) {
  ParsedPath parsed;
  if (path.size() < 7 || strncasecmp(path.c_str(), "LDAP://", 7) != 0) return parsed;
  std::string rest = path.substr(7);
  // A server part ends at the first slash that comes before any '=' and is not escaped.
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '=') break;
    if (rest[i] == '\\') {
      ++i;
      continue;
    }
    if (rest[i] == '/') {
      std::string head = rest.substr(0, i);
      if (!SameText(head, "schema")) {
        parsed.server = head;
        rest = rest.substr(i + 1);
      }
      break;
    }
  }
  std::string unescaped;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '\\' && i + 1 < rest.size() && rest[i + 1] == '/') continue;
    unescaped += rest[i];
  }
  parsed.rest = unescaped;
  parsed.ok = true;
  return parsed;
}

void Log(const std::string& line) { State().calls.push_back(line); }

AdsResult ServerFailure(const std::string& server) {
  auto it = State().fail_server.find(Lower(server));
  return it == State().fail_server.end() ? kAdsOk : it->second;
}

bool CredentialsAccepted(const AdsCredentials* credentials) {
  FakeState& state = State();
  if (!state.require_credentials) return true;
  if (!credentials || !credentials->set) return false;
  return credentials->user == state.credential_user && credentials->password == state.credential_password;
}

std::string Join(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : ",") + name;
  return joined;
}

// Reads a "member;range=low-high" request from a stored multi-valued attribute.
bool ReadRange(const FakeEntry& entry, const std::string& server, const std::string& request,
               AdsAttribute* out) {
  size_t semicolon = request.find(';');
  std::string base = request.substr(0, semicolon);
  std::string range = request.substr(semicolon + 1);
  if (range.size() < 6 || strncasecmp(range.c_str(), "range=", 6) != 0) return false;
  range = range.substr(6);
  size_t dash = range.find('-');
  if (dash == std::string::npos) return false;
  size_t low = strtoul(range.substr(0, dash).c_str(), nullptr, 10);
  std::string high_text = range.substr(dash + 1);
  AdsAttribute all;
  if (!ReadAttribute(entry, server, base, &all)) return false;
  if (low >= all.values.size()) return false;
  size_t high = high_text == "*" ? all.values.size() - 1 : strtoul(high_text.c_str(), nullptr, 10);
  if (high >= all.values.size() - 1) high = all.values.size() - 1;
  bool last = high == all.values.size() - 1;
  *out = all;
  out->values.assign(all.values.begin() + low, all.values.begin() + high + 1);
  out->name = base + ";range=" + std::to_string(low) + "-" + (last ? std::string("*") : std::to_string(high));
  return true;
}

}  // namespace

struct AdsObject {
  std::string server;
  std::string dn;
  bool root_dse = false;
};

struct AdsSearch {
  std::vector<std::vector<AdsAttribute>> rows;
  size_t next = 0;
};

struct AdsNameTranslator {
  std::string dn;
};

void FakeReset() {
  std::lock_guard<std::mutex> lock(Lock());
  State() = FakeState();
}

void FakeSetRootDse(const std::string& default_naming_context, const std::string& schema_naming_context,
                    const std::string& server_name) {
  std::lock_guard<std::mutex> lock(Lock());
  State().default_nc = default_naming_context;
  State().schema_nc = schema_naming_context;
  State().server_name_dn = server_name;
}

void FakeSetDomainNames(const std::string& netbios, const std::string& dns) {
  std::lock_guard<std::mutex> lock(Lock());
  State().netbios = netbios;
  State().dns = dns;
}

void FakeSetUserName(const std::string& name) {
  std::lock_guard<std::mutex> lock(Lock());
  State().user_name = name;
}

void FakeRequireCredentials(const std::string& user, const std::string& password) {
  std::lock_guard<std::mutex> lock(Lock());
  State().require_credentials = true;
  State().credential_user = user;
  State().credential_password = password;
}

void FakeAddObject(const std::string& dn, const std::vector<std::string>& classes,
                   std::vector<AdsAttribute> attributes) {
  std::lock_guard<std::mutex> lock(Lock());
  State().objects.push_back(FakeEntry{dn, classes, std::move(attributes)});
}

void FakeSetAttribute(const std::string& dn, const AdsAttribute& attribute) {
  std::lock_guard<std::mutex> lock(Lock());
  FakeEntry* entry = FindEntry(dn);
  if (!entry) return;
  for (AdsAttribute& existing : entry->attributes)
    if (SameText(existing.name, attribute.name)) {
      existing = attribute;
      return;
    }
  entry->attributes.push_back(attribute);
}

void FakeRemoveObject(const std::string& dn) {
  std::lock_guard<std::mutex> lock(Lock());
  auto& objects = State().objects;
  objects.erase(
      std::remove_if(objects.begin(), objects.end(), [&](const FakeEntry& e) { return SameText(e.dn, dn); }),
      objects.end());
}

void FakeSetServerAttribute(const std::string& server, const std::string& dn, const AdsAttribute& attribute) {
  std::lock_guard<std::mutex> lock(Lock());
  auto& attributes = State().server_attributes[Lower(server) + "\n" + Lower(dn)];
  for (AdsAttribute& existing : attributes)
    if (SameText(existing.name, attribute.name)) {
      existing = attribute;
      return;
    }
  attributes.push_back(attribute);
}

void FakeSetClassProperties(const std::string& class_name, const std::vector<std::string>& mandatory,
                            const std::vector<std::string>& optional) {
  std::lock_guard<std::mutex> lock(Lock());
  State().class_properties[Lower(class_name)] = {mandatory, optional};
}

void FakeAddDomainController(const std::string& domain, const std::string& name, const std::string& address) {
  std::lock_guard<std::mutex> lock(Lock());
  State().dcs.push_back(FakeDc{domain, name, address});
}

void FakeAddHost(const std::string& host, const std::string& address) {
  std::lock_guard<std::mutex> lock(Lock());
  State().hosts[Lower(host)] = address;
}

void FakeFailServer(const std::string& server, AdsResult code) {
  std::lock_guard<std::mutex> lock(Lock());
  State().fail_server[Lower(server)] = code;
}

void FakeFailBind(const std::string& dn, AdsResult code) {
  std::lock_guard<std::mutex> lock(Lock());
  State().fail_bind[Lower(dn)] = code;
}

void FakeFailRead(const std::string& dn, AdsResult code) {
  std::lock_guard<std::mutex> lock(Lock());
  State().fail_read[Lower(dn)] = code;
}

void FakeFailSearch(const std::string& dn, AdsResult code) {
  std::lock_guard<std::mutex> lock(Lock());
  State().fail_search[Lower(dn)] = code;
}

void FakeFailTranslateInit(int init_type, AdsResult code) {
  std::lock_guard<std::mutex> lock(Lock());
  State().fail_translate_init[init_type] = code;
}

const std::vector<std::string>& FakeCalls() { return State().calls; }

void FakeClearCalls() {
  std::lock_guard<std::mutex> lock(Lock());
  State().calls.clear();
}

AdsResult AdsOpenObject(const std::string& path, const AdsCredentials* credentials, uint32_t flags,
                        AdsObject** object) {
  std::lock_guard<std::mutex> lock(Lock());
  *object = nullptr;
  Log("open " + path);
  ParsedPath parsed = ParsePath(path);
  if (!parsed.ok) return kAdsBadPath;
  if (AdsResult failure = ServerFailure(parsed.server)) return failure;
  auto holder = std::make_unique<AdsObject>();
  holder->server = parsed.server;
  if (SameText(parsed.rest, "rootDSE")) {
    holder->root_dse = true;
    *object = holder.release();
    return kAdsOk;
  }
  if (!CredentialsAccepted(credentials)) return kAdsLogonFailure;
  auto failed = State().fail_bind.find(Lower(parsed.rest));
  if (failed != State().fail_bind.end()) return failed->second;
  if (!(flags & kAdsFastBind) && !FindEntry(parsed.rest)) return kAdsNoSuchObject;
  holder->dn = parsed.rest;
  *object = holder.release();
  return kAdsOk;
}

void AdsRelease(AdsObject* object) { delete object; }

AdsResult AdsGetObjectAttributes(AdsObject* object, const std::vector<std::string>& names,
                                 std::vector<AdsAttribute>* attributes) {
  std::lock_guard<std::mutex> lock(Lock());
  FakeState& state = State();
  attributes->clear();
  Log("read " + (object->root_dse ? std::string("rootDSE") : object->dn) + " " + Join(names));
  if (object->root_dse) {
    for (const std::string& name : names) {
      if (SameText(name, "defaultNamingContext") && !state.default_nc.empty())
        attributes->push_back(FakeDn("defaultNamingContext", state.default_nc));
      else if (SameText(name, "schemaNamingContext") && !state.schema_nc.empty())
        attributes->push_back(FakeDn("schemaNamingContext", state.schema_nc));
      else if (SameText(name, "serverName") && !state.server_name_dn.empty())
        attributes->push_back(FakeDn("serverName", state.server_name_dn));
      else if (SameText(name, "configurationNamingContext") && !state.default_nc.empty())
        attributes->push_back(FakeDn("configurationNamingContext", "CN=Configuration," + state.default_nc));
    }
    return kAdsOk;
  }
  auto failed = state.fail_read.find(Lower(object->dn));
  if (failed != state.fail_read.end()) return failed->second;
  const FakeEntry* entry = FindEntry(object->dn);
  if (!entry) return kAdsNoSuchObject;
  for (const std::string& name : names) {
    AdsAttribute attribute;
    bool found = name.find(';') != std::string::npos
                     ? ReadRange(*entry, object->server, name, &attribute)
                     : ReadAttribute(*entry, object->server, name, &attribute);
    if (found && !attribute.values.empty()) attributes->push_back(attribute);
  }
  return kAdsOk;
}

AdsResult AdsGetObjectInformation(AdsObject* object, std::string* path_name, std::string* class_name) {
  std::lock_guard<std::mutex> lock(Lock());
  Log("info " + object->dn);
  const FakeEntry* entry = object->root_dse ? nullptr : FindEntry(object->dn);
  if (!entry) return kAdsNoSuchObject;
  std::string escaped;
  for (char c : entry->dn) {
    if (c == '/') escaped += '\\';
    escaped += c;
  }
  std::string server = object->server;
  if (server.empty()) {
    // The controller that answered: the value of the first component of its server object's name.
    const std::string& name = State().server_name_dn;
    size_t eq = name.find('='), comma = name.find(',');
    server = eq == std::string::npos
                 ? "dc"
                 : name.substr(eq + 1, comma == std::string::npos ? std::string::npos : comma - eq - 1);
  }
  *path_name = "LDAP://" + server + "/" + escaped;
  *class_name = entry->classes.empty() ? "top" : entry->classes.back();
  return kAdsOk;
}

AdsResult AdsExecuteSearch(AdsObject* base, int scope, int page_size, const std::string& filter,
                           const std::vector<std::string>& attributes, AdsSearch** search) {
  std::lock_guard<std::mutex> lock(Lock());
  *search = nullptr;
  Log("search " + base->dn + " " + std::to_string(scope) + " " + std::to_string(page_size) + " " + filter);
  auto failed = State().fail_search.find(Lower(base->dn));
  if (failed != State().fail_search.end()) return failed->second;
  FakeFilter parsed;
  if (!ParseFakeFilter(filter, &parsed)) return static_cast<int32_t>(0x80005014);
  auto result = std::make_unique<AdsSearch>();
  for (const FakeEntry& entry : State().objects) {
    if (!InScope(entry.dn, base->dn, scope) ||
        !EvaluateFakeFilter(parsed, [&](const std::string& name) { return FilterValues(entry, name); }))
      continue;
    std::vector<AdsAttribute> row;
    for (const std::string& name : attributes) {
      AdsAttribute attribute;
      if (ReadAttribute(entry, base->server, name, &attribute) && !attribute.values.empty())
        row.push_back(attribute);
    }
    result->rows.push_back(row);
  }
  *search = result.release();
  return kAdsOk;
}

AdsResult AdsGetNextRow(AdsSearch* search, std::vector<AdsAttribute>* row) {
  if (!search || search->next >= search->rows.size()) return kAdsNoMoreRows;
  *row = search->rows[search->next++];
  return kAdsOk;
}

void AdsCloseSearch(AdsSearch* search) { delete search; }

AdsResult AdsGetClassProperties(const std::string& path, const AdsCredentials*,
                                std::vector<std::string>* mandatory, std::vector<std::string>* optional) {
  std::lock_guard<std::mutex> lock(Lock());
  Log("class " + path);
  ParsedPath parsed = ParsePath(path);
  if (!parsed.ok || parsed.rest.size() < 7 || strncasecmp(parsed.rest.c_str(), "schema/", 7) != 0)
    return kAdsBadPath;
  auto it = State().class_properties.find(Lower(parsed.rest.substr(7)));
  if (it == State().class_properties.end()) return kAdsNoSuchObject;
  *mandatory = it->second.first;
  *optional = it->second.second;
  return kAdsOk;
}

AdsResult AdsNameTranslateInit(int init_type, const std::string& init_name, const AdsCredentials*,
                               AdsNameTranslator** translator) {
  std::lock_guard<std::mutex> lock(Lock());
  *translator = nullptr;
  Log("translate-init " + std::to_string(init_type) + " " + init_name);
  auto failed = State().fail_translate_init.find(init_type);
  if (failed != State().fail_translate_init.end()) return failed->second;
  *translator = new AdsNameTranslator;
  return kAdsOk;
}

namespace {

const FakeEntry* FindByAttribute(const char* attribute, const std::string& value) {
  for (const FakeEntry& entry : State().objects) {
    const AdsAttribute* stored = StoredAttribute(entry, attribute);
    if (stored && !stored->values.empty() && SameText(stored->values[0].text, value)) return &entry;
  }
  return nullptr;
}

const FakeEntry* TranslateOne(int name_type, const std::string& name) {
  FakeState& state = State();
  switch (name_type) {
    case kAdsName1779:
      return FindEntry(name);
    case kAdsNameUpn:
      return FindByAttribute("userPrincipalName", name);
    case kAdsNameNt4: {
      size_t slash = name.find('\\');
      if (slash == std::string::npos) return nullptr;
      std::string domain = name.substr(0, slash);
      if (!SameText(domain, state.netbios) && !SameText(domain, state.dns)) return nullptr;
      return FindByAttribute("sAMAccountName", name.substr(slash + 1));
    }
    case kAdsNameGuid:
      for (const FakeEntry& entry : state.objects) {
        const AdsAttribute* guid = StoredAttribute(entry, "objectGUID");
        if (guid && !guid->values.empty() && SameText(GuidText(guid->values[0].bytes), name)) return &entry;
      }
      return nullptr;
    default:
      return nullptr;
  }
}

}  // namespace

AdsResult AdsNameTranslateSet(AdsNameTranslator* translator, int name_type, const std::string& name) {
  std::lock_guard<std::mutex> lock(Lock());
  Log("translate " + std::to_string(name_type) + " " + name);
  const FakeEntry* entry = nullptr;
  if (name_type == kAdsNameUnknown) {
    for (int type : {kAdsName1779, kAdsNameUpn, kAdsNameNt4, kAdsNameGuid})
      if ((entry = TranslateOne(type, name)) != nullptr) break;
  } else {
    entry = TranslateOne(name_type, name);
  }
  if (!entry) return kAdsNameNotFound;
  translator->dn = entry->dn;
  return kAdsOk;
}

AdsResult AdsNameTranslateGet(AdsNameTranslator* translator, int name_type, std::string* name) {
  std::lock_guard<std::mutex> lock(Lock());
  const FakeEntry* entry = FindEntry(translator->dn);
  if (!entry) return kAdsNameNotFound;
  if (name_type == kAdsName1779) {
    *name = entry->dn;
    return kAdsOk;
  }
  if (name_type == kAdsNameNt4) {
    const AdsAttribute* sam = StoredAttribute(*entry, "sAMAccountName");
    if (!sam || sam->values.empty()) return kAdsNameNotFound;
    *name = State().netbios + "\\" + sam->values[0].text;
    return kAdsOk;
  }
  if (name_type == kAdsNameGuid) {
    const AdsAttribute* guid = StoredAttribute(*entry, "objectGUID");
    if (!guid || guid->values.empty()) return kAdsNameNotFound;
    *name = GuidText(guid->values[0].bytes);
    return kAdsOk;
  }
  if (name_type == kAdsNameUpn) {
    const AdsAttribute* upn = StoredAttribute(*entry, "userPrincipalName");
    if (!upn || upn->values.empty()) return kAdsNameNotFound;
    *name = upn->values[0].text;
    return kAdsOk;
  }
  return kAdsNameNotFound;
}

void AdsNameTranslateRelease(AdsNameTranslator* translator) { delete translator; }

AdsResult AdsLookupAccountSid(const std::string&, const std::string& sid, std::string* domain,
                              std::string* name, int* use) {
  std::lock_guard<std::mutex> lock(Lock());
  std::string text = SidText(sid);
  Log(std::string("sid ").append(text));
  if (text.empty()) return static_cast<int32_t>(0x80070057);
  if (LookupWellKnownSid(text, domain, name, use)) return kAdsOk;
  for (const FakeEntry& entry : State().objects) {
    const AdsAttribute* object_sid = StoredAttribute(entry, "objectSid");
    if (!object_sid || object_sid->values.empty() || object_sid->values[0].bytes != sid) continue;
    *domain = State().netbios;
    if (HasClass(entry, "domainDNS")) {
      *name = State().netbios;
      *use = kSidTypeDomain;
      return kAdsOk;
    }
    const AdsAttribute* sam = StoredAttribute(entry, "sAMAccountName");
    *name = sam && !sam->values.empty() ? sam->values[0].text : "";
    *use = HasClass(entry, "group") ? kSidTypeGroup : kSidTypeUser;
    return kAdsOk;
  }
  return static_cast<int32_t>(0x80070534);  // no mapping between account names and security IDs
}

AdsResult AdsGetDcName(const std::string& domain, std::string* dc_name, std::string* dc_address) {
  std::lock_guard<std::mutex> lock(Lock());
  Log("dc " + domain);
  for (const FakeDc& dc : State().dcs)
    if (SameText(dc.domain, domain)) {
      *dc_name = dc.name;
      *dc_address = dc.address;
      return kAdsOk;
    }
  return static_cast<int32_t>(0x8007054B);  // the domain does not exist or could not be contacted
}

std::string AdsHostToAddress(const std::string& host) {
  std::lock_guard<std::mutex> lock(Lock());
  auto it = State().hosts.find(Lower(host));
  return it == State().hosts.end() ? "" : it->second;
}

std::string AdsUserName() {
  std::lock_guard<std::mutex> lock(Lock());
  return State().user_name;
}

// The in-memory directory answers every look-up at no cost, so a hint finds nothing ahead: it is
// only noted, for the tests of what is hinted, and is no call of its own.
void AdsPrefetchNames(const std::string& path, const AdsCredentials*, const AdsNameHint& hint) {
  std::lock_guard<std::mutex> lock(Lock());
  std::string text = path;
  for (const std::string& name : hint.accounts) text += " account:" + name;
  for (const std::string& name : hint.principal_names) text += " upn:" + name;
  for (const std::string& dn : hint.dns) text += " dn:" + dn;
  State().hints.push_back(text);
}

void AdsForgetPrefetch() {
  std::lock_guard<std::mutex> lock(Lock());
  State().hints.push_back("forget");
}

const std::vector<std::string>& FakeHints() { return State().hints; }

uint64_t AdsRoundTrips() { return State().calls.size(); }

bool AdsBatchedReads() { return true; }

void AdsShutdown() {}
