// The values retrieved for one object, and the domain's password and lockout policy.
#ifndef LORVEX_RUN_RESTRICTION_RECORD_H_
#define LORVEX_RUN_RESTRICTION_RECORD_H_

#include <cstdint>
#include <string>

/// Flag bits of a RestrictionRecord.
enum RecordFlags : uint32_t {
  kFlagDisabled = 0x1,
  kFlagExpired = 0x2,
  kFlagLocked = 0x4,
  kFlagPasswordExpired = 0x10,
  kFlagPasswordRequired = 0x20,
  kFlagUserCanChange = 0x40,
  kFlagUniqueRequired = 0x80,
  kFlagNeverExpires = 0x400,
  kFlagReversible = 0x800,
  kFlagChangeNextLogon = 0x1000,
  kFlagComplexity = 0x2000,
  kFlagLockoutPolicy = 0x4000,
};

/// Number of bytes of the logon-hours bit map (one bit per hour of the week).
constexpr int kLogonHoursBytes = 21;

/// The restriction values of one object. Times are local seconds since 1970, 0 = none.
struct RestrictionRecord {
  std::string name;  ///< display-form name, filled only when the record is kept for sorting
  std::string workstations;
  bool has_workstations = false;  ///< false: every workstation allowed
  std::string last_logon_server;
  std::string modification_server;
  std::string display_name;
  std::string pso;  ///< DN of the resultant password settings object; empty: none applies
  uint8_t logon_hours[kLogonHoursBytes];
  uint32_t account_expires = 0;
  uint32_t bad_logon_count = 0;
  uint32_t flags = 0;
  uint32_t created = 0;
  uint32_t last_logon = 0;
  uint32_t lockout_time = 0;
  uint32_t lockout_duration = 0;
  uint32_t lockout_reset_period = 0;
  uint32_t lockout_threshold = 0;
  uint32_t last_bad_logon = 0;
  uint32_t modified = 0;
  uint32_t password_expires = 0;
  uint32_t password_history_length = 0;
  uint32_t max_password_age = 0;
  uint32_t min_password_age = 0;
  uint32_t password_last_set = 0;
  uint32_t min_password_length = 0;

  RestrictionRecord() {
    for (uint8_t& b : logon_hours) b = 0xFF;
  }
};

/// The domain's password and lockout policy, read once per run.
struct DomainPolicy {
  uint32_t max_password_age = 0;
  uint32_t min_password_age = 0;
  uint32_t min_password_length = 0;
  uint32_t password_history_length = 0;
  uint32_t complexity = 0;
  uint32_t lockout_policy = 0;
  uint32_t lockout_threshold = 0;
  uint32_t lockout_duration = 0;
  uint32_t lockout_observation_window = 0;
};

#endif  // LORVEX_RUN_RESTRICTION_RECORD_H_
