// Configuration and opening of the recordset component: guarded settings, workspace rules
// (also re-checked when the workspace type changes), the open options sent to the engine,
// refusals while opening that leave the recordset closed, the database's recordset list,
// saved queries with parameters, and the index of a table recordset.
#include <gtest/gtest.h>

#include "core/resource_strings.h"
#include "engine/dao_workspace.h"
#include "framework/data/field.h"
#include "jet/dao/database.h"
#include "jet/dao/querydef.h"
#include "jet/recordset/recordset.h"
#include "recordset/recordset_fixture.h"

namespace qb::test {
namespace {

class ConfigTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    Exec("CREATE TABLE People (Id COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(20), Amount LONG)");
    Exec("CREATE INDEX ByName ON People (Name)");
    for (const char* name : {"Cid", "Ann", "Bob"})
      Exec(std::string("INSERT INTO People (Name, Amount) VALUES ('") + name + "', 1)");
  }
};

TEST_F(ConfigTest, SettingsAreRefusedWhileOpen) {
  auto rs = Make(rtTable, "People");
  rs->Open();
  struct Case {
    const char* property;
    std::function<void()> set;
  } cases[] = {
      {"Options", [&] { rs->SetOptions(0); }},
      {"RecordSetType", [&] { rs->SetRecordSetType(rtQuery); }},
      {"LockStrategy", [&] { rs->SetLockStrategy(lkOptimistic); }},
      {"DAODatabase", [&] { rs->SetDAODatabase(nullptr); }},
  };
  for (const Case& c : cases) {
    const Raised raised = RaisedBy(c.set);
    EXPECT_EQ(raised.text, Format(ResString(kResRecordsetPropertyWhileActive), c.property));
    EXPECT_EQ(raised.method, "CheckRSInactive");
  }
  const Raised table = RaisedBy([&] { rs->SetTableName("Other"); });
  EXPECT_EQ(table.text, ResString(kResTableNameFixedTable));
  EXPECT_TRUE(rs->Active());
  EXPECT_EQ(rs->Options(), Opt(roFixCursorDuringEditAndInsert));
  rs->Close();
  rs->SetOptions(0);
  EXPECT_EQ(rs->Options(), 0u);
}

TEST_F(ConfigTest, WorkspaceRulesOfTheSettings) {
  auto rs = Make(rtQuery, "SELECT * FROM People");
  const Raised batch = RaisedBy([&] { rs->SetBatchInstructionCount(5); });
  EXPECT_EQ(batch.text, Format(ResString(kResRecordsetWrongWorkspaceType), "'BatchInstructionCount' Property", "wtUseODBC"));
  const Raised dynamic = RaisedBy([&] { rs->SetRecordSetType(rtDynamic); });
  EXPECT_EQ(dynamic.text, Format(ResString(kResRecordsetWrongWorkspaceType), "Rrecordset Type 'rtDynamic'", "wtUseODBC"));
  EXPECT_EQ(dynamic.method, "CheckWorkspaceType");
  const Raised lock = RaisedBy([&] { rs->SetLockStrategy(lkOptimisticBatch); });
  EXPECT_EQ(lock.text, Format(ResString(kResRecordsetWrongWorkspaceType), "Lock Strategy 'lkOptimisticBatch'", "wtUseODBC"));
  const Raised unknown = RaisedBy([&] { rs->SetRecordSetType(static_cast<TRecordSetTypes>(9)); });
  EXPECT_EQ(unknown.text, ResString(kResUnknownRecordSetType));
  EXPECT_EQ(rs->RecordSetType(), rtQuery);
  EXPECT_EQ(rs->LockStrategy(), lkPessimistic);
  EXPECT_EQ(rs->BatchInstructionCount(), 0);
}

TEST_F(ConfigTest, AWorkspaceTypeChangeRechecksEveryBoundRecordset) {
  database_->Close();
  TDAOWorkspace workspace;
  workspace.SetName("Ws1");
  database_->SetDAOWorkspace(&workspace);
  auto table = Make(rtTable, "People");
  auto query = Make(rtQuery, "SELECT * FROM People");
  const Raised refused = RaisedBy([&] { workspace.SetWorkspaceType(wtUseODBC); });
  EXPECT_EQ(refused.text, Format(ResString(kResRecordsetWrongWorkspaceType), "Rrecordset Type 'rtTable'", "wtUseJet"));
  EXPECT_EQ(workspace.WorkspaceType(), wtUseJet) << "a refused change is taken back";
  table->SetRecordSetType(rtSnapshot);
  workspace.SetWorkspaceType(wtUseODBC);
  query->SetLockStrategy(lkOptimisticBatch);
  const Raised back = RaisedBy([&] { workspace.SetWorkspaceType(wtUseJet); });
  EXPECT_EQ(back.text, Format(ResString(kResRecordsetWrongWorkspaceType), "Lock Strategy 'lkOptimisticBatch'", "wtUseODBC"));
  EXPECT_EQ(workspace.WorkspaceType(), wtUseODBC);
  query->SetLockStrategy(lkOptimistic);
  workspace.SetWorkspaceType(wtUseJet);
  EXPECT_EQ(workspace.WorkspaceType(), wtUseJet);
  database_->SetDAOWorkspace(nullptr);
}

TEST_F(ConfigTest, OpenOptionsSentToTheEngine) {
  struct Case {
    TRecordSetOptions options;
    TRecordSetTypes type;
    TWorkspaceTypes workspace;
    int expected;
  } cases[] = {
      {Opt(roFailOnError) | Opt(roReadOnly), rtQuery, wtUseODBC, 128},
      {Opt(roFailOnError) | Opt(roReadOnly), rtQuery, wtUseJet, 132},
      {Opt(roDenyRead) | Opt(roDenyWrite), rtTable, wtUseJet, 3},
      {Opt(roDenyRead) | Opt(roDenyWrite), rtQuery, wtUseJet, 1},
      {Opt(roAppendOnly) | Opt(roSeeChanges) | Opt(roSQLPassThrough), rtQuery, wtUseJet, 8 + 512},
      {Opt(roSQLPassThrough) | Opt(roForwardOnly) | Opt(roConsistent), rtSnapshot, wtUseJet, 64 + 256 + 32},
      {Opt(roRunAsync) | Opt(roExecDirect), rtSnapshot, wtUseJet, 0},
      {Opt(roRunAsync) | Opt(roExecDirect), rtSnapshot, wtUseODBC, 3072},
      {Opt(roFixCursorDuringEditAndInsert) | Opt(roSetEmptyStringsAsNULLValues), rtTable, wtUseJet, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(EngineOpenOptions(c.options, c.type, c.workspace), c.expected) << c.options;
  EXPECT_EQ(EngineUpdateOptions(Upd(ouCriteriaKey) | Upd(ouCriteriaUpdate)), 33);
}

TEST_F(ConfigTest, ARefusedOpenLeavesTheRecordsetClosedWithoutFields) {
  struct Case {
    const char* what;
    std::function<std::unique_ptr<TDAORecordset>()> make;
    std::string text;
    const char* method;
  } cases[] = {
      {"no database", [&] { auto rs = Make(rtTable, "People"); rs->SetDAODatabase(nullptr); return rs; },
       ResString(kResRecordsetNeedsDatabase), "CheckForAbleToOpen"},
      {"no table", [&] { return Make(rtTable, ""); }, ResString(kResTableNameEmpty), "CheckForAbleToOpen"},
      {"no saved query", [&] { return Make(rtStoredProcedure, ""); }, ResString(kResStoredProcNameEmpty),
       "CheckForAbleToOpen"},
      {"no statement", [&] { return Make(rtQuery, ""); }, ResString(kResSqlStatementEmpty), "CheckForAbleToOpen"},
      {"missing table", [&] { return Make(rtTable, "Nowhere"); }, "", "CreateCOMObj"},
      {"bad statement", [&] { return Make(rtSnapshot, "SELECT FROM WHERE"); }, "", "OpenRecordset"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto rs = c.make();
    const Raised raised = RaisedBy([&] { rs->Open(); });
    EXPECT_EQ(raised.type, "EDAOError");
    if (!c.text.empty()) {
      EXPECT_EQ(raised.text, c.text);
    }
    EXPECT_EQ(raised.method, c.method);
    EXPECT_FALSE(rs->Active());
    EXPECT_FALSE(rs->CursorIsOpen());
    EXPECT_TRUE(rs->Fields().empty());
  }
}

TEST_F(ConfigTest, OpeningConnectsTheDatabaseWhichClosesItsRecordsetsAgain) {
  database_->Close();
  auto first = Make(rtTable, "People");
  auto second = Make(rtQuery, "SELECT * FROM People");
  EXPECT_EQ(database_->RecordsetCount(), 2);
  first->Open();
  second->Open();
  EXPECT_TRUE(database_->Connected());
  database_->Close();
  EXPECT_FALSE(first->Active());
  EXPECT_FALSE(second->Active());
  second.reset();
  EXPECT_EQ(database_->RecordsetCount(), 1);
  database_.reset();
  EXPECT_EQ(first->DAODatabase(), nullptr) << "a database going away unbinds its recordsets";
}

TEST_F(ConfigTest, ASavedQueryOpensOnlyWhenItsParametersHaveValues) {
  database_->DatabaseObject()->CreateQueryDef("AllPeople", "SELECT * FROM People ORDER BY Name");
  database_->DatabaseObject()->CreateQueryDef("Named", "PARAMETERS Who TEXT; SELECT * FROM People WHERE Name = Who");
  auto all = Make(rtStoredProcedure, "AllPeople");
  all->Open();
  EXPECT_EQ(Walk(*all), "Ann,Bob,Cid");
  EXPECT_EQ(all->TableName(), "AllPeople");
  auto named = Make(rtStoredProcedure, "Named");
  gui_->ExpectMessageBox(IDOK).TextContains("SQL Parameter 'Who' of stored Procedure 'Named' has no Value");
  EXPECT_FALSE(RaisedBy([&] { named->Open(); }).Any());
  EXPECT_FALSE(named->Active());
  const Raised missing = RaisedBy([&] { Make(rtStoredProcedure, "Nothing")->Open(); });
  EXPECT_EQ(missing.method, "CreateCOMObj");
}

TEST_F(ConfigTest, AnIndexOrdersATableRecordsetAndKeepsTheActiveRecord) {
  auto rs = Make(rtTable, "People");
  rs->SetIndex("ByName");
  rs->SetOnlyIdxFieldVisible(true);
  rs->Open();
  EXPECT_EQ(Walk(*rs), "Ann,Bob,Cid");
  EXPECT_TRUE(rs->FieldByName("Name")->Visible());
  EXPECT_FALSE(rs->FieldByName("Amount")->Visible());
  rs->First();
  rs->Next();  // Bob
  rs->SetIndex("PK");
  EXPECT_EQ(rs->FieldByName("Name")->AsString(), "Bob");
  EXPECT_EQ(Walk(*rs), "Cid,Ann,Bob");
  auto query = Make(rtQuery, "SELECT * FROM People");
  query->Open();
  EXPECT_EQ(RaisedBy([&] { query->SetIndex("ByName"); }).text, ResString(kResIndexNotAllowed));
}

}  // namespace
}  // namespace qb::test
