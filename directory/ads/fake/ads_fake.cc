// The in-memory directory of ads_fake.h: the objects a domain text has added, and failures of the
// operations it names.
#include "directory/ads/fake/ads_fake.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <tuple>

#include "directory/ads/ads.h"
#include "directory/ads/ads_path.h"
#include "directory/ads/ldap_values.h"
#include "directory/ads/sid.h"
#include "directory/ads/well_known_sids.h"
#include "util/ascii_text.h"
#include "util/local_clock.h"

namespace {

struct FakeEntry {
  std::string dn;
  std::vector<std::string> classes;
  std::vector<AdsAttribute> attributes;
};

struct FakeState {
  std::vector<FakeEntry> objects;
  std::string default_nc, schema_nc, server_dn, netbios, dns, user_name;
  std::string credentials;  // "user\npassword" binds need, empty: none
  std::map<std::string, std::vector<AdsAttribute>> server_attributes;  // "server\ndn", lower case
  std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::string>>> class_properties;
  std::map<std::string, std::pair<std::string, std::string>> dcs;  // by domain: name, address
  std::map<std::string, std::string> hosts;
  std::map<std::string, AdsResult> failures;  // "operation name", lower case
  size_t range_limit = 0;                     // most values a ranged read gives
  std::vector<std::string> calls;
  void (*watch)(size_t count) = nullptr;
};

FakeState& State() {
  static FakeState state;
  return state;
}

std::mutex& Mutex() {
  static std::mutex mutex;
  return mutex;
}

void Log(const std::string& line) {
  State().calls.push_back(line);
  if (State().watch) State().watch(State().calls.size());
}

AdsResult Failure(const std::string& operation, const std::string& name) {
  auto it = State().failures.find(operation + " " + LowerCase(name));
  return it == State().failures.end() ? kAdsOk : it->second;
}

FakeEntry* FindEntry(const std::string& dn) {
  for (FakeEntry& entry : State().objects)
    if (EqualsIgnoreCase(entry.dn, dn)) return &entry;
  return nullptr;
}

const AdsAttribute* Stored(const FakeEntry& entry, const std::string& name) {
  for (const AdsAttribute& attribute : entry.attributes)
    if (EqualsIgnoreCase(attribute.name, name) && !attribute.values.empty()) return &attribute;
  return nullptr;
}

// The first value of a stored text attribute, empty when there is none.
std::string StoredText(const FakeEntry& entry, const std::string& name) {
  const AdsAttribute* attribute = Stored(entry, name);
  return attribute ? attribute->values[0].text : "";
}

bool HasClass(const FakeEntry& entry, const std::string& name) {
  for (const std::string& c : entry.classes)
    if (EqualsIgnoreCase(c, name)) return true;
  return false;
}

// The attribute as a read returns it: overridden for a server, stored, or computed from the entry.
bool ReadAttribute(const FakeEntry& entry, const std::string& server, const std::string& name,
                   AdsAttribute* out) {
  auto it = State().server_attributes.find(LowerCase(server) + "\n" + LowerCase(entry.dn));
  if (!server.empty() && it != State().server_attributes.end()) {
    for (const AdsAttribute& attribute : it->second) {
      if (EqualsIgnoreCase(attribute.name, name)) {
        *out = attribute;
        return true;
      }
    }
  }
  if (const AdsAttribute* stored = Stored(entry, name)) {
    *out = *stored;
    return true;
  }
  *out = AdsAttribute{name, kAdsTypeCaseIgnoreString, {}};
  if (EqualsIgnoreCase(name, "distinguishedName")) {
    out->values.push_back(AdsValue{entry.dn, 0, "", {}});
  } else if (EqualsIgnoreCase(name, "objectClass")) {
    for (const std::string& c : entry.classes) out->values.push_back(AdsValue{c, 0, "", {}});
  } else if (EqualsIgnoreCase(name, "name") ||
             EqualsIgnoreCase(name, entry.dn.substr(0, entry.dn.find('=')))) {
    // The naming attribute and "name" hold the value of the first component, unescaped.
    std::string value;
    for (size_t i = entry.dn.find('=') + 1; i < entry.dn.size() && entry.dn[i] != ','; ++i) {
      if (entry.dn[i] == '\\' && i + 1 < entry.dn.size()) ++i;
      value += entry.dn[i];
    }
    out->values.push_back(AdsValue{value, 0, "", {}});
  }
  out->type = AttributeType(name);
  return !out->values.empty();
}

// The values a filter compares for an attribute, as text; the directory computes the category and
// the account type of every object.
std::vector<std::string> FilterValues(const FakeEntry& entry, const std::string& name) {
  std::vector<std::string> texts;
  AdsAttribute attribute;
  if (ReadAttribute(entry, "", name, &attribute)) {
    for (const AdsValue& value : attribute.values) {
      const bool number = attribute.type == kAdsTypeInteger || attribute.type == kAdsTypeLargeInteger;
      texts.push_back(number ? std::to_string(value.integer) : value.text + value.bytes);
    }
  } else if (EqualsIgnoreCase(name, "objectCategory")) {
    const bool person = HasClass(entry, "user") || HasClass(entry, "person");
    texts.push_back(HasClass(entry, "computer") ? "computer" : person ? "person" : entry.classes.back());
  } else if (EqualsIgnoreCase(name, "sAMAccountType")) {
    const char* type = HasClass(entry, "computer") ? "805306369"
                       : HasClass(entry, "user")   ? "805306368"
                       : HasClass(entry, "group")  ? "268435456"
                                                   : "";
    if (*type) texts.push_back(type);
  }
  return texts;
}

// Whether text from t matches an assertion value from p: "\\xx" escapes a character, an unescaped
// '*' stands for any run; letters compare without regard to case.
bool ValueMatches(const std::string& pattern, size_t p, const std::string& text, size_t t) {
  if (p == pattern.size()) return t == text.size();
  if (pattern[p] == '*')
    return ValueMatches(pattern, p + 1, text, t) ||
           (t < text.size() && ValueMatches(pattern, p, text, t + 1));
  char c = pattern[p++];
  if (c == '\\' && p + 1 < pattern.size()) {
    c = static_cast<char>(strtol(pattern.substr(p, 2).c_str(), nullptr, 16));
    p += 2;
  }
  return t < text.size() && AsciiLower(c) == AsciiLower(text[t]) && ValueMatches(pattern, p, text, t + 1);
}

// Evaluates the filter at *pos (moving past it) against an entry: "&", "|", equality with
// wildcards, presence, and the bitwise-and rule. *ok turns false on a malformed filter.
bool Matches(const std::string& filter, size_t* pos, const FakeEntry& entry, bool* ok) {
  if (*pos + 1 >= filter.size() || filter[*pos] != '(') return *ok = false;
  const char op = filter[++*pos];
  bool result = op == '&';
  if (op == '&' || op == '|') {
    for (++*pos; *ok && *pos < filter.size() && filter[*pos] == '(';) {
      const bool child = Matches(filter, pos, entry, ok);
      result = op == '&' ? result && child : result || child;
    }
  } else {
    const size_t close = filter.find(')', *pos), equals = filter.find('=', *pos);
    if (close == std::string::npos || equals >= close || equals == *pos) return *ok = false;
    std::string attribute = filter.substr(*pos, equals - *pos);
    std::string value = filter.substr(equals + 1, close - equals - 1);
    *pos = close;
    const bool bits =
        attribute.size() > 24 && attribute.substr(attribute.size() - 24) == ":1.2.840.113556.1.4.803:";
    if (bits) attribute.resize(attribute.size() - 24);
    for (const std::string& text : FilterValues(entry, attribute)) {
      const long long want = atoll(value.c_str());
      result = result || (bits ? (atoll(text.c_str()) & want) == want : ValueMatches(value, 0, text, 0));
    }
  }
  if (*pos >= filter.size() || filter[*pos] != ')') return *ok = false;
  ++*pos;
  return result;
}

bool InScope(const std::string& dn, const std::string& base, int scope) {
  size_t comma = dn.find(',');
  while (comma != std::string::npos && comma > 0 && dn[comma - 1] == '\\') comma = dn.find(',', comma + 1);
  if (scope == kAdsScopeBase) return EqualsIgnoreCase(dn, base);
  if (scope == kAdsScopeOneLevel)
    return comma != std::string::npos && EqualsIgnoreCase(dn.substr(comma + 1), base);
  return base.empty() || EqualsIgnoreCase(dn, base) ||
         (dn.size() > base.size() && dn[dn.size() - base.size() - 1] == ',' &&
          EqualsIgnoreCase(dn.substr(dn.size() - base.size()), base));
}

// Reads "member;range=low-high" from a stored multi-valued attribute, as a server that gives at most
// range_limit values a range (0: as many as asked) does.
bool ReadRange(const FakeEntry& entry, const std::string& server, const std::string& request,
               AdsAttribute* out) {
  const std::string base = request.substr(0, request.find(';'));
  size_t low = 0, high = 0;
  if (sscanf(LowerCase(request).c_str() + base.size(), ";range=%zu-%zu", &low, &high) != 2) return false;
  AdsAttribute all;
  if (!ReadAttribute(entry, server, base, &all) || low >= all.values.size()) return false;
  if (State().range_limit && high >= low + State().range_limit) high = low + State().range_limit - 1;
  const bool last = high + 1 >= all.values.size();
  if (last) high = all.values.size() - 1;
  *out = all;
  out->values.assign(all.values.begin() + low, all.values.begin() + high + 1);
  out->name = base + ";range=" + std::to_string(low) + "-" + (last ? "*" : std::to_string(high));
  return true;
}

// The time of "YYYY-MM-DD HH:MM[:SS]" as a file time; false when the text is not that form.
bool ParseFileTime(const std::string& text, int64_t* file_time) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d", &year, &month, &day, &hour, &minute, &second) < 5)
    return false;
  // Days from 1 January 1601, which is 134774 days before 1970.
  const int64_t days = DaysFromCivil(year, month, day) + 134774;
  *file_time = (days * 86400 + hour * 3600 + minute * 60 + second) * 10000000;
  return true;
}

// A value of a domain text as the attribute's type holds it: a file time may be written as a
// date, an interval as "-42d" or "-30m", a SID, GUID or other bytes as "S-1-...", "{...}", "0x...".
bool ParseValue(AdsType type, const std::string& text, AdsValue* value) {
  long long count = 0;
  char unit = 0;
  bool flag = false;
  switch (type) {
    case kAdsTypeInteger:
    case kAdsTypeLargeInteger:
      if (ParseFileTime(text, &value->integer)) return true;
      if (sscanf(text.c_str(), "%lld%c", &count, &unit) == 2 && (unit == 'd' || unit == 'm')) {
        value->integer = count * (unit == 'd' ? 86400 : 60) * 10000000;
        return true;
      }
      return ParseLargeInteger(text, &value->integer);
    case kAdsTypeBoolean:
      if (!ParseBoolean(text, &flag)) return false;
      value->integer = flag;
      return true;
    case kAdsTypeUtcTime:
      return ParseGeneralizedTime(text, &value->time);
    case kAdsTypeOctetString:
    case kAdsTypeSecurityDescriptor:
      if (text.rfind("S-1-", 0) == 0) return TextToSid(text, &value->bytes);
      if (text.rfind("{", 0) == 0) return GuidTextToBytes(text, &value->bytes);
      for (size_t i = 2; i + 1 < text.size(); i += 2)
        value->bytes += static_cast<char>(strtol(text.substr(i, 2).c_str(), nullptr, 16));
      return text.rfind("0x", 0) == 0 && text.size() % 2 == 0;
    default:
      value->text = text;
      return true;
  }
}

// Adds a value to the attribute of its name in a list, the attribute made when it is not there.
bool AddValue(std::vector<AdsAttribute>* attributes, const std::string& name, const std::string& text) {
  AdsAttribute* attribute = nullptr;
  for (AdsAttribute& existing : *attributes)
    if (EqualsIgnoreCase(existing.name, name)) attribute = &existing;
  if (!attribute) attribute = &attributes->emplace_back(AdsAttribute{name, AttributeType(name), {}});
  return ParseValue(attribute->type, text, &attribute->values.emplace_back());
}

// An "@" line of a domain text; *server is the controller whose values the objects that follow are.
bool Directive(const std::string& line, std::string* server) {
  FakeState& state = State();
  std::istringstream in(line.substr(1));
  std::string kind, a, b, rest;
  in >> kind >> a >> b;
  std::getline(in >> std::ws, rest);
  auto split = [](const std::string& list) {
    std::vector<std::string> items;
    std::istringstream items_in(list);
    for (std::string item; std::getline(items_in, item, ',');) items.push_back(item);
    return items;
  };
  if (kind == "root") {
    state.default_nc = a;
    state.schema_nc = b;
    state.server_dn = rest;
  } else if (kind == "names") {
    state.netbios = a;
    state.dns = b;
  } else if (kind == "user") {
    state.user_name = a;
  } else if (kind == "host") {
    state.hosts[LowerCase(a)] = b;
  } else if (kind == "dc") {
    state.dcs[LowerCase(a)] = {b, rest};
  } else if (kind == "class") {
    state.class_properties[LowerCase(a)] = {split(b), split(rest)};
  } else if (kind == "server") {
    *server = a;
  } else if (kind == "range") {
    state.range_limit = strtoul(a.c_str(), nullptr, 10);
  } else if (kind == "credentials") {
    state.credentials = a + "\n" + b;
  } else if (kind == "fail" && !b.empty()) {
    state.failures[a + " " + LowerCase(rest)] = static_cast<AdsResult>(strtoul(b.c_str(), nullptr, 16));
  } else {
    return false;
  }
  return true;
}

const FakeEntry* FindBy(const char* attribute, const std::string& value) {
  for (const FakeEntry& entry : State().objects)
    if (!value.empty() && EqualsIgnoreCase(StoredText(entry, attribute), value)) return &entry;
  return nullptr;
}

std::string GuidOf(const FakeEntry& entry) {
  const AdsAttribute* guid = Stored(entry, "objectGUID");
  return guid ? GuidBytesToText(guid->values[0].bytes) : "";
}

const FakeEntry* TranslateOne(int name_type, const std::string& name) {
  const size_t slash = name.find('\\');
  const std::string domain = name.substr(0, slash);
  switch (name_type) {
    case kAdsName1779:
      return FindEntry(name);
    case kAdsNameUpn:
      return FindBy("userPrincipalName", name);
    case kAdsNameNt4:
      if (slash == std::string::npos ||
          !(EqualsIgnoreCase(domain, State().netbios) || EqualsIgnoreCase(domain, State().dns)))
        return nullptr;
      return FindBy("sAMAccountName", name.substr(slash + 1));
    case kAdsNameGuid:
      for (const FakeEntry& entry : State().objects)
        if (!GuidOf(entry).empty() && EqualsIgnoreCase(GuidOf(entry), name)) return &entry;
      return nullptr;
    default:
      return nullptr;
  }
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
  std::lock_guard<std::mutex> lock(Mutex());
  State() = FakeState();
}

bool FakeLoad(const std::string& text, std::string* bad_line) {
  std::istringstream lines(text);
  std::string line, dn, server;
  std::vector<std::string> classes;
  std::vector<std::pair<std::string, std::string>> values;
  bool ok = true;
  // An object ends at a blank line, a directive or the next object.
  auto end_object = [&] {
    if (server.empty()) FakeAddObject(dn, classes, values);
    std::lock_guard<std::mutex> lock(Mutex());
    for (const auto& [name, value] : values)
      if (!server.empty())
        AddValue(&State().server_attributes[LowerCase(server) + "\n" + LowerCase(dn)], name, value);
    dn.clear();
    classes.clear();
    values.clear();
  };
  while (ok && std::getline(lines, line)) {
    *bad_line = line;
    if ((line.empty() || line[0] == '@' || line.rfind("dn: ", 0) == 0) && !dn.empty()) end_object();
    const size_t colon = line.find(": ");
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '@') {
      std::lock_guard<std::mutex> lock(Mutex());
      ok = Directive(line, &server);
    } else if (colon == std::string::npos) {
      ok = false;
    } else if (line.rfind("dn: ", 0) == 0) {
      dn = line.substr(4);
    } else if (line.rfind("objectClass: ", 0) == 0) {
      classes.push_back(line.substr(colon + 2));
    } else {
      values.emplace_back(line.substr(0, colon), line.substr(colon + 2));
      AdsValue value;
      ok = ParseValue(AttributeType(values.back().first), values.back().second, &value);
    }
  }
  if (ok && !dn.empty()) end_object();
  return ok;
}

bool FakeAddObject(const std::string& dn, const std::vector<std::string>& classes,
                   const std::vector<std::pair<std::string, std::string>>& values) {
  std::lock_guard<std::mutex> lock(Mutex());
  FakeEntry* entry = FindEntry(dn);
  if (!entry) entry = &State().objects.emplace_back(FakeEntry{dn, {"top"}, {}});
  if (!classes.empty()) entry->classes = {"top"};
  entry->classes.insert(entry->classes.end(), classes.begin(), classes.end());
  std::vector<AdsAttribute> added;
  for (const auto& [name, value] : values)
    if (!AddValue(&added, name, value)) return false;
  // The attributes given replace those of the same names.
  for (AdsAttribute& attribute : added) {
    std::erase_if(entry->attributes,
                  [&](const AdsAttribute& old) { return EqualsIgnoreCase(old.name, attribute.name); });
    entry->attributes.push_back(attribute);
  }
  return true;
}

std::vector<std::string> FakeCalls() {
  std::lock_guard<std::mutex> lock(Mutex());
  return State().calls;
}

void FakeWatchCalls(void (*watch)(size_t count)) {
  std::lock_guard<std::mutex> lock(Mutex());
  State().watch = watch;
}

AdsResult AdsOpenObject(const std::string& path, const AdsCredentials* credentials, uint32_t flags,
                        AdsObject** object) {
  std::lock_guard<std::mutex> lock(Mutex());
  const FakeState& state = State();
  *object = nullptr;
  Log("open " + path);
  AdsPathParts parts;
  if (!ParseAdsPath(path, &parts)) return kAdsBadPath;
  if (AdsResult failure = Failure("server", parts.server)) return failure;
  const bool root_dse = parts.kind == kAdsPathRootDse;
  if (!root_dse) {
    if (!state.credentials.empty() &&
        !(credentials && credentials->set &&
          credentials->user + "\n" + credentials->password == state.credentials))
      return kAdsLogonFailure;
    if (AdsResult failure = Failure("bind", parts.dn)) return failure;
    if (!(flags & kAdsFastBind) && !FindEntry(parts.dn)) return kAdsNoSuchObject;
  }
  *object = new AdsObject{parts.server, parts.dn, root_dse};
  return kAdsOk;
}

void AdsRelease(AdsObject* object) { delete object; }

AdsResult AdsGetObjectAttributes(AdsObject* object, const std::vector<std::string>& names,
                                 std::vector<AdsAttribute>* attributes) {
  std::lock_guard<std::mutex> lock(Mutex());
  const FakeState& state = State();
  attributes->clear();
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : ",") + name;
  Log("read " + (object->root_dse ? std::string("rootDSE") : object->dn) + " " + joined);
  if (object->root_dse) {
    const std::pair<const char*, std::string> values[] = {
        {"defaultNamingContext", state.default_nc},
        {"schemaNamingContext", state.schema_nc},
        {"serverName", state.server_dn},
        {"configurationNamingContext",
         state.default_nc.empty() ? "" : "CN=Configuration," + state.default_nc}};
    for (const std::string& name : names)
      for (const auto& [attribute, value] : values)
        if (EqualsIgnoreCase(name, attribute) && !value.empty())
          attributes->push_back(AdsAttribute{attribute, kAdsTypeDn, {AdsValue{value, 0, "", {}}}});
    return kAdsOk;
  }
  if (AdsResult failure = Failure("read", object->dn)) return failure;
  const FakeEntry* entry = FindEntry(object->dn);
  if (!entry) return kAdsNoSuchObject;
  for (const std::string& name : names) {
    AdsAttribute attribute;
    if (name.find(';') != std::string::npos ? ReadRange(*entry, object->server, name, &attribute)
                                            : ReadAttribute(*entry, object->server, name, &attribute))
      attributes->push_back(attribute);
  }
  return kAdsOk;
}

AdsResult AdsGetObjectInformation(AdsObject* object, std::string* path_name, std::string* class_name) {
  std::lock_guard<std::mutex> lock(Mutex());
  Log("info " + object->dn);
  const FakeEntry* entry = object->root_dse ? nullptr : FindEntry(object->dn);
  if (!entry) return kAdsNoSuchObject;
  // Without a server in the path, the controller that answered: the first value of its server
  // object's name.
  const std::string server = object->server.empty() ? FirstRdnValue(State().server_dn) : object->server;
  *path_name = "LDAP://" + (server.empty() ? "dc" : server) + "/" + EscapeSlashes(entry->dn);
  *class_name = entry->classes.back();
  return kAdsOk;
}

// The fake does not sort: like a server that ignores the sort control, it returns rows in its own
// order, which the callers must cope with.
AdsResult AdsExecuteSearch(AdsObject* base, int scope, int page_size, const std::string& filter,
                           const std::vector<std::string>& attributes, AdsSearch** search, const char*) {
  std::lock_guard<std::mutex> lock(Mutex());
  *search = nullptr;
  Log("search " + base->dn + " " + std::to_string(scope) + " " + std::to_string(page_size) + " " + filter);
  if (AdsResult failure = Failure("search", base->dn)) return failure;
  auto result = std::make_unique<AdsSearch>();
  for (const FakeEntry& entry : State().objects) {
    size_t pos = 0;
    bool ok = true;
    const bool matches = Matches(filter, &pos, entry, &ok);
    if (!ok || pos != filter.size()) return static_cast<AdsResult>(0x80005014);  // a bad search filter
    if (!matches || !InScope(entry.dn, base->dn, scope)) continue;
    std::vector<AdsAttribute>& row = result->rows.emplace_back();
    for (const std::string& name : attributes) {
      AdsAttribute attribute;
      if (ReadAttribute(entry, base->server, name, &attribute)) row.push_back(attribute);
    }
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
  std::lock_guard<std::mutex> lock(Mutex());
  Log("class " + path);
  AdsPathParts parts;
  if (!ParseAdsPath(path, &parts) || parts.kind != kAdsPathSchemaClass) return kAdsBadPath;
  auto it = State().class_properties.find(LowerCase(parts.class_name));
  if (it == State().class_properties.end()) return kAdsNoSuchObject;
  std::tie(*mandatory, *optional) = it->second;
  return kAdsOk;
}

AdsResult AdsNameTranslateInit(int init_type, const std::string& init_name, const AdsCredentials*,
                               AdsNameTranslator** translator) {
  std::lock_guard<std::mutex> lock(Mutex());
  *translator = nullptr;
  Log("translate-init " + std::to_string(init_type) + " " + init_name);
  if (AdsResult failure = Failure("translate", std::to_string(init_type))) return failure;
  *translator = new AdsNameTranslator;
  return kAdsOk;
}

AdsResult AdsNameTranslateSet(AdsNameTranslator* translator, int name_type, const std::string& name) {
  std::lock_guard<std::mutex> lock(Mutex());
  Log("translate " + std::to_string(name_type) + " " + name);
  const FakeEntry* entry = nullptr;
  for (int type : {kAdsName1779, kAdsNameUpn, kAdsNameNt4, kAdsNameGuid})
    if (!entry && (name_type == type || name_type == kAdsNameUnknown)) entry = TranslateOne(type, name);
  if (!entry) return kAdsNameNotFound;
  translator->dn = entry->dn;
  return kAdsOk;
}

AdsResult AdsNameTranslateGet(AdsNameTranslator* translator, int name_type, std::string* name) {
  std::lock_guard<std::mutex> lock(Mutex());
  const FakeEntry* entry = FindEntry(translator->dn);
  std::string value;
  if (entry && name_type == kAdsName1779) value = entry->dn;
  if (entry && name_type == kAdsNameNt4) value = StoredText(*entry, "sAMAccountName");
  if (entry && name_type == kAdsNameGuid) value = GuidOf(*entry);
  if (entry && name_type == kAdsNameUpn) value = StoredText(*entry, "userPrincipalName");
  if (value.empty()) return kAdsNameNotFound;
  *name = name_type == kAdsNameNt4 ? State().netbios + "\\" + value : value;
  return kAdsOk;
}

void AdsNameTranslateRelease(AdsNameTranslator* translator) { delete translator; }

AdsResult AdsLookupAccountSid(const std::string&, const std::string& sid, std::string* domain,
                              std::string* name, int* use) {
  std::lock_guard<std::mutex> lock(Mutex());
  std::string text;
  SidToText(sid, &text);
  Log(std::string("sid ").append(text));
  if (text.empty()) return static_cast<AdsResult>(0x80070057);  // the parameter is incorrect
  if (LookupWellKnownSid(text, domain, name, use)) return kAdsOk;
  for (const FakeEntry& entry : State().objects) {
    const AdsAttribute* object_sid = Stored(entry, "objectSid");
    if (!object_sid || object_sid->values[0].bytes != sid) continue;
    const bool is_domain = HasClass(entry, "domainDNS");
    *domain = State().netbios;
    *name = is_domain ? State().netbios : StoredText(entry, "sAMAccountName");
    *use = is_domain ? kSidTypeDomain : HasClass(entry, "group") ? kSidTypeGroup : kSidTypeUser;
    return kAdsOk;
  }
  return static_cast<AdsResult>(0x80070534);  // no mapping between account names and security IDs
}

AdsResult AdsGetDcName(const std::string& domain, std::string* dc_name, std::string* dc_address) {
  std::lock_guard<std::mutex> lock(Mutex());
  Log("dc " + domain);
  auto it = State().dcs.find(LowerCase(domain));
  if (it == State().dcs.end()) return static_cast<AdsResult>(0x8007054B);  // no such domain reachable
  *dc_name = it->second.first;
  *dc_address = it->second.second;
  return kAdsOk;
}

std::string AdsHostToAddress(const std::string& host) {
  std::lock_guard<std::mutex> lock(Mutex());
  auto it = State().hosts.find(LowerCase(host));
  return it == State().hosts.end() ? "" : it->second;
}

std::string AdsUserName() {
  std::lock_guard<std::mutex> lock(Mutex());
  return State().user_name;
}

// Every look-up costs nothing here, so a hint finds nothing ahead; it is only logged.
void AdsPrefetchNames(const std::string& path, const AdsCredentials*, const AdsNameHint& hint,
                      const std::vector<std::string>&) {
  std::lock_guard<std::mutex> lock(Mutex());
  std::string text = "hint " + path;
  for (const std::string& name : hint.accounts) text += " account:" + name;
  for (const std::string& name : hint.principal_names) text += " upn:" + name;
  for (const std::string& dn : hint.dns) text += " dn:" + dn;
  Log(text);
}

bool AdsTakeHintedRow(const std::string&, const std::string&, std::vector<AdsAttribute>*) { return false; }

void AdsForgetPrefetch() {
  std::lock_guard<std::mutex> lock(Mutex());
  Log("forget");
}

uint64_t AdsRoundTrips() {
  std::lock_guard<std::mutex> lock(Mutex());
  return State().calls.size();
}

bool AdsBatchedReads() { return true; }

void AdsShutdown() {}
