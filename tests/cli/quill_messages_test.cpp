// What quill says when a user gets something wrong: a query without a name, a query that is not
// there, a misspelled field, an empty password, an unknown sort order, a protected database.
#include "quill_test.h"

namespace qb::cli::test {
namespace {

class QuillMessagesTest : public QuillTest {
 protected:
  void SetUp() override {
    Ok({"db", "create", Db()});
    Ok({"sql", Db(), "CREATE TABLE T (Id LONG, Name TEXT(10))"});
  }
  std::string Db() const { return File("a.mdb"); }
};

TEST_F(QuillMessagesTest, SavedQueriesByName) {
  EXPECT_THAT(Fails({"query", "create", Db(), "", "SELECT * FROM T"}, 2), HasSubstr("needs a name"));
  EXPECT_EQ(Ok({"queries", Db()}), "");
  const std::string said = "The database has no saved query named 'Nope'.";
  for (const std::vector<std::string>& command : {std::vector<std::string>{"run", Db(), "Nope"},
                                                  {"query", "delete", Db(), "Nope"},
                                                  {"query", "show", Db(), "Nope"}}) {
    EXPECT_EQ(Fails(command), "quill: " + said + "\n") << command[0] << " " << command[1];
  }
}

TEST_F(QuillMessagesTest, AMisspelledFieldIsNamed) {
  for (const char* statement : {"SELECT Nmae FROM T", "UPDATE T SET Name = 'x' WHERE Idd = 1"}) {
    const std::string err = Fails({"sql", Db(), statement});
    EXPECT_THAT(err, ::testing::StartsWith("quill: Too few parameters. Expected 1.")) << statement;
    EXPECT_THAT(err, HasSubstr(std::string(statement).find("Nmae") != std::string::npos ? "[Nmae]" : "[Idd]"));
  }
  Ok({"query", "create", Db(), "ByName", "PARAMETERS who Text(10); SELECT Id FROM T WHERE Name = who AND Naem = 1"});
  const std::string err = Fails({"run", Db(), "ByName"});
  EXPECT_THAT(err, HasSubstr("Too few parameters. Expected 2."));
  EXPECT_THAT(err, HasSubstr("[who]"));
  EXPECT_THAT(err, HasSubstr("Unknown name [Naem]"));
}

TEST_F(QuillMessagesTest, DatabasePasswords) {
  // An empty password variable would make a file anyone opens.
  EXPECT_THAT(Fails({"db", "create", File("e.mdb"), "--new-password-env", "E"}, 2, {{"E", ""}}),
              HasSubstr("cannot be empty"));
  EXPECT_EQ(FolderNames(dir_.Path()), (std::vector<std::string>{"a.mdb"}));
  Ok({"db", "create", File("p.mdb"), "--new-password-env", "P"}, {{"P", "tiger"}});
  for (const std::vector<std::string>& command : {std::vector<std::string>{"db", "compact", File("p.mdb"), File("d.mdb"), "--decrypt"},
                                                  {"tables", File("p.mdb")}}) {
    EXPECT_THAT(Fails(command), HasSubstr("--db-password-env VAR")) << command[0];
  }
  // Decrypting removes the password too: quill says how.
  EXPECT_THAT(Fails({"--db-password-env", "P", "db", "compact", File("p.mdb"), File("d.mdb"), "--decrypt"}, 1,
                    {{"P", "tiger"}}),
              HasSubstr("--new-password-env VAR naming an empty variable"));
  Ok({"--db-password-env", "P", "db", "compact", File("p.mdb"), File("d.mdb"), "--decrypt", "--new-password-env", "E"},
     {{"P", "tiger"}, {"E", ""}});
  EXPECT_THAT(Ok({"db", "info", File("d.mdb")}), HasSubstr("Password: no"));
}

TEST_F(QuillMessagesTest, SortOrdersAreListed) {
  const std::string help = Ok({"db", "--help"});
  for (const char* order : {"1033  General", "1053  Swedish / Finnish", "1049  Cyrillic", "2052  Simplified Chinese"}) {
    EXPECT_THAT(help, HasSubstr(order));
  }
  EXPECT_THAT(Fails({"db", "create", File("s.mdb"), "--sort-order", "99"}, 2), HasSubstr("1033, 1032"));
}

}  // namespace
}  // namespace qb::cli::test
