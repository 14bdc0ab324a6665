// The reads of a batch of objects made all at once, and what each object's retrieval takes from them.
#include "retrieval/batch_reads.h"

#include <chrono>
#include <functional>
#include <thread>
#include <unordered_set>

#include "directory/ads/ads_path.h"
#include "directory/ads/ldap_filter.h"
#include "directory/ads/ldap_values.h"
#include "directory/ads/scoped_ads.h"
#include "directory/directory_context.h"
#include "directory/permission.h"
#include "util/ascii_text.h"
#include "util/parallel_tasks.h"

namespace {

// A batch is never larger than this, so one page holds every row of its searches (AD's own limit
// on the rows of a page is 1000 as well). A stream's pages are as large.
constexpr int kBatchPageSize = 1000;

constexpr char kDescriptor[] = "nTSecurityDescriptor";

// A controller that is not operational yet gets this many tries, this far apart, as its binds do.
constexpr int kControllerAttempts = 10;
constexpr auto kControllerRetryWait = std::chrono::milliseconds(20);

bool NotOperational(AdsResult code) { return code < 0 && (code & 0xFFFF) == 0x203A; }

// Keeps the rows of a search under their DNs; false when it failed before its last row.
bool KeepRows(AdsSearch* search, AdsResult code, BatchReads::Rows* rows) {
  std::vector<AdsAttribute> row;
  while (code >= 0 && (code = AdsGetNextRow(search, &row)) >= 0 && code != kAdsNoMoreRows) {
    std::string dn;
    if (FirstText(row, "distinguishedName", &dn)) rows->by_dn[LowerCase(dn)] = std::move(row);
  }
  return code >= 0;
}

// Binds to base_path and starts the search of filter there. A controller (retry) is tried as its
// own binds are: again while it is not operational, a search that finds it gone before its first
// row counting as a failed bind, since a kept connection learns only then that its server has
// gone. False when it could not be bound; code: the bind's or the search's result.
bool BindAndSearch(const std::string& base_path, const std::string& filter,
                   const std::vector<std::string>& attributes, bool retry, ScopedObject* base,
                   ScopedSearch* search, AdsResult* code) {
  const int attempts = retry ? kControllerAttempts : 1;
  for (int attempt = 1;; ++attempt) {
    base->reset();
    *code = BindObject(base_path, kAdsSecureAuthentication | kAdsFastBind, base->out());
    bool bound = *code >= 0;
    if (bound) {
      *code =
          AdsExecuteSearch(base->get(), kAdsScopeSubtree, kBatchPageSize, filter, attributes, search->out());
      if (retry && NotOperational(*code)) bound = false;
    }
    if (bound) return true;
    if (!NotOperational(*code) || attempt >= attempts) return false;
    std::this_thread::sleep_for(kControllerRetryWait);
  }
}

// The searches for the objects of the filters below a base, one after the other on one connection
// (the first one binding it); each row is kept under its DN.
void SearchInto(const std::string& base_path, const std::vector<std::string>& filters,
                std::vector<std::string> attributes, bool retry, BatchReads::Rows* rows) {
  attributes.push_back("distinguishedName");
  ScopedObject base;
  for (size_t i = 0; i < filters.size(); ++i) {
    ScopedSearch search;
    AdsResult code = kAdsOk;
    if (i > 0) {
      code = AdsExecuteSearch(base.get(), kAdsScopeSubtree, kBatchPageSize, filters[i], attributes,
                              search.out());
    } else if (!BindAndSearch(base_path, filters[0], attributes, retry, &base, &search, &code)) {
      rows->bind_failed = true;
      rows->failure = FailedRead(ReadOutcome::kBindFailed, code);
      return;
    }
    // A search that fails part of the way leaves the objects it did not return, and those of the
    // searches after it, to reads of their own.
    if (!KeepRows(search.get(), code, rows)) return;
  }
}

// The server part of a path, which names the connection the path is read over.
std::string ConnectionOf(const std::string& path) {
  AdsPathParts parts;
  ParseAdsPath(path, &parts);
  return LowerCase(parts.server);
}

const std::vector<AdsAttribute>* Row(const BatchReads::Rows& rows, const std::string& dn) {
  auto it = rows.by_dn.find(LowerCase(dn));
  return it == rows.by_dn.end() ? nullptr : &it->second;
}

// The per-controller attributes of the needs.
std::vector<std::string> ControllerAttributes(const BatchNeeds& needs) {
  std::vector<std::string> attributes;
  if (needs.last_logon) attributes.push_back("lastLogon");
  if (needs.when_changed) attributes.push_back("whenChanged");
  return attributes;
}

// The indexes of the other controllers that a batch searches on threads of their own: not on the
// objects' own connection, each connection once. The others are searched after the objects.
std::vector<size_t> ThreadedControllers(const RetrievalScope& scope, const std::string& object_connection) {
  std::vector<size_t> threaded;
  std::vector<std::string> started;
  for (size_t i = 0; i < scope.others.size(); ++i) {
    const std::string connection = LowerCase(scope.others[i].path_server);
    bool taken = connection == object_connection;
    for (const std::string& other : started) taken = taken || other == connection;
    if (taken) continue;
    started.push_back(connection);
    threaded.push_back(i);
  }
  return threaded;
}

std::string ObjectBase(const RetrievalScope& scope) {
  const std::string naming_context = EscapeSlashes(scope.naming_context);
  return scope.single ? scope.path_prefix + scope.single_server + "/" + naming_context
                      : scope.path_prefix + naming_context;
}

}  // namespace

ControllerStream::ControllerStream(std::string base_path, int search_scope, std::string filter,
                                   std::vector<std::string> attributes, const char* sort_on)
    : owner_(std::this_thread::get_id()) {
  thread_.Start([this, base_path, search_scope, filter, attributes, sort_on]() {
    Run(base_path, search_scope, filter, attributes, sort_on);
  });
}

ControllerStream::~ControllerStream() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    give_up_ = true;
  }
  changed_.notify_all();
  thread_.Wait();
}

void ControllerStream::Run(std::string base_path, int search_scope, std::string filter,
                           std::vector<std::string> attributes, const char* sort_on) {
  // Without a thread of its own the search would wait for batches that cannot come: none then.
  if (std::this_thread::get_id() != owner_) {
    attributes.push_back("distinguishedName");
    ScopedObject base;
    AdsResult code = BindObject(base_path, kAdsSecureAuthentication | kAdsFastBind, base.out());
    ScopedSearch search;
    if (code >= 0)
      code = AdsExecuteSearch(base.get(), search_scope, kBatchPageSize, filter, attributes, search.out(),
                              sort_on);
    std::vector<AdsAttribute> row;
    while (code >= 0 && (code = AdsGetNextRow(search.get(), &row)) >= 0 && code != kAdsNoMoreRows) {
      std::string dn;
      if (!FirstText(row, "distinguishedName", &dn)) continue;
      std::unique_lock<std::mutex> lock(mutex_);
      rows_[LowerCase(dn)] = std::move(row);
      changed_.notify_all();
      changed_.wait(lock, [this]() { return give_up_ || rows_.size() < kStreamRows; });
      if (give_up_) break;
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  ended_ = true;
  changed_.notify_all();
}

void ControllerStream::Take(const std::vector<std::string>& dns, BatchReads::Rows* rows,
                            std::vector<std::string>* missing) {
  std::vector<std::string> wanted = dns;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wanted = TakeWaitingRows(wanted, &rows_, &rows->by_dn);
    changed_.notify_all();
    if (wanted.empty() || ended_) break;
    // Full of rows of other objects: these come in another order.
    if (rows_.size() >= kStreamRows) give_up_ = true;
    changed_.wait(lock);
  }
  *missing = std::move(wanted);
}

std::vector<std::string> TakeWaitingRows(const std::vector<std::string>& dns, RowsByDn* waiting,
                                         RowsByDn* rows) {
  std::vector<std::string> still;
  for (const std::string& dn : dns) {
    std::string key = LowerCase(dn);
    auto it = waiting->find(key);
    if (it != waiting->end()) {
      (*rows)[std::move(key)] = std::move(it->second);
      waiting->erase(it);
    } else if (!rows->count(key)) {
      still.push_back(dn);
    }
  }
  return still;
}

ControllerStreams StartControllerStreams(const RetrievalScope& scope, const BatchNeeds& needs,
                                         const std::string& base_dn, int search_scope,
                                         const std::string& filter, const char* sort_on) {
  ControllerStreams streams;
  const std::vector<std::string> attributes = ControllerAttributes(needs);
  if (attributes.empty() || scope.single) return streams;
  for (size_t i : ThreadedControllers(scope, ConnectionOf(ObjectBase(scope)))) {
    const std::string& server = scope.others[i].path_server;
    streams[LowerCase(server)] = std::make_shared<ControllerStream>(
        "LDAP://" + server + "/" + base_dn, search_scope, filter, attributes, sort_on);
  }
  return streams;
}

std::vector<std::string> BatchFilters(const std::vector<std::string>& dns) {
  std::vector<std::string> terms;
  std::unordered_set<std::string> seen;
  for (const std::string& dn : dns) {
    if (seen.insert(LowerCase(dn)).second)
      terms.push_back("(distinguishedName=" + EscapeFilterLiteral(dn) + ")");
  }
  return OrFilters(terms);
}

ReadOutcome PasswordSettingsCache::Get(RetrievalSource* reads, const RetrievalScope& scope,
                                       const std::string& dn) {
  const std::string key = scope.path_prefix + "\n" + LowerCase(dn);
  auto it = read_.find(key);
  if (it != read_.end()) return it->second;
  ReadOutcome outcome = reads->PasswordSettings(scope, dn);
  read_[key] = outcome;
  return outcome;
}

std::vector<std::string> BatchObjectAttributes(const BatchNeeds& needs) {
  std::vector<std::string> attributes;
  for (const std::string& name : kObjectAttributes) {
    if (!needs.psos || !EqualsIgnoreCase(name, "msDS-ResultantPSO")) attributes.push_back(name);
  }
  return attributes;
}

std::vector<std::string> ObjectRowAttributes(const BatchNeeds& needs) {
  std::vector<std::string> attributes = {"distinguishedName"};
  for (std::string& name : BatchObjectAttributes(needs)) attributes.push_back(std::move(name));
  if (needs.descriptor) attributes.push_back(kDescriptor);
  return attributes;
}

void BatchReads::Start(const RetrievalScope& scope, const std::vector<std::string>& dns,
                       const BatchNeeds& needs, RowsByDn* found, const ControllerStreams* streams) {
  const std::string naming_context = EscapeSlashes(scope.naming_context);
  const std::string object_base = ObjectBase(scope);
  const std::string object_connection = ConnectionOf(object_base);

  // The per-controller values, from every controller after the first, each on a thread of its own
  // (from its stream first, when it has one); one whose connection is the objects' own is read
  // here, after them.
  const std::vector<std::string> controller_attributes = ControllerAttributes(needs);
  controller_attributes_ = controller_attributes;
  controllers_.assign(controller_attributes.empty() ? 0 : scope.others.size(), Rows());
  const std::vector<std::string> filters = BatchFilters(dns);
  std::vector<size_t> here;
  const std::vector<size_t> threaded = ThreadedControllers(scope, object_connection);
  for (size_t i = 0; i < controllers_.size(); ++i) {
    const std::string& server = scope.others[i].path_server;
    const std::string base = "LDAP://" + server + "/" + naming_context;
    bool own_thread = false;
    for (size_t t : threaded) own_thread = own_thread || t == i;
    if (!own_thread) {
      here.push_back(i);
      continue;
    }
    std::shared_ptr<ControllerStream> stream;
    if (streams) {
      auto it = streams->find(LowerCase(server));
      if (it != streams->end()) stream = it->second;
    }
    running_.Start([this, i, base, filters, dns, stream, controller_attributes]() {
      if (!stream) {
        SearchInto(base, filters, controller_attributes, true, &controllers_[i]);
        return;
      }
      std::vector<std::string> missing;
      stream->Take(dns, &controllers_[i], &missing);
      SearchInto(base, BatchFilters(missing), controller_attributes, true, &controllers_[i]);
    });
  }

  // The objects' own attributes from the server their own reads go to, the descriptor along,
  // unless /$ sends the objects to a controller while the descriptor is read from the default
  // server. Rows the finding search gave stand for them.
  fetched_objects_ = true;
  psos_ = needs.psos;
  separate_descriptors_ = needs.descriptor && scope.single;
  std::vector<std::string> missing;
  for (const std::string& dn : dns) {
    const std::string key = LowerCase(dn);
    auto it = found ? found->find(key) : RowsByDn::iterator();
    if (found && it != found->end()) {
      objects_.by_dn[key] = std::move(it->second);
      found->erase(it);
    } else if (!objects_.by_dn.count(key)) {
      missing.push_back(dn);
    }
  }
  if (!missing.empty()) {
    std::vector<std::string> object_attributes = BatchObjectAttributes(needs);
    if (needs.descriptor && !scope.single) object_attributes.push_back(kDescriptor);
    SearchInto(object_base, BatchFilters(missing), object_attributes, false, &objects_);
  }
  if (separate_descriptors_) {
    SearchInto(scope.path_prefix + naming_context, filters, {kDescriptor}, false, &descriptors_);
  }
  for (size_t i : here) {
    SearchInto("LDAP://" + scope.others[i].path_server + "/" + naming_context, filters, controller_attributes,
               true, &controllers_[i]);
  }
}

RetrievalSource* BatchReads::OwnReads() {
  if (before_own_reads_) before_own_reads_();
  return SingleObjectReads();
}

ReadOutcome BatchReads::ControllerValue(const RetrievalScope& scope, size_t controller, const std::string& dn,
                                        const char* attribute) {
  bool fetched = false;
  for (const std::string& name : controller_attributes_)
    fetched = fetched || EqualsIgnoreCase(name, attribute);
  if (!fetched || controller >= controllers_.size()) {
    return OwnReads()->ControllerValue(scope, controller, dn, attribute);
  }
  const Rows& rows = controllers_[controller];
  if (rows.bind_failed) return rows.failure;
  const std::vector<AdsAttribute>* row = Row(rows, dn);
  if (!row) return OwnReads()->ControllerValue(scope, controller, dn, attribute);
  // Only the attribute asked for, as a read of it alone returns.
  ReadOutcome outcome;
  for (const AdsAttribute& read : *row) {
    if (EqualsIgnoreCase(read.name, attribute)) outcome.attributes.push_back(read);
  }
  return outcome;
}

bool BatchReads::ChangePasswordDenied(const RetrievalScope& scope, const std::string& dn,
                                      const std::string& display_name, int* denied) {
  const Rows& rows = separate_descriptors_ ? descriptors_ : objects_;
  *denied = 0;
  // The default server refused the connection: the object's own read could not have bound either.
  if (rows.bind_failed) return false;
  const std::vector<AdsAttribute>* row = fetched_objects_ ? Row(rows, dn) : nullptr;
  if (!row) return OwnReads()->ChangePasswordDenied(scope, dn, display_name, denied);
  const AdsAttribute* descriptor = FindAttribute(*row, kDescriptor);
  if (!descriptor || descriptor->values.empty()) return false;
  bool is_denied = false;
  if (WalkChangePasswordDacl(descriptor->values.front().bytes, &is_denied) != kDaclAnswered) return false;
  *denied = is_denied ? 1 : 0;
  return true;
}

ReadOutcome BatchReads::ObjectAttributes(const RetrievalScope& scope, const std::string& dn) {
  if (objects_.bind_failed) return objects_.failure;
  const std::vector<AdsAttribute>* row = fetched_objects_ ? Row(objects_, dn) : nullptr;
  if (!row) return OwnReads()->ObjectAttributes(scope, dn);
  ReadOutcome outcome;
  outcome.attributes = *row;
  if (psos_) psos_->AddTo(dn, &outcome.attributes);
  return outcome;
}

ReadOutcome BatchReads::PasswordSettings(const RetrievalScope& scope, const std::string& dn) {
  // Password settings come from the default server, never the connection of another batch's search.
  return settings_->Get(SingleObjectReads(), scope, dn);
}
