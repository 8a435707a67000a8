// quill's database commands as a user runs them: create with each setting, info, tables and
// queries, passwords from the environment, compact to a new file and in place, repair of a
// damaged file, and each failure as one line on stderr.
#include "quill_test.h"

namespace qb::cli::test {
namespace {

using QuillDbTest = QuillTest;

TEST_F(QuillDbTest, CreateThenInfoTablesAndQueries) {
  Ok({"db", "create", File("a.mdb"), "--sort-order", "1053", "--format-version", "2.0"});
  EXPECT_EQ(Ok({"db", "info", File("a.mdb")}),
            "Version: 2.0\nSort order: 1053 (Swedish / Finnish)\nEncrypted: no\nPassword: no\nTables: 0\nQueries: 0\n");
  EXPECT_EQ(Ok({"tables", File("a.mdb")}), "");
  EXPECT_EQ(Ok({"tables", File("a.mdb"), "--system"}), "MSysDbInfo\nMSysObjects\nMSysProperties\nMSysQueries\n");
  EXPECT_EQ(Ok({"queries", File("a.mdb")}), "");

  Ok({"db", "create", File("e.mdb"), "--encrypt"});
  EXPECT_NE(Ok({"db", "info", File("e.mdb")}).find("Sort order: 1033 (General)\nEncrypted: yes\nPassword: no\n"),
            std::string::npos);
  EXPECT_EQ(qb::test::ReadFileBytes(File("e.mdb")).find("MSysObjects"), std::string::npos);
}

TEST_F(QuillDbTest, PasswordsComeFromTheEnvironment) {
  Ok({"db", "create", File("p.mdb"), "--new-password-env", "NEWPW"}, {{"NEWPW", "tiger"}});
  EXPECT_THAT(Fails({"db", "info", File("p.mdb")}), HasSubstr("Not a valid password"));
  EXPECT_THAT(Fails({"--db-password-env", "PW", "db", "info", File("p.mdb")}, 1, {{"PW", "lion"}}),
              HasSubstr("Not a valid password"));
  EXPECT_THAT(Fails({"--db-password-env", "PW", "db", "info", File("p.mdb")}, 2), HasSubstr("PW"));  // not set
  const std::string info = Ok({"--db-password-env", "PW", "db", "info", File("p.mdb")}, {{"PW", "tiger"}});
  EXPECT_NE(info.find("Encrypted: yes\nPassword: yes\n"), std::string::npos) << info;
  EXPECT_EQ(info.find("tiger"), std::string::npos);
}

TEST_F(QuillDbTest, CompactToANewFileAndInPlace) {
  Ok({"db", "create", File("s.mdb")});
  Ok({"db", "compact", File("s.mdb"), File("d.mdb"), "--encrypt", "--sort-order", "1049", "--format-version", "1.1"});
  EXPECT_NE(Ok({"db", "info", File("d.mdb")}).find("Version: 1.1\nSort order: 1049 (Cyrillic)\nEncrypted: yes\n"),
            std::string::npos);
  EXPECT_THAT(Fails({"db", "compact", File("s.mdb"), File("d.mdb")}), HasSubstr("already exists"));
  EXPECT_THAT(Fails({"db", "compact", File("s.mdb"), "--encrypt", "--decrypt"}, 2), HasSubstr("--encrypt or --decrypt"));
  EXPECT_THAT(Fails({"db", "compact", File("s.mdb"), "--format-version", "4.0"}, 2), HasSubstr("4.0"));

  // In place: a password is set, then taken away again; no temporary file is left.
  Ok({"db", "compact", File("s.mdb"), "--new-password-env", "NEWPW"}, {{"NEWPW", "tiger"}});
  EXPECT_THAT(Fails({"db", "info", File("s.mdb")}), HasSubstr("Not a valid password"));
  EXPECT_THAT(Fails({"--db-password-env", "PW", "db", "compact", File("s.mdb"), "--decrypt"}, 1, {{"PW", "tiger"}}),
              HasSubstr("password"));
  Ok({"--db-password-env", "PW", "db", "compact", File("s.mdb"), "--new-password-env", "NEWPW"},
     {{"PW", "tiger"}, {"NEWPW", ""}});
  EXPECT_NE(Ok({"db", "info", File("s.mdb")}).find("Encrypted: no\nPassword: no\n"), std::string::npos);
  EXPECT_EQ(FolderNames(dir_.Path()), (std::vector<std::string>{"d.mdb", "s.mdb"}));
}

TEST_F(QuillDbTest, RepairKeepsTheDamagedFile) {
  Ok({"db", "create", File("r.mdb")});
  EXPECT_EQ(Ok({"db", "repair", File("r.mdb")}), "The database is sound; nothing was changed.\n");
  // Page 3 holds the index of the first system table: zeroing it damages only that index.
  std::string bytes = qb::test::ReadFileBytes(File("r.mdb"));
  ASSERT_GT(bytes.size(), 3u * 4096);
  std::fill(bytes.begin() + 2 * 4096, bytes.begin() + 3 * 4096, '\0');
  qb::test::WriteFileBytes(File("r.mdb"), bytes);
  EXPECT_NE(Ok({"db", "repair", File("r.mdb")}).find("the damaged file is kept as " + File("r.mdb.damaged")),
            std::string::npos);
  EXPECT_EQ(qb::test::ReadFileBytes(File("r.mdb.damaged")), bytes);
  EXPECT_NE(Ok({"db", "info", File("r.mdb")}).find("Version: 3.0\n"), std::string::npos);
}

TEST_F(QuillDbTest, BadInputsFailWithOneLine) {
  EXPECT_THAT(Fails({"db", "info", File("missing.mdb")}), HasSubstr("does not exist"));
  qb::test::WriteFileBytes(File("empty.mdb"), "");
  EXPECT_THAT(Fails({"db", "info", File("empty.mdb")}), HasSubstr("is empty"));
  EXPECT_THAT(Fails({"db", "repair", qb::test::TestDataPath("jet/nwind.mdb")}), HasSubstr("Jet or ACE"));
  EXPECT_THAT(Fails({"tables", qb::test::TestDataPath("jet/nwind.mdb")}), HasSubstr("Jet or ACE"));
  Ok({"db", "create", File("x.mdb")});
  EXPECT_THAT(Fails({"db", "create", File("x.mdb")}), HasSubstr("already exists"));
  EXPECT_THAT(Fails({"db", "create", File("y.mdb"), "--sort-order", "7"}, 2), HasSubstr("sort order"));
  EXPECT_THAT(Fails({"db", "frobnicate"}, 2), HasSubstr("unknown command"));
  EXPECT_THAT(Fails({"tables"}, 2), HasSubstr("takes 1 argument"));
  EXPECT_NE(Ok({"db", "--help"}).find("compact SOURCE [DEST]"), std::string::npos);
  EXPECT_NE(Ok({"tables", "--help"}).find("--system"), std::string::npos);
  EXPECT_NE(Ok({"--help"}).find("--db-password-env"), std::string::npos);
}

}  // namespace
}  // namespace qb::cli::test
