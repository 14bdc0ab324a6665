// Why TLS to a controller failed. The LDAP library only says that it could not connect ("unknown
// error code"), so the server's certificate is fetched once more without being checked, and
// checked here against the trust anchors the library uses, to name what is wrong with it.
#include <gnutls/gnutls.h>
#include <gnutls/x509.h>

#include <string>

#include "directory/ads/ldap/ads_ldap_internal.h"

namespace {

// The certificate the server presents, DER-encoded; empty when none could be had. Nothing is sent
// on that connection but the StartTLS request (or nothing at all on LDAPS), and no bind.
std::string PeerCertificate(const std::string& uri, bool start_tls) {
  LDAP* ld = nullptr;
  if (ldap_initialize(&ld, uri.c_str()) != LDAP_SUCCESS) return "";
  int version = LDAP_VERSION3;
  ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
  struct timeval connect_timeout = {kConnectTimeoutSeconds, 0};
  ldap_set_option(ld, LDAP_OPT_NETWORK_TIMEOUT, &connect_timeout);
  struct timeval request_timeout = RequestTimeout();
  ldap_set_option(ld, LDAP_OPT_TIMEOUT, &request_timeout);
  int never = LDAP_OPT_X_TLS_NEVER;
  int client = 0;
  ldap_set_option(ld, LDAP_OPT_X_TLS_REQUIRE_CERT, &never);
  ldap_set_option(ld, LDAP_OPT_X_TLS_NEWCTX, &client);
  int rc = start_tls ? ldap_start_tls_s(ld, nullptr, nullptr) : ldap_connect(ld);
  std::string der;
  struct berval certificate = {0, nullptr};
  if (rc == LDAP_SUCCESS && ldap_get_option(ld, LDAP_OPT_X_TLS_PEERCERT, &certificate) == LDAP_OPT_SUCCESS &&
      certificate.bv_val != nullptr) {
    der.assign(certificate.bv_val, certificate.bv_len);
    ber_memfree(certificate.bv_val);
  }
  ldap_unbind_ext_s(ld, nullptr, nullptr);
  return der;
}

// The trust anchors as the LDAP library takes them: its CA file and directory (LDAPTLS_CACERT,
// TLS_CACERT in ldap.conf, ...), else the system's.
bool LoadTrust(gnutls_x509_trust_list_t list) {
  char* file = nullptr;
  char* directory = nullptr;
  ldap_get_option(nullptr, LDAP_OPT_X_TLS_CACERTFILE, &file);
  ldap_get_option(nullptr, LDAP_OPT_X_TLS_CACERTDIR, &directory);
  int loaded = 0;
  if (file != nullptr)
    loaded += gnutls_x509_trust_list_add_trust_file(list, file, nullptr, GNUTLS_X509_FMT_PEM, 0, 0);
  if (directory != nullptr) {
    loaded += gnutls_x509_trust_list_add_trust_dir(list, directory, nullptr, GNUTLS_X509_FMT_PEM, 0, 0);
  }
  bool configured = file != nullptr || directory != nullptr;
  ldap_memfree(file);
  ldap_memfree(directory);
  if (!configured) loaded = gnutls_x509_trust_list_add_system_trust(list, 0, 0);
  return loaded >= 0;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '.')) text.pop_back();
  return text;
}

}  // namespace

std::string DiagnoseTlsFailure(const std::string& uri, bool start_tls, const std::string& host) {
  std::string der = PeerCertificate(uri, start_tls);
  if (der.empty()) return "";
  gnutls_x509_crt_t certificate = nullptr;
  gnutls_x509_trust_list_t trust = nullptr;
  std::string diagnosis;
  gnutls_datum_t data = {reinterpret_cast<unsigned char*>(der.data()), static_cast<unsigned>(der.size())};
  if (gnutls_x509_crt_init(&certificate) == 0 &&
      gnutls_x509_crt_import(certificate, &data, GNUTLS_X509_FMT_DER) == 0 &&
      gnutls_x509_trust_list_init(&trust, 0) == 0 && LoadTrust(trust)) {
    std::string name = host;
    gnutls_typed_vdata_st purpose = {GNUTLS_DT_DNS_HOSTNAME, reinterpret_cast<unsigned char*>(name.data()),
                                     0};
    unsigned int status = 0;
    if (gnutls_x509_trust_list_verify_crt2(trust, &certificate, 1, &purpose, 1, 0, &status, nullptr) == 0 &&
        status != 0) {
      gnutls_datum_t text = {nullptr, 0};
      if (gnutls_certificate_verification_status_print(status, GNUTLS_CRT_X509, &text, 0) == 0) {
        diagnosis = "The TLS certificate of " + host +
                    " is refused: " + Trimmed(std::string(reinterpret_cast<char*>(text.data), text.size));
        gnutls_free(text.data);
      }
      // Which name the certificate does carry tells a wrong name from a wrong certificate.
      gnutls_datum_t subject = {nullptr, 0};
      if (!diagnosis.empty() && (status & GNUTLS_CERT_UNEXPECTED_OWNER) &&
          gnutls_x509_crt_get_dn3(certificate, &subject, 0) == 0) {
        diagnosis += " (it names " + std::string(reinterpret_cast<char*>(subject.data), subject.size) + ")";
        gnutls_free(subject.data);
      }
    }
  }
  if (trust != nullptr) gnutls_x509_trust_list_deinit(trust, 1);
  if (certificate != nullptr) gnutls_x509_crt_deinit(certificate);
  return diagnosis;
}
