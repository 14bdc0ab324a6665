// Placeholder: replaced by the real implementation.
#include "directory/ads.h"
AdsResult AdsOpenObject(const std::string&, const AdsCredentials*, uint32_t, AdsObject**) { return kAdsServerDown; }
void AdsRelease(AdsObject*) {}
AdsResult AdsGetObjectAttributes(AdsObject*, const std::vector<std::string>&, std::vector<AdsAttribute>*) { return kAdsServerDown; }
AdsResult AdsGetObjectInformation(AdsObject*, std::string*, std::string*) { return kAdsServerDown; }
AdsResult AdsExecuteSearch(AdsObject*, int, int, const std::string&, const std::vector<std::string>&, AdsSearch**) { return kAdsServerDown; }
AdsResult AdsGetNextRow(AdsSearch*, std::vector<AdsAttribute>*) { return kAdsNoMoreRows; }
void AdsCloseSearch(AdsSearch*) {}
AdsResult AdsGetClassProperties(const std::string&, const AdsCredentials*, std::vector<std::string>*, std::vector<std::string>*) { return kAdsServerDown; }
AdsResult AdsNameTranslateInit(int, const std::string&, const AdsCredentials*, AdsNameTranslator**) { return kAdsServerDown; }
AdsResult AdsNameTranslateSet(AdsNameTranslator*, int, const std::string&) { return kAdsServerDown; }
AdsResult AdsNameTranslateGet(AdsNameTranslator*, int, std::string*) { return kAdsServerDown; }
void AdsNameTranslateRelease(AdsNameTranslator*) {}
AdsResult AdsLookupAccountSid(const std::string&, const std::string&, std::string*, std::string*, int*) { return kAdsServerDown; }
AdsResult AdsGetDcName(const std::string&, std::string*, std::string*) { return kAdsServerDown; }
std::string AdsHostToAddress(const std::string&) { return ""; }
std::string AdsUserName() { return ""; }
uint64_t AdsRoundTrips() { return 0; }
void AdsShutdown() {}
