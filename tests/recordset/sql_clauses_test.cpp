// The recordset's statement: how it is stored, its clauses read and replaced, TableName by
// recordset type and in form text, and the statement of a saved query read and written at once.
#include <gtest/gtest.h>

#include "core/resource_strings.h"
#include "engine/dao_workspace.h"
#include "framework/data/field.h"
#include "jet/dao/database.h"
#include "jet/dao/querydef.h"
#include "recordset/recordset_fixture.h"

namespace qb::test {
namespace {

class SqlClausesTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    Exec("CREATE TABLE People (Id COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(20), Amount LONG)");
    for (const char* name : {"Cid", "Ann", "Bob"})
      Exec(std::string("INSERT INTO People (Name, Amount) VALUES ('") + name + "', 1)");
  }
  std::string SavedSQL(const std::string& name) { return database_->DatabaseObject()->QueryDefs()->Item(name)->SQL(); }
};

TEST_F(SqlClausesTest, AStatementIsStoredNormalised) {
  struct Case {
    const char* given;
    const char* stored;  // GetSQLText
  } cases[] = {
      {"  SELECT a FROM t  \r\n", "SELECT a FROM t;\r\n"},
      {"SELECT a FROM t;;", "SELECT a FROM t;\r\n"},
      {"SELECT a FROM t WHERE n = 'x;y';", "SELECT a FROM t WHERE n = 'xy';\r\n"},
      {"PARAMETERS [p] Text SELECT a FROM t", "PARAMETERS [p] Text; SELECT a FROM t;\r\n"},
      {"parameters p Long,\r\n q Text;\r\nselect a from t", "parameters p Long,\r\n q Text;\r\nselect a from t;\r\n"},
      {"SELECT a\nFROM t", "SELECT a\r\nFROM t;\r\n"},
      {" \t\r\n", ""},
  };
  auto rs = Make(rtQuery, "");
  for (const Case& c : cases) {
    rs->SetSQLText(c.given);
    EXPECT_EQ(rs->GetSQLText(), c.stored) << c.given;
  }
  rs->SetSQL({"SELECT *", "FROM People"});
  EXPECT_EQ(rs->SQL(), (std::vector<std::string>{"SELECT *", "FROM People;"}));
}

TEST_F(SqlClausesTest, ClausesAreCutOutOfTheStatement) {
  struct Case {
    const char* statement;
    std::string (TDAOBaseRecordset::*getter)() const;
    const char* expected;
  } cases[] = {
      {"SELECT DISTINCT a, b FROM t", &TDAOBaseRecordset::SQLSelectedFields, "DISTINCT a, b"},
      {"SELECT a FROM x INNER JOIN y ON x.k = y.k", &TDAOBaseRecordset::TableName, "x INNER"},
      {"SELECT a FROM t", &TDAOBaseRecordset::SQLFilter, ""},
      {"SELECT a FROM t WHERE k = 1", &TDAOBaseRecordset::SQLFilter, "k = 1;"},
      {"SELECT a FROM t WHERE k = 1 ORDER BY b", &TDAOBaseRecordset::SQLFilter, "k = 1"},
      {"SELECT a FROM t ORDER BY b DESC, c", &TDAOBaseRecordset::SQLSortField, "b DESC, c"},
      {"select a from t where k = 1 group by a having count(*) > 1 order by a",
       &TDAOBaseRecordset::SQLGroupBy, "a"},
      {"select a from t group by a having count(*) > 1 order by a", &TDAOBaseRecordset::SQLHaving, "count(*) > 1"},
      {"SELECT a FROM t GROUP  BY a", &TDAOBaseRecordset::SQLGroupBy, ""},
      {"SELECT a FROM t GROUP  BY a", &TDAOBaseRecordset::TableName, "t GROUP  BY a"},
      {"UPDATE t SET a = 1 WHERE b = 2", &TDAOBaseRecordset::SQLSelectedFields, "t SET a = 1"},
  };
  for (const Case& c : cases) {
    auto rs = Make(rtQuery, c.statement);
    EXPECT_EQ((rs.get()->*c.getter)(), c.expected) << c.statement;
  }
}

TEST_F(SqlClausesTest, SettingAClauseRebuildsTheStatement) {
  using Setter = void (TDAOBaseRecordset::*)(const std::string&);
  struct Case {
    const char* statement;
    Setter setter;
    const char* value;
    const char* expected;
  } cases[] = {
      {"SELECT a FROM t ORDER BY b;", &TDAOBaseRecordset::SetSQLFilter, "k = 1",
       "SELECT a FROM t WHERE k = 1\r\nORDER BY b;\r\n"},
      {"SELECT a FROM t", &TDAOBaseRecordset::SetSQLSortField, "a DESC", "SELECT a FROM t\r\nORDER BY a DESC;\r\n"},
      {"SELECT a FROM t WHERE k = 1 ORDER BY b", &TDAOBaseRecordset::SetSQLFilter, "", "SELECT a FROM t ORDER BY b;\r\n"},
      {"SELECT a FROM t ORDER BY b", &TDAOBaseRecordset::SetSQLSortField, "", "SELECT a FROM t;\r\n"},
      {"SELECT a FROM t ORDER BY b", &TDAOBaseRecordset::SetSQLSelectedFields, "a, b",
       "SELECT a, b\r\nFROM t ORDER BY b;\r\n"},
      {"SELECT a FROM t WHERE x = 1", &TDAOBaseRecordset::SetTableName, "People", "SELECT a FROM People\r\nWHERE x = 1;\r\n"},
      {"SELECT a FROM t ORDER BY a", &TDAOBaseRecordset::SetSQLGroupBy, "a", "SELECT a FROM t GROUP BY a\r\nORDER BY a;\r\n"},
      {"SELECT a FROM t GROUP BY a", &TDAOBaseRecordset::SetSQLHaving, "COUNT(*) > 1",
       "SELECT a FROM t GROUP BY a\r\nHAVING COUNT(*) > 1;\r\n"},
  };
  for (const Case& c : cases) {
    auto rs = Make(rtQuery, c.statement);
    (rs.get()->*c.setter)(c.value);
    EXPECT_EQ(rs->GetSQLText(), c.expected) << c.statement << " <- " << c.value;
  }
}

TEST_F(SqlClausesTest, SettingAClauseToItsValueLeavesTheStatementAlone) {
  auto rs = Make(rtQuery, "");
  rs->SetSQLText("SELECT a FROM t WHERE k = 1");
  rs->SetSQL({"SELECT a FROM t ORDER BY b"});  // stored as given but for the closing ";"
  rs->SetSQLSortField("b");
  EXPECT_EQ(rs->GetSQLText(), "SELECT a FROM t ORDER BY b;\r\n");
  rs->SetSQLSortField("B");  // a different value: case counts
  EXPECT_EQ(rs->GetSQLText(), "SELECT a FROM t ORDER BY B;\r\n");
}

TEST_F(SqlClausesTest, AChangedStatementOpensAtTheNextOpening) {
  auto rs = Make(rtQuery, "SELECT * FROM People ORDER BY Name");
  rs->Open();
  rs->SetSQLSortField("Name DESC");
  EXPECT_EQ(Walk(*rs), "Ann,Bob,Cid") << "an open recordset stays on its statement";
  rs->Close();
  rs->SetSQLFilter("Name <> 'Bob'");
  rs->Open();
  EXPECT_EQ(Walk(*rs), "Cid,Ann");
}

TEST_F(SqlClausesTest, OnlyTheSortFieldOfAStatementIsShown) {
  auto rs = Make(rtQuery, "SELECT * FROM People ORDER BY Name");
  rs->SetOnlyIdxFieldVisible(true);
  rs->Open();
  EXPECT_TRUE(rs->FieldByName("Name")->Visible());
  EXPECT_FALSE(rs->FieldByName("Amount")->Visible());
  // Re-sorted and run again in place: the new sort field is the one shown.
  rs->SetSQLSortField("Amount");
  rs->ReexecuteQuery();
  EXPECT_FALSE(rs->FieldByName("Name")->Visible());
  EXPECT_TRUE(rs->FieldByName("Amount")->Visible());
}

TEST_F(SqlClausesTest, TableNameByRecordsetType) {
  auto table = Make(rtTable, "People");
  table->Open();
  EXPECT_EQ(RaisedBy([&] { table->SetTableName("Other"); }).text, ResString(kResTableNameFixedTable));
  EXPECT_EQ(table->TableName(), "People");
  database_->DatabaseObject()->CreateQueryDef("AllPeople", "SELECT * FROM People");
  auto procedure = Make(rtStoredProcedure, "AllPeople");
  procedure->Open();
  const Raised fixed = RaisedBy([&] { procedure->SetTableName("Other"); });
  EXPECT_EQ(fixed.text, ResString(kResTableNameFixedStoredProc));
  EXPECT_EQ(fixed.method, "SetTableName");
  auto query = Make(rtQuery, "SELECT * FROM People");
  query->Open();
  query->SetTableName("Other");  // the statement's FROM clause, open or not
  EXPECT_EQ(query->GetSQLText(), "SELECT * FROM Other;\r\n");
}

TEST_F(SqlClausesTest, AStoredProcedureStatementIsTheSavedQuery) {
  database_->DatabaseObject()->CreateQueryDef("Q1", "SELECT * FROM People");
  auto rs = Make(rtStoredProcedure, "Q1");
  EXPECT_EQ(rs->GetSQLText(), "SELECT * FROM People");
  EXPECT_EQ(rs->SQL(), (std::vector<std::string>{"SELECT * FROM People"}));
  rs->SetSQLFilter("Name = 'Bob'");
  EXPECT_EQ(SavedSQL("Q1"), "SELECT * FROM People\r\nWHERE Name = 'Bob';") << "written at once";
  EXPECT_EQ(rs->SQLFilter(), "Name = 'Bob';");
  rs->Open();
  EXPECT_EQ(Walk(*rs), "Bob");

  // A statement the engine refuses is reported; the saved query keeps its SQL.
  const Raised refused = RaisedBy([&] { rs->SetSQLText("SELEC nothing"); });
  EXPECT_EQ(refused.method, "SetSQL");
  EXPECT_EQ(SavedSQL("Q1"), "SELECT * FROM People\r\nWHERE Name = 'Bob';");

  // No such saved query, or no database: nothing is read or written, and nothing fails.
  auto missing = Make(rtStoredProcedure, "Nothing");
  EXPECT_EQ(missing->GetSQLText(), "");
  EXPECT_FALSE(RaisedBy([&] { missing->SetSQLText("SELECT 1"); }).Any());
  missing->SetDAODatabase(nullptr);
  EXPECT_FALSE(RaisedBy([&] { missing->SetSQLText("SELECT 1"); }).Any());
}

TEST_F(SqlClausesTest, AStoredProcedureStatementNeedsAJetWorkspace) {
  database_->Close();
  TDAOWorkspace workspace;
  workspace.SetName("Ws1");
  database_->SetDAOWorkspace(&workspace);
  auto rs = Make(rtQuery, "SELECT 1");
  workspace.SetWorkspaceType(wtUseODBC);
  // The type was set before the workspace changed.
  auto procedure = std::make_unique<TDAORecordset>();
  procedure->SetName("DAORecordset2");
  procedure->SetRecordSetType(rtStoredProcedure);
  procedure->SetDAODatabase(database_.get());
  const Raised raised = RaisedBy([&] { procedure->GetSQLText(); });
  EXPECT_EQ(raised.text, Format(ResString(kResRecordsetWrongWorkspaceType), "SQL property", "wtUseJet"));
  procedure.reset();
  rs.reset();
  workspace.SetWorkspaceType(wtUseJet);
  database_->SetDAOWorkspace(nullptr);
}

}  // namespace
}  // namespace qb::test
