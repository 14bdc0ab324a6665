// The password and lockout policies: the domain's, and the password settings object of an account.
#include <cstdio>

#include "directory/ads/ads_path.h"
#include "directory/dir_time.h"
#include "directory/directory_context.h"
#include "directory/name_forms.h"
#include "retrieval/entity.h"
#include "retrieval/retrieval.h"
#include "retrieval/retrieval_source.h"
#include "util/ascii_text.h"
#include "util/error_text.h"
#include "util/output.h"

const std::vector<std::string> kPasswordSettingsAttributes = {
    "msDS-LockoutDuration",
    "msDS-LockoutObservationWindow",
    "msDS-LockoutThreshold",
    "msDS-MaximumPasswordAge",
    "msDS-MinimumPasswordAge",
    "msDS-MinimumPasswordLength",
    "msDS-PasswordComplexityEnabled",
    "msDS-PasswordHistoryLength",
    "msDS-PasswordReversibleEncryptionEnabled",
};

namespace {

const std::vector<std::string> kDomainPolicyAttributes = {
    "maxPwdAge",     "minPwdAge",       "minPwdLength",     "pwdHistoryLength",
    "pwdProperties", "lockoutDuration", "lockoutThreshold", "lockOutObservationWindow",
};

constexpr char kPasswordSettingsClass[] = "msDS-PasswordSettings";
constexpr int64_t kPasswordPropertyComplex = 0x1;

uint32_t Interval(const AdsValue& value) { return IntervalToSeconds(value.integer); }
uint32_t Number(const AdsValue& value) { return static_cast<uint32_t>(value.integer); }

void SetFlag(RestrictionRecord* record, uint32_t flag, bool on) {
  if (on) {
    record->flags |= flag;
  } else {
    record->flags &= ~flag;
  }
}

bool IsBracedGuid(const std::string& text) {
  return !text.empty() && text.front() == '{' && text.back() == '}';
}

}  // namespace

int ReadDomainPolicy(RunContext* run) {
  DomainPolicy& policy = run->policy;
  policy = DomainPolicy{};
  const DirectoryContext* dir = run->directory;
  // A domain head that cannot be read leaves every policy value at none, silently.
  AdsObject* object = nullptr;
  if (AdsOpenObject(dir->path_prefix + dir->default_naming_context, &g_credentials, kAdsSecureAuthentication,
                    &object) < 0) {
    return 0;
  }
  std::vector<AdsAttribute> attributes;
  if (AdsGetObjectAttributes(object, kDomainPolicyAttributes, &attributes) >= 0) {
    for (const AdsAttribute& attribute : attributes) {
      if (attribute.values.empty()) continue;
      const AdsValue& value = attribute.values.front();
      const std::string& name = attribute.name;
      if (EqualsIgnoreCase(name, "maxPwdAge")) {
        policy.max_password_age = Interval(value);
      } else if (EqualsIgnoreCase(name, "minPwdAge")) {
        policy.min_password_age = Interval(value);
      } else if (EqualsIgnoreCase(name, "minPwdLength")) {
        policy.min_password_length = Number(value);
      } else if (EqualsIgnoreCase(name, "pwdHistoryLength")) {
        policy.password_history_length = Number(value);
      } else if (EqualsIgnoreCase(name, "pwdProperties")) {
        if (value.integer & kPasswordPropertyComplex) ++policy.complexity;
      } else if (EqualsIgnoreCase(name, "lockoutDuration")) {
        policy.lockout_duration = Interval(value);
      } else if (EqualsIgnoreCase(name, "lockoutThreshold")) {
        policy.lockout_threshold = Number(value);
      } else if (EqualsIgnoreCase(name, "lockOutObservationWindow")) {
        policy.lockout_observation_window = Interval(value);
      }
    }
  }
  AdsRelease(object);
  if (policy.lockout_observation_window && policy.lockout_threshold) policy.lockout_policy = 1;
  return 0;
}

void ApplyPasswordSettings(const std::vector<AdsAttribute>& attributes, RestrictionRecord* record) {
  // Attributes the object lacks leave the domain's values in place.
  for (const AdsAttribute& attribute : attributes) {
    if (attribute.values.empty()) continue;
    const AdsValue& value = attribute.values.front();
    const std::string& name = attribute.name;
    if (EqualsIgnoreCase(name, "msDS-LockoutDuration")) {
      record->lockout_duration = Interval(value);
    } else if (EqualsIgnoreCase(name, "msDS-LockoutObservationWindow")) {
      record->lockout_reset_period = Interval(value);
    } else if (EqualsIgnoreCase(name, "msDS-LockoutThreshold")) {
      record->lockout_threshold = Number(value);
    } else if (EqualsIgnoreCase(name, "msDS-MaximumPasswordAge")) {
      record->max_password_age = Interval(value);
    } else if (EqualsIgnoreCase(name, "msDS-MinimumPasswordAge")) {
      record->min_password_age = Interval(value);
    } else if (EqualsIgnoreCase(name, "msDS-MinimumPasswordLength")) {
      record->min_password_length = Number(value);
    } else if (EqualsIgnoreCase(name, "msDS-PasswordComplexityEnabled")) {
      SetFlag(record, kFlagComplexity, value.integer != 0);
    } else if (EqualsIgnoreCase(name, "msDS-PasswordHistoryLength")) {
      record->password_history_length = Number(value);
    } else if (EqualsIgnoreCase(name, "msDS-PasswordReversibleEncryptionEnabled")) {
      SetFlag(record, kFlagReversible, value.integer != 0);
    }
  }
}

bool CheckPasswordSettingsName(RunContext* run, std::string* value) {
  // A plain common name stands for the object of that name in the password settings container.
  std::string relative = FormatName(nullptr, kFormRelative | kFormNoTypes, *value);
  if (EqualsIgnoreCase(relative, *value) && !IsBracedGuid(*value)) {
    *value = "CN=" + relative + ",CN=Password Settings Container,CN=System";
  }
  std::string class_name, error;
  AdsResult result = VerifyObject(run, value, &class_name, &error);
  if (result != kAdsOk) {
    ReportDirectoryError(run->output, result, error.c_str());
    return false;
  }
  if (!EqualsIgnoreCase(class_name, kPasswordSettingsClass)) {
    std::string shown = FormatName(run->directory, run->options.name_form, *value);
    PrintFormatted(run->output, -1, 1, "%s: %s is not a password policy object (it is %s %s)",
                   run->output->program_name, shown.c_str(), ArticleFor(class_name), class_name.c_str());
    return false;
  }
  return true;
}
