// quill's saved-query commands as a user runs them: create, list, show and delete, with the
// exit statuses and one-line errors the other commands give.
#include "quill_test.h"

namespace qb::cli::test {
namespace {

class QuillQueryTest : public QuillTest {
 protected:
  void SetUp() override {
    Ok({"db", "create", File("a.mdb")});
    Ok({"sql", File("a.mdb"), "CREATE TABLE Orders (Id LONG, Customer TEXT(40), Placed DATETIME)"});
  }
};

TEST_F(QuillQueryTest, CreateListShowAndDeleteRoundTrip) {
  const std::string db = File("a.mdb");
  EXPECT_EQ(Ok({"query", "list", db}), "");
  EXPECT_EQ(Ok({"query", "create", db, "Recent",
                "PARAMETERS [Since] DateTime; SELECT Customer FROM Orders WHERE Placed >= [Since] AND Id > MinId"}),
            "");
  EXPECT_EQ(Ok({"query", "create", db, "Purge", "DELETE FROM Orders WHERE Id < 0"}), "");
  EXPECT_EQ(Ok({"query", "list", db}), "Purge\tdelete\nRecent\tselect\n");
  EXPECT_EQ(Ok({"queries", db}), "Purge\nRecent\n");

  EXPECT_EQ(Ok({"query", "show", db, "recent"}),
            "Name: Recent\n"
            "Type: select\n"
            "SQL:\n"
            "PARAMETERS [Since] DateTime; SELECT Customer FROM Orders WHERE Placed >= [Since] AND Id > MinId\n"
            "Parameters:\n"
            "  [Since] DateTime\n"
            "  [MinId] Text\n");
  EXPECT_EQ(Ok({"query", "show", db, "Purge"}), "Name: Purge\nType: delete\nSQL:\nDELETE FROM Orders WHERE Id < 0\n");

  EXPECT_EQ(Ok({"query", "delete", db, "PURGE"}), "");
  EXPECT_EQ(Ok({"query", "list", db}), "Recent\tselect\n");
}

TEST_F(QuillQueryTest, FailuresGiveOneLineAndAStatus) {
  const std::string db = File("a.mdb");
  Ok({"query", "create", db, "Q", "SELECT * FROM Orders"});
  EXPECT_NE(Fails({"query", "create", db, "Q", "SELECT * FROM Orders"}).find("already exists"), std::string::npos);
  EXPECT_NE(Fails({"query", "create", db, "Orders", "SELECT * FROM Orders"}).find("already exists"), std::string::npos);
  EXPECT_NE(Fails({"query", "create", db, "R", "SELECT * FROM Orders WHERE"}).find("Syntax error"), std::string::npos);
  EXPECT_NE(Fails({"query", "create", db, "a.b", "SELECT * FROM Orders"}).find("not a valid"), std::string::npos);
  EXPECT_NE(Fails({"query", "show", db, "Nope"}).find("Nope"), std::string::npos);
  EXPECT_NE(Fails({"query", "delete", db, "Nope"}).find("Nope"), std::string::npos);
  EXPECT_EQ(Ok({"query", "list", db}), "Q\tselect\n");

  // A saved query whose table is gone still shows its text before the error.
  Ok({"query", "create", db, "Lost", "SELECT * FROM Gone"});
  QuillRun lost = Quill({"query", "show", db, "Lost"});
  EXPECT_EQ(lost.status, 1);
  EXPECT_EQ(lost.out, "Name: Lost\nType: select\nSQL:\nSELECT * FROM Gone\n");
  EXPECT_NE(lost.err.find("Gone"), std::string::npos) << lost.err;

  Fails({"query", "list"}, 2);
  Fails({"query", "show", db}, 2);
  Fails({"query", "rename", db, "Q", "R"}, 2);
  Fails({"query", "list", db, "--bogus"}, 2);
}

TEST_F(QuillQueryTest, HelpOnEveryLevel) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"query"}, {"query", "--help"}, {"query", "list", "--help"}, {"query", "create", "--help"}}) {
    const std::string out = Ok(args);
    EXPECT_NE(out.find("create FILE NAME SQL"), std::string::npos) << out;
  }
  EXPECT_NE(Ok({"--help"}).find("query list"), std::string::npos);
}

}  // namespace
}  // namespace qb::cli::test
