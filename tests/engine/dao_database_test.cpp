// The database component on real database files: connecting in the default workspace or its
// workspace component, missing files and wrong passwords with their messages and method names,
// guarded settings, the password in the connect text, catalog access, transactions, the
// recordset list (through a stand-in), deactivation order, loading from form text.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "dao_test_support.h"
#include "engine/dao_database.h"
#include "engine/dao_engine.h"
#include "engine/dao_globals.h"
#include "engine/dao_recordset_link.h"
#include "engine/dao_workspace.h"
#include "framework/component/form_stream.h"
#include "jet/dao/database.h"
#include "jet/dao/querydef.h"
#include "jet/recordset/recordset.h"
#include "jet/base/recordset_types.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/workspace.h"
#include "jet/dao/workspaces.h"

namespace qb::test {
namespace {

// A recordset as the database sees it: records what it is asked and can refuse the re-check.
class RecordsetStandIn : public TDAORecordsetLink {
 public:
  RecordsetStandIn(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
  ~RecordsetStandIn() {
    if (database_ != nullptr) database_->RemoveRecordset(this);
  }
  void SetDatabase(TDAODataBase* database) {
    if (database_ != nullptr) database_->RemoveRecordset(this);
    database_ = database;
    if (database_ != nullptr) database_->AddRecordset(this);
  }
  void CloseForDatabase() override {
    log_.push_back("Close " + name_ + (database_ != nullptr && database_->Connected() ? " +" : " -"));
  }
  void DetachFromDatabase() override {
    log_.push_back("Detach " + name_);
    SetDatabase(nullptr);
  }
  void RecheckWorkspaceRules() override {
    log_.push_back("Recheck " + name_);
    if (refuse) throw Exception("The lock strategy is not allowed for this workspace type.");
  }
  TDAODataBase* database_ = nullptr;
  bool refuse = false;

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

class DAODataBaseTest : public DAOTest {
 protected:
  void SetUp() override {
    DAOTest::SetUp();
    engine_ = std::make_unique<TDAOEngine>();
    engine_->SetName("DAOEngine1");
    engine_->SetSystemDB(workgroup_);
    engine_->Open();
    file_ = dir_.File("data.mdb");
    engine_->CreateDatabase(file_, "1033");
    secret_file_ = dir_.File("secret.mdb");
    engine_->CreateDatabase(secret_file_, "1033;pwd=Sesame");
  }
  void TearDown() override {
    engine_.reset();
    DAOTest::TearDown();
  }
  template <class T>
  void Watch(T& component) {
    component.BeforeOpen = [this](T* c) { log_.push_back("BeforeOpen " + c->Name()); };
    component.AfterOpen = [this](T* c) { log_.push_back("AfterOpen " + c->Name()); };
    component.BeforeClose = [this](T* c) { log_.push_back("BeforeClose " + c->Name()); };
    component.AfterClose = [this](T* c) { log_.push_back("AfterClose " + c->Name()); };
  }

  std::unique_ptr<TDAOEngine> engine_;
  std::string file_;
  std::string secret_file_;
  std::vector<std::string> log_;
};

TEST_F(DAODataBaseTest, ConnectsInTheDefaultWorkspaceAndCreatesTheRootWhenNeeded) {
  engine_->Close();
  TDAODataBase db;
  db.SetName("Db1");
  Watch(db);
  // Disconnected, the engine's values read empty instead of raising.
  EXPECT_EQ(db.JetVersion(), "");
  EXPECT_EQ(db.DesignMasterID(), "");
  EXPECT_EQ(db.GetProperties(), nullptr);
  EXPECT_FALSE(db.PropertyExists("Version"));
  db.SetDatabaseFile(file_);
  db.Open();
  EXPECT_TRUE(db.Connected());
  EXPECT_TRUE(engine_->Active());
  EXPECT_EQ(DBEngineObject()->Workspaces()->Item(0)->Name(), jet::kDefaultWorkspaceName);
  EXPECT_EQ(db.GetWorkspaceType(), wtUseJet);
  EXPECT_EQ(db.JetVersion(), "3.0");
  EXPECT_EQ(db.DesignMasterID(), "(No Master ID Defined)");
  EXPECT_EQ(db.DatabaseObject()->QueryTimeout(), 30);
  db.SetQueryTimeout(45);
  EXPECT_EQ(db.DatabaseObject()->QueryTimeout(), 45);
  EXPECT_TRUE(db.PropertyExists("Version"));
  std::weak_ptr<jet::Database> object = db.DatabaseObject();
  db.Close();
  EXPECT_TRUE(object.expired());
  EXPECT_EQ(log_, (std::vector<std::string>{"BeforeOpen Db1", "AfterOpen Db1", "BeforeClose Db1", "AfterClose Db1"}));
}

TEST_F(DAODataBaseTest, MissingFileIsRefusedBeforeTheEngineIsAsked) {
  TDAODataBase db;
  db.SetName("Db1");
  Watch(db);
  const std::string missing = dir_.File("nowhere.mdb");
  db.SetDatabaseFile(missing);
  Raised raised = RaisedBy([&] { db.Open(); });
  EXPECT_EQ(raised.message,
            ExpectedDetail("Db1", "TDAODataBase", "CreateComObj", "00000000",
                           "Unable to connect to the Database. Database File '" + missing +
                               "' does not exist or is presently not avaiable to the System."));
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(log_, (std::vector<std::string>{"BeforeOpen Db1"}));
}

TEST_F(DAODataBaseTest, PasswordsRightWrongAndMissing) {
  TDAODataBase db;
  db.SetName("Db1");
  db.SetDatabaseFile(secret_file_);
  for (const char* password : {"", "Wrong"}) {
    db.SetJetDBPassword(password);
    Raised refused = RaisedBy([&] { db.Open(); });
    EXPECT_EQ(refused.type, "EDAOError") << password;
    EXPECT_EQ(DetailField(refused.message, "Method Name:"), "CreateCOMObj");
    EXPECT_NE(DetailField(refused.message, "Message:").find("Not a valid password"), std::string::npos);
    EXPECT_NE(DetailField(refused.message, "Address:"), "00000000");
    EXPECT_FALSE(db.Connected());
  }

  db.SetJetDBPassword("Sesame");
  EXPECT_EQ(db.JetConnectParams(), ";pwd=Sesame");
  db.Open();
  EXPECT_TRUE(db.Connected());
  EXPECT_EQ(db.DatabaseObject()->GetEncryption(), jet::Encryption::kPassword);
}

TEST_F(DAODataBaseTest, PasswordInTheConnectText) {
  TDAODataBase db;
  db.SetJetDBPassword("secret");
  EXPECT_EQ(db.JetConnectParams(), ";pwd=secret");
  EXPECT_EQ(db.JetDBPassword(), "secret");
  db.SetJetDBPassword("");
  EXPECT_EQ(db.JetConnectParams(), "");

  db.SetJetConnectParams(";PWD=Abc;  ");  // trailing ';' and blanks go
  EXPECT_EQ(db.JetConnectParams(), ";PWD=Abc");
  EXPECT_EQ(db.JetDBPassword(), "Abc");
  db.SetJetDBPassword("Xyz");
  EXPECT_EQ(db.JetConnectParams(), ";pwd=Xyz");

  // The clause runs to the end of the text: what follows the password belongs to it.
  db.SetJetConnectParams(";pwd=abc;uid=me");
  EXPECT_EQ(db.JetDBPassword(), "abc;uid=me");
  // "pwd" only as a whole word.
  db.SetJetConnectParams(";xpwd=abc");
  EXPECT_EQ(db.JetDBPassword(), "");

  // Appended to other settings, the clause keeps its separator and reads back.
  db.SetJetConnectParams("DATABASE=x");
  db.SetJetDBPassword("pw");
  EXPECT_EQ(db.JetConnectParams(), ";DATABASE=x;pwd=pw");
  EXPECT_EQ(db.JetDBPassword(), "pw");
}

TEST_F(DAODataBaseTest, GuardedSettingsWhileConnected) {
  TDAODataBase db;
  db.SetName("Db1");
  TDAOWorkspace ws;
  db.SetDatabaseFile(file_);
  db.Open();
  EXPECT_NO_THROW(db.SetDatabaseFile(file_));
  EXPECT_NO_THROW(db.SetReadOnly(false));
  EXPECT_NO_THROW(db.SetDAOWorkspace(nullptr));
  EXPECT_NO_THROW(db.SetQueryTimeout(10));
  const std::vector<std::pair<std::string, std::function<void()>>> cases = {
      {"DatabaseFile", [&] { db.SetDatabaseFile(secret_file_); }},
      {"ODBCDataSourceName", [&] { db.SetODBCDataSourceName("dsn"); }},
      {"ReadOnly", [&] { db.SetReadOnly(true); }},
      {"DAOWorkspace", [&] { db.SetDAOWorkspace(&ws); }},
      {"JetExclusive", [&] { db.SetJetExclusive(true); }},
      {"ODBCOptions", [&] { db.SetODBCOptions(ooDriverPrompt); }},
      {"JetConnectParams", [&] { db.SetJetConnectParams(";pwd=x"); }},
      {"JetConnectParams", [&] { db.SetJetDBPassword("x"); }},
      {"ODBCConnectParams", [&] { db.SetODBCConnectParams("ODBC;"); }},
  };
  for (const auto& [property, change] : cases) {
    EXPECT_EQ(RaisedBy(change).message,
              ExpectedDetail("Db1", "TDAODataBase", "CheckInactive", "00000000",
                             "The Property '" + property + "' cannot be changed while the Database is Connected."));
  }
  EXPECT_EQ(ws.DatabaseCount(), 0);
  EXPECT_TRUE(db.Connected());
}

TEST_F(DAODataBaseTest, ExclusiveAndReadOnlyOpens) {
  TDAODataBase first, second;
  first.SetDatabaseFile(file_);
  first.SetJetExclusive(true);
  first.Open();
  second.SetName("Second");
  second.SetDatabaseFile(file_);
  Raised raised = RaisedBy([&] { second.Open(); });
  EXPECT_EQ(DetailField(raised.message, "Method Name:"), "CreateCOMObj");
  EXPECT_NE(DetailField(raised.message, "Message:").find("already in use"), std::string::npos);
  first.Close();
  second.SetReadOnly(true);
  second.Open();
  EXPECT_FALSE(second.DatabaseObject()->Updatable());
}

TEST_F(DAODataBaseTest, CatalogAccessAndTypeChecks) {
  TDAOWorkspace odbc;
  odbc.SetWorkspaceType(wtUseODBC);
  TDAODataBase db;
  db.SetName("Db1");
  db.SetDAOWorkspace(&odbc);
  EXPECT_EQ(db.TableDefs(), nullptr);  // disconnected: none, and no type check
  EXPECT_EQ(db.Containers(), nullptr);
  EXPECT_EQ(db.QueryDefs(), nullptr);
  EXPECT_EQ(RaisedBy([&] { db.FindTableDef("MSysObjects"); }).message,
            ExpectedDetail("Db1", "TDAODataBase", "CheckWorkspaceType", "00000000",
                           "The 'FindTableDef' Method can only be used for Databases in a Workspace of Type: wtUseJet"));
  EXPECT_EQ(DetailField(RaisedBy([&] { db.FindQueryDef("q"); }).message, "Message:"),
            "The 'FindQueryDef' Method can only be used for Databases in a Workspace of Type: wtUseJet");
  // The ODBC data source itself is the engine's refusal for now.
  db.SetODBCDataSourceName("Sales");
  db.SetODBCOptions(ooDriverPrompt);
  Raised odbc_open = RaisedBy([&] { db.Open(); });
  EXPECT_EQ(DetailField(odbc_open.message, "Method Name:"), "CreateCOMObj");
  EXPECT_FALSE(db.Connected());
  EXPECT_TRUE(odbc.Active());  // opened on the way, and it stays open

  db.SetDAOWorkspace(nullptr);
  db.SetDatabaseFile(file_);
  EXPECT_EQ(db.FindTableDef("MSysObjects"), nullptr);  // disconnected
  db.Open();
  auto tables = db.TableDefs();
  ASSERT_NE(tables, nullptr);
  EXPECT_GT(tables->Count(), 0);
  ASSERT_NE(db.Containers(), nullptr);
  EXPECT_NO_THROW(db.Containers()->Item("Tables"));
  EXPECT_EQ(db.QueryDefs()->Count(), 0);
  const std::string system_table = tables->Item(0)->Name();
  EXPECT_EQ(db.FindTableDef(system_table)->Name(), system_table);
  Raised missing = RaisedBy([&] { db.FindTableDef("NoSuchTable"); });
  EXPECT_EQ(missing.type, "EDAOError");
  EXPECT_EQ(DetailField(missing.message, "Method Name:"), "FindTableDef");
  EXPECT_EQ(DetailField(RaisedBy([&] { db.FindQueryDef("NoSuchQuery"); }).message, "Method Name:"), "FindQueryDef");
}

TEST_F(DAODataBaseTest, WithoutAWorkspaceComponentTheDefaultWorkspaceGivesTheType) {
  TDAODataBase db;
  engine_->Close();
  EXPECT_EQ(db.GetWorkspaceType(), wtUseJet);  // no engine root object: Jet
  EXPECT_FALSE(engine_->Active());             // and asking made none
  engine_->SetDefaultWorkspaceType(wtUseODBC);
  engine_->Open();
  EXPECT_EQ(db.GetWorkspaceType(), wtUseODBC);
  EXPECT_EQ(DetailField(RaisedBy([&] { db.FindTableDef("T"); }).message, "Message:"),
            "The 'FindTableDef' Method can only be used for Databases in a Workspace of Type: wtUseJet");
  // An ODBC default workspace opens no file: the missing-file check is for Jet only.
  db.SetDatabaseFile(dir_.File("nowhere.mdb"));
  EXPECT_EQ(DetailField(RaisedBy([&] { db.Open(); }).message, "Method Name:"), "CreateCOMObj");
}

TEST_F(DAODataBaseTest, ExecuteRunsStatementsWhileConnected) {
  TDAODataBase db;
  db.SetName("Db1");
  db.Execute("CREATE TABLE Ignored (ID LONG)");  // disconnected: nothing
  db.SetDatabaseFile(file_);
  db.Open();
  db.Execute("CREATE TABLE Customers (ID LONG, Name TEXT(40))");
  EXPECT_EQ(db.FindTableDef("customers")->Name(), "Customers");
  Raised raised = RaisedBy([&] { db.Execute("CREATE TABLE"); });
  EXPECT_EQ(raised.type, "EDAOError");
  EXPECT_EQ(DetailField(raised.message, "Method Name:"), "Execute");
  EXPECT_FALSE(DetailField(raised.message, "Message:").empty());
  db.Close();
  db.SetReadOnly(true);
  db.Open();
  EXPECT_EQ(DetailField(RaisedBy([&] { db.Execute("DROP TABLE Customers"); }).message, "Method Name:"), "Execute");
  EXPECT_THROW(db.FindTableDef("Ignored"), EDAOError);
}

TEST_F(DAODataBaseTest, OpenRecordsetPassesItsArgumentsWhileConnected) {
  TDAODataBase db;
  db.SetName("Db1");
  EXPECT_EQ(db.OpenRecordset("Customers"), nullptr);  // disconnected: none
  db.SetDatabaseFile(file_);
  db.Open();
  db.Execute("CREATE TABLE Customers (ID LONG, Name TEXT(40))");
  db.Execute("INSERT INTO Customers (ID, Name) VALUES (1, 'Ann')");
  db.Execute("INSERT INTO Customers (ID, Name) VALUES (2, 'Ben')");

  auto by_default = db.OpenRecordset("Customers");  // Empty arguments: the engine's defaults
  ASSERT_NE(by_default, nullptr);
  EXPECT_EQ(by_default->Type(), jet::kOpenTable);
  EXPECT_EQ(by_default->RecordCount(), 2);

  auto snapshot = db.OpenRecordset("SELECT Name FROM Customers ORDER BY ID DESC",
                                   Variant(jet::kOpenSnapshot), Variant(0), Variant());
  ASSERT_NE(snapshot, nullptr);
  EXPECT_EQ(snapshot->Type(), jet::kOpenSnapshot);
  EXPECT_FALSE(snapshot->Updatable());

  // A saved query is found by name and opens by name.
  db.DatabaseObject()->CreateQueryDef("Names", "SELECT Name FROM Customers WHERE ID > 1");
  EXPECT_EQ(db.FindQueryDef("names")->SQL(), "SELECT Name FROM Customers WHERE ID > 1");
  auto from_query = db.OpenRecordset("Names");
  EXPECT_EQ(from_query->Type(), jet::kOpenDynaset);
  EXPECT_EQ(from_query->RecordCount(), 1);

  Raised refused = RaisedBy([&] { db.OpenRecordset("NoSuchTable"); });
  EXPECT_EQ(refused.type, "EDAOError");
  EXPECT_EQ(DetailField(refused.message, "Method Name:"), "OpenRecordset");
  EXPECT_FALSE(DetailField(refused.message, "Message:").empty());
  EXPECT_EQ(DetailField(RaisedBy([&] { db.OpenRecordset("Customers", Variant(jet::kOpenDynamic)); }).message, "Method Name:"),
            "OpenRecordset");  // dynamic cursors belong to ODBC workspaces
}

TEST_F(DAODataBaseTest, TransactionDepthFollowsTheEngine) {
  TDAODataBase db;
  db.BeginTrans();  // disconnected: nothing
  EXPECT_EQ(db.TransactionDepth(), 0);
  db.SetDatabaseFile(file_);
  db.Open();
  db.BeginTrans();
  db.BeginTrans();
  EXPECT_TRUE(db.InTransaction());
  EXPECT_EQ(db.TransactionDepth(), 2);
  EXPECT_EQ(db.DatabaseObject()->TransactionDepth(), 2);
  db.CommitTrans();
  db.Rollback();
  EXPECT_FALSE(db.InTransaction());
  // Without a transaction the engine refuses; the depth stays at 0.
  EXPECT_EQ(DetailField(RaisedBy([&] { db.CommitTrans(); }).message, "Method Name:"), "CommitTrans");
  EXPECT_EQ(DetailField(RaisedBy([&] { db.Rollback(); }).message, "Method Name:"), "Rollback");
  EXPECT_EQ(db.TransactionDepth(), 0);
  for (int i = 0; i < 5; ++i) db.BeginTrans();
  EXPECT_EQ(DetailField(RaisedBy([&] { db.BeginTrans(); }).message, "Method Name:"), "BeginTrans");
  EXPECT_EQ(db.TransactionDepth(), 5);
  // Disconnecting ends the open transactions with the Database.
  db.Close();
  EXPECT_FALSE(db.InTransaction());
}

TEST_F(DAODataBaseTest, DisconnectClosesRecordsetsInListOrderAndKeepsTheirDatabase) {
  TDAODataBase db;
  db.SetName("Db1");
  Watch(db);
  db.SetDatabaseFile(file_);
  RecordsetStandIn rs1("Rs1", log_), rs2("Rs2", log_);
  rs2.SetDatabase(&db);
  rs1.SetDatabase(&db);
  db.AddRecordset(&rs1);  // no duplicates
  EXPECT_EQ(db.RecordsetCount(), 2);
  db.Open();
  log_.clear();
  db.Close();
  EXPECT_EQ(log_, (std::vector<std::string>{"BeforeClose Db1", "Close Rs2 +", "Close Rs1 +", "AfterClose Db1"}));
  EXPECT_EQ(rs1.database_, &db);
  EXPECT_EQ(db.RecordsetCount(), 2);
}

TEST_F(DAODataBaseTest, DestructionDetachesRecordsetsLastFirstAndLeavesTheWorkspace) {
  TDAOWorkspace ws;
  auto db = std::make_unique<TDAODataBase>();
  db->SetDAOWorkspace(&ws);
  db->SetDatabaseFile(file_);
  RecordsetStandIn rs1("Rs1", log_), rs2("Rs2", log_);
  rs1.SetDatabase(db.get());
  rs2.SetDatabase(db.get());
  db->Open();
  log_.clear();
  db.reset();
  EXPECT_EQ(log_, (std::vector<std::string>{"Close Rs1 +", "Close Rs2 +", "Detach Rs2", "Detach Rs1"}));
  EXPECT_EQ(rs1.database_, nullptr);
  EXPECT_EQ(ws.DatabaseCount(), 0);
  EXPECT_TRUE(ws.Active());
}

TEST_F(DAODataBaseTest, WorkspaceTypeChangeRechecksBoundRecordsets) {
  TDAOWorkspace ws;
  TDAODataBase db1, db2;
  db1.SetDAOWorkspace(&ws);
  db2.SetDAOWorkspace(&ws);
  RecordsetStandIn rs1("Rs1", log_), rs2("Rs2", log_);
  rs1.SetDatabase(&db1);
  rs2.SetDatabase(&db2);
  rs2.refuse = true;
  Raised raised = RaisedBy([&] { ws.SetWorkspaceType(wtUseODBC); });
  EXPECT_EQ(raised.message, "The lock strategy is not allowed for this workspace type.");
  EXPECT_EQ(ws.WorkspaceType(), wtUseJet);
  EXPECT_EQ(db1.GetWorkspaceType(), wtUseJet);
  rs2.refuse = false;
  ws.SetWorkspaceType(wtUseODBC);
  EXPECT_EQ(db2.GetWorkspaceType(), wtUseODBC);
  EXPECT_EQ(log_, (std::vector<std::string>{"Recheck Rs1", "Recheck Rs2", "Recheck Rs1", "Recheck Rs2"}));
}

TEST_F(DAODataBaseTest, WorkspaceDestructionDisconnectsAndUnbindsItsDatabases) {
  auto ws = std::make_unique<TDAOWorkspace>();
  TDAODataBase db1, db2;
  db1.SetDAOWorkspace(ws.get());
  db2.SetDAOWorkspace(ws.get());
  db1.SetDatabaseFile(file_);
  db1.Open();  // opens the workspace on the way
  EXPECT_TRUE(ws->Active());
  EXPECT_EQ(ws->DatabaseCount(), 2);
  ws.reset();
  EXPECT_FALSE(db1.Connected());
  EXPECT_EQ(db1.DAOWorkspace(), nullptr);
  EXPECT_EQ(db2.DAOWorkspace(), nullptr);
}

TEST_F(DAODataBaseTest, WrongLoginOfItsWorkspaceComponentPropagatesAsTheWorkspaceRaisedIt) {
  TDAOWorkspace ws;
  ws.SetName("Ws1");
  ws.SetPassword("bad");
  TDAODataBase db;
  db.SetDAOWorkspace(&ws);
  db.SetDatabaseFile(file_);
  Raised raised = RaisedBy([&] { db.Open(); });
  EXPECT_EQ(DetailField(raised.message, "Component Name:"), "Ws1");
  EXPECT_EQ(DetailField(raised.message, "Method Name:"), "CreateCOMObj");
  EXPECT_EQ(raised.message.find("Exeption", 10), std::string::npos);  // not wrapped twice
}

TEST_F(DAODataBaseTest, EngineDeactivationClosesWorkspacesAndDatabasesInCreationOrder) {
  Watch(*engine_);
  TDAOWorkspace ws1;
  ws1.SetName("Ws1");
  TDAODataBase db_a;
  db_a.SetName("DbA");
  TDAODataBase db_b;
  db_b.SetName("DbB");
  TDAOWorkspace ws2;
  ws2.SetName("Ws2");
  TDAODataBase db_c;
  db_c.SetName("DbC");
  for (TDAOWorkspace* ws : {&ws1, &ws2}) Watch(*ws);
  for (TDAODataBase* db : {&db_a, &db_b, &db_c}) {
    Watch(*db);
    db->SetDatabaseFile(file_);
  }
  db_b.SetDAOWorkspace(&ws1);
  db_c.SetDAOWorkspace(&ws2);
  db_c.Open();
  db_b.Open();
  db_a.Open();  // the default workspace
  std::weak_ptr<jet::Workspace> engine_ws = ws1.WorkspaceObject();
  log_.clear();
  engine_->Close();
  EXPECT_EQ(log_, (std::vector<std::string>{
                      "BeforeClose DAOEngine1",
                      "BeforeClose Ws1", "BeforeClose DbB", "AfterClose DbB", "AfterClose Ws1",
                      "BeforeClose DbA", "AfterClose DbA",
                      "BeforeClose Ws2", "BeforeClose DbC", "AfterClose DbC", "AfterClose Ws2",
                      "AfterClose DAOEngine1"}));
  for (TDAODataBase* db : {&db_a, &db_b, &db_c}) EXPECT_FALSE(db->Connected());
  EXPECT_FALSE(ws1.Active());
  EXPECT_FALSE(ws2.Active());
  EXPECT_TRUE(engine_ws.expired());
  EXPECT_FALSE(engine_->Active());
}

TEST_F(DAODataBaseTest, AssignCopiesTheSettingsAndConnectsLikeTheSource) {
  TDAOWorkspace ws;
  TDAODataBase source, target;
  source.SetDAOWorkspace(&ws);
  source.SetDatabaseFile(secret_file_);
  source.SetJetDBPassword("Sesame");
  source.SetQueryTimeout(12);
  source.SetReadOnly(true);
  source.Open();
  target.Assign(&source);
  EXPECT_TRUE(target.Connected());
  EXPECT_EQ(target.DAOWorkspace(), &ws);
  EXPECT_EQ(target.JetDBPassword(), "Sesame");
  EXPECT_EQ(target.DatabaseObject()->QueryTimeout(), 12);
  EXPECT_FALSE(target.DatabaseObject()->Updatable());
  EXPECT_EQ(ws.DatabaseCount(), 2);
  EXPECT_THROW(target.Assign(&ws), Exception);
}

TEST_F(DAODataBaseTest, FormConnectsAfterLoadingWithScrambledConnectText) {
  std::string text;
  {
    TDAOTestForm form;
    form.SetName("MainForm");
    auto* ws = new TDAOWorkspace(&form);
    ws->SetName("DAOWorkspace1");
    auto* db = new TDAODataBase(&form);
    db->SetName("DAODataBase1");
    db->SetDAOWorkspace(ws);
    db->SetDatabaseFile(secret_file_);
    db->SetJetDBPassword("Sesame");
    db->SetODBCConnectParams("ODBC;UID=me;PWD=Hidden");
    db->Open();
    EXPECT_EQ(db->DesignMasterID(), "(No Master ID Defined)");
    text = WriteComponentText(&form);
  }
  EXPECT_EQ(text.find("Sesame"), std::string::npos);
  EXPECT_EQ(text.find("Hidden"), std::string::npos);
  EXPECT_NE(text.find("Connected = True"), std::string::npos);
  EXPECT_NE(text.find("DAOWorkspace = DAOWorkspace1"), std::string::npos);
  EXPECT_NE(text.find("DesignMasterID = '(No Master ID Defined)'"), std::string::npos);
  EXPECT_EQ(text.find("JetDBPassword"), std::string::npos);

  std::unique_ptr<TComponent> form(ReadNewComponentText(text, nullptr));
  auto* ws = dynamic_cast<TDAOWorkspace*>(form->FindComponent("DAOWorkspace1"));
  auto* db = dynamic_cast<TDAODataBase*>(form->FindComponent("DAODataBase1"));
  ASSERT_NE(db, nullptr);
  EXPECT_TRUE(db->Connected());
  EXPECT_TRUE(ws->Active());
  EXPECT_EQ(ws->DatabaseCount(), 1);
  EXPECT_EQ(db->JetDBPassword(), "Sesame");
  EXPECT_EQ(db->ODBCConnectParams(), "ODBC;UID=me;PWD=Hidden");
}

TEST_F(DAODataBaseTest, ReferenceToAFormNotCreatedYetRefusesToConnect) {
  const std::string other = "object OtherForm: TDAOTestForm\n"
                            "  object DAOWorkspace1: TDAOWorkspace\n"
                            "  end\n"
                            "end\n";
  const std::string mine = "object MyForm: TDAOTestForm\n"
                           "  object DAODataBase1: TDAODataBase\n"
                           "    DatabaseFile = '" + file_ + "'\n"
                           "    DAOWorkspace = OtherForm.DAOWorkspace1\n"
                           "    Connected = True\n"
                           "  end\n"
                           "end\n";
  const std::string message =
      "Can't open the Database because it is linked to Components on other Forms that haven't been Created jet.";
  Raised raised = RaisedBy([&] { std::unique_ptr<TComponent>(ReadNewComponentText(mine, nullptr)); });
  EXPECT_EQ(raised.message, ExpectedDetail("DAODataBase1", "TDAODataBase", "CreateComObj", "00000000", message));

  // Not connected while loading: the component waits, refuses to connect, then connects once the
  // other form exists.
  std::string idle = mine;
  idle.erase(idle.find("    Connected = True\n"), 21);
  std::unique_ptr<TComponent> form(ReadNewComponentText(idle, nullptr));
  auto* db = dynamic_cast<TDAODataBase*>(form->FindComponent("DAODataBase1"));
  EXPECT_EQ(DetailField(RaisedBy([&] { db->Open(); }).message, "Message:"), message);
  std::unique_ptr<TComponent> other_form(ReadNewComponentText(other, nullptr));
  auto* ws = dynamic_cast<TDAOWorkspace*>(other_form->FindComponent("DAOWorkspace1"));
  EXPECT_EQ(db->DAOWorkspace(), ws);
  EXPECT_EQ(ws->DatabaseCount(), 1);
  db->Open();
  EXPECT_TRUE(db->Connected());
  other_form.reset();  // the workspace goes: the database is disconnected and unbound
  EXPECT_FALSE(db->Connected());
  EXPECT_EQ(db->DAOWorkspace(), nullptr);
}

TEST_F(DAODataBaseTest, EngineMaintenanceCalls) {
  const std::string copy = dir_.File("copy.mdb");
  engine_->CompactDatabase(file_, copy);
  TDAODataBase db;
  db.SetDatabaseFile(copy);
  db.Open();
  EXPECT_TRUE(db.Connected());
  db.Close();

  Raised exists = RaisedBy([&] { engine_->CompactDatabase(file_, copy); });
  EXPECT_EQ(DetailField(exists.message, "Component Name:"), "DAOEngine1");
  EXPECT_EQ(DetailField(exists.message, "Method Name:"), "CompactDatabase");
  EXPECT_NE(DetailField(exists.message, "Message:").find("already exists"), std::string::npos);
  EXPECT_EQ(DetailField(RaisedBy([&] { engine_->CreateDatabase(file_, "1033"); }).message, "Method Name:"),
            "CreateDatabase");
  EXPECT_EQ(DetailField(RaisedBy([&] { engine_->RepairDatabase(dir_.File("none.mdb")); }).message, "Method Name:"),
            "RepairDatabase");
  EXPECT_NO_THROW(engine_->RepairDatabase(file_));

  engine_->Close();  // inactive: nothing happens
  EXPECT_EQ(engine_->CreateDatabase(dir_.File("new.mdb"), "1033"), nullptr);
  EXPECT_NO_THROW(engine_->CompactDatabase(file_, copy));
  EXPECT_NO_THROW(engine_->RepairDatabase(dir_.File("none.mdb")));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("new.mdb")));
}

}  // namespace
}  // namespace qb::test
