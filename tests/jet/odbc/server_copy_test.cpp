// The bulk-copy connection beside a data source: made only to a PostgreSQL server, with the
// values the driver connected with; rows it copies are the transaction's; a row the server
// refuses is named by its line; a server that goes away mid-copy fails the copy at once, on one
// line and without the password, instead of leaving the caller waiting.
#include "jet/odbc/server_copy.h"

#include <gtest/gtest.h>

#include "../engine_test_support.h"
#include "jet/odbc/data_source.h"
#include "jet/odbc/odbc_errors.h"
#include "odbc_servers.h"

namespace qb::jet::test {
namespace {

odbc::OpenRequest Request(const std::string& connect) {
  odbc::OpenRequest request;
  request.name = connect;
  request.options = 1;  // no prompt
  return request;
}

TEST(ServerCopyTest, IsMadeOnlyToAPostgreSQLServer) {
  const std::string driver = OdbcDriverPath("libsqlite3odbc.so");
  if (driver.empty()) GTEST_SKIP() << "the SQLite ODBC driver (libsqlite3odbc.so) is not installed";
  qb::test::TempDir dir;
  odbc::DataSource source(Request("ODBC;DRIVER={" + driver + "};Database=" + dir.File("plain.db")));
  std::string why;
  EXPECT_EQ(odbc::ServerCopy::Open(source, &why), nullptr);
  EXPECT_EQ(why, "the data source is not a PostgreSQL server");
}

TEST(ServerCopyTest, CopiesInsideItsTransactionAndNamesARefusedRow) {
  std::string why_not;
  const PostgresInfo* server = PrivatePostgres(&why_not);
  if (!server) GTEST_SKIP() << "no PostgreSQL server for the tests: " << why_not;
  odbc::DataSource source(Request(PostgresConnect(*server)));
  std::string why;
  auto copy = odbc::ServerCopy::Open(source, &why);
  ASSERT_NE(copy, nullptr) << why;
  copy->Execute("BEGIN");
  copy->Execute("CREATE TABLE copy_lines (n integer PRIMARY KEY, t varchar(5))");
  copy->BeginCopy("COPY copy_lines (n, t) FROM STDIN");
  copy->Put("1\ta\\tb\n2\t\\N\n");
  copy->Put("3\t\\\\N\n");
  EXPECT_EQ(copy->EndCopy("copy_lines"), 3);
  // Not yet committed: the data source's own connection does not see the table.
  EXPECT_NE(ErrorOf([&] { source.Execute("SELECT 1 FROM copy_lines", 0); }).message.find("[42P01]"), std::string::npos);

  copy->BeginCopy("COPY copy_lines (n, t) FROM STDIN");
  const CaughtError refused = ErrorOf([&] {
    copy->Put("4\tok\n5\ttoo long\n6\tok\n");
    copy->EndCopy("copy_lines");
  });
  EXPECT_EQ(refused.number, odbc::err::kCallFailed);
  EXPECT_NE(refused.message.find("row 2 of the table 'copy_lines': [22001]"), std::string::npos) << refused.message;
  copy->Execute("ROLLBACK");
  EXPECT_NE(ErrorOf([&] { source.Execute("SELECT 1 FROM copy_lines", 0); }).message.find("[42P01]"), std::string::npos);
}

TEST(ServerCopyTest, AServerGoneMidCopyFailsTheCopyAtOnce) {
  OwnPostgres own;
  std::string why_not;
  const PostgresInfo* info = own.Info(&why_not);
  if (!info) GTEST_SKIP() << "no second PostgreSQL server: " << why_not;
  odbc::DataSource source(Request(PostgresConnect(*info)));
  std::string why;
  auto copy = odbc::ServerCopy::Open(source, &why);
  ASSERT_NE(copy, nullptr) << why;
  copy->Execute("CREATE TABLE gone_lines (t text)");
  copy->BeginCopy("COPY gone_lines (t) FROM STDIN");
  copy->Put("before the server stops\n");
  own.Stop();
  const std::string piece(64 * 1024, 'x');
  const CaughtError gone = ErrorOf([&] {
    // A few pieces at most: the first sends after the stop find the connection closed.
    for (int i = 0; i < 1000; ++i) copy->Put(piece + "\n");
    copy->EndCopy("gone_lines");
  });
  EXPECT_EQ(gone.number, odbc::err::kCallFailed) << gone.message;
  EXPECT_TRUE(gone.message.find("[08") != std::string::npos || gone.message.find("[57P01]") != std::string::npos)
      << gone.message;
  EXPECT_EQ(gone.message.find('\n'), std::string::npos) << gone.message;
  EXPECT_EQ(gone.message.find(info->password), std::string::npos) << gone.message;
}

}  // namespace
}  // namespace qb::jet::test
