// An in-memory directory behind the directory layer, for tests: it answers the operations of
// directory/ads/ads.h the way a domain controller reached through the real layer does, for the
// objects and settings loaded from a domain text.
#ifndef LORVEX_DIRECTORY_ADS_FAKE_ADS_FAKE_H_
#define LORVEX_DIRECTORY_ADS_FAKE_ADS_FAKE_H_

#include <string>
#include <utility>
#include <vector>

/// Empties the directory, its settings, the failures set and the log of operations.
void FakeReset();
/// Adds the objects and settings of a domain text (its form is described at the top of
/// tests/fakebin/domain.txt); false, with the line in *bad_line, at a line it cannot read.
bool FakeLoad(const std::string& text, std::string* bad_line);
/// Adds an object, or replaces the attributes named of one that exists. Classes are its
/// objectClass values after "top", most specific last; values are written as in a domain text.
bool FakeAddObject(const std::string& dn, const std::vector<std::string>& classes,
                   const std::vector<std::pair<std::string, std::string>>& values);
/// Every operation so far, one a line: "open <path>", "read <dn> <names>", "info <dn>",
/// "search <base> <scope> <page size> <filter>", "class <path>", "translate-init <type> <name>",
/// "translate <type> <name>", "sid <text>", "dc <domain>", "hint <path> <names>", "forget".
std::vector<std::string> FakeCalls();
/// A function called with the count of operations after each one (null: none).
void FakeWatchCalls(void (*watch)(size_t count));

#endif  // LORVEX_DIRECTORY_ADS_FAKE_ADS_FAKE_H_
