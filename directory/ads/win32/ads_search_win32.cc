// Paged searches over wldap32: pages of the size asked for (of one entry over LDAPS under Wine,
// see the head of ads_win32.cc), the SD-flags control when the descriptor is asked for, and the
// order asked for; rows handed out one by one.
#include <memory>

#include "directory/ads/win32/ads_win32_internal.h"

struct AdsSearch {
  LDAP* ld;
  bool tls;
  std::wstring base;
  std::wstring filter;
  std::vector<std::wstring> attributes;
  std::wstring sort_on;  // the attribute the server is asked to order the rows by, or empty
  int scope;
  int page_size;
  berval* cookie = nullptr;
  bool last_page = false;
  LDAPMessage* page = nullptr;
  LDAPMessage* next_entry = nullptr;
};

namespace {

// Fetches the next page of a search into search->page.
AdsResult FetchPage(AdsSearch* search) {
  if (search->page != nullptr) {
    ldap_msgfree(search->page);
    search->page = nullptr;
  }
  PLDAPControlW page_control = nullptr;
  ULONG code = ldap_create_page_controlW(search->ld, static_cast<ULONG>(search->page_size), search->cookie,
                                         FALSE, &page_control);
  if (code != LDAP_SUCCESS) return LdapFailure(search->ld, code);
  // A search asking for the security descriptor reads the parts an ordinary user may read.
  SdFlagsControl sd_flags;
  bool descriptor = false;
  for (const std::wstring& name : search->attributes)
    descriptor |= _wcsicmp(name.c_str(), L"nTSecurityDescriptor") == 0;
  // Every page asks for the same order, as the server's position was taken with it.
  PLDAPControlW sort = nullptr;
  if (!search->sort_on.empty()) {
    LDAPSortKeyW key = {search->sort_on.data(), nullptr, FALSE};
    PLDAPSortKeyW keys[2] = {&key, nullptr};
    if (ldap_create_sort_controlW(search->ld, keys, FALSE, &sort) != LDAP_SUCCESS) sort = nullptr;
  }
  PLDAPControlW controls[4] = {page_control, nullptr, nullptr, nullptr};
  int next = 1;
  if (descriptor) controls[next++] = &sd_flags.control;
  if (sort != nullptr) controls[next] = sort;
  std::vector<PWCHAR> list;
  for (std::wstring& name : search->attributes) list.push_back(name.data());
  list.push_back(nullptr);
  LDAP_TIMEVAL timeout = {kTimeoutSeconds, 0};
  ++g_round_trips;
  code = ldap_search_ext_sW(search->ld, search->base.data(), static_cast<ULONG>(search->scope),
                            search->filter.data(), search->attributes.empty() ? nullptr : list.data(), 0,
                            controls, nullptr, &timeout, 0, &search->page);
  ldap_control_freeW(page_control);
  if (sort != nullptr) ldap_control_freeW(sort);
  // The page, also of a failed search, is freed with the search.
  if (code != LDAP_SUCCESS && code != LDAP_SIZELIMIT_EXCEEDED)
    return LdapFailure(search->ld, code, search->page);
  // The cookie of the next page, empty on the last one.
  PLDAPControlW* returned = nullptr;
  ULONG server_code = 0;
  ldap_parse_resultW(search->ld, search->page, &server_code, nullptr, nullptr, nullptr, &returned, FALSE);
  if (search->cookie != nullptr) {
    ber_bvfree(search->cookie);
    search->cookie = nullptr;
  }
  ULONG total = 0;
  if (returned == nullptr ||
      ldap_parse_page_controlW(search->ld, returned, &total, &search->cookie) != LDAP_SUCCESS ||
      search->cookie == nullptr || search->cookie->bv_len == 0) {
    search->last_page = true;
  }
  if (returned != nullptr) ldap_controls_freeW(returned);
  search->next_entry = ldap_first_entry(search->ld, search->page);
  return kAdsOk;
}

}  // namespace

AdsResult AdsExecuteSearch(AdsObject* base, int scope, int page_size, const std::string& filter,
                           const std::vector<std::string>& attributes, AdsSearch** search,
                           const char* sort_on) {
  auto running = std::make_unique<AdsSearch>();
  running->ld = base->connection->ld;
  running->tls = base->connection->tls;
  running->base = base->dn;
  running->filter = OemToWide(filter);
  for (const std::string& name : attributes) running->attributes.push_back(OemToWide(name));
  if (sort_on != nullptr) running->sort_on = OemToWide(sort_on);
  running->scope = scope;
  running->page_size = page_size > 0 ? page_size : 1000;
  if (running->tls && UnderWine()) running->page_size = 1;  // see the head of ads_win32.cc
  const AdsResult result = FetchPage(running.get());
  if (result != kAdsOk) {
    AdsCloseSearch(running.release());
    return result;
  }
  *search = running.release();
  return kAdsOk;
}

AdsResult AdsGetNextRow(AdsSearch* search, std::vector<AdsAttribute>* row) {
  row->clear();
  while (search->next_entry == nullptr) {
    if (search->last_page) return kAdsNoMoreRows;
    const AdsResult result = FetchPage(search);
    if (result != kAdsOk) return result;
  }
  *row = EntryAttributes(search->ld, search->next_entry);
  search->next_entry = ldap_next_entry(search->ld, search->next_entry);
  return kAdsOk;
}

void AdsCloseSearch(AdsSearch* search) {
  if (search == nullptr) return;
  if (search->page != nullptr) ldap_msgfree(search->page);
  if (search->cookie != nullptr) ber_bvfree(search->cookie);
  delete search;
}
