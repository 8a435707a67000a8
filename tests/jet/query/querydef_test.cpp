// Saved and temporary query definitions: storing, renaming and deleting them, their text and
// type, parameters with values kept per object, result fields, Execute, and what survives a
// reopen (and what a temporary query never leaves behind).
#include <gtest/gtest.h>

#include "../database/database_test_support.h"
#include "jet/dao/database.h"
#include "jet/dao/property.h"
#include "jet/query/query_execution.h"
#include "jet/query/query_rows.h"
#include "jet/dao/querydef.h"
#include "jet/catalog/schema_model.h"

namespace qb::jet::test {
namespace {

class QueryDefTest : public DatabaseTestBase {
 protected:
  void SetUp() override {
    DatabaseTestBase::SetUp();
    path_ = dir_.File("queries.mdb");
    db_ = engine_->CreateDatabase(path_, "1033", 0);
    db_->Execute("CREATE TABLE Orders (Id COUNTER PRIMARY KEY, Customer TEXT(40), Amount CURRENCY, Placed DATETIME)");
    db_->Execute("CREATE TABLE Archive (Id LONG, Customer TEXT(40), Amount CURRENCY)");
    db_->Execute("INSERT INTO Orders (Customer, Amount, Placed) VALUES ('Ann', 10, #01/02/2020#)");
    db_->Execute("INSERT INTO Orders (Customer, Amount, Placed) VALUES ('Bob', 25.5, #03/04/2020#)");
    db_->Execute("INSERT INTO Orders (Customer, Amount, Placed) VALUES ('Ann', 7, #05/06/2020#)");
  }

  std::shared_ptr<Database> Reopen(bool read_only = false) {
    db_->Close();
    db_ = workspace_->OpenDatabase(path_, Variant(false), read_only);
    return db_;
  }

  std::vector<std::string> Names() {
    std::vector<std::string> names;
    auto queries = db_->QueryDefs();
    for (int i = 0; i < queries->Count(); ++i) names.push_back(queries->Item(i)->Name());
    return names;
  }

  // The catalog rows of saved queries and their properties, as one text.
  std::string StoredQueries() {
    std::string text;
    Statement rows = db_->File()->EngineConnection(false).Prepare(
        "SELECT o.Name, q.SQL, (SELECT count(*) FROM MSysProperties p WHERE p.ObjectId = o.Id) FROM MSysObjects o "
        "LEFT JOIN MSysQueries q ON q.ObjectId = o.Id WHERE o.Type = 5 ORDER BY o.Name");
    while (rows.Step()) text += rows.ColumnText(0) + "|" + rows.ColumnText(1) + "|" + rows.ColumnText(2) + "\n";
    Statement orphans = db_->File()->EngineConnection(false).Prepare(
        "SELECT count(*) FROM MSysQueries WHERE ObjectId NOT IN (SELECT Id FROM MSysObjects)");
    orphans.Step();
    if (orphans.ColumnInt(0) != 0) text += "orphans\n";
    return text;
  }

  std::string Rows(QueryDef& query) {
    std::string text;
    for (const auto& row : query.ReadRows().rows) {
      for (const Variant& value : row) text += (value.IsNull() ? std::string("Null") : value.ToString()) + ",";
      text += "\n";
    }
    return text;
  }

  std::string path_;
  std::shared_ptr<Database> db_;
};

TEST_F(QueryDefTest, CreateAppendRenameAndDeleteAreStoredAtOnce) {
  auto big = db_->CreateQueryDef("Big", "SELECT * FROM Orders WHERE Amount > 20");
  EXPECT_TRUE(big->IsStored());
  EXPECT_FALSE(big->DateCreated().IsNull());

  auto stand_alone = std::make_shared<QueryDef>("all orders", "SELECT Customer FROM Orders");
  EXPECT_TRUE(stand_alone->DateCreated().IsNull());
  db_->QueryDefs()->Append(stand_alone);
  EXPECT_EQ(Names(), (std::vector<std::string>{"all orders", "Big"}));
  EXPECT_EQ(db_->QueryDefs()->Item("ALL ORDERS"), stand_alone);  // the same object, found without case

  big->SetName("Large");
  EXPECT_EQ(StoredQueries(), "all orders|SELECT Customer FROM Orders|0\nLarge|SELECT * FROM Orders WHERE Amount > 20|0\n");
  big->SetName("LARGE");  // a change of case alone is a rename, not a clash with itself
  EXPECT_EQ(big->Name(), "LARGE");

  db_->QueryDefs()->Delete("all ORDERS");
  EXPECT_EQ(Names(), (std::vector<std::string>{"LARGE"}));
  EXPECT_EQ(StoredQueries(), "LARGE|SELECT * FROM Orders WHERE Amount > 20|0\n");
  EXPECT_TRUE(stand_alone->IsClosed());
  EXPECT_EQ(stand_alone->Name(), "all orders");  // the last values stay readable
  EXPECT_EQ(ErrorOf([&] { stand_alone->SetSQL("SELECT 1 FROM Orders"); }).number, err::kObjectClosed);

  Reopen();
  EXPECT_EQ(Names(), (std::vector<std::string>{"LARGE"}));
  EXPECT_EQ(db_->QueryDefs()->Item(0)->SQL(), "SELECT * FROM Orders WHERE Amount > 20");
}

TEST_F(QueryDefTest, NamesAreCheckedAgainstTablesAndQueries) {
  auto q = db_->CreateQueryDef("Q", "SELECT * FROM Orders");
  db_->CreateQueryDef("R", "SELECT * FROM Orders");
  EXPECT_EQ(ErrorOf([&] { db_->CreateQueryDef("orders", "SELECT 1 FROM Archive"); }).number, err::kObjectExists);
  EXPECT_EQ(ErrorOf([&] { db_->CreateQueryDef("q", "SELECT 1 FROM Archive"); }).number, err::kObjectExists);
  EXPECT_EQ(ErrorOf([&] { q->SetName("r"); }).number, err::kObjectExists);
  EXPECT_EQ(ErrorOf([&] { q->SetName("ARCHIVE"); }).number, err::kObjectExists);
  EXPECT_EQ(ErrorOf([&] { q->SetName("a.b"); }).number, err::kInvalidName);
  EXPECT_EQ(ErrorOf([&] { q->SetName(""); }).number, err::kInvalidName);
  EXPECT_EQ(ErrorOf([&] { q->SetName(std::string(65, 'x')); }).number, err::kInvalidName);
  EXPECT_EQ(ErrorOf([&] { std::make_shared<QueryDef>("[x]"); }).number, err::kInvalidName);
  EXPECT_EQ(q->Name(), "Q");

  // A table cannot take a query's name either.
  EXPECT_EQ(ErrorOf([&] { db_->Execute("CREATE TABLE r (A LONG)"); }).number, err::kTableExists);

  auto queries = db_->QueryDefs();
  EXPECT_EQ(ErrorOf([&] { queries->Append(std::make_shared<QueryDef>()); }).number, err::kInvalidName);
  EXPECT_EQ(ErrorOf([&] { queries->Append(q); }).number, err::kDuplicateName);
  EXPECT_EQ(ErrorOf([&] { queries->Append(nullptr); }).number, err::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { queries->Item("nope"); }).number, err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { queries->Item(2); }).number, err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { queries->Delete("nope"); }).number, err::kItemNotFound);
  EXPECT_EQ(queries->Count(), 2);
}

TEST_F(QueryDefTest, ASyntaxErrorInNewTextKeepsTheOldOne) {
  auto q = db_->CreateQueryDef("Q", "SELECT Customer FROM Orders");
  db_->TEST_ExecuteSql("UPDATE MSysObjects SET LastUpdated = 40000 WHERE Name = 'Q'");
  q = db_->QueryDefs()->Item("Q");
  EXPECT_DOUBLE_EQ(q->LastUpdated().ToDate(), 40000);

  EXPECT_NE(ErrorOf([&] { q->SetSQL("SELECT Customer FROM Orders WHERE"); }).number, 0);
  EXPECT_NE(ErrorOf([&] { q->SetSQL("SELEC Customer FROM Orders"); }).number, 0);
  EXPECT_EQ(q->SQL(), "SELECT Customer FROM Orders");
  EXPECT_DOUBLE_EQ(q->LastUpdated().ToDate(), 40000);
  EXPECT_NE(ErrorOf([&] { db_->CreateQueryDef("Bad", "DELETE FROM"); }).number, 0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Q"}));

  // Tables are looked up when the query is used, not when its text is set.
  q->SetSQL("SELECT * FROM NotYet");
  EXPECT_GT(q->LastUpdated().ToDate(), 40000);
  EXPECT_EQ(ErrorOf([&] { q->Fields(); }).number, 3078);

  q->SetSQL("");  // an empty text is allowed (a new query starts so) and has nothing to run
  EXPECT_EQ(q->Fields()->Count(), 0);
  EXPECT_EQ(q->Parameters()->Count(), 0);
  EXPECT_NE(ErrorOf([&] { q->Execute(); }).number, 0);
  Reopen();
  EXPECT_EQ(db_->QueryDefs()->Item("Q")->SQL(), "");
}

TEST_F(QueryDefTest, TypeFollowsTheStatementKind) {
  const std::pair<const char*, int> cases[] = {
      {"SELECT * FROM Orders", 0},
      {"TRANSFORM Sum(Amount) SELECT Customer FROM Orders GROUP BY Customer PIVOT Year(Placed)", 16},
      {"DELETE FROM Orders WHERE Amount < 0", 32},
      {"UPDATE Orders SET Amount = 0", 48},
      {"INSERT INTO Archive (Id) VALUES (1)", 64},
      {"SELECT Customer INTO Copy FROM Orders", 80},
      {"CREATE TABLE X (A LONG)", 96},
      {"SELECT Customer FROM Orders UNION SELECT Customer FROM Archive", 128},
      {"PARAMETERS p Long; DELETE FROM Orders WHERE Id = p", 32},
  };
  auto temporary = db_->CreateQueryDef();
  for (const auto& [text, type] : cases) {
    temporary->SetSQL(text);
    EXPECT_EQ(temporary->Type(), type) << text;
    EXPECT_EQ(temporary->ReturnsRecords(), type == 0 || type == 16 || type == 128) << text;
  }
  auto stored = db_->CreateQueryDef("Append", "INSERT INTO Archive SELECT Id, Customer, Amount FROM Orders");
  EXPECT_EQ(stored->Properties()->Item("Type")->Value().ToInt32(), 64);
  Reopen();
  EXPECT_EQ(db_->QueryDefs()->Item("Append")->Type(), 64);
}

TEST_F(QueryDefTest, ParametersComeFromDeclarationsAndUnresolvedNames) {
  auto q = db_->CreateQueryDef(
      "ByCustomer",
      "PARAMETERS [Start date] DateTime, [Min amount] Currency, Flag Bit; "
      "SELECT Customer FROM Orders WHERE Placed >= [Start date] AND Amount >= [Min amount] AND Customer = Who");
  auto parameters = q->Parameters();
  ASSERT_EQ(parameters->Count(), 4);
  std::string listed;
  for (int i = 0; i < parameters->Count(); ++i) {
    auto p = parameters->Item(i);
    listed += p->Name() + ":" + std::to_string(p->Type()) + ":" + std::to_string(p->Direction()) + " ";
  }
  EXPECT_EQ(listed, "Start date:8:1 Min amount:5:1 Flag:1:1 Who:10:1 ");
  EXPECT_EQ(parameters->Item("who")->Name(), "Who");
  EXPECT_TRUE(parameters->Item("Flag")->Value().IsEmpty());
  EXPECT_EQ(ErrorOf([&] { parameters->Item("Nobody"); }).number, err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { parameters->Item(4); }).number, err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { parameters->Item(0)->SetDirection(2); }).number, err::kInvalidArgument);
  EXPECT_EQ(parameters->Item(0)->Properties()->Item("Type")->Value().ToInt32(), 8);

  // A column of the query's tables is no parameter, whatever case it is written in.
  q->SetSQL("SELECT Customer FROM Orders WHERE CUSTOMER = 'Ann'");
  EXPECT_EQ(q->Parameters()->Count(), 0);
}

TEST_F(QueryDefTest, ParameterValuesBelongToTheQueryDefObject) {
  db_->CreateQueryDef("Mine", "SELECT Amount FROM Orders WHERE Customer = Who ORDER BY Amount");
  auto first = db_->QueryDefs()->Item("Mine");
  first->Parameters()->Item("Who")->SetValue(Variant("Ann"));

  // Fetched again from the collection: the same object, so the value set before is there.
  EXPECT_EQ(db_->QueryDefs()->Item("MINE")->Parameters()->Item("who")->Value().ToString(), "Ann");
  EXPECT_EQ(Rows(*db_->QueryDefs()->Item("Mine")), "7,\n10,\n");

  // A temporary query of the same text, and another Database object, start without values.
  auto temporary = db_->CreateQueryDef("", first->SQL());
  EXPECT_TRUE(temporary->Parameters()->Item(0)->Value().IsEmpty());
  EXPECT_EQ(ErrorOf([&] { temporary->ReadRows(); }).number, 3061);
  temporary->Parameters()->Item(0)->Properties()->Item("Value")->SetValue(Variant("Bob"));
  EXPECT_EQ(Rows(*temporary), "25.5,\n");
  EXPECT_EQ(Rows(*first), "7,\n10,\n");

  auto other = workspace_->OpenDatabase(path_);
  EXPECT_TRUE(other->QueryDefs()->Item("Mine")->Parameters()->Item(0)->Value().IsEmpty());

  // A value survives a change of text that keeps the parameter's name.
  first->SetSQL("SELECT Customer FROM Orders WHERE Customer = [WHO]");
  EXPECT_EQ(first->Parameters()->Item(0)->Value().ToString(), "Ann");
  first->Close();
  EXPECT_EQ(ErrorOf([&] { first->Parameters(); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { first->Close(); }).number, err::kObjectClosed);
  // The collection hands out a fresh object for the saved query after its object was closed.
  EXPECT_FALSE(db_->QueryDefs()->Item("Mine")->IsClosed());
}

TEST_F(QueryDefTest, FieldsAreTheResultColumnsWithTypesAndSources) {
  auto q = db_->CreateQueryDef("Totals", "SELECT o.Customer, Sum(o.Amount) AS Total, Count(*), o.Customer & '!' "
                                         "FROM Orders AS o GROUP BY o.Customer");
  auto fields = q->Fields();
  ASSERT_EQ(fields->Count(), 4);
  std::string listed;
  for (int i = 0; i < fields->Count(); ++i) {
    auto f = fields->Item(i);
    listed += f->Name() + ":" + std::to_string(f->Type()) + ":" + std::to_string(f->Size()) + ":" + f->SourceTable() +
              ":" + f->SourceField() + ":" + std::to_string(f->OrdinalPosition()) + "\n";
  }
  EXPECT_EQ(listed,
            "Customer:10:40:Orders:Customer:0\n"
            "Total:5:8:::1\n"
            "Expr1000:4:4:::2\n"
            "Expr1001:10:255:::3\n");
  EXPECT_EQ(fields->Item("total")->Properties()->Item("Type")->Value().ToInt32(), 5);
  EXPECT_EQ(ErrorOf([&] { fields->Item("Amount"); }).number, err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { fields->Item("Total")->Properties()->Item("Name")->SetValue(Variant("x")); }).number,
            err::kPropertyReadOnly);

  // Action queries return no fields; a crosstab's columns come from the pivot values stored now.
  EXPECT_EQ(db_->CreateQueryDef("", "DELETE FROM Orders")->Fields()->Count(), 0);
  auto crosstab = db_->CreateQueryDef("", "TRANSFORM Sum(Amount) SELECT Customer FROM Orders GROUP BY Customer "
                                          "PIVOT Year(Placed)");
  EXPECT_EQ(crosstab->Fields()->Count(), 2);
  EXPECT_EQ(crosstab->Fields()->Item(1)->Name(), "2020");
}

TEST_F(QueryDefTest, ExecuteRunsActionsWithTheParameterValues) {
  auto archive = db_->CreateQueryDef(
      "Archive old", "PARAMETERS [Before] DateTime; INSERT INTO Archive (Id, Customer, Amount) "
                     "SELECT Id, Customer, Amount FROM Orders WHERE Placed < [Before]");
  // The message names the parameter without a value.
  EXPECT_EQ(ErrorOf([&] { archive->Execute(); }).message, "Too few parameters. Expected 1. No value was given for [Before].");
  archive->Parameters()->Item("Before")->SetValue(Variant::FromDate(43900));  // 2020-03-10
  archive->Execute(128);
  EXPECT_EQ(archive->RecordsAffected(), 2);
  EXPECT_EQ(archive->Properties()->Item("RecordsAffected")->Value().ToInt32(), 2);

  auto raise = db_->CreateQueryDef("", "UPDATE Orders SET Amount = Amount + Extra WHERE Customer = Who");
  auto parameters = raise->Parameters();
  parameters->Item("Extra")->SetValue(Variant(5));
  // A name no field has is taken as a parameter: most often a misspelled field.
  EXPECT_EQ(ErrorOf([&] { raise->Execute(); }).message,
            "Too few parameters. Expected 1. Unknown name [Who]: no field of the statement's tables has it, so it was "
            "taken as a parameter (check its spelling).");
  parameters->Item("Who")->SetValue(Variant("Ann"));
  raise->Execute();
  EXPECT_EQ(raise->RecordsAffected(), 2);
  auto sum = db_->CreateQueryDef("", "SELECT Sum(Amount) FROM Orders");
  EXPECT_EQ(Rows(*sum), "52.5,\n");

  EXPECT_EQ(ErrorOf([&] { sum->Execute(); }).number, err::kSelectNotExecutable);
  EXPECT_EQ(ErrorOf([&] { db_->CreateQueryDef("", "SELECT 1 FROM Orders UNION SELECT 2 FROM Orders")->Execute(); }).number,
            err::kSelectNotExecutable);
  EXPECT_EQ(ErrorOf([&] { raise->Execute(64); }).number, err::kNotForThisObject);  // pass-through

  auto ddl = db_->CreateQueryDef("Make", "CREATE TABLE Made (A LONG)");
  ddl->Execute();
  EXPECT_EQ(db_->TableDefs()->Item("Made")->Name(), "Made");
}

TEST_F(QueryDefTest, AQueryUsedByAnotherCanBeDeleted) {
  db_->CreateQueryDef("Base", "SELECT Customer, Amount FROM Orders");
  auto user = db_->CreateQueryDef("User", "SELECT Customer FROM Base WHERE Amount > 8");
  EXPECT_EQ(Rows(*user), "Ann,\nBob,\n");
  db_->QueryDefs()->Delete("Base");
  EXPECT_EQ(ErrorOf([&] { user->Fields(); }).number, 3078);
  EXPECT_EQ(ErrorOf([&] { user->ReadRows(); }).number, 3078);
  // A new query of the old name is used from then on (cached translations went stale).
  db_->CreateQueryDef("Base", "SELECT Customer, Amount FROM Orders WHERE Customer = 'Bob'");
  EXPECT_EQ(Rows(*user), "Bob,\n");
  db_->QueryDefs()->Item("Base")->SetSQL("SELECT Customer, Amount FROM Archive");
  EXPECT_EQ(Rows(*user), "");
}

TEST_F(QueryDefTest, TemporaryQueriesLeaveNoTrace) {
  const std::string before = StoredQueries();
  auto temporary = db_->CreateQueryDef();
  temporary->SetSQL("DELETE FROM Orders WHERE Customer = 'Bob'");
  temporary->SetMaxRecords(5);
  temporary->Execute();
  EXPECT_EQ(temporary->RecordsAffected(), 1);
  EXPECT_FALSE(temporary->IsStored());
  EXPECT_TRUE(temporary->DateCreated().IsNull());
  EXPECT_EQ(db_->QueryDefs()->Count(), 0);
  EXPECT_EQ(StoredQueries(), before);
  Reopen();
  EXPECT_EQ(StoredQueries(), before);

  // Named and appended explicitly, a temporary query is stored like any other.
  auto named = db_->CreateQueryDef("", "SELECT * FROM Orders");
  named->SetName("Now stored");
  db_->QueryDefs()->Append(named);
  EXPECT_TRUE(named->IsStored());
  EXPECT_EQ(Names(), (std::vector<std::string>{"Now stored"}));
}

TEST_F(QueryDefTest, SettingsPersistAcrossReopen) {
  auto q = db_->CreateQueryDef("Top", "SELECT Customer FROM Orders ORDER BY Amount DESC");
  q->SetMaxRecords(2);
  EXPECT_EQ(Rows(*q), "Bob,\nAnn,\n");
  const double created = q->DateCreated().ToDate();
  EXPECT_EQ(ErrorOf([&] { q->SetMaxRecords(-1); }).number, err::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { q->SetConnect("ODBC;DSN=x"); }).number, err::kNotForThisObject);
  q->Properties()->Item("Connect")->SetValue(Variant(""));
  EXPECT_EQ(q->Connect(), "");

  Reopen();
  q = db_->QueryDefs()->Item("top");
  EXPECT_EQ(q->MaxRecords(), 2);
  EXPECT_DOUBLE_EQ(q->DateCreated().ToDate(), created);
  EXPECT_TRUE(q->Updatable());
  q->Properties()->Item("MaxRecords")->SetValue(Variant(0));
  EXPECT_EQ(Rows(*q), "Bob,\nAnn,\nAnn,\n");
  EXPECT_EQ(StoredQueries(), "Top|SELECT Customer FROM Orders ORDER BY Amount DESC|0\n");  // 0: no property row

  Reopen(true);
  q = db_->QueryDefs()->Item("Top");
  EXPECT_FALSE(q->Updatable());
  EXPECT_EQ(ErrorOf([&] { q->SetSQL("SELECT 1 FROM Orders"); }).number, err::kReadOnly);
  EXPECT_EQ(ErrorOf([&] { q->SetName("Other"); }).number, err::kReadOnly);
  EXPECT_EQ(ErrorOf([&] { db_->CreateQueryDef("New", "SELECT 1 FROM Orders"); }).number, err::kReadOnly);
  EXPECT_EQ(ErrorOf([&] { db_->QueryDefs()->Delete("Top"); }).number, err::kReadOnly);
  EXPECT_EQ(q->SQL(), "SELECT Customer FROM Orders ORDER BY Amount DESC");
  db_->Close();
  EXPECT_EQ(q->Name(), "Top");  // getters outlive the database
  EXPECT_EQ(ErrorOf([&] { q->Fields(); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { db_->QueryDefs(); }).number, err::kObjectClosed);
}

TEST_F(QueryDefTest, ChangesThroughAnotherDatabaseObjectAreSeen) {
  auto q = db_->CreateQueryDef("Shared", "SELECT Customer FROM Orders");
  auto other = workspace_->OpenDatabase(path_);
  auto seen = other->QueryDefs()->Item("Shared");
  q->SetSQL("SELECT Amount FROM Orders");
  EXPECT_EQ(other->QueryDefs()->Item("Shared")->SQL(), "SELECT Amount FROM Orders");
  EXPECT_EQ(seen->Fields()->Item(0)->Name(), "Amount");
  db_->QueryDefs()->Delete("Shared");
  EXPECT_EQ(ErrorOf([&] { seen->SetSQL("SELECT 2 FROM Orders"); }).number, err::kObjectClosed);
  EXPECT_EQ(other->QueryDefs()->Count(), 0);
}

TEST_F(QueryDefTest, RollbackUndoesQueryChangesAndClosesQueriesItStored) {
  auto kept = db_->CreateQueryDef("Kept", "SELECT Customer FROM Orders");
  db_->BeginTrans();
  auto undone = db_->CreateQueryDef("Undone", "SELECT Amount FROM Orders");
  kept->SetSQL("SELECT Placed FROM Orders");
  db_->Rollback();
  EXPECT_TRUE(undone->IsClosed());
  EXPECT_EQ(kept->SQL(), "SELECT Customer FROM Orders");
  EXPECT_EQ(kept->Fields()->Item(0)->Name(), "Customer");

  // The undone query's catalog id may be used again: its old object must not write there.
  auto next = db_->CreateQueryDef("Next", "SELECT Id FROM Orders");
  EXPECT_EQ(ErrorOf([&] { undone->SetSQL("DELETE FROM Orders"); }).number, err::kObjectClosed);
  EXPECT_EQ(StoredQueries(), "Kept|SELECT Customer FROM Orders|0\nNext|SELECT Id FROM Orders|0\n");
}

TEST_F(QueryDefTest, AStandAloneDefinitionNeedsADatabaseToRun) {
  auto stand_alone = std::make_shared<QueryDef>("Later", "SELECT * FROM Orders");
  EXPECT_EQ(ErrorOf([&] { stand_alone->Parameters(); }).number, err::kInvalidOperation);
  EXPECT_EQ(ErrorOf([&] { stand_alone->Fields(); }).number, err::kInvalidOperation);
  EXPECT_EQ(ErrorOf([&] { stand_alone->Execute(); }).number, err::kInvalidOperation);
  EXPECT_NE(ErrorOf([&] { stand_alone->SetSQL("SELECT FROM"); }).number, 0);
  stand_alone->SetSQL("SELECT Customer FROM Orders");
  stand_alone->SetMaxRecords(1);
  db_->QueryDefs()->Append(stand_alone);
  Reopen();
  EXPECT_EQ(db_->QueryDefs()->Item("Later")->MaxRecords(), 1);
  EXPECT_EQ(db_->QueryDefs()->Item("Later")->Fields()->Item(0)->Name(), "Customer");

  // A temporary query of one database cannot be appended to another's QueryDefs.
  auto other = engine_->CreateDatabase(dir_.File("other.mdb"), "1033", 0);
  auto foreign = other->CreateQueryDef("", "SELECT 1 FROM MSysObjects");
  foreign->SetName("Foreign");
  EXPECT_EQ(ErrorOf([&] { db_->QueryDefs()->Append(foreign); }).number, err::kInvalidOperation);
}

}  // namespace
}  // namespace qb::jet::test
