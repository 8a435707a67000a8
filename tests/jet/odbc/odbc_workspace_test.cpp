// An ODBC workspace end to end over the SQLite ODBC driver (no server needed): opening by
// connect text, the driver prompt options through the installed prompt, Connect read back
// without the password, statements with RecordsAffected, one level of transactions, the file
// members refused, diagnostics as engine errors, Close.
#include <gtest/gtest.h>

#include "../engine_test_support.h"
#include "jet/base/errors.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/workspace.h"
#include "jet/odbc/connect_prompt.h"
#include "jet/odbc/odbc_errors.h"
#include "odbc_servers.h"

namespace qb::jet::test {
namespace {

// Installs a prompt for one test and removes it after.
class ScopedPrompt {
 public:
  explicit ScopedPrompt(odbc::ConnectPrompt prompt) : old_(odbc::SetConnectPrompt(std::move(prompt))) {}
  ~ScopedPrompt() { odbc::SetConnectPrompt(old_); }

 private:
  odbc::ConnectPrompt old_;
};

class OdbcWorkspaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    driver_ = OdbcDriverPath("libsqlite3odbc.so");
    if (driver_.empty()) GTEST_SKIP() << "the SQLite ODBC driver (libsqlite3odbc.so) is not installed";
    workspace_ = engine_->CreateWorkspace("odbc", "admin", "", kUseOdbc);
  }
  std::string Connect(const std::string& file = "data.db") const {
    return "ODBC;DRIVER={" + driver_ + "};Database=" + dir_.File(file);
  }
  // The rows of T, counted by an UPDATE that changes nothing.
  static int RowsOf(Database& database) {
    database.Execute("UPDATE t SET n = n");
    return database.RecordsAffected();
  }

  qb::test::TempDir dir_;
  std::string driver_;
  std::shared_ptr<DBEngine> engine_ = CreateDBEngine(EngineSettings::ForTests());
  std::shared_ptr<Workspace> workspace_;
};

TEST_F(OdbcWorkspaceTest, OpensByConnectTextOrNameAndReadsBackWithoutPassword) {
  // The connect text as the Connect argument, and the same text given as the name.
  for (bool as_name : {false, true}) {
    const std::string text = Connect() + ";PWD=s3cret";
    auto database = as_name ? workspace_->OpenDatabase(text, Variant(1))
                            : workspace_->OpenDatabase("", Variant(1), false, text);
    EXPECT_TRUE(database->IsDataSource());
    EXPECT_EQ(database->Connect().rfind("ODBC;", 0), 0u) << database->Connect();
    EXPECT_NE(database->Connect().find(dir_.File("data.db")), std::string::npos) << database->Connect();
    EXPECT_EQ(database->Connect().find("s3cret"), std::string::npos) << database->Connect();
    EXPECT_EQ(database->Name(), "");
    EXPECT_TRUE(database->Updatable());
    database->Close();
    EXPECT_FALSE(database->IsOpen());
    EXPECT_EQ(ErrorOf([&] { database->Connect(); }).number, err::kObjectClosed);
    EXPECT_EQ(ErrorOf([&] { database->Execute("SELECT 1"); }).number, err::kObjectClosed);
  }
}

TEST_F(OdbcWorkspaceTest, StatementsCountTheirRowsAndFailuresCarryTheState) {
  auto database = workspace_->OpenDatabase("", Variant(1), false, Connect());
  database->Execute("CREATE TABLE t (n INTEGER PRIMARY KEY, s TEXT)");
  database->Execute("INSERT INTO t VALUES (1, 'a'), (2, 'b'), (3, 'c')");
  EXPECT_EQ(database->RecordsAffected(), 3);
  database->Execute("DELETE FROM t WHERE n = 99");
  EXPECT_EQ(database->RecordsAffected(), 0);
  database->Execute("UPDATE t SET s = 'x' WHERE n > 1");
  EXPECT_EQ(database->RecordsAffected(), 2);
  const CaughtError bad = ErrorOf([&] { database->Execute("INSERT INTO nowhere VALUES (1)"); });
  EXPECT_EQ(bad.number, odbc::err::kCallFailed);
  EXPECT_NE(bad.message.find("[HY000]"), std::string::npos) << bad.message;
  EXPECT_NE(bad.message.find("nowhere"), std::string::npos) << bad.message;
  EXPECT_EQ(database->RecordsAffected(), 0) << "a failed statement changed nothing";
}

TEST_F(OdbcWorkspaceTest, OneLevelOfTransactions) {
  auto database = workspace_->OpenDatabase("", Variant(1), false, Connect());
  database->Execute("CREATE TABLE t (n INTEGER)");
  database->BeginTrans();
  database->Execute("INSERT INTO t VALUES (1)");
  EXPECT_EQ(ErrorOf([&] { database->BeginTrans(); }).number, err::kTransactionsTooDeep);
  database->Rollback();
  EXPECT_EQ(RowsOf(*database), 0);
  database->BeginTrans();
  database->Execute("INSERT INTO t VALUES (2)");
  database->CommitTrans();
  EXPECT_EQ(database->TransactionDepth(), 0);
  EXPECT_EQ(ErrorOf([&] { database->CommitTrans(); }).number, err::kNoTransaction);
  EXPECT_EQ(ErrorOf([&] { database->Rollback(); }).number, err::kNoTransaction);
  // Back in autocommit: a second connection sees every later change at once.
  database->Execute("INSERT INTO t VALUES (3)");
  auto other = workspace_->OpenDatabase("", Variant(1), false, Connect());
  EXPECT_EQ(RowsOf(*other), 2);
  // Closing with a transaction open undoes it.
  database->BeginTrans();
  database->Execute("INSERT INTO t VALUES (4)");
  database->Close();
  EXPECT_EQ(RowsOf(*other), 2);
}

TEST_F(OdbcWorkspaceTest, AReadOnlyOpenWritesNothing) {
  auto writer = workspace_->OpenDatabase("", Variant(1), false, Connect());
  writer->Execute("CREATE TABLE t (n INTEGER)");
  auto reader = workspace_->OpenDatabase("", Variant(1), true, Connect());
  EXPECT_FALSE(reader->Updatable());
  EXPECT_EQ(ErrorOf([&] { reader->Execute("INSERT INTO t VALUES (1)"); }).number, err::kReadOnly);
  EXPECT_EQ(RowsOf(*writer), 0);
}

TEST_F(OdbcWorkspaceTest, FileMembersAreRefusedOnADataSource) {
  auto database = workspace_->OpenDatabase("", Variant(1), false, Connect());
  database->Execute("CREATE TABLE t (n INTEGER)");
  const std::vector<std::pair<const char*, std::function<void()>>> members = {
      {"TableDefs", [&] { database->TableDefs(); }},
      {"Containers", [&] { database->Containers(); }},
      {"Relations", [&] { database->Relations(); }},
      {"Version", [&] { database->Version(); }},
      {"Properties", [&] { database->Properties(); }},
  };
  for (const auto& [name, member] : members) EXPECT_EQ(ErrorOf(member).number, err::kNotForThisObject) << name;
}

TEST_F(OdbcWorkspaceTest, ClosingTheWorkspaceClosesItsDataSources) {
  auto database = workspace_->OpenDatabase("", Variant(1), false, Connect());
  workspace_->Close();
  EXPECT_FALSE(database->IsOpen());
}

TEST_F(OdbcWorkspaceTest, PromptOptionsGoThroughTheInstalledPrompt) {
  const std::string file = dir_.File("prompted.db");
  std::vector<odbc::PromptRequest> asked;
  auto answer_with_file = [&](const odbc::PromptRequest& request) -> std::optional<std::string> {
    asked.push_back(request);
    return "ODBC;DRIVER={" + driver_ + "};Database=" + file;
  };
  {
    // Prompt: asked first, whatever the connect text holds; the answer is what connects.
    ScopedPrompt prompt(answer_with_file);
    auto database = workspace_->OpenDatabase("", Variant(odbc::kDriverPrompt), false, "ODBC;DRIVER={" + driver_ + "}");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].problem, "");
    EXPECT_NE(asked[0].connect.find(driver_), std::string::npos);
    EXPECT_NE(database->Connect().find(file), std::string::npos) << database->Connect();
    // No prompt and complete: never asked when the connect works.
    asked.clear();
    workspace_->OpenDatabase("", Variant(odbc::kDriverComplete), false, Connect());
    workspace_->OpenDatabase("", Variant(odbc::kDriverNoPrompt), false, Connect());
    EXPECT_TRUE(asked.empty());
  }
  {
    ScopedPrompt cancel([](const odbc::PromptRequest&) { return std::optional<std::string>(); });
    EXPECT_EQ(ErrorOf([&] { workspace_->OpenDatabase("", Variant(odbc::kDriverPrompt), false, Connect()); }).number,
              err::kCancelled);
  }
  // Without a prompt the prompting option fails clearly instead of waiting for anyone.
  const CaughtError none = ErrorOf([&] { workspace_->OpenDatabase("", Variant(odbc::kDriverPrompt), false, Connect()); });
  EXPECT_EQ(none.number, odbc::err::kConnectFailed);
  EXPECT_NE(none.message.find("no way to ask"), std::string::npos) << none.message;
}

TEST_F(OdbcWorkspaceTest, BadOpensAreRefused) {
  struct Case {
    const char* what;
    Variant options;
    std::string connect;
    int number;
  };
  const Case cases[] = {
      {"options outside 0 .. 3", Variant(7), Connect(), err::kInvalidArgument},
      {"nothing to connect to", Variant(1), "", err::kInvalidArgument},
      {"an unknown data source", Variant(1), "ODBC;DSN=qb_no_such_source_here", odbc::err::kConnectFailed},
      {"a driver library that is not there", Variant(1), "ODBC;DRIVER={/nonexistent/libnone.so}", odbc::err::kConnectFailed},
  };
  for (const Case& c : cases) {
    const CaughtError error = ErrorOf([&] { workspace_->OpenDatabase("", c.options, false, c.connect); });
    EXPECT_EQ(error.number, c.number) << c.what << ": " << error.message;
    if (c.number == odbc::err::kConnectFailed) {
      EXPECT_NE(error.message.find("] [unixODBC]"), std::string::npos) << c.what << ": " << error.message;
    }
  }
  EXPECT_TRUE(workspace_->OpenDatabases().empty());
}

}  // namespace
}  // namespace qb::jet::test
