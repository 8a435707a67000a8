// Row-returning Jet statements run against a real file through the row reader: every SELECT
// shape, unions, subqueries, crosstabs, saved queries as sources, aggregates and the Jet types of
// their results, parameters, and the errors.
#include <gtest/gtest.h>

#include "query_corpus_support.h"

namespace qb::jet::test {
namespace {

struct SelectCase {
  const char* name;
  const char* jet_sql;
  const char* rows;     // expected rows, "a|b; c|d"; ignored when ERROR is set
  const char* columns = nullptr;  // expected "Name/type, ..."; nullptr: not checked
  int error = 0;
};

class SelectCorpusTest : public QueryCorpusBase, public ::testing::WithParamInterface<SelectCase> {};

TEST_P(SelectCorpusTest, Runs) {
  const SelectCase& c = GetParam();
  if (c.error != 0) {
    EXPECT_EQ(ErrorOf([&] { ReadQueryRows(*database_->File(), c.jet_sql, {}); }).number, c.error) << c.jet_sql;
    return;
  }
  QueryRows result = ReadQueryRows(*database_->File(), c.jet_sql, {});
  EXPECT_EQ(RowsText(result), c.rows) << c.jet_sql;
  if (c.columns) {
    EXPECT_EQ(ColumnsText(result), c.columns) << c.jet_sql;
  }
}

const SelectCase kSelects[] = {
    // Ordering and grouping of text follow the sort order, case ignored.
    {"OrderTextIgnoringCase", "SELECT Name FROM Customers ORDER BY Name", "Ann; bob; Cid; Dee", "Name/10"},
    {"OrderDescendingNullsLast", "SELECT City FROM Customers ORDER BY City DESC, ID", "Rome; Oslo; oslo; Null"},
    {"GroupTextIgnoringCase", "SELECT Count(*) AS N FROM Customers GROUP BY City ORDER BY Count(*)", "1; 1; 2", "N/4"},
    {"DistinctIgnoresCase", "SELECT Count(*) AS N FROM (SELECT DISTINCT City FROM Customers) AS D", "3"},
    {"DistinctOfSeveralColumns", "SELECT DISTINCT CustID, Amount FROM Orders WHERE Amount = 20 ORDER BY CustID",
     "1|20; 3|20"},
    {"DistinctRowKeepsOneRowPerSourceRow",
     "SELECT DISTINCTROW Customers.Name FROM Customers INNER JOIN Orders ON Customers.ID = Orders.CustID "
     "ORDER BY Customers.Name",
     "Ann; bob; Cid"},
    {"WithoutDistinctRowJoinRepeats",
     "SELECT Customers.Name FROM Customers INNER JOIN Orders ON Customers.ID = Orders.CustID ORDER BY Customers.Name",
     "Ann; Ann; bob; Cid"},
    // Like with a constant pattern, a pattern that changes from row to row, and a bad pattern.
    {"LikeConstantPatternOnEachRow", "SELECT Name FROM Customers WHERE Name Like '*B*' ORDER BY Name", "bob"},
    {"LikePatternFromEachRow",
     "SELECT Name FROM Customers WHERE 'ann-CID' Like '*' & Name & '*' ORDER BY Name", "Ann; Cid"},
    {"LikeOfANumberMatchesItsText", "SELECT Count(*) AS N FROM Scores WHERE Score Like '[89]#'", "3"},
    {"LikeBadPatternRaises", "SELECT Name FROM Customers WHERE Name Like '[a'", "", nullptr, 93},
    // TOP keeps ties on the last ORDER BY value; PERCENT rounds the row count up.
    {"TopKeepsTies", "SELECT TOP 2 Score FROM Scores ORDER BY Score DESC", "90; 80; 80"},
    {"TopWithoutTies", "SELECT TOP 1 Name FROM Scores ORDER BY Score, Name", "e"},
    {"TopPercent", "SELECT TOP 40 PERCENT Score FROM Scores ORDER BY Score", "60; 70"},
    {"TopPercentRoundsUpAndKeepsTies", "SELECT TOP 50 PERCENT Score FROM Scores ORDER BY Score", "60; 70; 80; 80"},
    {"TopZeroIsASyntaxError", "SELECT TOP 0 Score FROM Scores", "", nullptr, 3308},
    // Names of result columns.
    {"AliasesAndExprNames", "SELECT Name, Score * 2, Score + 1 AS Plus, Name & '!' FROM Scores WHERE Name = 'a'",
     "a|180|91|a!", "Name/10, Expr1000/4, Plus/4, Expr1001/10"},
    {"BracketedAliasWithSpaces", "SELECT Score AS [The Score] FROM Scores WHERE Score > 85", "90", "The Score/4"},
    {"StarOfAJoinQualifiesSharedNames",
     "SELECT * FROM Customers INNER JOIN Scores ON Customers.Name = Scores.Name", "",
     "ID/4, Customers.Name/10, City/10, Scores.Name/10, Score/4"},
    {"TwoColumnsOfOneNameAre3062", "SELECT Name AS X, City AS X FROM Customers", "", nullptr, 3062},
    // Arithmetic types: the smallest type holding both operands (an integer literal that fits
    // Integer is one), Currency with integers, Double with Single and Long; / gives Double, \ and
    // Mod an integer type; a value outgrowing its type at run time widens.
    {"ArithmeticResultTypes",
     "SELECT Qty * 2 AS A, Qty * 40000 AS B, Qty + Amount AS C, Qty / 2 AS D, Qty \\ 2 AS E, Amount \\ 2 AS F, "
     "Qty Mod 2 AS G, Amount * 2.5 AS H, Shipped + 1 AS I, -Qty AS J, OrderDate - OrderDate AS K, "
     "CSng(Qty) * OrderID AS L, CSng(Qty) * 3 AS M, CByte(Qty) * CByte(2) AS N FROM Orders WHERE OrderID = 10",
     "4|80000|12.5|1|1|5|0|26.25|0|-2|0|20|6|4",
     "A/3, B/4, C/5, D/7, E/3, F/4, G/3, H/7, I/3, J/3, K/7, L/7, M/6, N/2"},
    {"IntegerArithmeticWidensAtRunTime", "SELECT Qty * 20000 AS X FROM Orders WHERE OrderID = 10", "40000", "X/3"},
    // Joins.
    {"LeftJoin",
     "SELECT Customers.Name, Orders.OrderID FROM Customers LEFT JOIN Orders ON Customers.ID = Orders.CustID "
     "ORDER BY Customers.Name, Orders.OrderID",
     "Ann|10; Ann|11; bob|12; Cid|13; Dee|Null"},
    {"RightJoin",
     "SELECT Customers.Name, Orders.OrderID FROM Customers RIGHT JOIN Orders ON Customers.ID = Orders.CustID "
     "ORDER BY Orders.OrderID",
     "Ann|10; Ann|11; bob|12; Cid|13; Null|14"},
    {"NestedJoinsWithAliases",
     "SELECT C.Name, O.OrderID, S.Score FROM (Customers AS C INNER JOIN Orders AS O ON C.ID = O.CustID) "
     "INNER JOIN Scores AS S ON O.Qty * 30 = S.Score ORDER BY O.OrderID",
     "Ann|10|60; bob|12|90"},
    {"LeftJoinInsideInnerJoin",
     "SELECT S.Name, C.Name FROM Scores AS S INNER JOIN (Customers AS C LEFT JOIN Orders AS O ON C.ID = O.CustID) "
     "ON S.Score = O.Qty * 30 ORDER BY S.Name",
     "a|bob; e|Ann"},
    {"CommaJoin", "SELECT Count(*) AS N FROM Customers, Scores", "20", "N/4"},
    {"CommaJoinFilteredInWhere",
     "SELECT Customers.Name FROM Customers, Orders WHERE Customers.ID = Orders.CustID AND Orders.Qty = 3", "bob"},
    {"NonEquiJoin",
     "SELECT O.OrderID FROM Orders AS O INNER JOIN Scores AS S ON O.Qty * 20 > S.Score AND S.Name = 'a'",
     "14"},
    {"SelfJoin",
     "SELECT A.OrderID, B.OrderID FROM Orders AS A INNER JOIN Orders AS B ON A.Amount = B.Amount "
     "AND A.OrderID < B.OrderID",
     "11|13"},
    {"AmbiguousField", "SELECT Name FROM Customers, Scores", "", nullptr, 3079},
    {"UnknownTable", "SELECT * FROM Nowhere", "", nullptr, 3078},
    {"SourceNamedTwice", "SELECT * FROM Scores, Scores", "", nullptr, 3074},
    // WHERE, GROUP BY, HAVING.
    {"WhereWithLikeAndBetween",
     "SELECT OrderID FROM Orders WHERE OrderDate BETWEEN #1/2/2000# AND #1/3/2000 23:00# AND CustID Like '[12]' "
     "ORDER BY OrderID",
     "11; 12"},
    {"GroupByHaving",
     "SELECT CustID, Sum(Amount) AS Total, Count(*) AS N FROM Orders GROUP BY CustID HAVING Count(*) > 1",
     "1|30.5|2", "CustID/4, Total/5, N/4"},
    {"HavingWithoutGroupBy", "SELECT Sum(Amount) AS S, Count(*) AS N FROM Orders HAVING Count(*) > 1", "62.75|5", "S/5, N/4"},
    {"HavingWithoutGroupByFails", "SELECT Count(*) AS N FROM Orders HAVING Count(*) > 100", ""},
    {"GroupByExpression",
     "SELECT Amount >= 10 AS Big, Count(*) AS N FROM Orders GROUP BY Amount >= 10 ORDER BY Amount >= 10",
     "True|3; False|2"},
    {"ValueOutsideAggregate", "SELECT CustID, Sum(Amount) FROM Orders", "", nullptr, 3122},
    {"AggregateInWhere", "SELECT OrderID FROM Orders WHERE Sum(Amount) > 1", "", nullptr, 3096},
    {"AggregateOfEmptyInput", "SELECT Sum(Amount) AS S, Count(*) AS N, Count(Amount) AS C FROM Orders WHERE Qty > 9",
     "Null|0|0"},
    // Aggregates and the Jet types of their results.
    {"AggregatesOfCurrency",
     "SELECT Count(Amount) AS C, Sum(Amount) AS S, Avg(Amount) AS A, Min(Amount) AS Mi, Max(Amount) AS Ma "
     "FROM Orders",
     "5|62.75|12.55|5.25|20", "C/4, S/5, A/5, Mi/5, Ma/5"},
    {"FirstAndLast", "SELECT First(Name) AS F, Last(Name) AS L FROM Scores", "a|e", "F/10, L/10"},
    {"SumOfIntegerWidens", "SELECT Sum(Qty) AS S, Min(Qty) AS Mi FROM Orders", "12|1", "S/4, Mi/3"},
    {"Spread",
     "SELECT StDev(Score) AS SD, StDevP(Score) AS SDP, Var(Score) AS V, VarP(Score) AS VP FROM Scores",
     "11.4017542509914|10.1980390271856|130|104", "SD/7, SDP/7, V/7, VP/7"},
    {"SpreadOfOneValueIsNull", "SELECT StDev(Score) AS SD, VarP(Score) AS VP FROM Scores WHERE Score > 85",
     "Null|0"},
    {"MinMaxOfTextAndDates", "SELECT Min(Name) AS A, Max(OrderDate) AS D FROM Customers, Orders",
     "Ann|36529", "A/10, D/8"},
    {"CountOfNullsSkipsThem", "SELECT Count(City) AS N FROM Customers", "3"},
    // UNION.
    {"UnionRemovesDuplicates", "SELECT Score FROM Scores UNION SELECT Qty * 10 FROM Orders ORDER BY Score",
     "10; 20; 30; 50; 60; 70; 80; 90", "Score/4"},
    {"UnionAllKeepsThem",
     "SELECT Name FROM Customers WHERE ID < 3 UNION ALL SELECT Name FROM Scores WHERE Score > 85 ORDER BY Name",
     "a; Ann; bob"},
    {"UnionOfTextIgnoresCase",
     "SELECT Count(*) AS N FROM (SELECT City FROM Customers UNION SELECT 'ROME' FROM Scores) AS U", "3"},
    {"UnionWithTable",
     "SELECT Name, Score FROM Scores WHERE Score > 85 UNION TABLE Scores UNION SELECT Name, Score FROM Scores "
     "WHERE Score < 0 ORDER BY Score DESC, Name",
     "a|90; b|80; c|80; d|70; e|60"},
    {"UnionStartingWithTable",
     "TABLE Scores UNION ALL SELECT Name, ID FROM Customers WHERE ID = 1 ORDER BY Score, Name",
     "Ann|1; e|60; d|70; b|80; c|80; a|90", "Name/10, Score/4"},
    {"ParametersBeforeTable", "PARAMETERS [Least] Long; TABLE Scores UNION SELECT Name, Score FROM Scores "
     "WHERE Score > [Least] ORDER BY Score DESC", "", nullptr, 3061},
    {"TableAloneIsNoQuery", "TABLE Scores", "", nullptr, 3319},
    {"UnionPartsOfDifferentWidths", "SELECT Name FROM Scores UNION SELECT Name, City FROM Customers", "", nullptr,
     3307},
    // Subqueries.
    {"InSubquery",
     "SELECT Name FROM Customers WHERE ID IN (SELECT CustID FROM Orders WHERE Amount >= 20) ORDER BY Name",
     "Ann; Cid"},
    {"NotExists",
     "SELECT Name FROM Customers AS C WHERE NOT EXISTS (SELECT * FROM Orders WHERE Orders.CustID = C.ID)", "Dee"},
    {"AnySubquery", "SELECT Score FROM Scores WHERE Score = ANY (SELECT Qty * 30 FROM Orders) ORDER BY Score",
     "60; 90"},
    {"AllSubquery", "SELECT Name FROM Scores WHERE Score >= ALL (SELECT Score FROM Scores)", "a"},
    {"ScalarSubquery",
     "SELECT Name, (SELECT Max(Amount) FROM Orders WHERE CustID = Customers.ID) AS MaxAmt FROM Customers "
     "ORDER BY ID",
     "Ann|20; bob|5.25; Cid|20; Dee|Null", "Name/10, MaxAmt/5"},
    {"SubqueryInFrom", "SELECT T.C FROM (SELECT CustID AS C FROM Orders WHERE Qty > 2) AS T ORDER BY T.C", "2; 9"},
    {"SubqueryOfSeveralColumns", "SELECT Name FROM Customers WHERE ID IN (SELECT CustID, Qty FROM Orders)", "",
     nullptr, 3306},
    // Saved queries used as tables.
    {"SavedQueryAsTable", "SELECT OrderID FROM BigOrders ORDER BY OrderID", "10; 11; 13"},
    {"SavedQueryJoined",
     "SELECT P.Name, B.Amount FROM OsloPeople AS P INNER JOIN BigOrders AS B ON P.ID = B.CustID "
     "ORDER BY B.OrderID",
     "Ann|10.5; Ann|20; Cid|20", "Name/10, Amount/5"},
    {"SavedActionQueryIsNoSource", "SELECT * FROM [Purge Scores]", "", nullptr, 3078},
    // Crosstabs.
    {"CrosstabWithInList",
     "TRANSFORM Sum(Amount) SELECT CustID FROM Orders GROUP BY CustID PIVOT Qty IN (1, 2)",
     "1|20|10.5; 2|Null|Null; 3|20|Null; 9|Null|Null", "CustID/4, 1/5, 2/5"},
    {"CrosstabWithoutInList",
     "TRANSFORM Count(OrderID) SELECT Shipped FROM Orders GROUP BY Shipped PIVOT CustID",
     "True|1|1|Null|Null; False|1|Null|1|1", "Shipped/1, 1/4, 2/4, 3/4, 9/4"},
    {"CrosstabWithHaving", "TRANSFORM Sum(Amount) SELECT CustID FROM Orders GROUP BY CustID HAVING Sum(Amount) > 1 "
     "PIVOT Qty", "", nullptr, 3092},
    // Statements that return no rows.
    {"ActionIsNoRowSource", "DELETE FROM Scores", "", nullptr, 3219},
    {"DdlIsNoRowSource", "DROP TABLE Scores", "", nullptr, 3219},
    {"ImplicitParameterNeedsAValue", "SELECT OrderID FROM Orders WHERE Qty = Wanted", "", nullptr, 3061},
};

INSTANTIATE_TEST_SUITE_P(Corpus, SelectCorpusTest, ::testing::ValuesIn(kSelects),
                         [](const auto& info) { return std::string(info.param.name); });

class SelectParametersTest : public QueryCorpusBase {};

TEST_F(SelectParametersTest, DeclaredAndImplicitParametersTakeValuesInOrder) {
  EXPECT_EQ(Rows("PARAMETERS [Min] Currency; SELECT OrderID FROM Orders WHERE Amount >= [Min] ORDER BY OrderID",
                 {Variant(20)}),
            "11; 13");
  EXPECT_EQ(Rows("PARAMETERS [From] DateTime; SELECT OrderID FROM Orders WHERE OrderDate >= [From] AND Qty < Most "
                 "ORDER BY OrderID",
                 {Variant::FromDate(36527), Variant(3)}),
            "11; 13");
  // Text values are data, never SQL.
  EXPECT_EQ(Rows("SELECT Count(*) AS N FROM Customers WHERE Name = Who", {Variant("x' OR 'a' = 'a")}), "0");
  EXPECT_EQ(ErrorOf([&] { Rows("SELECT OrderID FROM Orders WHERE Qty = A AND CustID = B", {Variant(1)}); }).number,
            3061);
  const CaughtError missing = ErrorOf([&] { Rows("SELECT OrderID FROM Orders WHERE Qty = A AND CustID = B"); });
  EXPECT_EQ(missing.number, 3061);
  EXPECT_NE(missing.message.find("Expected 2"), std::string::npos) << missing.message;
  // A crosstab's pivot values are read with its parameters.
  EXPECT_EQ(Rows("PARAMETERS [Q] Short; TRANSFORM Sum(Amount) SELECT CustID FROM Orders WHERE Qty > [Q] "
                 "GROUP BY CustID PIVOT Qty",
                 {Variant(static_cast<std::int16_t>(2))}),
            "2|5.25|Null; 9|Null|7");
}

TEST_F(SelectParametersTest, MaxRecordsLimitsTheRowsRead) {
  EXPECT_EQ(RowsText(ReadQueryRows(*database_->File(), "SELECT Score FROM Scores ORDER BY Score", {}, 2)), "60; 70");
  EXPECT_EQ(RowsText(ReadQueryRows(*database_->File(), "SELECT Score FROM Scores ORDER BY Score", {}, 0)),
            "60; 70; 80; 80; 90");
}

TEST_F(SelectParametersTest, SavedQueryChangesReachCachedTranslations) {
  EXPECT_EQ(Rows("SELECT Count(*) AS N FROM BigOrders"), "3");
  database_->TEST_ExecuteSql(
      "UPDATE MSysQueries SET SQL = 'SELECT * FROM Orders WHERE Amount >= 20' WHERE ObjectId = "
      "(SELECT Id FROM MSysObjects WHERE Name = 'BigOrders')");
  NoteCatalogChanged(database_->File()->EngineConnection(true));
  EXPECT_EQ(Rows("SELECT Count(*) AS N FROM BigOrders"), "2");
  // A table change reaches them without any note.
  EXPECT_EQ(Rows("SELECT * FROM Scores WHERE Score > 85"), "a|90");
  database_->Execute("ALTER TABLE Scores ADD COLUMN Extra TEXT");
  EXPECT_EQ(Rows("SELECT * FROM Scores WHERE Score > 85"), "a|90|Null");
}

TEST_F(SelectParametersTest, RolledBackDefinitionsDoNotLinger) {
  database_->BeginTrans();
  database_->Execute("ALTER TABLE Scores ADD COLUMN Extra TEXT");
  EXPECT_EQ(Rows("SELECT * FROM Scores WHERE Score > 85"), "a|90|Null");
  database_->Rollback();
  // Another change brings the file's versions back to where they were inside the transaction.
  database_->Execute("ALTER TABLE Scores ADD COLUMN Other LONG");
  EXPECT_EQ(Rows("SELECT * FROM Scores WHERE Score > 85"), "a|90|Null");
  QueryRows result = ReadQueryRows(*database_->File(), "SELECT * FROM Scores WHERE Score > 85", {});
  EXPECT_EQ(ColumnsText(result), "Name/10, Score/4, Other/4");
}

}  // namespace
}  // namespace qb::jet::test
