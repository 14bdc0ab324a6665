#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "retrieval/servers.h"

namespace {

using Texts = std::vector<std::string>;

}  // namespace

TEST(ServerSpecification, CommaListSplitsIntoWantedAndExcluded) {
  const struct {
    const char* text;
    Texts wanted;
    Texts excluded;
  } cases[] = {
      {"dc*,!dc3", {"DC*"}, {"DC3"}},
      {"dc1, dc2 ,,10.1.1.5", {"DC1", "DC2", "10.1.1.5"}, {}},
      {"!dc3", {}, {"DC3"}},
      {"\"dc 1\",dc2", {"DC1", "DC2"}, {}},  // blanks go, lone quotes go
      {"a\"\"b", {"A\"B"}, {}},              // a doubled quote leaves one
      {"*", {"*"}, {}},
  };
  for (const auto& c : cases) {
    ServerSpecification specification;
    EXPECT_TRUE(ParseServerSpecification(c.text, &specification)) << c.text;
    EXPECT_EQ(specification.wanted, c.wanted) << c.text;
    EXPECT_EQ(specification.excluded, c.excluded) << c.text;
  }
}

TEST(ServerSpecification, NothingLeftFails) {
  ServerSpecification specification;
  EXPECT_FALSE(ParseServerSpecification(" \" \t", &specification));
  EXPECT_FALSE(ParseServerSpecification("", &specification));
}

TEST(ServerSpecification, FileSkipsCommentsAndBlankLines) {
  char path[] = "/tmp/lorvex_servers_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  FILE* file = fdopen(fd, "w");
  fputs("dc1\r\n; a comment\n\n   \t\n  !dc2  \t\n\"dc 4\" trailing\n  dc5\n", file);
  fclose(file);

  ServerSpecification specification;
  EXPECT_TRUE(ReadServerFile(path, &specification));
  EXPECT_EQ(specification.wanted, (Texts{"DC1", "DC 4", "DC5"}));
  EXPECT_EQ(specification.excluded, (Texts{"DC2"}));
  remove(path);
}

TEST(ServerSpecification, MissingFileFails) {
  ServerSpecification specification;
  EXPECT_FALSE(ReadServerFile("/nonexistent/lorvex/servers.txt", &specification));
}

TEST(ServerList, FreeEmptiesTheList) {
  ServerList list;
  list.head = new ServerEntry{"DC1", "dc1.sales.corp", "10.0.0.1", new ServerEntry{"DC2", "", "", nullptr}};
  FreeServerList(&list);
  EXPECT_EQ(list.head, nullptr);
  FreeServerList(&list);
  FreeServerList(nullptr);
}
