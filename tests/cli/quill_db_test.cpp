// quill's database commands as a user runs them: create with each setting, info, tables and
// queries, passwords from the environment, compact to a new file and in place, repair of a
// damaged file, and each failure as one line on stderr.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "run_quill.h"
#include "support/test_support.h"

namespace qb::cli::test {
namespace {

class QuillDbTest : public ::testing::Test {
 protected:
  QuillRun Quill(const std::vector<std::string>& args, std::map<std::string, std::string> env = {}) {
    env.emplace("QUILL_TEST_FAST_HASH", "1");
    env.emplace("XDG_CONFIG_HOME", config_.Path().string());
    return RunQuill(args, env);
  }
  // Runs quill and expects success; returns standard output.
  std::string Ok(const std::vector<std::string>& args, std::map<std::string, std::string> env = {}) {
    QuillRun run = Quill(args, std::move(env));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return run.out;
  }
  // Runs quill and expects failure STATUS with one line on stderr holding SAYS.
  void Fails(const std::vector<std::string>& args, int status, const std::string& says,
             std::map<std::string, std::string> env = {}) {
    QuillRun run = Quill(args, std::move(env));
    EXPECT_EQ(run.status, status) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
  }
  std::string File(const std::string& name) const { return dir_.File(name); }

  qb::test::TempDir dir_;
  qb::test::TempDir config_;
};

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
  Fails({"db", "info", File("p.mdb")}, 1, "Not a valid password");
  Fails({"--db-password-env", "PW", "db", "info", File("p.mdb")}, 1, "Not a valid password", {{"PW", "lion"}});
  Fails({"--db-password-env", "PW", "db", "info", File("p.mdb")}, 2, "PW");  // not set
  const std::string info = Ok({"--db-password-env", "PW", "db", "info", File("p.mdb")}, {{"PW", "tiger"}});
  EXPECT_NE(info.find("Encrypted: yes\nPassword: yes\n"), std::string::npos) << info;
  EXPECT_EQ(info.find("tiger"), std::string::npos);
}

TEST_F(QuillDbTest, CompactToANewFileAndInPlace) {
  Ok({"db", "create", File("s.mdb")});
  Ok({"db", "compact", File("s.mdb"), File("d.mdb"), "--encrypt", "--sort-order", "1049", "--format-version", "1.1"});
  EXPECT_NE(Ok({"db", "info", File("d.mdb")}).find("Version: 1.1\nSort order: 1049 (Cyrillic)\nEncrypted: yes\n"),
            std::string::npos);
  Fails({"db", "compact", File("s.mdb"), File("d.mdb")}, 1, "already exists");
  Fails({"db", "compact", File("s.mdb"), "--encrypt", "--decrypt"}, 2, "--encrypt or --decrypt");
  Fails({"db", "compact", File("s.mdb"), "--format-version", "4.0"}, 2, "4.0");

  // In place: a password is set, then taken away again; no temporary file is left.
  Ok({"db", "compact", File("s.mdb"), "--new-password-env", "NEWPW"}, {{"NEWPW", "tiger"}});
  Fails({"db", "info", File("s.mdb")}, 1, "Not a valid password");
  Fails({"--db-password-env", "PW", "db", "compact", File("s.mdb"), "--decrypt"}, 1, "password", {{"PW", "tiger"}});
  Ok({"--db-password-env", "PW", "db", "compact", File("s.mdb"), "--new-password-env", "NEWPW"},
     {{"PW", "tiger"}, {"NEWPW", ""}});
  EXPECT_NE(Ok({"db", "info", File("s.mdb")}).find("Encrypted: no\nPassword: no\n"), std::string::npos);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"d.mdb", "s.mdb"}));
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
  Fails({"db", "info", File("missing.mdb")}, 1, "does not exist");
  qb::test::WriteFileBytes(File("empty.mdb"), "");
  Fails({"db", "info", File("empty.mdb")}, 1, "is empty");
  Fails({"db", "repair", qb::test::TestDataPath("jet/nwind.mdb")}, 1, "Jet or ACE");
  Fails({"tables", qb::test::TestDataPath("jet/nwind.mdb")}, 1, "Jet or ACE");
  Ok({"db", "create", File("x.mdb")});
  Fails({"db", "create", File("x.mdb")}, 1, "already exists");
  Fails({"db", "create", File("y.mdb"), "--sort-order", "7"}, 2, "sort order");
  Fails({"db", "frobnicate"}, 2, "unknown command");
  Fails({"tables"}, 2, "takes 1 argument");
  EXPECT_NE(Ok({"db", "--help"}).find("compact SOURCE [DEST]"), std::string::npos);
  EXPECT_NE(Ok({"tables", "--help"}).find("--system"), std::string::npos);
  EXPECT_NE(Ok({"--help"}).find("--db-password-env"), std::string::npos);
}

}  // namespace
}  // namespace qb::cli::test
