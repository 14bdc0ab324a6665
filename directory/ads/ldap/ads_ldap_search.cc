// Directory searches over LDAP: paged with the page size asked for, one page fetched at a time,
// rows handed out one by one; continuation references are skipped.
#include <strings.h>

#include <deque>

#include "directory/ads/ldap/ads_ldap_internal.h"

struct AdsSearch {
  std::string server;
  bool anonymous = false;
  AdsCredentials credentials;
  std::string base, filter;
  int scope = 0;
  int page_size = 0;
  std::vector<std::string> attributes;
  std::string sort_on;  // the attribute the server is asked to order the rows by, or empty
  std::string cookie;  // the server's position; empty after the last page
  bool more = false;
  // The rows of the page in hand, decoded as it arrives: the connection it came on may be dropped
  // (and its handle freed) by other work done between two rows, as when the server goes down.
  std::deque<std::vector<AdsAttribute>> rows;
};

namespace {

// Whether a search asks for the security descriptor, which then needs the SD-flags control.
bool AsksForDescriptor(const std::vector<std::string>& attributes) {
  for (const std::string& name : attributes) {
    if (strcasecmp(name.c_str(), "nTSecurityDescriptor") == 0) return true;
  }
  return false;
}

// Fetches the next page; the first one may reopen a dropped link, later ones continue the
// server's position and cannot.
AdsResult FetchPage(AdsSearch* search) {
  const AdsCredentials* credentials = search->anonymous ? nullptr : &search->credentials;
  auto fetch = [search](LdapConnection* c) {
    struct berval cookie = {search->cookie.size(), const_cast<char*>(search->cookie.data())};
    LDAPControl* paging = nullptr;
    int rc = ldap_create_page_control(c->ld, search->page_size, &cookie, 0, &paging);
    if (rc != LDAP_SUCCESS) return rc;
    LDAPControl* sd_flags = nullptr;
    if (AsksForDescriptor(search->attributes)) {
      struct berval value = {5, const_cast<char*>(kSdFlagsValue)};
      if (ldap_control_create(kSdFlagsOid, 0, &value, 1, &sd_flags) != LDAP_SUCCESS) sd_flags = nullptr;
    }
    // Every page asks for the same order, as the server's position was taken with it.
    LDAPControl* sort = nullptr;
    if (!search->sort_on.empty()) {
      LDAPSortKey key = {const_cast<char*>(search->sort_on.c_str()), nullptr, 0};
      LDAPSortKey* keys[2] = {&key, nullptr};
      if (ldap_create_sort_control(c->ld, keys, 0, &sort) != LDAP_SUCCESS) sort = nullptr;
    }
    LDAPControl* controls[4] = {paging, sd_flags, nullptr, nullptr};
    if (sort != nullptr) controls[sd_flags != nullptr ? 2 : 1] = sort;
    LDAPMessage* res = nullptr;
    rc = SearchNow(c, search->base, search->scope, search->filter, search->attributes, controls, 0, &res);
    ldap_control_free(paging);
    if (sd_flags != nullptr) ldap_control_free(sd_flags);
    if (sort != nullptr) ldap_control_free(sort);
    if (rc != LDAP_SUCCESS) {
      ldap_msgfree(res);
      return rc;
    }
    LDAPControl** returned = nullptr;
    int result = LDAP_SUCCESS;
    search->cookie.clear();
    if (ldap_parse_result(c->ld, res, &result, nullptr, nullptr, nullptr, &returned, 0) == LDAP_SUCCESS) {
      LDAPControl* response = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, returned, nullptr);
      struct berval next_cookie = {0, nullptr};
      ber_int_t estimate = 0;
      if (response != nullptr &&
          ldap_parse_pageresponse_control(c->ld, response, &estimate, &next_cookie) == LDAP_SUCCESS) {
        if (next_cookie.bv_val != nullptr) search->cookie.assign(next_cookie.bv_val, next_cookie.bv_len);
        ber_memfree(next_cookie.bv_val);
      }
      ldap_controls_free(returned);
    }
    search->more = !search->cookie.empty();
    for (LDAPMessage* entry = ldap_first_entry(c->ld, res); entry != nullptr;
         entry = ldap_next_entry(c->ld, entry)) {
      search->rows.emplace_back();
      DecodeEntry(c->ld, entry, &search->rows.back());
    }
    ldap_msgfree(res);
    return LDAP_SUCCESS;
  };
  if (search->cookie.empty()) return OnConnection(search->server, credentials, fetch);
  LdapConnection* c = nullptr;
  AdsResult result = AcquireConnection(search->server, credentials, &c);
  if (result < 0) return result;
  int rc = fetch(c);
  return rc == LDAP_SUCCESS ? kAdsOk : LdapFailure(c->ld, rc);
}

}  // namespace

AdsResult AdsExecuteSearch(AdsObject* base, int scope, int page_size, const std::string& filter,
                           const std::vector<std::string>& attributes, AdsSearch** search, const char* sort_on) {
  SetLastDiagnostic("");
  *search = nullptr;
  auto s = new AdsSearch;
  AdsObjectSearchBase(base, &s->server, &s->anonymous, &s->credentials, &s->base);
  s->scope = scope;
  s->page_size = page_size > 0 ? page_size : 1000;
  s->filter = filter.empty() ? "(objectClass=*)" : filter;
  s->attributes = attributes;
  if (sort_on != nullptr) s->sort_on = sort_on;
  AdsResult result = FetchPage(s);
  if (result < 0) {
    delete s;
    return result;
  }
  *search = s;
  return kAdsOk;
}

AdsResult AdsGetNextRow(AdsSearch* search, std::vector<AdsAttribute>* row) {
  SetLastDiagnostic("");
  row->clear();
  if (search == nullptr) return kAdsNoMoreRows;
  for (;;) {
    if (!search->rows.empty()) {
      *row = std::move(search->rows.front());
      search->rows.pop_front();
      return kAdsOk;
    }
    if (!search->more) return kAdsNoMoreRows;
    AdsResult result = FetchPage(search);
    if (result < 0) {
      search->more = false;
      return result;
    }
  }
}

void AdsCloseSearch(AdsSearch* search) { delete search; }
