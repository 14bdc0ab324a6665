// Reading one object's restrictions into a record and handing it to the filter.
#include "retrieval/retrieval.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "directory/dir_time.h"
#include "directory/directory_context.h"
#include "directory/name_forms.h"
#include "directory/permission.h"
#include "retrieval/retrieval_queue.h"
#include "retrieval/retrieval_source.h"
#include "retrieval/servers.h"
#include "run/worker_control.h"
#include "util/ascii_text.h"
#include "util/error_text.h"
#include "util/progress.h"

const std::vector<std::string> kObjectAttributes = {
    "accountExpires",   "badPwdCount", "badPasswordTime",    "lastLogon",   "logonHours",
    "userWorkstations", "pwdLastSet",  "userAccountControl", "whenCreated", "whenChanged",
    "lockoutTime",      "displayName", "msDS-ResultantPSO",
};

namespace {

// userAccountControl bits the record reads.
constexpr uint32_t kUacDisabled = 0x2;
constexpr uint32_t kUacPasswordNotRequired = 0x20;
constexpr uint32_t kUacCannotChangePassword = 0x40;
constexpr uint32_t kUacReversibleEncryption = 0x80;
constexpr uint32_t kUacPasswordNeverExpires = 0x10000;
constexpr uint32_t kUacPasswordExpired = 0x800000;

// The record as it stands before the object is read: the domain policy, every hour allowed.
void InitRecord(const DomainPolicy& policy, RestrictionRecord* record) {
  record->flags = kFlagPasswordRequired;
  if (policy.password_history_length) record->flags |= kFlagUniqueRequired;
  if (policy.complexity) record->flags |= kFlagComplexity;
  if (policy.lockout_policy) record->flags |= kFlagLockoutPolicy;
  record->password_history_length = policy.password_history_length;
  record->max_password_age = policy.max_password_age;
  record->min_password_age = policy.min_password_age;
  record->min_password_length = policy.min_password_length;
  record->lockout_duration = policy.lockout_duration;
  record->lockout_reset_period = policy.lockout_observation_window;
  record->lockout_threshold = policy.lockout_threshold;
}

void SetFlag(RestrictionRecord* record, uint32_t flag, bool on) {
  if (on) {
    record->flags |= flag;
  } else {
    record->flags &= ~flag;
  }
}

// Stores the attributes of the object's own read.
void StoreObjectAttributes(const RunContext* run, const RetrievalScope& scope,
                           const std::vector<AdsAttribute>& attributes, uint32_t now, bool permission_known,
                           RestrictionRecord* record) {
  bool read_display_name = !run->options.no_display_name && !run->options.names_only;
  for (const AdsAttribute& attribute : attributes) {
    if (attribute.values.empty()) continue;
    const AdsValue& value = attribute.values.front();
    const std::string& name = attribute.name;
    if (EqualsIgnoreCase(name, "badPwdCount")) {
      record->bad_logon_count = static_cast<uint32_t>(value.integer);
    } else if (EqualsIgnoreCase(name, "userWorkstations")) {
      record->workstations = value.text;
      record->has_workstations = true;
    } else if (EqualsIgnoreCase(name, "displayName")) {
      if (read_display_name) record->display_name = value.text;
    } else if (EqualsIgnoreCase(name, "logonHours")) {
      // Only the first 21 bytes count; a shorter value leaves the remaining hours allowed.
      size_t count = std::min(value.bytes.size(), static_cast<size_t>(kLogonHoursBytes));
      memcpy(record->logon_hours, value.bytes.data(), count);
    } else if (EqualsIgnoreCase(name, "userAccountControl")) {
      uint32_t control = static_cast<uint32_t>(value.integer);
      if (control & kUacDisabled) record->flags |= kFlagDisabled;
      if (control & kUacPasswordNotRequired) record->flags &= ~kFlagPasswordRequired;
      if (!permission_known) SetFlag(record, kFlagUserCanChange, !(control & kUacCannotChangePassword));
      if (control & kUacReversibleEncryption) record->flags |= kFlagReversible;
      if (control & kUacPasswordNeverExpires) record->flags |= kFlagNeverExpires;
      if (control & kUacPasswordExpired) record->flags |= kFlagPasswordExpired;
    } else if (EqualsIgnoreCase(name, "whenCreated")) {
      record->created = LocalUtcTime(run, value.time);
    } else if (EqualsIgnoreCase(name, "whenChanged")) {
      if (!scope.own_counts) continue;
      uint32_t changed = LocalUtcTime(run, value.time);
      if (changed > record->modified) {
        record->modified = changed;
        if (!scope.own_name.empty()) record->modification_server = scope.own_name;
      }
    } else if (EqualsIgnoreCase(name, "lastLogon")) {
      if (!scope.own_counts) continue;
      uint32_t last_logon = LocalFileTime(run, value);
      if (last_logon > record->last_logon) {
        record->last_logon = last_logon;
        if (!scope.own_name.empty()) record->last_logon_server = scope.own_name;
      }
    } else if (EqualsIgnoreCase(name, "msDS-ResultantPSO")) {
      record->pso = value.text;
    } else if (EqualsIgnoreCase(name, "pwdLastSet")) {
      record->password_last_set = LocalFileTime(run, value);
      if (record->password_last_set == 0) record->flags |= kFlagChangeNextLogon;
    } else if (EqualsIgnoreCase(name, "badPasswordTime")) {
      record->last_bad_logon = LocalFileTime(run, value);
    } else if (EqualsIgnoreCase(name, "accountExpires")) {
      record->account_expires = LocalFileTime(run, value);
      if (record->account_expires != 0 && record->account_expires < now) record->flags |= kFlagExpired;
    } else if (EqualsIgnoreCase(name, "lockoutTime")) {
      record->lockout_time = LocalFileTime(run, value);
    }
  }
}

// The lockout state and the password expiry, from the policy that applies to the object.
void DeriveLockoutAndExpiry(uint32_t now, RestrictionRecord* record) {
  if (record->lockout_time != 0) {
    uint64_t unlocks = static_cast<uint64_t>(record->lockout_time) + record->lockout_duration;
    if (record->lockout_duration == 0 || unlocks > now) record->flags |= kFlagLocked;
  }
  if (record->password_last_set == 0) {
    if (!(record->flags & kFlagNeverExpires)) record->flags |= kFlagPasswordExpired;
  } else if (record->flags & kFlagNeverExpires) {
    record->password_expires = 0;
  } else if (record->max_password_age != 0) {
    // A time past the end of the 32-bit range stays at its last second.
    uint64_t expires = static_cast<uint64_t>(record->password_last_set) + record->max_password_age;
    record->password_expires = static_cast<uint32_t>(std::min<uint64_t>(expires, UINT32_MAX));
    if (record->password_expires < now) record->flags |= kFlagPasswordExpired;
  }
  // With no maximum password age ("None", also what the directory's "never" reads as) a password
  // that was set never expires by age: password expires stays 0 and the age sets no expired flag,
  // which leaves userAccountControl's password-expired bit as the only source of that flag.
}

}  // namespace

uint32_t LocalUtcTime(const RunContext* run, const AdsUtcTime& time) {
  uint32_t seconds = UtcTimeToSeconds(time.year, time.month, time.day, time.hour, time.minute, time.second);
  if (seconds) seconds += static_cast<uint32_t>(run->local_offset * 1800);
  return seconds;
}

uint32_t LocalFileTime(const RunContext* run, const AdsValue& value) {
  return FileTimeToSeconds(run->output, static_cast<uint64_t>(value.integer), run->local_offset * 1800);
}

bool ShowsControllerValue(const RunContext* run, RestrictionCode code) {
  return run->restriction == code || run->restriction == kAll || (run->options.sort_mode & kSortValue);
}

RetrievalScope CurrentRetrievalScope(const RunContext* run) {
  RetrievalScope scope;
  scope.path_prefix = run->directory->path_prefix;
  scope.naming_context = run->directory->default_naming_context;
  // /$ sends every read of the object to the one resolved controller.
  scope.single = run->options.single_controller && !run->resolved_server.empty();
  if (scope.single) {
    scope.single_server = run->resolved_server;
    scope.single_name = run->server_prefix;
  }
  if (run->server_list) {
    scope.has_list = true;
    // The object's own read goes to the default server (under /$ to the list's first entry), so its
    // values are credited to that controller's entry and every other entry is read on its own. The
    // directory may list the default server anywhere, or not at all when the server specification
    // leaves it out; then the own read's values belong to no listed controller and count for nothing.
    // An empty list (nothing matched the server specification) leaves the own read as the only source,
    // as with no list.
    const ServerEntry* own = scope.single ? run->server_list->head : nullptr;
    for (const ServerEntry* entry = run->server_list->head; entry && !own; entry = entry->next) {
      if (EqualsIgnoreCase(entry->name, run->directory->server_name)) own = entry;
    }
    if (own) scope.own_name = own->name;
    scope.own_counts = own || !run->server_list->head;
    for (const ServerEntry* entry = run->server_list->head; entry; entry = entry->next) {
      if (entry == own) continue;
      scope.others.push_back(ControllerTarget{FormatName(nullptr, kFormRelative | kFormNoTypes, entry->name),
                                              entry->address.empty() ? entry->host : entry->address});
    }
  }
  return scope;
}

void ReportReadFailure(OutputContext* out, const ReadOutcome& outcome, const std::string& description) {
  // The server's words belong to this failure, wherever and whenever it was met.
  SetLastFailure(outcome.code, outcome.diagnostic);
  ReportDirectoryError(out, outcome.code, description.c_str());
}

namespace {

// Fills a fresh record from a source: the sequence of the object's reads. Returns 0, or the failure
// of the object's own bind or read with its message in error and its diagnostic kept for the report.
AdsResult FillFrom(RunContext* run, const RetrievalScope& scope, RetrievalSource* source,
                   const std::string& dn, const std::string& display_name, uint32_t now,
                   RestrictionRecord* record, std::string* error) {
  error->clear();
  InitRecord(run->policy, record);

  // A value each controller keeps for itself: the latest over the server list, or under /$ the
  // value read, with the server prefix, upper-cased (also in place), naming the controller shown.
  std::string single_name = scope.single_name;
  auto controller_value = [&](RestrictionCode restriction, const char* attribute, uint32_t* value,
                              std::string* server) {
    if (!ShowsControllerValue(run, restriction)) return;
    if (scope.single) {
      for (char& c : single_name) c = AsciiUpper(c);
      for (char& c : run->server_prefix) c = AsciiUpper(c);
      *server = single_name;
    } else if (scope.has_list) {
      ReadLatestFrom(run, scope, source, dn, display_name, attribute, value, server);
    }
  };
  controller_value(kLld, "lastLogon", &record->last_logon, &record->last_logon_server);
  controller_value(kMd, "whenChanged", &record->modified, &record->modification_server);

  // The DACL, when it can be read, decides whether the user can change the password; otherwise
  // userAccountControl's "cannot change" bit does.
  bool permission_known = false;
  if (run->restriction == kPuc || run->restriction == kAll) {
    int denied = 0;
    if (source->ChangePasswordDenied(scope, dn, display_name, &denied)) {
      permission_known = true;
      SetFlag(record, kFlagUserCanChange, denied == 0);
    }
  }

  ReadOutcome object = source->ObjectAttributes(scope, dn);
  if (object.step != ReadOutcome::kDone) {
    if (object.step == ReadOutcome::kBindFailed) {
      *error = "Cannot connect to " + display_name;
      if (scope.single) *error += " on " + single_name;
    } else {
      *error = "Cannot get the attributes for " + display_name;
    }
    SetLastFailure(object.code, object.diagnostic);
    return object.code;
  }
  // Without a readable DACL an account can change its password unless userAccountControl says not.
  if (!permission_known) record->flags |= kFlagUserCanChange;
  StoreObjectAttributes(run, scope, object.attributes, now, permission_known, record);

  if (!record->pso.empty()) {
    ReadOutcome settings = source->PasswordSettings(scope, record->pso);
    if (settings.step == ReadOutcome::kBindFailed) {
      ReportReadFailure(run->output, settings,
                        "Cannot connect to password policy object " +
                            FormatName(nullptr, kFormRelative | kFormNoTypes, record->pso));
    } else {
      ApplyPasswordSettings(settings.attributes, record);
      SetFlag(record, kFlagLockoutPolicy,
              record->lockout_reset_period != 0 && record->lockout_threshold != 0);
    }
  }
  DeriveLockoutAndExpiry(now, record);
  return kAdsOk;
}

}  // namespace

int RetrieveFrom(RunContext* run, const RetrievalScope& scope, RetrievalSource* source, const std::string& dn,
                 const std::string& display_name) {
  WorkerSafePoint();
  if (g_cancel) return kWorkCancelled;
  // One instant for every comparison of this object.
  uint32_t now = RunNow(run);
  ++run->examined;
  ShowProgress(run->examined);
  // A record that cannot be allocated ends the run as a full result list does: out of memory.
  auto* record = new (std::nothrow) RestrictionRecord;
  if (!record) return kWorkNoMemory;
  std::string error;
  AdsResult result = FillFrom(run, scope, source, dn, display_name, now, record, &error);
  if (result < 0) {
    ReportDirectoryError(run->output, result, error.c_str());
    delete record;
    return kWorkDone;
  }
  int code = run->dispatch(run, display_name, record);
  WorkerSafePoint();
  if (g_cancel) return kWorkCancelled;
  return code;
}

int RetrieveRestrictions(RunContext* run, const std::string& dn) {
  if (run->retrievals) return QueueRetrieval(run->retrievals, dn);
  if (g_cancel) return kWorkCancelled;
  return RetrieveFrom(run, CurrentRetrievalScope(run), SingleObjectReads(), dn,
                      FormatName(run->directory, run->options.name_form, dn));
}
