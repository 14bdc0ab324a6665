#include "query/worker.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
  const char* entity;
  const char* server;
  const char* object;
};

const SplitCase kSplits[] = {
    {"srv/name", "srv", "name"},
    {"cn=a/b", "", "cn=a/b"},
    {"dom\\a/b", "", "dom\\a/b"},
    {"dc1,dc2/ann", "dc1,dc2", "ann"},
    {"@servers.txt/ann", "@servers.txt", "ann"},
    {"10.0.0.1/cn=x/y,ou=z", "10.0.0.1", "cn=x/y,ou=z"},
    {"/ann", "", "ann"},
    {"ann", "", "ann"},
    {"srv/", "srv", ""},
};

TEST(ServerPrefix, SplitsAtASlashBeforeAnyBackslashOrEquals) {
  for (const SplitCase& c : kSplits) {
    std::string server = "stale";
    std::string object;
    SplitServerPrefix(c.entity, &server, &object);
    EXPECT_EQ(server, c.server) << c.entity;
    EXPECT_EQ(object, c.object) << c.entity;
  }
}

struct LineCase {
  const char* line;
  const char* name;
};

const LineCase kLines[] = {
    {"ann", "ann"},
    {"  \tann  \t", "ann"},
    {"ann lee is ignored", "ann"},
    {"ann\tcomment", "ann"},
    {"\"Ann Lee\" rest", "Ann Lee"},
    {"  \"cn=Lee\\, Ann,ou=x\"", "cn=Lee\\, Ann,ou=x"},
    {"\"unclosed name  ", "unclosed name"},
    {"", ""},
    {" \t ", ""},
    {"\"\"", ""},
    {"; a comment", ";"},
    {"srv/ann", "srv/ann"},
};

TEST(InputFile, ObjectNameIsTheFirstWordOrTheQuotedText) {
  for (const LineCase& c : kLines) EXPECT_EQ(InputLineName(c.line), c.name) << c.line;
}

}  // namespace
