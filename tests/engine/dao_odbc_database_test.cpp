// The database component in an ODBC workspace over a real data source (the SQLite ODBC driver):
// the prompt option goes through the installed prompt, and the data source name and connect text
// the engine reports afterwards are kept, without the password.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "dao_test_support.h"
#include "engine/dao_database.h"
#include "engine/dao_workspace.h"
#include "jet/base/recordset_types.h"
#include "jet/dao/database.h"
#include "jet/dao/querydef.h"
#include "jet/recordset/recordset.h"
#include "jet/odbc/connect_prompt.h"

namespace qb::test {
namespace {

class DAOOdbcDatabaseTest : public DAOTest {};

std::string SqliteDriver() {
  for (const char* dir : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc", "/usr/lib/odbc"}) {
    if (std::filesystem::exists(std::string(dir) + "/libsqlite3odbc.so")) return std::string(dir) + "/libsqlite3odbc.so";
  }
  return {};
}

// Connected to a data source: the file-only members refuse with 65184 before the engine is
// asked; QueryDefs and recordsets work on the connection.
TEST_F(DAOOdbcDatabaseTest, FileMembersRefusedQueriesAndRecordsetsWork) {
  const std::string driver = SqliteDriver();
  if (driver.empty()) GTEST_SKIP() << "the SQLite ODBC driver (libsqlite3odbc.so) is not installed";
  TDAOWorkspace ws;
  ws.SetWorkspaceType(wtUseODBC);
  TDAODataBase db;
  db.SetName("Db1");
  db.SetDAOWorkspace(&ws);
  db.SetODBCOptions(ooDriverNoPrompt);
  db.SetODBCConnectParams("ODBC;DRIVER={" + driver + "};Database=" + dir_.File("members.db"));
  db.Open();
  ASSERT_TRUE(db.Connected());
  const std::vector<std::pair<std::string, std::function<void()>>> refused = {
      {"'TableDefs' Property", [&] { db.TableDefs(); }},
      {"'Containers' Property", [&] { db.Containers(); }},
      {"'FindTableDef' Method", [&] { db.FindTableDef("t"); }},
      {"'FindQueryDef' Method", [&] { db.FindQueryDef("q"); }},
  };
  for (const auto& [feature, member] : refused) {
    const Raised raised = RaisedBy(member);
    EXPECT_EQ(raised.type, "EDAOError") << feature;
    EXPECT_EQ(DetailField(raised.message, "Method Name:"), "CheckWorkspaceType") << feature;
    EXPECT_EQ(DetailField(raised.message, "Message:"),
              "The " + feature + " can only be used for Databases in a Workspace of Type: wtUseJet");
  }
  db.Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, s VARCHAR(10))", 0);
  db.Execute("INSERT INTO t VALUES (1, 'one'), (2, 'two')", 0);
  auto queries = db.QueryDefs();
  ASSERT_NE(queries, nullptr);
  EXPECT_EQ(queries->Count(), 0);
  auto rows = db.OpenRecordset("t", Variant(jet::kOpenDynaset), Variant(0), Variant(jet::kOptimistic));
  rows->MoveLast();
  EXPECT_EQ(rows->RecordCount(), 2);
  EXPECT_TRUE(rows->Updatable());
  db.Close();
  EXPECT_EQ(RaisedBy([&] { rows->MoveFirst(); }).type, "EOleException") << "closing the database closed it";
  ws.Close();
}

TEST_F(DAOOdbcDatabaseTest, PromptedConnectIsReadBackWithoutThePassword) {
  std::string driver;
  for (const char* dir : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc", "/usr/lib/odbc"}) {
    if (std::filesystem::exists(std::string(dir) + "/libsqlite3odbc.so")) driver = std::string(dir) + "/libsqlite3odbc.so";
  }
  if (driver.empty()) GTEST_SKIP() << "the SQLite ODBC driver (libsqlite3odbc.so) is not installed";
  const std::string file = dir_.File("prompted.db");
  int asked = 0;
  jet::odbc::ConnectPrompt old = jet::odbc::SetConnectPrompt([&](const jet::odbc::PromptRequest&) {
    ++asked;
    return std::optional<std::string>("DRIVER={" + driver + "};Database=" + file + ";PWD=Hidden");
  });
  TDAOWorkspace ws;
  ws.SetWorkspaceType(wtUseODBC);
  TDAODataBase db;
  db.SetDAOWorkspace(&ws);
  db.SetODBCOptions(ooDriverPrompt);
  db.SetODBCConnectParams("ODBC;DRIVER={" + driver + "}");
  db.Open();
  jet::odbc::SetConnectPrompt(old);
  EXPECT_EQ(asked, 1);
  ASSERT_TRUE(db.Connected());
  EXPECT_NE(db.ODBCConnectParams().find(file), std::string::npos) << db.ODBCConnectParams();
  EXPECT_EQ(db.ODBCConnectParams().find("Hidden"), std::string::npos) << db.ODBCConnectParams();
  EXPECT_EQ(db.ODBCDataSourceName(), "");
  db.Execute("CREATE TABLE t (n INTEGER)", 0);
  db.BeginTrans();
  db.Execute("INSERT INTO t VALUES (1)", 0);
  EXPECT_TRUE(db.InTransaction());
  db.Rollback();
  EXPECT_FALSE(db.InTransaction());
  db.Close();
  ws.Close();
}

}  // namespace
}  // namespace qb::test
