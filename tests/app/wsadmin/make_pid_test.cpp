// Tests of the personal identifiers the administration window gives new accounts.
#include <gtest/gtest.h>

#include "app/wsadmin/account_pid.h"

namespace qb::test {
namespace {

TEST(MakePIDTest, CutsOrPadsToTwentyCharacters) {
  struct Case {
    std::string name, pid;
  };
  const Case cases[] = {
      {"abcdefghijklmnopqrstuvwxy", "abcdefghijklmnopqrst"},  // 25 characters
      {"ab", "abXXXXXXXXXXXXXXXXXX"},
      {"exactly-twenty-chars", "exactly-twenty-chars"},
      {"", "XXXXXXXXXXXXXXXXXXXX"},
  };
  for (const Case& c : cases) EXPECT_EQ(MakePID(c.name), c.pid) << c.name;
}

}  // namespace
}  // namespace qb::test
