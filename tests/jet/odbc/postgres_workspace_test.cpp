// An ODBC workspace on a private PostgreSQL server: logging in (the password completed through
// the prompt, a wrong one refused without showing it), statements and transactions seen from a
// second connection, a failed commit that leaves nothing half-saved, and a server stopped while
// connected failing the next call clearly.
#include <gtest/gtest.h>

#include "../engine_test_support.h"
#include "jet/base/errors.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/workspace.h"
#include "jet/odbc/connect_prompt.h"
#include "jet/odbc/odbc_errors.h"
#include "postgres_fixture.h"

namespace qb::jet::test {
namespace {

class PostgresWorkspaceTest : public PostgresTest {
 protected:
  std::shared_ptr<Database> Open(const std::string& connect, int options = odbc::kDriverNoPrompt) {
    return workspace_->OpenDatabase("", Variant(options), false, connect);
  }
  static int RowsOf(Database& database, const std::string& table) {
    database.Execute("UPDATE " + table + " SET n = n");
    return database.RecordsAffected();
  }
};

TEST_F(PostgresWorkspaceTest, LogsInAndKeepsThePasswordOutOfEverythingShown) {
  auto database = Open(PostgresConnect(*server_));
  EXPECT_EQ(database->Connect().find(server_->password), std::string::npos) << database->Connect();
  EXPECT_NE(database->Connect().find("UID=" + server_->user), std::string::npos) << database->Connect();
  database->Close();

  const std::string wrong = "Wr0ngPassw0rd!";
  const CaughtError refused = ErrorOf([&] { Open(PostgresConnect(*server_, false) + ";PWD=" + wrong); });
  EXPECT_EQ(refused.number, odbc::err::kConnectFailed);
  EXPECT_NE(refused.message.find("[08001]"), std::string::npos) << refused.message;
  EXPECT_NE(refused.message.find("password authentication failed"), std::string::npos) << refused.message;
  EXPECT_EQ(refused.message.find(wrong), std::string::npos) << refused.message;
}

TEST_F(PostgresWorkspaceTest, TheWorkspaceLoginFillsAConnectTextWithoutOne) {
  const std::string without_login = "ODBC;DRIVER={" + server_->driver + "};Servername=" + server_->socket_dir +
                                    ";Port=5432;Database=postgres";
  auto login = engine_->CreateWorkspace("login", server_->user, server_->password, kUseOdbc);
  auto database = login->OpenDatabase("", Variant(odbc::kDriverNoPrompt), false, without_login);
  database->Execute("SELECT 1");
  EXPECT_EQ(database->Connect().find(server_->password), std::string::npos) << database->Connect();
  // A login in the connect text wins over the workspace's.
  auto other = engine_->CreateWorkspace("other", "nobody_here", "wrong", kUseOdbc);
  other->OpenDatabase("", Variant(odbc::kDriverNoPrompt), false, PostgresConnect(*server_))->Execute("SELECT 1");
  const CaughtError refused =
      ErrorOf([&] { other->OpenDatabase("", Variant(odbc::kDriverNoPrompt), false, without_login); });
  EXPECT_EQ(refused.number, odbc::err::kConnectFailed);
  EXPECT_EQ(refused.message.find("wrong"), std::string::npos) << refused.message;
}

TEST_F(PostgresWorkspaceTest, CompleteAsksForTheMissingPasswordOnlyWhenTheLoginFails) {
  std::vector<odbc::PromptRequest> asked;
  odbc::ConnectPrompt old = odbc::SetConnectPrompt([&](const odbc::PromptRequest& request) -> std::optional<std::string> {
    asked.push_back(request);
    return request.connect + ";PWD=" + server_->password;
  });
  auto database = Open(PostgresConnect(*server_, false), odbc::kDriverComplete);
  odbc::SetConnectPrompt(old);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(asked[0].problem.find("[08001]"), std::string::npos) << asked[0].problem;
  EXPECT_EQ(database->Connect().find(server_->password), std::string::npos) << database->Connect();
  database->Execute("SELECT 1");

  // No prompt: the failed login is the error, nobody is asked.
  asked.clear();
  EXPECT_EQ(ErrorOf([&] { Open(PostgresConnect(*server_, false)); }).number, odbc::err::kConnectFailed);
  EXPECT_TRUE(asked.empty());
}

TEST_F(PostgresWorkspaceTest, StatementsAndTransactionsAsASecondConnectionSeesThem) {
  auto writer = Open(PostgresConnect(*server_));
  auto reader = Open(PostgresConnect(*server_));
  writer->Execute("CREATE TABLE tx_seen (n integer PRIMARY KEY, s varchar(20))");
  writer->Execute("INSERT INTO tx_seen VALUES (1, 'a'), (2, 'b')");
  EXPECT_EQ(writer->RecordsAffected(), 2);

  writer->BeginTrans();
  writer->Execute("INSERT INTO tx_seen VALUES (3, 'c')");
  EXPECT_EQ(RowsOf(*reader, "tx_seen"), 2) << "uncommitted rows are not seen";
  writer->Rollback();
  EXPECT_EQ(RowsOf(*writer, "tx_seen"), 2);

  writer->BeginTrans();
  writer->Execute("DELETE FROM tx_seen WHERE n = 1");
  EXPECT_EQ(writer->RecordsAffected(), 1);
  writer->CommitTrans();
  EXPECT_EQ(RowsOf(*reader, "tx_seen"), 1);

  const CaughtError duplicate = ErrorOf([&] { writer->Execute("INSERT INTO tx_seen VALUES (2, 'again')"); });
  EXPECT_EQ(duplicate.number, odbc::err::kCallFailed);
  EXPECT_NE(duplicate.message.find("[23505]"), std::string::npos) << duplicate.message;
  writer->Execute("DROP TABLE tx_seen");
}

TEST_F(PostgresWorkspaceTest, ACommitTheServerRefusesSavesNothing) {
  auto database = Open(PostgresConnect(*server_));
  database->Execute("CREATE TABLE tx_deferred (n integer UNIQUE DEFERRABLE INITIALLY DEFERRED)");
  database->Execute("INSERT INTO tx_deferred VALUES (1)");
  database->BeginTrans();
  database->Execute("INSERT INTO tx_deferred VALUES (2)");
  database->Execute("INSERT INTO tx_deferred VALUES (1)");  // checked only at commit
  const CaughtError refused = ErrorOf([&] { database->CommitTrans(); });
  EXPECT_EQ(refused.number, odbc::err::kCallFailed);
  EXPECT_NE(refused.message.find("[23505]"), std::string::npos) << refused.message;
  EXPECT_EQ(database->TransactionDepth(), 0);
  // Back in autocommit, and none of the transaction's rows were kept.
  EXPECT_EQ(RowsOf(*database, "tx_deferred"), 1);
  auto other = Open(PostgresConnect(*server_));
  EXPECT_EQ(RowsOf(*other, "tx_deferred"), 1);
  database->Execute("DROP TABLE tx_deferred");
}

TEST_F(PostgresWorkspaceTest, AServerStoppedWhileConnectedFailsTheNextCall) {
  OwnPostgres own;
  std::string why_not;
  const PostgresInfo* info = own.Info(&why_not);
  if (!info) GTEST_SKIP() << "no second PostgreSQL server: " << why_not;
  auto database = Open(PostgresConnect(*info));
  database->Execute("SELECT 1");
  own.Stop();
  const CaughtError gone = ErrorOf([&] { database->Execute("SELECT 1"); });
  EXPECT_EQ(gone.number, odbc::err::kCallFailed) << gone.message;
  // The server's "shutting down" (57P01) or a lost connection (08...), on one line.
  EXPECT_TRUE(gone.message.find("[57P01]") != std::string::npos || gone.message.find("[08") != std::string::npos)
      << gone.message;
  EXPECT_EQ(gone.message.find('\n'), std::string::npos) << gone.message;
  EXPECT_EQ(gone.message.find(info->password), std::string::npos) << gone.message;
  database->Close();
}

}  // namespace
}  // namespace qb::jet::test
