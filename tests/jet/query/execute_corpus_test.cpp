// Action statements run through Database::Execute against a real file: what each writes, what
// RecordsAffected says, Jet's skipping of failing rows without dbFailOnError and all or nothing
// with it, make-table catalog entries, and each error Execute raises.
#include <gtest/gtest.h>

#include "jet/query/query_execution.h"
#include "jet/sqlite/connection.h"
#include "query_corpus_support.h"

namespace qb::jet::test {
namespace {

constexpr int kFailOnError = recordset_option::kFailOnError;

struct ActionCase {
  const char* name;
  const char* statement;
  int options;
  int affected;        // RecordsAffected afterwards; ignored when ERROR is set
  int error;           // the error expected, 0 for none
  const char* check;   // a query whose rows show the effect (with ERROR: that nothing changed)
  const char* rows;
};

class ExecuteCorpusTest : public QueryCorpusBase, public ::testing::WithParamInterface<ActionCase> {
 protected:
  void SetUp() override {
    QueryCorpusBase::SetUp();
    // A join whose output has two Name columns (Customers.Name, Scores.Name).
    SaveQuery("Matches", "SELECT * FROM Customers INNER JOIN Scores ON Customers.ID * 10 + 80 = Scores.Score");
  }
};

TEST_P(ExecuteCorpusTest, Runs) {
  const ActionCase& c = GetParam();
  const CaughtError error = ErrorOf([&] { database_->Execute(c.statement, c.options); });
  EXPECT_EQ(error.number, c.error) << c.statement << ": " << error.message;
  if (c.error == 0) {
    EXPECT_EQ(database_->RecordsAffected(), c.affected) << c.statement;
  }
  EXPECT_EQ(Rows(c.check), c.rows) << c.statement;
}

const ActionCase kActions[] = {
    // INSERT.
    {"InsertValues", "INSERT INTO Customers (Name, City) VALUES ('Eve', 'Bergen')", 0, 1, 0,
     "SELECT ID, Name, City FROM Customers WHERE ID > 4", "5|Eve|Bergen"},
    {"InsertAllColumnsInOrder", "INSERT INTO Scores VALUES ('f', 50)", kFailOnError, 1, 0,
     "SELECT Name, Score FROM Scores WHERE Score < 60", "f|50"},
    {"InsertAutoNumberValue", "INSERT INTO Customers (ID, Name) VALUES (100, 'Zed')", kFailOnError, 1, 0,
     "SELECT ID FROM Customers WHERE Name = 'Zed'", "100"},
    {"InsertSelect", "INSERT INTO Scores (Name, Score) SELECT Name, ID * 5 FROM Customers WHERE City IS NULL", 0, 1, 0,
     "SELECT Name, Score FROM Scores WHERE Score < 60", "Dee|20"},
    {"InsertSelectStarMapsByName", "INSERT INTO Scores SELECT Score, Name FROM Scores WHERE Score > 85", 0, 1, 0,
     "SELECT Count(*) AS N FROM Scores WHERE Name = 'a'", "2"},
    {"InsertDuplicateKeySkipped", "INSERT INTO Orders (OrderID, CustID) VALUES (10, 4)", 0, 0, 0,
     "SELECT CustID FROM Orders WHERE OrderID = 10", "1"},
    {"InsertDuplicateKeyFails", "INSERT INTO Orders (OrderID, CustID) VALUES (10, 4)", kFailOnError, 0, 3022,
     "SELECT CustID FROM Orders WHERE OrderID = 10", "1"},
    {"InsertSelectSkipsDuplicateRows",
     "INSERT INTO Orders (OrderID, CustID, Amount) SELECT OrderID + 2, CustID, Amount FROM Orders", 0, 2, 0,
     "SELECT OrderID, Amount FROM Orders WHERE OrderID > 14", "15|20; 16|7"},
    {"InsertSelectAllOrNothing",
     "INSERT INTO Orders (OrderID, CustID, Amount) SELECT OrderID + 2, CustID, Amount FROM Orders", kFailOnError, 0,
     3022, "SELECT Count(*) AS N FROM Orders", "5"},
    {"InsertRequiredNullSkipped", "INSERT INTO Customers (City) VALUES ('X')", 0, 0, 0,
     "SELECT Count(*) AS N FROM Customers", "4"},
    {"InsertRequiredNullFails", "INSERT INTO Customers (City) VALUES ('X')", kFailOnError, 0, 3314,
     "SELECT Count(*) AS N FROM Customers", "4"},
    {"InsertZeroLengthFails", "INSERT INTO Customers (Name) VALUES ('')", kFailOnError, 0, 3315,
     "SELECT Count(*) AS N FROM Customers", "4"},
    {"InsertTooLongFails", "INSERT INTO Scores (Name) VALUES ('abcdefghijk')", kFailOnError, 0, 3163,
     "SELECT Count(*) AS N FROM Scores", "5"},
    {"InsertOutOfRangeFails", "INSERT INTO Orders (OrderID, Qty) VALUES (20, 40000)", kFailOnError, 0, 3349,
     "SELECT Count(*) AS N FROM Orders", "5"},
    {"InsertUnknownField", "INSERT INTO Scores (Nope) VALUES (1)", 0, 0, 3127, "SELECT Count(*) AS N FROM Scores",
     "5"},
    {"InsertValueCountDiffers", "INSERT INTO Scores (Name) VALUES ('x', 1)", 0, 0, 3346,
     "SELECT Count(*) AS N FROM Scores", "5"},
    // UPDATE.
    {"Update", "UPDATE Scores SET Score = Score + 1 WHERE Score = 80", 0, 2, 0,
     "SELECT Score FROM Scores ORDER BY Score", "60; 70; 81; 81; 90"},
    {"UpdateRoundsCurrency", "UPDATE Orders SET Amount = Amount / 3 WHERE OrderID = 10", 0, 1, 0,
     "SELECT Amount FROM Orders WHERE OrderID = 10", "3.5"},
    {"UpdateThroughJoin",
     "UPDATE Orders INNER JOIN Customers ON Orders.CustID = Customers.ID SET Orders.Qty = Orders.Qty + 10 "
     "WHERE Customers.City = 'OSLO'",
     0, 3, 0, "SELECT OrderID, Qty FROM Orders ORDER BY OrderID", "10|12; 11|11; 12|3; 13|11; 14|5"},
    {"UpdateFromTheOtherTable",
     "UPDATE Orders INNER JOIN Customers ON Orders.CustID = Customers.ID SET Orders.Amount = Customers.ID * 100",
     0, 4, 0, "SELECT OrderID, Amount FROM Orders ORDER BY OrderID", "10|100; 11|100; 12|200; 13|300; 14|7"},
    {"UpdateTheOneSide",
     "UPDATE Customers INNER JOIN Orders ON Customers.ID = Orders.CustID SET Customers.City = 'Paid' "
     "WHERE Orders.Amount = 20",
     0, 2, 0, "SELECT Name FROM Customers WHERE City = 'paid' ORDER BY Name", "Ann; Cid"},
    {"UpdateSkipsRowsTooLong", "UPDATE Customers SET City = City & 'xxxxxxxxxxxxxxxxxxxxxxxxxxx'", 0, 1, 0,
     "SELECT ID FROM Customers WHERE City Like 'x*'", "4"},
    {"UpdateTooLongAllOrNothing", "UPDATE Customers SET City = City & 'xxxxxxxxxxxxxxxxxxxxxxxxxxx'", kFailOnError, 0,
     3163, "SELECT Count(*) AS N FROM Customers WHERE City Like '*x'", "0"},
    {"UpdateDuplicateKeySkipped", "UPDATE Orders SET OrderID = OrderID + 1 WHERE OrderID >= 13", 0, 1, 0,
     "SELECT OrderID FROM Orders ORDER BY OrderID", "10; 11; 12; 13; 15"},
    {"UpdateFieldsOfTwoTables",
     "UPDATE Orders INNER JOIN Customers ON Orders.CustID = Customers.ID SET Orders.Qty = 1, Customers.City = 'x'",
     0, 0, 3073, "SELECT Sum(Qty) AS Q FROM Orders", "12"},
    // DELETE.
    {"Delete", "DELETE FROM Scores WHERE Score < 75", 0, 2, 0, "SELECT Name FROM Scores ORDER BY Name", "a; b; c"},
    {"DeleteStar", "DELETE * FROM Orders WHERE Amount < 10", 0, 2, 0, "SELECT OrderID FROM Orders ORDER BY OrderID",
     "10; 11; 13"},
    {"DeleteAll", "DELETE FROM Scores", kFailOnError, 5, 0, "SELECT Count(*) AS N FROM Scores", "0"},
    {"DeleteThroughJoin",
     "DELETE Orders.* FROM Orders INNER JOIN Customers ON Orders.CustID = Customers.ID WHERE Customers.Name = 'ann'",
     0, 2, 0, "SELECT OrderID FROM Orders ORDER BY OrderID", "12; 13; 14"},
    {"DeleteDistinctRowThroughJoin",
     "DELETE DISTINCTROW Customers.* FROM Customers INNER JOIN Orders ON Customers.ID = Orders.CustID", 0, 3, 0,
     "SELECT Name FROM Customers", "Dee"},
    {"DeleteWithoutNamingTheTable",
     "DELETE FROM Orders INNER JOIN Customers ON Orders.CustID = Customers.ID", 0, 0, 3128,
     "SELECT Count(*) AS N FROM Orders", "5"},
    {"SavedActionQueryByName", "[Purge Scores]", 0, 5, 0, "SELECT Count(*) AS N FROM Scores", "0"},
    // SELECT INTO.
    {"MakeTable", "SELECT Name, City INTO OsloFolk FROM Customers WHERE City = 'Oslo'", 0, 2, 0,
     "SELECT Name, City FROM OsloFolk ORDER BY Name", "Ann|Oslo; Cid|oslo"},
    {"MakeTableOfAggregates",
     "SELECT CustID, Sum(Amount) AS Total INTO Totals FROM Orders GROUP BY CustID", kFailOnError, 4, 0,
     "SELECT CustID, Total FROM Totals WHERE Total > 10 ORDER BY CustID", "1|30.5; 3|20"},
    {"MakeTableKeepsZeroLengthText",
     "SELECT Name & '' AS N, Mid(Name, 9) AS Rest INTO Copy FROM Scores", kFailOnError, 5, 0,
     "SELECT Count(*) AS N FROM Copy WHERE Rest = ''", "5"},
    {"MakeTableOverExistingTable", "SELECT * INTO Scores FROM Orders", 0, 0, 3010,
     "SELECT Count(*) AS N FROM Scores", "5"},
    // Rows whose expressions fail on their values (division by zero, an overflow) are skipped
    // like rows breaking a rule; with dbFailOnError the first one fails the statement.
    {"InsertValuesFailingSkipped", "INSERT INTO Scores VALUES ('z', 1 / 0)", 0, 0, 0,
     "SELECT Count(*) AS N FROM Scores", "5"},
    {"InsertValuesFailingFails", "INSERT INTO Scores VALUES ('z', 1 / 0)", kFailOnError, 0, 11,
     "SELECT Count(*) AS N FROM Scores", "5"},
    {"InsertSelectSkipsFailingRows",
     "INSERT INTO Scores (Name, Score) SELECT Name & '2', 100 \\ (Score - 70) FROM Scores WHERE Score > 50", 0, 4, 0,
     "SELECT Name, Score FROM Scores WHERE Name Like '*2' ORDER BY Name", "a2|5; b2|10; c2|10; e2|-10"},
    {"InsertSelectFailingRowAllOrNothing",
     "INSERT INTO Scores (Name, Score) SELECT Name & '2', 100 \\ (Score - 70) FROM Scores", kFailOnError, 0, 11,
     "SELECT Count(*) AS N FROM Scores", "5"},
    {"InsertSelectStarSkipsFailingRows", "INSERT INTO Scores SELECT * FROM Scores WHERE 1 / (Score - 80) < 0", 0, 2, 0,
     "SELECT Name FROM Scores WHERE Score < 80 ORDER BY Name", "d; d; e; e"},
    {"UpdateSkipsFailingRows", "UPDATE Scores SET Score = 100 \\ (Score - 70)", 0, 4, 0,
     "SELECT Name, Score FROM Scores ORDER BY Name", "a|5; b|10; c|10; d|70; e|-10"},
    {"UpdateFailingRowAllOrNothing", "UPDATE Scores SET Score = 100 \\ (Score - 70)", kFailOnError, 0, 11,
     "SELECT Name, Score FROM Scores ORDER BY Name", "a|90; b|80; c|80; d|70; e|60"},
    {"UpdateSkipsRowsThatOverflow", "UPDATE Orders SET Qty = CInt(CustID * 10000) WHERE OrderID > 10", 0, 3, 0,
     "SELECT OrderID, Qty FROM Orders ORDER BY OrderID", "10|2; 11|10000; 12|20000; 13|30000; 14|5"},
    {"UpdateThroughJoinSkipsFailingRows",
     "UPDATE Orders INNER JOIN Customers ON Orders.CustID = Customers.ID SET Orders.Qty = 10 \\ (Customers.ID - 2)",
     0, 3, 0, "SELECT OrderID, Qty FROM Orders ORDER BY OrderID", "10|-10; 11|-10; 12|3; 13|10; 14|5"},
    {"DeleteSkipsRowsWhoseConditionFails", "DELETE FROM Scores WHERE 100 / (Score - 70) > 0", 0, 3, 0,
     "SELECT Name FROM Scores ORDER BY Name", "d; e"},
    {"DeleteThroughJoinSkipsFailingRows",
     "DELETE Orders.* FROM Orders INNER JOIN Customers ON Orders.CustID = Customers.ID "
     "WHERE 1 / (Customers.ID - 2) <> 0",
     0, 3, 0, "SELECT OrderID FROM Orders ORDER BY OrderID", "12; 14"},
    {"MakeTableSkipsFailingRows", "SELECT Name, 100 \\ (Score - 70) AS R INTO Ratios FROM Scores", 0, 4, 0,
     "SELECT Name, R FROM Ratios ORDER BY Name", "a|5; b|10; c|10; e|-10"},
    {"InsertFromAJoinSkipsFailingRows",
     "INSERT INTO Scores (Name, Score) SELECT C.Name, 10 \\ (O.Qty - 1) FROM Customers AS C INNER JOIN Orders AS O "
     "ON C.ID = O.CustID",
     0, 2, 0, "SELECT Name, Score FROM Scores WHERE Score < 50 ORDER BY Name", "Ann|10; bob|5"},
    {"InsertFromAnOuterJoinSkipsFailingRows",
     "INSERT INTO Scores (Name, Score) SELECT C.Name, 10 \\ (Nz(O.Qty, 2) - 1) FROM Customers AS C LEFT JOIN Orders AS O "
     "ON C.ID = O.CustID WHERE 100 \\ (C.ID - 2) < 1000",
     0, 2, 0, "SELECT Name, Score FROM Scores WHERE Score < 50 ORDER BY Name", "Ann|10; Dee|10"},
    // An append from a grouping cannot be taken row by row: a failing expression fails it whole.
    {"InsertFromAGroupingFailingFailsWhole",
     "INSERT INTO Scores (Name, Score) SELECT City, 10 \\ (Count(*) - 1) FROM Customers GROUP BY City", 0, 0, 11,
     "SELECT Count(*) AS N FROM Scores", "5"},
    // SELECT INTO names a field by the field alone; two of one name need an alias.
    {"MakeTableOfAQualifiedColumn", "SELECT [Customers.Name] INTO Named FROM Matches", kFailOnError, 1, 0,
     "SELECT Name FROM Named", "Ann"},
    {"MakeTableOfTwoFieldsOfOneName", "SELECT * INTO Named FROM Matches", 0, 0, 3063,
     "SELECT Count(*) AS N FROM Scores", "5"},
    {"MakeTableOfTwoFieldsAliased",
     "SELECT Customers.Name, Scores.Name AS SName INTO Named FROM Customers INNER JOIN Scores "
     "ON Customers.ID * 10 + 60 = Scores.Score",
     kFailOnError, 4, 0, "SELECT Name, SName FROM Named ORDER BY Name, SName", "Ann|d; bob|b; bob|c; Cid|a"},
    // Statements Execute refuses.
    {"SelectIsNotExecutable", "SELECT * FROM Scores", 0, 0, 3065, "SELECT Count(*) AS N FROM Scores", "5"},
    {"UnionIsNotExecutable", "SELECT Name FROM Scores UNION SELECT Name FROM Customers", 0, 0, 3065,
     "SELECT Count(*) AS N FROM Scores", "5"},
    {"CrosstabIsNotExecutable", "TRANSFORM Count(*) SELECT CustID FROM Orders GROUP BY CustID PIVOT Qty", 0, 0, 3065,
     "SELECT Count(*) AS N FROM Orders", "5"},
    {"AutoNumberCannotBeUpdated", "UPDATE Customers SET ID = ID + 100", 0, 0, 3113,
     "SELECT Min(ID) AS M FROM Customers", "1"},
    {"AutoNumberCannotBeUpdatedThroughAJoin",
     "UPDATE Customers INNER JOIN Orders ON Customers.ID = Orders.CustID SET Customers.ID = 7", 0, 0, 3113,
     "SELECT Min(ID) AS M FROM Customers", "1"},
    {"ImplicitParameterWithoutValue", "DELETE FROM Scores WHERE Score > Limit", 0, 0, 3061,
     "SELECT Count(*) AS N FROM Scores", "5"},
    {"DeclaredParameterWithoutValue", "PARAMETERS [P] Long; UPDATE Scores SET Score = [P]", 0, 0, 3061,
     "SELECT Count(*) AS N FROM Scores WHERE Score > 0", "5"},
    {"UnknownOption", "DELETE FROM Scores", 4096, 0, 3001, "SELECT Count(*) AS N FROM Scores", "5"},
    {"ConsistentAndInconsistent", "DELETE FROM Scores", 48, 0, 3001, "SELECT Count(*) AS N FROM Scores", "5"},
    {"PassThrough", "DELETE FROM Scores", 64, 0, 3251, "SELECT Count(*) AS N FROM Scores", "5"},
    {"AcceptedOptions", "DELETE FROM Scores WHERE Score = 60", 1 | 16 | 128 | 512, 1, 0,
     "SELECT Count(*) AS N FROM Scores", "4"},
    {"SyntaxError", "DELETE FROM WHERE", 0, 0, 3131, "SELECT Count(*) AS N FROM Scores", "5"},
};

INSTANTIATE_TEST_SUITE_P(Corpus, ExecuteCorpusTest, ::testing::ValuesIn(kActions),
                         [](const auto& info) { return std::string(info.param.name); });

class ExecuteTest : public QueryCorpusBase {};

TEST_F(ExecuteTest, AutoNumbersContinueAboveAnInsertedValue) {
  Run({"INSERT INTO Customers (ID, Name) VALUES (100, 'Zed')", "INSERT INTO Customers (Name) VALUES ('Next')"});
  EXPECT_EQ(Rows("SELECT ID FROM Customers WHERE Name = 'Next'"), "101");
}

TEST_F(ExecuteTest, MakeTableGetsCatalogFieldsAsCreateTableMakesThem) {
  database_->Execute("SELECT OrderID, Amount, OrderDate, Shipped, Customers.Name, Qty * 2 AS Q2 INTO Made "
                     "FROM Orders INNER JOIN Customers ON Orders.CustID = Customers.ID",
                     kFailOnError);
  EXPECT_EQ(database_->RecordsAffected(), 4);
  CatalogQuerySchema schema(database_->File()->EngineConnection(false));
  std::optional<sql::SchemaObject> made = schema.Find("made");
  ASSERT_TRUE(made.has_value());
  std::string columns;
  for (const sql::SchemaColumn& column : made->columns) {
    columns += column.name + "/" + std::to_string(column.dao_type) + "/" + std::to_string(column.size) + " ";
  }
  EXPECT_EQ(columns, "OrderID/4/0 Amount/5/0 OrderDate/8/0 Shipped/1/0 Name/10/50 Q2/3/0 ");
  // The new table is one the engine's own objects know: listed, and its rules in force.
  auto tables = database_->TableDefs();
  EXPECT_EQ(tables->Item("Made")->Name(), "Made");
  EXPECT_EQ(ErrorOf([&] { database_->Execute("INSERT INTO Made (Name) VALUES ('123456789012345678901234567890"
                                             "123456789012345678901')", kFailOnError); }).number,
            3163);
  EXPECT_EQ(Rows("SELECT Sum(Amount) AS S FROM Made"), "55.75");
}

TEST_F(ExecuteTest, MakeTableIsAllOrNothing) {
  // With dbFailOnError a row that fails while the new table fills takes the table with it.
  CatalogQuerySchema schema(database_->File()->EngineConnection(false));
  EXPECT_EQ(ErrorOf([&] {
              database_->Execute("SELECT Name, 10 / (Score - 70) AS R INTO Broken FROM Scores", kFailOnError);
            }).number,
            11);
  EXPECT_FALSE(schema.Find("Broken").has_value());
  // Without it, so does a failure that no single row can be blamed for.
  EXPECT_EQ(ErrorOf([&] {
              database_->Execute("SELECT City, 10 / (Count(*) - 1) AS R INTO Broken FROM Customers GROUP BY City");
            }).number,
            11);
  EXPECT_FALSE(schema.Find("Broken").has_value());
  // So does a missing parameter.
  EXPECT_EQ(ErrorOf([&] { database_->Execute("SELECT Name INTO Named FROM Scores WHERE Score > Limit"); }).number,
            3061);
  EXPECT_FALSE(schema.Find("Named").has_value());
}

TEST_F(ExecuteTest, InsideATransactionRollbackUndoesExecute) {
  database_->BeginTrans();
  database_->Execute("DELETE FROM Scores");
  database_->Execute("SELECT * INTO Kept FROM Orders");
  EXPECT_EQ(Rows("SELECT Count(*) AS N FROM Scores"), "0");
  database_->Rollback();
  EXPECT_EQ(Rows("SELECT Count(*) AS N FROM Scores"), "5");
  EXPECT_EQ(ErrorOf([&] { Rows("SELECT * FROM Kept"); }).number, 3078);
}

TEST_F(ExecuteTest, ReadOnlyOpenRefusesEveryWrite) {
  database_->Close();
  auto reader = workspace_->OpenDatabase(path_, Variant(false), true);
  EXPECT_EQ(ErrorOf([&] { reader->Execute("DELETE FROM Scores"); }).number, 3027);
  EXPECT_EQ(ErrorOf([&] { reader->Execute("SELECT * INTO X FROM Scores"); }).number, 3027);
  EXPECT_EQ(ErrorOf([&] { reader->Execute("DROP TABLE Scores"); }).number, 3027);
  EXPECT_EQ(ErrorOf([&] { reader->Execute("SELECT * FROM Scores"); }).number, 3065);
  EXPECT_EQ(RowsText(ReadQueryRows(*reader->File(), "SELECT Count(*) AS N FROM Scores", {})), "5");
}

TEST_F(ExecuteTest, ExecuteActionTakesParameterValues) {
  auto query = database_->File()->Translate("PARAMETERS [Who] Text, [Pts] Long; INSERT INTO Scores VALUES ([Who], [Pts])");
  EXPECT_EQ(ExecuteAction(*database_->File(), *query, {Variant("it's"), Variant(5)}, kFailOnError), 1);
  EXPECT_EQ(ExecuteAction(*database_->File(), *query, {Variant("z"), Variant(6)}, kFailOnError), 1);
  EXPECT_EQ(Rows("SELECT Name, Score FROM Scores WHERE Score < 10 ORDER BY Score"), "it's|5; z|6");
  EXPECT_EQ(ErrorOf([&] { ExecuteAction(*database_->File(), *query, {Variant("z")}, 0); }).number, 3061);
  EXPECT_EQ(ErrorOf([&] { ExecuteAction(*database_->File(), *query, {Variant("z"), Variant()}, 0); }).number, 3061);
  auto select = database_->File()->Translate("SELECT * FROM Scores");
  EXPECT_EQ(ErrorOf([&] { ExecuteAction(*database_->File(), *select, {}, 0); }).number, 3065);
}

TEST_F(ExecuteTest, RowsARelationshipRefusesAreSkippedWithoutFailOnError) {
  Run({"CREATE TABLE Kids (KidID LONG PRIMARY KEY, CustID LONG CONSTRAINT KidsOfCustomers REFERENCES Customers (ID))"});
  // Order 14's customer 9 does not exist.
  const char* copy = "INSERT INTO Kids (KidID, CustID) SELECT OrderID, CustID FROM Orders";
  EXPECT_EQ(ErrorOf([&] { database_->Execute(copy, kFailOnError); }).number, 3201);
  EXPECT_EQ(Rows("SELECT Count(*) AS N FROM Kids"), "0");
  database_->Execute(copy);
  EXPECT_EQ(database_->RecordsAffected(), 4);
  EXPECT_EQ(Rows("SELECT KidID FROM Kids ORDER BY KidID"), "10; 11; 12; 13");
  EXPECT_EQ(ErrorOf([&] { database_->Execute("INSERT INTO Kids VALUES (20, 9)", kFailOnError); }).number, 3201);
  database_->Execute("INSERT INTO Kids VALUES (20, 9)");
  EXPECT_EQ(database_->RecordsAffected(), 0);
  // Moving kids to customer ID + 2: kid 13 (customer 3) has no customer 5 to go to.
  database_->Execute("UPDATE Kids SET CustID = CustID + 2");
  EXPECT_EQ(database_->RecordsAffected(), 3);
  EXPECT_EQ(Rows("SELECT KidID, CustID FROM Kids ORDER BY KidID"), "10|3; 11|3; 12|4; 13|3");
  // Customers with kids stay; with dbFailOnError none goes.
  EXPECT_EQ(ErrorOf([&] { database_->Execute("DELETE FROM Customers", kFailOnError); }).number, 3200);
  EXPECT_EQ(Rows("SELECT Count(*) AS N FROM Customers"), "4");
  database_->Execute("DELETE FROM Customers");
  EXPECT_EQ(database_->RecordsAffected(), 2);
  EXPECT_EQ(Rows("SELECT Name FROM Customers ORDER BY Name"), "Cid; Dee");
}

TEST_F(ExecuteTest, SkippedRowsAreToldWithTheirReasonAndRecord) {
  // Order 10 would take order 11's key; order 12's quantity does not fit a Short.
  const char* update = "UPDATE Orders SET OrderID = IIf(OrderID = 10, 11, OrderID), Qty = IIf(OrderID = 12, 40000, Qty)";
  const CaughtError all_or_nothing = ErrorOf([&] { database_->Execute(update, kFailOnError); });
  EXPECT_EQ(all_or_nothing.number, 3022);
  EXPECT_NE(all_or_nothing.message.find("(the record with OrderID = 10)"), std::string::npos) << all_or_nothing.message;
  EXPECT_EQ(Rows("SELECT OrderID, Qty FROM Orders ORDER BY OrderID"), "10|2; 11|1; 12|3; 13|1; 14|5");

  // An append from one stored table names the source record.
  const CaughtError append = ErrorOf([&] {
    database_->Execute("INSERT INTO Orders (OrderID, CustID) SELECT OrderID + 1, CustID FROM Orders", kFailOnError);
  });
  EXPECT_EQ(append.number, 3022);
  EXPECT_NE(append.message.find("(the source record in 'Orders' with OrderID = 10)"), std::string::npos)
      << append.message;

  SkippedRows skipped;
  EXPECT_EQ(ExecuteStatement(*database_->File(), update, {}, 0, &skipped), 3);
  EXPECT_EQ(skipped.count, 2);
  EXPECT_TRUE(skipped.count_known);
  ASSERT_EQ(skipped.reasons.size(), 2u);
  EXPECT_EQ(skipped.reasons[0].number, 3022);
  EXPECT_EQ(skipped.reasons[0].count, 1);
  EXPECT_NE(skipped.reasons[0].message.find("(the record with OrderID = 10)"), std::string::npos);
  EXPECT_EQ(skipped.reasons[1].number, 3349);
  EXPECT_NE(skipped.reasons[1].message.find("(the record with OrderID = 12)"), std::string::npos);
  EXPECT_EQ(Rows("SELECT OrderID, Qty FROM Orders ORDER BY OrderID"), "10|2; 11|1; 12|3; 13|1; 14|5");

  // One reason counted over several rows; a single row; nothing skipped.
  SkippedRows duplicates;
  EXPECT_EQ(ExecuteStatement(*database_->File(), "UPDATE Orders SET OrderID = OrderID + 2", {}, 0, &duplicates), 2);
  EXPECT_EQ(duplicates.count, 3);
  ASSERT_EQ(duplicates.reasons.size(), 1u);
  EXPECT_EQ(duplicates.reasons[0].count, 3);
  SkippedRows one;
  EXPECT_EQ(ExecuteStatement(*database_->File(), "INSERT INTO Customers (City) VALUES ('X')", {}, 0, &one), 0);
  EXPECT_EQ(one.count, 1);
  ASSERT_EQ(one.reasons.size(), 1u);
  EXPECT_EQ(one.reasons[0].number, 3314);
  SkippedRows none;
  EXPECT_EQ(ExecuteStatement(*database_->File(), "DELETE FROM Scores WHERE Score = 60", {}, 0, &none), 1);
  EXPECT_EQ(none.count, 0);
  EXPECT_TRUE(none.reasons.empty());

  // An append from a grouping cannot be taken row by row: the skipping is told, uncounted.
  SkippedRows grouped;
  EXPECT_EQ(ExecuteStatement(*database_->File(), "INSERT INTO Orders (OrderID, CustID) SELECT CustID + 9, CustID FROM Orders "
                                         "GROUP BY CustID",
                             {}, 0, &grouped),
            1);
  EXPECT_FALSE(grouped.count_known);
  EXPECT_GE(grouped.count, 1);
  ASSERT_EQ(grouped.reasons.size(), 1u);
  EXPECT_EQ(grouped.reasons[0].number, 3022);
}

TEST_F(ExecuteTest, SkippingRowsKeepsParameterValuesAndTransactions) {
  auto query = database_->File()->Translate(
      "PARAMETERS [Base] Long; INSERT INTO Scores (Name, Score) SELECT Name & [Tag], [Base] \\ (Score - 70) "
      "FROM Scores WHERE Score <> 90");
  EXPECT_EQ(ExecuteAction(*database_->File(), *query, {Variant(100), Variant("2")}, 0), 3);
  EXPECT_EQ(Rows("SELECT Name, Score FROM Scores WHERE Name Like '*2' ORDER BY Name"), "b2|10; c2|10; e2|-10");
  // Rows skipped inside a transaction go back with it, the others too.
  database_->BeginTrans();
  database_->Execute("UPDATE Scores SET Score = 1 \\ (Score - 70)");
  EXPECT_EQ(database_->RecordsAffected(), 7);
  database_->Rollback();
  EXPECT_EQ(Rows("SELECT Score FROM Scores WHERE Name = 'a'"), "90");
}

TEST_F(ExecuteTest, AStatementFailingPartwayInsideATransactionLeavesNothing) {
  // A table of no rules: nothing in it makes SQLite expect a statement could fail partway.
  Run({"CREATE TABLE Nums (N DOUBLE)", "INSERT INTO Nums VALUES (1)", "INSERT INTO Nums VALUES (0)"});
  database_->BeginTrans();
  // Rows a, b and c come before d, whose division fails.
  EXPECT_EQ(ErrorOf([&] {
              database_->Execute("INSERT INTO Nums (N) SELECT 100 / (Score - 70) FROM Scores", kFailOnError);
            }).number,
            11);
  EXPECT_EQ(Rows("SELECT Count(*) AS C FROM Nums"), "2");
  EXPECT_EQ(ErrorOf([&] { database_->Execute("UPDATE Nums SET N = 5 / N", kFailOnError); }).number, 11);
  EXPECT_EQ(Rows("SELECT N FROM Nums ORDER BY N"), "0; 1");
  // Without dbFailOnError the rows that can be written are, once each.
  database_->Execute("INSERT INTO Nums (N) SELECT 100 / (Score - 70) FROM Scores");
  EXPECT_EQ(database_->RecordsAffected(), 4);
  database_->CommitTrans();
  EXPECT_EQ(Rows("SELECT N FROM Nums ORDER BY N"), "-10; 0; 1; 5; 10; 10");
}

TEST_F(ExecuteTest, RepeatedStatementShapesTranslateOnce) {
  database_->Execute("DELETE FROM Scores WHERE Score = 1");
  auto first = database_->File()->Translate("DELETE FROM Scores WHERE Score = 1");
  for (int i = 0; i < 3; ++i) database_->Execute("DELETE FROM Scores WHERE Score = 1");
  EXPECT_EQ(database_->File()->Translate("DELETE FROM Scores WHERE Score = 1"), first);
  database_->Execute("ALTER TABLE Scores ADD COLUMN X LONG");
  EXPECT_NE(database_->File()->Translate("DELETE FROM Scores WHERE Score = 1"), first);
}

}  // namespace
}  // namespace qb::jet::test
