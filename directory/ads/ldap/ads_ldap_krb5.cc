// Kerberos for the directory layer: the user's credential cache, tickets obtained in memory from
// a typed name and password, and the user name of the cache's principal.
#include <krb5.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>

#include "directory/ads/kdc_refusal.h"
#include "directory/ads/ldap/ads_ldap_internal.h"

namespace {

std::mutex g_tickets_mutex;
// Memory caches made from typed credentials, by principal and password, held open so that
// every later connection binds with the same ticket. They live only in this process.
struct Ticket {
  krb5_context context = nullptr;
  krb5_ccache cache = nullptr;
  std::string name;
};
std::map<std::string, Ticket> g_tickets;

std::string KerberosMessage(krb5_context context, krb5_error_code code) {
  const char* text = krb5_get_error_message(context, code);
  std::string message = text ? text : "Kerberos error";
  krb5_free_error_message(context, text);
  return message;
}

// The failure of a ticket request. When the KDC refused the account itself, its KRB-ERROR says
// why: AD and Samba put the account's status into the e-data, and that status becomes the error an
// LDAP bind of the account would give (disabled, expired, locked out, ...), with the KDC's words
// and the status as the diagnostic.
AdsResult RefusedLogon(krb5_context context, krb5_init_creds_context request, krb5_error_code code) {
  std::string message = KerberosMessage(context, code);
  krb5_error* refusal = nullptr;
  if (request == nullptr || krb5_init_creds_get_error(context, request, &refusal) != 0 ||
      refusal == nullptr) {
    return DirectoryFailure(kFailureKerberos, code, message);
  }
  std::string e_data(refusal->e_data.data ? refusal->e_data.data : "", refusal->e_data.length);
  uint32_t status = 0;
  bool has_status = KdcErrorStatus(e_data, &status);
  uint32_t win32 = KdcRefusalToWin32(static_cast<int>(refusal->error), has_status, status);
  krb5_free_error(context, refusal);
  if (win32 == 0) return DirectoryFailure(kFailureKerberos, code, message);
  if (has_status) {
    char status_text[32];
    snprintf(status_text, sizeof status_text, " (status 0x%08X)", status);
    message += status_text;
  }
  return DirectoryFailure(kFailureWin32, win32, message);
}

}  // namespace

std::string KerberosDefaultRealm() {
  krb5_context context = nullptr;
  if (krb5_init_context(&context) != 0) return "";
  char* realm = nullptr;
  std::string result;
  if (krb5_get_default_realm(context, &realm) == 0) {
    result = realm;
    krb5_free_default_realm(context, realm);
  }
  krb5_free_context(context);
  return result;
}

std::string MissingKerberosConfiguration() {
  const char* named = getenv("KRB5_CONFIG");
  const std::string files = named != nullptr && *named != '\0' ? named : "/etc/krb5.conf";
  // KRB5_CONFIG may list several files, separated by colons; any one that exists is read.
  size_t start = 0;
  for (;;) {
    const size_t end = files.find(':', start);
    const std::string file = files.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!file.empty() && access(file.c_str(), F_OK) == 0) return "";
    if (end == std::string::npos) break;
    start = end + 1;
  }
  if (named != nullptr && *named != '\0') {
    return "Kerberos has no configuration: KRB5_CONFIG names " + files + ", which does not exist";
  }
  return "Kerberos has no configuration: /etc/krb5.conf does not exist (Debian package krb5-config, "
         "which krb5-user recommends)";
}

AdsResult CheckCredentialCache() {
  krb5_context context = nullptr;
  krb5_error_code code = krb5_init_context(&context);
  if (code != 0) return DirectoryFailure(kFailureKerberos, code, "Kerberos cannot be initialised");
  krb5_ccache cache = nullptr;
  krb5_principal principal = nullptr;
  std::string failure;
  code = krb5_cc_default(context, &cache);
  if (code == 0) code = krb5_cc_get_principal(context, cache, &principal);
  if (code != 0) {
    failure = "No Kerberos credentials: " + KerberosMessage(context, code);
  } else {
    // A ticket-granting ticket that is still valid is what a GSSAPI bind needs.
    krb5_cc_cursor cursor;
    krb5_creds creds;
    bool valid = false;
    if (krb5_cc_start_seq_get(context, cache, &cursor) == 0) {
      while (!valid && krb5_cc_next_cred(context, cache, &cursor, &creds) == 0) {
        const krb5_data* service = krb5_princ_component(context, creds.server, 0);
        bool tgt = service != nullptr && service->length == 6 && memcmp(service->data, "krbtgt", 6) == 0;
        if (tgt && creds.times.endtime > time(nullptr)) valid = true;
        krb5_free_cred_contents(context, &creds);
      }
      krb5_cc_end_seq_get(context, cache, &cursor);
    }
    if (!valid) {
      code = KRB5KRB_AP_ERR_TKT_EXPIRED;
      failure = "The Kerberos credentials have expired";
    }
  }
  if (principal) krb5_free_principal(context, principal);
  if (cache) krb5_cc_close(context, cache);
  krb5_free_context(context);
  if (failure.empty()) return kAdsOk;
  return DirectoryFailure(kFailureKerberos, code, failure);
}

AdsResult ObtainTicket(const std::string& principal_name, const std::string& password,
                       std::string* ccache_name, bool* no_kdc) {
  *no_kdc = false;
  std::lock_guard<std::mutex> lock(g_tickets_mutex);
  std::string key = principal_name + '\n' + password;
  auto known = g_tickets.find(key);
  if (known != g_tickets.end()) {
    *ccache_name = known->second.name;
    return kAdsOk;
  }
  Ticket ticket;
  krb5_error_code code = krb5_init_context(&ticket.context);
  if (code != 0) return DirectoryFailure(kFailureKerberos, code, "Kerberos cannot be initialised");
  krb5_principal principal = nullptr;
  krb5_get_init_creds_opt* options = nullptr;
  krb5_init_creds_context request = nullptr;
  krb5_creds creds;
  bool have_creds = false;
  code = krb5_parse_name(ticket.context, principal_name.c_str(), &principal);
  if (code == 0) code = krb5_get_init_creds_opt_alloc(ticket.context, &options);
  if (code == 0) {
    krb5_get_init_creds_opt_set_forwardable(options, 0);
    krb5_get_init_creds_opt_set_canonicalize(options, 1);
    // The step-wise request keeps the KDC's KRB-ERROR, whose e-data says why an account is refused.
    code = krb5_init_creds_init(ticket.context, principal, nullptr, nullptr, 0, options, &request);
  }
  if (code == 0) code = krb5_init_creds_set_password(ticket.context, request, password.c_str());
  if (code == 0) code = krb5_init_creds_get(ticket.context, request);
  if (code == 0) code = krb5_init_creds_get_creds(ticket.context, request, &creds);
  have_creds = code == 0;
  if (code == 0) code = krb5_cc_new_unique(ticket.context, "MEMORY", nullptr, &ticket.cache);
  if (code == 0) code = krb5_cc_initialize(ticket.context, ticket.cache, creds.client);
  if (code == 0) code = krb5_cc_store_cred(ticket.context, ticket.cache, &creds);
  AdsResult result = kAdsOk;
  if (code != 0) {
    *no_kdc = code == KRB5_KDC_UNREACH || code == KRB5_REALM_CANT_RESOLVE || code == KRB5_REALM_UNKNOWN;
    result = RefusedLogon(ticket.context, request, code);
  } else {
    ticket.name = std::string("MEMORY:") + krb5_cc_get_name(ticket.context, ticket.cache);
    *ccache_name = ticket.name;
  }
  if (have_creds) krb5_free_cred_contents(ticket.context, &creds);
  if (request) krb5_init_creds_free(ticket.context, request);
  if (options) krb5_get_init_creds_opt_free(ticket.context, options);
  if (principal) krb5_free_principal(ticket.context, principal);
  if (result == kAdsOk) {
    g_tickets[key] = ticket;
  } else {
    if (ticket.cache) krb5_cc_destroy(ticket.context, ticket.cache);
    krb5_free_context(ticket.context);
  }
  return result;
}

std::string CredentialCacheUser() {
  krb5_context context = nullptr;
  if (krb5_init_context(&context) != 0) return "";
  std::string user;
  krb5_ccache cache = nullptr;
  krb5_principal principal = nullptr;
  if (krb5_cc_default(context, &cache) == 0 && krb5_cc_get_principal(context, cache, &principal) == 0) {
    char* name = nullptr;
    if (krb5_unparse_name_flags(context, principal, KRB5_PRINCIPAL_UNPARSE_NO_REALM, &name) == 0) {
      user = name;
      krb5_free_unparsed_name(context, name);
    }
  }
  if (principal) krb5_free_principal(context, principal);
  if (cache) krb5_cc_close(context, cache);
  krb5_free_context(context);
  return user;
}

void ForgetTickets() {
  std::lock_guard<std::mutex> lock(g_tickets_mutex);
  for (auto& entry : g_tickets) {
    krb5_cc_destroy(entry.second.context, entry.second.cache);
    krb5_free_context(entry.second.context);
  }
  g_tickets.clear();
}
