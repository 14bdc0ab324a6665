// The reads of one object alone: each value read from the directory when the retrieval asks for
// it, one bind and one read at a time.
#include <chrono>
#include <thread>

#include "directory/ads/ads_path.h"
#include "directory/ads/scoped_ads.h"
#include "directory/directory_context.h"
#include "directory/permission.h"
#include "retrieval/retrieval_source.h"

namespace {

// A controller that is not operational yet gets this many binds, this far apart.
constexpr int kBindAttempts = 10;
constexpr auto kBindRetryWait = std::chrono::milliseconds(20);

class SingleObjectSource final : public RetrievalSource {
 public:
  ReadOutcome ControllerValue(const RetrievalScope& scope, size_t controller, const std::string& dn,
                              const char* attribute) override {
    const ControllerTarget& target = scope.others[controller];
    // The DN is escaped as on every other object path, so a '/' in it cannot end the server part.
    const std::string path = "LDAP://" + target.path_server + "/" + EscapeSlashes(dn);
    ScopedObject object;
    AdsResult code = BindControllerWithRetry(path, kAdsSecureAuthentication, object.out());
    if (code < 0) return FailedRead(ReadOutcome::kBindFailed, code);
    ReadOutcome outcome;
    code = AdsGetObjectAttributes(object.get(), {attribute}, &outcome.attributes);
    if (code < 0) return FailedRead(ReadOutcome::kReadFailed, code);
    return outcome;
  }

  bool ChangePasswordDenied(const RetrievalScope& scope, const std::string& dn,
                            const std::string& display_name, int* denied) override {
    std::string message;
    return CheckChangePasswordDenied(&g_credentials, scope.path_prefix + EscapeSlashes(dn), display_name,
                                     &message, denied) == kAdsOk;
  }

  ReadOutcome ObjectAttributes(const RetrievalScope& scope, const std::string& dn) override {
    const std::string path = scope.single ? scope.path_prefix + scope.single_server + "/" + EscapeSlashes(dn)
                                          : scope.path_prefix + EscapeSlashes(dn);
    ScopedObject object;
    AdsResult code = BindObject(path, kAdsSecureAuthentication | kAdsFastBind, object.out());
    if (code < 0) return FailedRead(ReadOutcome::kBindFailed, code);
    ReadOutcome outcome;
    code = AdsGetObjectAttributes(object.get(), kObjectAttributes, &outcome.attributes);
    if (code < 0) return FailedRead(ReadOutcome::kReadFailed, code);
    return outcome;
  }

  ReadOutcome PasswordSettings(const RetrievalScope& scope, const std::string& dn) override {
    ScopedObject object;
    AdsResult code =
        BindObject(scope.path_prefix + EscapeSlashes(dn), kAdsSecureAuthentication, object.out());
    if (code < 0) return FailedRead(ReadOutcome::kBindFailed, code);
    ReadOutcome outcome;
    // An object that cannot be read applies nothing of its own; no message.
    code = AdsGetObjectAttributes(object.get(), kPasswordSettingsAttributes, &outcome.attributes);
    if (code < 0) return FailedRead(ReadOutcome::kReadFailed, code);
    return outcome;
  }
};

}  // namespace

ReadOutcome FailedRead(ReadOutcome::Step step, AdsResult code) {
  ReadOutcome outcome;
  outcome.step = step;
  outcome.code = code;
  // The server's words about this failure, taken before another operation replaces them.
  outcome.diagnostic = DiagnosticFor(code);
  return outcome;
}

RetrievalSource* SingleObjectReads() {
  static SingleObjectSource source;
  return &source;
}

AdsResult BindControllerWithRetry(const std::string& path, uint32_t flags, AdsObject** object) {
  AdsResult code = 0;
  *object = nullptr;
  for (int attempt = 0; attempt < kBindAttempts; ++attempt) {
    code = BindObject(path, flags, object);
    if (code >= 0 || (code & 0xFFFF) != 0x203A) break;
    std::this_thread::sleep_for(kBindRetryWait);
  }
  return code;
}
