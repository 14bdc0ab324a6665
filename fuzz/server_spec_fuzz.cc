// Fuzzes server specifications ("dc1,dc*,!dc3,10.1.1.5"), server files, and the choice of the
// controllers they select.
//
// Input: the specification on the first line; every further line is a controller "name host
// address" offered to the list. The same lines also make up a server file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "retrieval/servers.h"
#include "util/ascii_text.h"
#include "util/wildcard.h"

namespace {

void CheckTexts(const ServerSpecification& specification, bool from_file) {
  for (const std::vector<std::string>* texts : {&specification.wanted, &specification.excluded}) {
    for (const std::string& text : *texts) {
      FUZZ_CHECK(!text.empty());
      FUZZ_CHECK(UpperCase(text) == text);
      // A specification is split at commas and loses its blanks; a file gives one name a line.
      if (from_file) FUZZ_CHECK(text.find_first_of("\r\n") == std::string::npos);
      if (!from_file) FUZZ_CHECK(text.find_first_of(", \t") == std::string::npos);
    }
  }
}

bool Selects(const ServerSpecification& specification, const std::string& name, const std::string& host,
             const std::string& address) {
  bool wanted = false;
  for (const std::string& text : specification.wanted) {
    wanted = wanted || EqualsIgnoreCase(text, name) || EqualsIgnoreCase(text, host) ||
             EqualsIgnoreCase(text, address) || MatchWildcard(text.c_str(), name.c_str()) == 0;
  }
  if (!wanted) return false;
  for (const std::string& text : specification.excluded) {
    if (MatchWildcard(text.c_str(), name.c_str()) == 0 || EqualsIgnoreCase(text, host) ||
        EqualsIgnoreCase(text, address)) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetFuzzRun();
  const std::string input = InputText(data, size);
  std::string text, rest;
  SplitAt(input, '\n', &text, &rest);

  ServerSpecification specification;
  if (ParseServerSpecification(text, &specification)) CheckTexts(specification, false);

  // Each controller is listed once, in the order offered, exactly when the specification selects it.
  ServerList list;
  std::vector<std::string> expected;
  for (int offered = 0; !rest.empty() && offered < 64; ++offered) {
    std::string line, name, host, address;
    SplitAt(rest, '\n', &line, &rest);
    SplitAt(line, ' ', &name, &line);
    SplitAt(line, ' ', &host, &address);
    bool listed = false;
    for (const std::string& earlier : expected) listed = listed || earlier == name;
    if (!listed && Selects(specification, name, host, address)) expected.push_back(name);
    FUZZ_CHECK(AddServer(&list, specification, name, host, address) == 0);
  }
  size_t at = 0;
  for (ServerEntry* entry = list.head; entry != nullptr; entry = entry->next, ++at) {
    FUZZ_CHECK(at < expected.size() && entry->name == expected[at]);
  }
  FUZZ_CHECK(at == expected.size());
  FreeServerList(&list);
  FUZZ_CHECK(list.head == nullptr);

  static int fd = memfd_create("servers", 0);
  FUZZ_CHECK(fd >= 0);
  FUZZ_CHECK(ftruncate(fd, 0) == 0);
  FUZZ_CHECK(pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
  ServerSpecification from_file;
  FUZZ_CHECK(ReadServerFile("/proc/self/fd/" + std::to_string(fd), &from_file));
  CheckTexts(from_file, true);
  return 0;
}
