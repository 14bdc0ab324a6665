// Reading one object's restrictions into a record and handing it to the filter.
#include "directory/retrieval.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "directory/ascii_text.h"
#include "directory/dir_time.h"
#include "directory/directory_context.h"
#include "directory/name_forms.h"
#include "directory/permission.h"
#include "directory/servers.h"
#include "query/filter.h"
#include "query/worker_control.h"
#include "util/error_text.h"
#include "util/progress.h"

namespace {

const std::vector<std::string> kObjectAttributes = {
    "accountExpires",   "badPwdCount", "badPasswordTime",    "lastLogon",   "logonHours",
    "userWorkstations", "pwdLastSet",  "userAccountControl", "whenCreated", "whenChanged",
    "lockoutTime",      "displayName", "msDS-ResultantPSO",
};

// userAccountControl bits the record reads.
constexpr uint32_t kUacDisabled = 0x2;
constexpr uint32_t kUacPasswordNotRequired = 0x20;
constexpr uint32_t kUacCannotChangePassword = 0x40;
constexpr uint32_t kUacReversibleEncryption = 0x80;
constexpr uint32_t kUacPasswordNeverExpires = 0x10000;
constexpr uint32_t kUacPasswordExpired = 0x800000;

// Whether the run shows a value that is read from every domain controller.
bool NeedsControllerValues(const RunContext* run, RestrictionCode code) {
  return run->restriction == code || run->restriction == kAll || (run->options.sort_mode & kSortValue);
}

// Whether /$ sends every read of the run to one resolved controller.
bool SingleController(const RunContext* run) {
  return run->options.single_controller && !run->resolved_server.empty();
}

const ServerEntry* FirstServer(const RunContext* run) {
  return run->server_list ? run->server_list->head : nullptr;
}

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

// A generalized time in the program's local seconds.
uint32_t LocalUtcTime(const RunContext* run, const AdsUtcTime& time) {
  uint32_t seconds = UtcTimeToSeconds(time.year, time.month, time.day, time.hour, time.minute, time.second);
  if (seconds) seconds += static_cast<uint32_t>(run->local_offset * 1800);
  return seconds;
}

uint32_t LocalFileTime(const RunContext* run, const AdsValue& value) {
  return FileTimeToSeconds(run->output, static_cast<uint64_t>(value.integer), run->local_offset * 1800);
}

// Stores the attributes of the object's own read.
void StoreObjectAttributes(const RunContext* run, const std::vector<AdsAttribute>& attributes, uint32_t now,
                           bool permission_known, RestrictionRecord* record) {
  const ServerEntry* first_server = FirstServer(run);
  bool read_display_name = !run->options.no_display_name && !run->options.names_only;
  for (const AdsAttribute& attribute : attributes) {
    if (attribute.values.empty()) continue;
    const AdsValue& value = attribute.values.front();
    const std::string& name = attribute.name;
    if (AsciiEqualsIgnoreCase(name, "badPwdCount")) {
      record->bad_logon_count = static_cast<uint32_t>(value.integer);
    } else if (AsciiEqualsIgnoreCase(name, "userWorkstations")) {
      record->workstations = value.text;
      record->has_workstations = true;
    } else if (AsciiEqualsIgnoreCase(name, "displayName")) {
      if (read_display_name) record->display_name = value.text;
    } else if (AsciiEqualsIgnoreCase(name, "logonHours")) {
      // Only the first 21 bytes count; a shorter value leaves the remaining hours allowed.
      size_t count = std::min(value.bytes.size(), static_cast<size_t>(kLogonHoursBytes));
      memcpy(record->logon_hours, value.bytes.data(), count);
    } else if (AsciiEqualsIgnoreCase(name, "userAccountControl")) {
      uint32_t control = static_cast<uint32_t>(value.integer);
      if (control & kUacDisabled) record->flags |= kFlagDisabled;
      if (control & kUacPasswordNotRequired) record->flags &= ~kFlagPasswordRequired;
      if (!permission_known) SetFlag(record, kFlagUserCanChange, !(control & kUacCannotChangePassword));
      if (control & kUacReversibleEncryption) record->flags |= kFlagReversible;
      if (control & kUacPasswordNeverExpires) record->flags |= kFlagNeverExpires;
      if (control & kUacPasswordExpired) record->flags |= kFlagPasswordExpired;
    } else if (AsciiEqualsIgnoreCase(name, "whenCreated")) {
      record->created = LocalUtcTime(run, value.time);
    } else if (AsciiEqualsIgnoreCase(name, "whenChanged")) {
      uint32_t changed = LocalUtcTime(run, value.time);
      if (changed > record->modified) {
        record->modified = changed;
        if (first_server) record->modification_server = first_server->name;
      }
    } else if (AsciiEqualsIgnoreCase(name, "lastLogon")) {
      uint32_t last_logon = LocalFileTime(run, value);
      if (last_logon > record->last_logon) {
        record->last_logon = last_logon;
        if (first_server) record->last_logon_server = first_server->name;
      }
    } else if (AsciiEqualsIgnoreCase(name, "msDS-ResultantPSO")) {
      record->pso = value.text;
    } else if (AsciiEqualsIgnoreCase(name, "pwdLastSet")) {
      record->password_last_set = LocalFileTime(run, value);
      if (record->password_last_set == 0) record->flags |= kFlagChangeNextLogon;
    } else if (AsciiEqualsIgnoreCase(name, "badPasswordTime")) {
      record->last_bad_logon = LocalFileTime(run, value);
    } else if (AsciiEqualsIgnoreCase(name, "accountExpires")) {
      record->account_expires = LocalFileTime(run, value);
      if (record->account_expires != 0 && record->account_expires < now) record->flags |= kFlagExpired;
    } else if (AsciiEqualsIgnoreCase(name, "lockoutTime")) {
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

AdsResult FillRestrictionRecord(RunContext* run, const std::string& dn, const std::string& display_name,
                                uint32_t now, RestrictionRecord* record, std::string* error) {
  error->clear();
  const DirectoryContext* dir = run->directory;
  InitRecord(run->policy, record);

  if (NeedsControllerValues(run, kLld)) {
    if (SingleController(run)) {
      for (char& c : run->server_prefix) c = AsciiUpper(c);
      record->last_logon_server = run->server_prefix;
    } else if (run->server_list) {
      ReadLatestLastLogon(run, dn, display_name, &record->last_logon, &record->last_logon_server);
    }
  }
  if (NeedsControllerValues(run, kMd)) {
    if (SingleController(run)) {
      for (char& c : run->server_prefix) c = AsciiUpper(c);
      record->modification_server = run->server_prefix;
    } else if (run->server_list) {
      ReadLatestWhenChanged(run, dn, display_name, &record->modified, &record->modification_server);
    }
  }

  // The DACL, when it can be read, decides whether the user can change the password; otherwise
  // userAccountControl's "cannot change" bit does.
  bool permission_known = false;
  if (run->restriction == kPuc || run->restriction == kAll) {
    std::string message;
    int denied = 0;
    if (CheckChangePasswordDenied(&g_credentials, dir->path_prefix + EscapeSlashes(dn), display_name,
                                  &message, &denied) == kAdsOk) {
      permission_known = true;
      SetFlag(record, kFlagUserCanChange, denied == 0);
    }
  }

  std::string path = SingleController(run) ? dir->path_prefix + run->resolved_server + "/" + EscapeSlashes(dn)
                                           : dir->path_prefix + EscapeSlashes(dn);
  AdsObject* object = nullptr;
  AdsResult result = AdsOpenObject(path, &g_credentials, kAdsSecureAuthentication | kAdsFastBind, &object);
  if (result < 0) {
    *error = "Cannot connect to " + display_name;
    if (SingleController(run)) *error += " on " + run->server_prefix;
    return result;
  }
  std::vector<AdsAttribute> attributes;
  result = AdsGetObjectAttributes(object, kObjectAttributes, &attributes);
  if (result < 0) {
    AdsRelease(object);
    *error = "Cannot get the attributes for " + display_name;
    return result;
  }
  // Without a readable DACL an account can change its password unless userAccountControl says not.
  if (!permission_known) record->flags |= kFlagUserCanChange;
  StoreObjectAttributes(run, attributes, now, permission_known, record);
  AdsRelease(object);

  if (!record->pso.empty()) ReadPasswordSettings(run, record->pso, record);
  DeriveLockoutAndExpiry(now, record);
  return kAdsOk;
}

int RetrieveRestrictions(RunContext* run, const std::string& dn) {
  WorkerSafePoint();
  if (g_cancel) return kWorkCancelled;
  // One instant for every comparison of this object.
  uint32_t now = RunNow(run);
  ++run->examined;
  ShowProgress(run->examined);
  // A record that cannot be allocated ends the run as a full result list does: out of memory.
  auto* record = new (std::nothrow) RestrictionRecord;
  if (!record) return kWorkNoMemory;
  std::string display_name = FormatName(run->directory, run->options.name_form, dn);
  std::string error;
  AdsResult result = FillRestrictionRecord(run, dn, display_name, now, record, &error);
  if (result < 0) {
    ReportDirectoryError(run->output, result, error.c_str());
    delete record;
    return kWorkDone;
  }
  int code = SelectAndDispatch(run, display_name, record);
  WorkerSafePoint();
  if (g_cancel) return kWorkCancelled;
  return code;
}
