// Connect texts read and written back, and the password kept out of what is shown: the texts a
// workspace reads back and the error texts made from driver diagnostics.
#include <gtest/gtest.h>

#include "jet/odbc/connect_text.h"
#include "jet/odbc/odbc_errors.h"

namespace qb::jet::odbc {
namespace {

TEST(ConnectTextTest, ReadsPairsBracesAndPrefix) {
  struct Case {
    const char* text;
    std::vector<std::pair<std::string, std::string>> pairs;
  };
  const Case cases[] = {
      {"ODBC;DSN=sales;UID=ann;PWD=x", {{"DSN", "sales"}, {"UID", "ann"}, {"PWD", "x"}}},
      {"odbc;dsn=sales", {{"dsn", "sales"}}},
      {"DRIVER={PostgreSQL Unicode};Servername=/tmp/s", {{"DRIVER", "PostgreSQL Unicode"}, {"Servername", "/tmp/s"}}},
      {"PWD={a;b}}c};UID=u;", {{"PWD", "a;b}c"}, {"UID", "u"}}},
      {";;DSN = x ; Flag;", {{"DSN", "x"}, {"Flag", ""}}},
      {"", {}},
  };
  for (const Case& c : cases) {
    std::vector<std::pair<std::string, std::string>> got;
    for (const ConnectPair& pair : ParseConnect(c.text)) got.emplace_back(pair.key, pair.value);
    EXPECT_EQ(got, c.pairs) << c.text;
  }
}

TEST(ConnectTextTest, WritesBackWhatItReads) {
  for (const char* text : {"DSN=sales;UID=ann", "PWD={a;b}}c};UID=u", "Database={ spaced }"}) {
    EXPECT_EQ(JoinConnect(ParseConnect(text)), text);
  }
}

TEST(ConnectTextTest, PasswordsAreLeftOut) {
  struct Case {
    const char* text;
    const char* shown;
  };
  const Case cases[] = {
      {"ODBC;DSN=sales;UID=ann;PWD=secret", "ODBC;DSN=sales;UID=ann"},
      {"ODBC;pwd={se;cret};DSN=sales", "ODBC;DSN=sales"},
      {"DRIVER=x;Password=secret;Port=1", "DRIVER=x;Port=1"},
      {"ODBC;DSN=sales", "ODBC;DSN=sales"},
  };
  for (const Case& c : cases) EXPECT_EQ(WithoutPassword(c.text), c.shown) << c.text;
}

TEST(ConnectTextTest, FailureTextsCarryStatesAndBlankSecrets) {
  const std::vector<Diagnostic> diagnostics = {{"08001", 101, "login as ann with hunter2 refused"},
                                               {"01000", 0, "hunter2 again"}};
  const std::string text = DescribeFailure("Connecting failed", diagnostics, {"hunter2", ""});
  EXPECT_EQ(text, "Connecting failed: [08001] login as ann with *** refused; [01000] *** again");
  EXPECT_EQ(DescribeFailure("Nothing", {}, {}), "Nothing: the driver gave no reason.");
}

}  // namespace
}  // namespace qb::jet::odbc
