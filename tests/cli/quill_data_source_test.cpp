// quill sql on an ODBC data source named by its connect text (over the SQLite ODBC driver, so
// no server is needed): statements pass through as written, rows print as for a file, the
// driver's errors reach the user, and a missing connect value is never asked for on a pipe.
#include <filesystem>

#include "quill_test.h"

namespace qb::cli::test {
namespace {

class QuillDataSourceTest : public QuillTest {
 protected:
  void SetUp() override {
    for (const char* dir : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc", "/usr/lib/odbc"}) {
      const std::string path = std::string(dir) + "/libsqlite3odbc.so";
      if (std::filesystem::exists(path)) driver_ = path;
    }
    if (driver_.empty()) GTEST_SKIP() << "the SQLite ODBC driver (libsqlite3odbc.so) is not installed";
  }
  std::string Source() const { return "ODBC;DRIVER={" + driver_ + "};Database=" + File("data.db"); }

  std::string driver_;
};

TEST_F(QuillDataSourceTest, SqlPassesStatementsToTheDataSource) {
  EXPECT_EQ(Ok({"sql", Source(), "CREATE TABLE t (n INTEGER, s TEXT, x REAL)"}), "0 records affected\n");
  EXPECT_EQ(Ok({"sql", Source(), "INSERT INTO t VALUES (1, 'Ann', 2.5), (2, 'Bj\xC3\xB6rn', NULL)"}),
            "2 records affected\n");
  EXPECT_EQ(Ok({"sql", Source(), "SELECT n, s, x FROM t ORDER BY n"}), "n\ts\tx\n1\tAnn\t2.5\n2\tBj\xC3\xB6rn\t\n");
  EXPECT_EQ(Ok({"sql", "odbc;DRIVER={" + driver_ + "};Database=" + File("data.db"), "SELECT count(*) AS c FROM t"}),
            "c\n2\n");
  // Written in the server's SQL, not Jet's: a Jet-only form is the server's error.
  EXPECT_NE(Fails({"sql", Source(), "SELECT [n] FROM t WHERE s Like 'A*' AND #2001-01-01# < 1"}).find("[HY000]"),
            std::string::npos);
  EXPECT_NE(Fails({"sql", Source(), "SELECT * FROM t", "--param", "a=1"}, 2).find("--param"), std::string::npos);
}

TEST_F(QuillDataSourceTest, AMissingConnectValueIsNotAskedForOnAPipe) {
  const std::string refused = Fails({"sql", "ODBC;DSN=qb_no_such_source_here;PWD=Sekr1t", "SELECT 1"}, 1, {}, "Sekr1t\n");
  EXPECT_NE(refused.find("not a terminal"), std::string::npos) << refused;
  EXPECT_NE(refused.find("[IM002]"), std::string::npos) << refused;
  EXPECT_EQ(refused.find("Sekr1t"), std::string::npos) << refused;
}

}  // namespace
}  // namespace qb::cli::test
