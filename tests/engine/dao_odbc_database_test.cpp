// The database component in an ODBC workspace over a real data source (the SQLite ODBC driver):
// the prompt option goes through the installed prompt, and the data source name and connect text
// the engine reports afterwards are kept, without the password.
#include <gtest/gtest.h>

#include <filesystem>

#include "dao_test_support.h"
#include "engine/dao_database.h"
#include "engine/dao_workspace.h"
#include "jet/dao/database.h"
#include "jet/odbc/connect_prompt.h"

namespace qb::test {
namespace {

class DAOOdbcDatabaseTest : public DAOTest {};

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
