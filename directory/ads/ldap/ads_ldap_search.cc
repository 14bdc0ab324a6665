// Directory searches over LDAP: paged with the page size asked for, rows handed out one by one;
// continuation references are skipped. While the rows of one page are handed out, the request for
// the next one is already on its way (read-ahead), so that the server works on that page while the
// caller works on this one.
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
  std::string cookie;   // the server's position; empty after the last page
  bool more = false;
  // The request for the next page, sent ahead: its message ID on the handle it went out on, or -1.
  int ahead = -1;
  LDAP* ahead_ld = nullptr;
  // The rows of the page in hand, decoded as it arrives: the connection it came on may be dropped
  // (and its handle freed) by other work done between two rows, as when the server goes down.
  std::deque<std::vector<AdsAttribute>> rows;
};

namespace {

// The controls of a page request: paging from the search's position, the SD flags when the
// descriptor is asked for, the order asked for (every page asks for the same order, as the
// server's position was taken with it).
class PageControls {
 public:
  PageControls(LDAP* ld, const AdsSearch& search) : sd_flags_(AsksForDescriptor(search.attributes)) {
    struct berval cookie = {search.cookie.size(), const_cast<char*>(search.cookie.data())};
    rc_ = ldap_create_page_control(ld, search.page_size, &cookie, 0, &paging_);
    if (rc_ != LDAP_SUCCESS) return;
    int next = 0;
    list_[next++] = paging_;
    if (sd_flags_.get() != nullptr) list_[next++] = sd_flags_.get();
    if (!search.sort_on.empty()) {
      LDAPSortKey key = {const_cast<char*>(search.sort_on.c_str()), nullptr, 0};
      LDAPSortKey* keys[2] = {&key, nullptr};
      if (ldap_create_sort_control(ld, keys, 0, &sort_) == LDAP_SUCCESS) list_[next++] = sort_;
    }
  }
  ~PageControls() {
    if (paging_ != nullptr) ldap_control_free(paging_);
    if (sort_ != nullptr) ldap_control_free(sort_);
  }
  PageControls(const PageControls&) = delete;
  PageControls& operator=(const PageControls&) = delete;
  int rc() const { return rc_; }
  LDAPControl** list() { return list_; }

 private:
  int rc_ = LDAP_SUCCESS;
  SdFlagsControl sd_flags_;
  LDAPControl* paging_ = nullptr;
  LDAPControl* sort_ = nullptr;
  LDAPControl* list_[4] = {nullptr, nullptr, nullptr, nullptr};
};

// Sends the request for the next page without waiting for it (counted as a round trip when its
// answer is taken). One that cannot be sent is sent again when the page is asked for.
void SendAhead(LdapConnection* c, AdsSearch* search) {
  PageControls controls(c->ld, *search);
  if (controls.rc() != LDAP_SUCCESS) return;
  int msgid = -1;
  if (SendSearch(c, search->base, search->scope, search->filter, search->attributes, controls.list(),
                 &msgid) == LDAP_SUCCESS) {
    search->ahead = msgid;
    search->ahead_ld = c->ld;
  }
}

// Takes a page's answer: the server's position for the next page and the page's rows; then sends
// the request for the next page ahead. An LDAP code.
int TakePage(LdapConnection* c, AdsSearch* search, LDAPMessage* res) {
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
  if (search->more) SendAhead(c, search);
  return LDAP_SUCCESS;
}

// Waits for the answer of the page requested ahead. A connection dropped meanwhile (by a failure
// of other work on it) lost the request with its link: the server is taken as gone.
AdsResult ReceiveAhead(AdsSearch* search) {
  const AdsCredentials* credentials = search->anonymous ? nullptr : &search->credentials;
  LdapConnection* c = nullptr;
  const int msgid = search->ahead;
  search->ahead = -1;
  AdsResult result = AcquireConnection(search->server, credentials, &c);
  if (result < 0) return result;
  if (c->ld != search->ahead_ld) return LdapFailure(nullptr, LDAP_SERVER_DOWN);
  CountRoundTrip();
  struct timeval timeout = RequestTimeout();
  LDAPMessage* res = nullptr;
  QuietBrokenPipe quiet;
  const int type = ldap_result(c->ld, msgid, LDAP_MSG_ALL, &timeout, &res);
  int rc = LDAP_SUCCESS;
  if (type == 0) {
    rc = LDAP_TIMEOUT;
    ldap_abandon_ext(c->ld, msgid, nullptr, nullptr);
  } else if (type < 0) {
    ldap_get_option(c->ld, LDAP_OPT_RESULT_CODE, &rc);
    if (rc == LDAP_SUCCESS) rc = LDAP_SERVER_DOWN;
  } else if (ldap_parse_result(c->ld, res, &rc, nullptr, nullptr, nullptr, nullptr, 0) != LDAP_SUCCESS) {
    rc = LDAP_DECODING_ERROR;
  }
  if (rc == LDAP_SUCCESS) rc = TakePage(c, search, res);
  ldap_msgfree(res);
  return rc == LDAP_SUCCESS ? kAdsOk : LdapFailure(c->ld, rc);
}

// Fetches the next page: the one requested ahead, or else a request now. The first one may reopen
// a dropped link, later ones continue the server's position and cannot.
AdsResult FetchPage(AdsSearch* search) {
  if (search->ahead >= 0) return ReceiveAhead(search);
  const AdsCredentials* credentials = search->anonymous ? nullptr : &search->credentials;
  auto fetch = [search](LdapConnection* c) {
    PageControls controls(c->ld, *search);
    if (controls.rc() != LDAP_SUCCESS) return controls.rc();
    LDAPMessage* res = nullptr;
    int rc = SearchNow(c, search->base, search->scope, search->filter, search->attributes, controls.list(), 0,
                       &res);
    if (rc == LDAP_SUCCESS) rc = TakePage(c, search, res);
    ldap_msgfree(res);
    return rc;
  };
  if (search->cookie.empty()) return OnConnection(search->server, credentials, fetch);
  LdapConnection* c = nullptr;
  AdsResult result = AcquireConnection(search->server, credentials, &c);
  if (result < 0) return result;
  int rc = fetch(c);
  return rc == LDAP_SUCCESS ? kAdsOk : LdapFailure(c->ld, rc);
}

// Abandons the page requested ahead, when its connection still has the handle it went out on.
void AbandonAhead(AdsSearch* search) {
  if (search->ahead < 0) return;
  LdapConnection* c = nullptr;
  if (OpenConnection(search->server, &c) && c->ld == search->ahead_ld) {
    ldap_abandon_ext(c->ld, search->ahead, nullptr, nullptr);
  }
  search->ahead = -1;
}

}  // namespace

AdsResult AdsExecuteSearch(AdsObject* base, int scope, int page_size, const std::string& filter,
                           const std::vector<std::string>& attributes, AdsSearch** search,
                           const char* sort_on) {
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

void AdsCloseSearch(AdsSearch* search) {
  if (search == nullptr) return;
  AbandonAhead(search);
  delete search;
}
