// The fixed domain CORP (DC=corp,DC=example) of the test build, in the in-memory directory.
#ifndef LORVEX_TESTS_FAKEBIN_FAKE_DOMAIN_H_
#define LORVEX_TESTS_FAKEBIN_FAKE_DOMAIN_H_

#include <cstdint>

/// Days from 1 January 1970 to a calendar date (proleptic Gregorian).
int64_t DaysFrom1970(int year, int month, int day);
/// Empties the in-memory directory and fills it with the domain.
void SeedFakeDomain();

#endif  // LORVEX_TESTS_FAKEBIN_FAKE_DOMAIN_H_
