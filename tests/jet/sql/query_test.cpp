// End-to-end tests of Jet queries: translate against an in-memory schema, run the SQLite SQL on
// an in-memory database holding the same tables (made by raw SQL), and compare the rows, the
// rows an action leaves behind, or the Jet error number. Rows come as SQLite holds them:
// Currency (Orders.Amount) in ten-thousandths.
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "jet/base/jet_types.h"
#include "jet/sql/translate/memory_schema.h"
#include "jet/sql/translate/parameter_binding.h"
#include "jet/sql/translate/query_translator.h"
#include "jet/sql/functions/sqlite_functions.h"
#include "jet/sql/translate/translation_cache.h"
#include "sql_test_util.h"

namespace qb::jet::sql {
namespace {

using test::ErrorNumberOf;

// ASCII case-insensitive order, standing in for the engine's ICU collation.
int NoCase(void*, int na, const void* a, int nb, const void* b) {
  const auto* x = static_cast<const unsigned char*>(a);
  const auto* y = static_cast<const unsigned char*>(b);
  for (int i = 0; i < na && i < nb; ++i) {
    int d = std::tolower(x[i]) - std::tolower(y[i]);
    if (d != 0) return d;
  }
  return na - nb;
}

constexpr const char* kSetup = R"(
CREATE TABLE Customers (ID INTEGER PRIMARY KEY, Name TEXT COLLATE JETNOCASE,
                        City TEXT COLLATE JETNOCASE);
INSERT INTO Customers VALUES (1, 'Ann', 'Oslo'), (2, 'bob', 'Rome'), (3, 'Cid', 'oslo'),
                             (4, 'Dee', NULL);
CREATE TABLE Orders (OrderID INTEGER PRIMARY KEY, CustID INTEGER, Amount INTEGER, Qty INTEGER,
                     OrderDate REAL);
INSERT INTO Orders VALUES (10, 1, 105000, 2, 36526), (11, 1, 200000, 1, 36527), (12, 2, 52500, 3, 36528),
                          (13, 3, 200000, 1, 36529), (14, 9, 70000, 5, NULL);
CREATE TABLE Scores (Name TEXT COLLATE JETNOCASE, Score INTEGER);
INSERT INTO Scores VALUES ('a', 90), ('b', 80), ('c', 80), ('d', 70), ('e', 60);
)";

// The schema the database layer would describe for kSetup, plus saved queries.
MemorySchema MakeSchema() {
  using namespace dao_type;
  MemorySchema schema;
  schema.AddTable("Customers", {{"ID", kLong, 0, true, true}, {"Name", kText, 50},
                                {"City", kText, 30}});
  schema.AddTable("Orders", {{"OrderID", kLong}, {"CustID", kLong}, {"Amount", kCurrency},
                             {"Qty", kInteger}, {"OrderDate", kDate}});
  schema.AddTable("Scores", {{"Name", kText, 10}, {"Score", kLong}});
  schema.AddQuery("BigOrders", "SELECT * FROM Orders WHERE Amount >= 10;");
  schema.AddQuery("ParamQ",
                  "PARAMETERS [MinAmt] Currency; SELECT OrderID FROM Orders WHERE Amount >= MinAmt");
  schema.AddQuery("Loop1", "SELECT * FROM Loop2");
  schema.AddQuery("Loop2", "SELECT * FROM Loop1");
  schema.AddQuery("Purge", "DELETE FROM Orders");
  return schema;
}

class Database {
 public:
  Database() {
    sqlite3_open(":memory:", &db_);
    EXPECT_TRUE(RegisterJetFunctions(db_));
    sqlite3_create_collation(db_, "JETNOCASE", SQLITE_UTF8, nullptr, NoCase);
    EXPECT_EQ(sqlite3_exec(db_, kSetup, nullptr, nullptr, nullptr), SQLITE_OK);
  }
  ~Database() { sqlite3_close(db_); }
  sqlite3* db() { return db_; }

  // Rows as "a|b; c|d"; Null as "Null", reals with 15 digits. A SQLite failure comes back as
  // "sqlite: message in: SQL" so that a test failure shows the statement.
  std::string Run(const std::string& sql, const std::vector<Variant>& params = {},
                  std::vector<std::vector<Variant>>* values = nullptr) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      return "sqlite: " + std::string(sqlite3_errmsg(db_)) + " in: " + sql;
    }
    std::string out;
    try {
      BindParameters(stmt, params);
    } catch (...) {
      sqlite3_finalize(stmt);
      throw;
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      if (!out.empty()) out += "; ";
      std::vector<Variant> row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        if (i > 0) out += "|";
        char buffer[40];
        switch (sqlite3_column_type(stmt, i)) {
          case SQLITE_NULL: out += "Null"; row.push_back(Variant::Null()); break;
          case SQLITE_INTEGER:
            out += std::to_string(sqlite3_column_int64(stmt, i));
            row.push_back(Variant(static_cast<int>(sqlite3_column_int64(stmt, i))));
            break;
          case SQLITE_FLOAT:
            std::snprintf(buffer, sizeof buffer, "%.15g", sqlite3_column_double(stmt, i));
            out += buffer;
            row.push_back(Variant(sqlite3_column_double(stmt, i)));
            break;
          default: {
            std::string text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            out += text;
            row.push_back(Variant(text));
          }
        }
      }
      if (values) values->push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) out = "sqlite: " + std::string(sqlite3_errmsg(db_)) + " in: " + sql;
    sqlite3_finalize(stmt);
    return out;
  }

 private:
  sqlite3* db_ = nullptr;
};

// Translates JET and runs it as the database layer would: the make-table's CREATE first, the
// crosstab's pivot values query first. Returns the rows, or "#N" for a Jet error.
std::string RunJet(Database& db, const MemorySchema& schema, const std::string& jet,
                   const std::vector<Variant>& params, const char* check) {
  try {
    TranslatedQuery query = TranslateQuery(jet, schema);
    if (query.NeedsPivotValues()) {
      std::vector<std::vector<Variant>> rows;
      std::string listed = db.Run(query.pivot_values_sql, params, &rows);
      if (listed.rfind("sqlite:", 0) == 0) return listed;
      std::vector<Variant> values;
      for (auto& row : rows) values.push_back(row[0]);
      query = TranslateCrosstab(jet, schema, values);
    }
    if (!query.create_table_sql.empty()) db.Run(query.create_table_sql);
    std::string rows = db.Run(query.sql, params);
    if (check) return rows.rfind("sqlite:", 0) == 0 ? rows : db.Run(check);
    return rows;
  } catch (const EOleException& e) {
    return "#" + std::to_string(e.ErrorCode());
  }
}

struct QueryCase {
  const char* jet;
  const char* expected;          // rows, or "#N"
  std::vector<Variant> params = {};
  const char* check = nullptr;   // raw SQL whose rows show what an action query did
};

void PrintTo(const QueryCase& c, std::ostream* os) { *os << c.jet; }

class JetQueryRows : public ::testing::TestWithParam<QueryCase> {};

TEST_P(JetQueryRows, GiveJetsRowsOrError) {
  Database db;
  MemorySchema schema = MakeSchema();
  const QueryCase& c = GetParam();
  std::string sql;
  try {
    sql = TranslateQuery(c.jet, schema).sql;
  } catch (const EOleException&) {
  }
  EXPECT_EQ(RunJet(db, schema, c.jet, c.params, c.check), c.expected) << "SQL: " << sql;
}

INSTANTIATE_TEST_SUITE_P(
    Select, JetQueryRows,
    ::testing::Values(
        QueryCase{"SELECT Name FROM Customers ORDER BY ID;", "Ann; bob; Cid; Dee"},
        QueryCase{"SELECT ALL c.Name AS [Who is it] FROM Customers c WHERE c.ID = 2", "bob"},
        // Text ordering, grouping, DISTINCT and UNION ignore case.
        QueryCase{"SELECT Name FROM Customers WHERE ID < 4 ORDER BY Name DESC", "Cid; bob; Ann"},
        QueryCase{"SELECT Count(*) AS n FROM Customers GROUP BY City ORDER BY Count(*) DESC, 1",
                  "2; 1; 1"},
        QueryCase{"SELECT Count(*) FROM (SELECT DISTINCT City FROM Customers) AS q", "3"},
        QueryCase{"SELECT Count(*) FROM (SELECT DISTINCT City & '' AS c FROM Customers) AS q",
                  "3"},
        QueryCase{"SELECT Count(*) FROM (SELECT City FROM Customers WHERE ID = 1 UNION "
                  "SELECT City FROM Customers WHERE ID = 3) AS q", "1"},
        QueryCase{"SELECT Count(*) FROM (SELECT City FROM Customers WHERE ID = 1 UNION ALL "
                  "SELECT City FROM Customers WHERE ID = 3) AS q", "2"},
        QueryCase{"SELECT Name FROM Customers WHERE ID = 1 UNION SELECT Name FROM Scores WHERE "
                  "Score = 90 ORDER BY Name DESC", "Ann; a"},
        QueryCase{"SELECT Name FROM Customers WHERE ID = 2 UNION TABLE Scores", "#3307"},
        QueryCase{"SELECT TOP 1 Name, Score FROM Scores WHERE Score < 65 UNION SELECT Name, ID "
                  "FROM Customers WHERE ID > 3 ORDER BY 2", "Dee|4; e|60"},
        // TOP keeps ties on the ORDER BY keys; PERCENT rounds up; Null sorts first.
        QueryCase{"SELECT TOP 2 Score FROM Scores ORDER BY Score DESC", "90; 80; 80"},
        QueryCase{"SELECT TOP 3 Name FROM Scores ORDER BY Score DESC, Name", "a; b; c"},
        QueryCase{"SELECT TOP 4 Score FROM Scores ORDER BY Score DESC", "90; 80; 80; 70"},
        QueryCase{"SELECT TOP 40 PERCENT Score FROM Scores ORDER BY Score DESC", "90; 80; 80"},
        QueryCase{"SELECT TOP 10 PERCENT Score FROM Scores ORDER BY Score", "60"},
        QueryCase{"SELECT TOP 100 Score FROM Scores ORDER BY Score", "60; 70; 80; 80; 90"},
        QueryCase{"SELECT TOP 1 City FROM Customers ORDER BY City", "Null"},
        QueryCase{"SELECT TOP 1 City FROM Customers ORDER BY City DESC", "Rome"},
        QueryCase{"SELECT Count(*) FROM (SELECT TOP 2 City FROM Customers ORDER BY City) AS q",
                  "3"},
        QueryCase{"SELECT Count(*) FROM (SELECT TOP 2 Name FROM Scores) AS q", "2"},
        QueryCase{"SELECT Count(*) FROM (SELECT TOP 50 PERCENT Name FROM Scores) AS q", "3"},
        QueryCase{"SELECT TOP 2 Name FROM Scores WHERE Score < [Limit] ORDER BY Score",
                  "e; d", {Variant(75)}},
        QueryCase{"SELECT TOP 0 Name FROM Scores", "#3308"},
        QueryCase{"SELECT TOP 1.5 Name FROM Scores", "#3308"},
        QueryCase{"SELECT TOP 101 PERCENT Name FROM Scores", "#3308"},
        // Joins, Jet's nesting, RIGHT JOIN as a swapped LEFT JOIN.
        QueryCase{"SELECT Customers.Name, Orders.OrderID FROM Customers INNER JOIN Orders ON "
                  "Customers.ID = Orders.CustID ORDER BY Orders.OrderID",
                  "Ann|10; Ann|11; bob|12; Cid|13"},
        QueryCase{"SELECT c.Name, o.OrderID FROM Customers AS c LEFT OUTER JOIN Orders AS o ON "
                  "c.ID = o.CustID WHERE o.OrderID Is Null", "Dee|Null"},
        QueryCase{"SELECT o.OrderID, c.Name FROM Customers AS c RIGHT JOIN Orders AS o ON "
                  "c.ID = o.CustID WHERE c.ID Is Null", "14|Null"},
        QueryCase{"SELECT c.Name, o.OrderID, s.Name FROM (Customers AS c INNER JOIN Orders AS o "
                  "ON c.ID = o.CustID) INNER JOIN Scores AS s ON o.Qty * 10 + 60 = s.Score "
                  "WHERE o.Qty <> 2 ORDER BY o.OrderID", "Ann|11|d; bob|12|a; Cid|13|d"},
        QueryCase{"SELECT c.Name FROM Customers AS c LEFT JOIN (Orders AS o INNER JOIN Scores "
                  "AS s ON o.Qty * 10 + 60 = s.Score) ON c.ID = o.CustID WHERE o.OrderID Is "
                  "Null", "Dee"},
        QueryCase{"SELECT s.Name, o.OrderID FROM (Customers AS c INNER JOIN Orders AS o ON "
                  "c.ID = o.CustID) RIGHT JOIN Scores AS s ON o.Qty * 10 + 60 = s.Score WHERE "
                  "o.OrderID Is Null", "e|Null"},
        QueryCase{"SELECT Count(*) FROM Customers, Scores", "20"},
        QueryCase{"SELECT e.Name FROM Scores AS e, Scores AS f WHERE e.Score = f.Score AND "
                  "e.Name < f.Name", "b"},
        QueryCase{"SELECT Name FROM Customers a JOIN Orders o ON a.ID = o.CustID", "#3131"},
        QueryCase{"SELECT Name FROM Customers FULL JOIN Orders ON ID = CustID", "#3131"},
        QueryCase{"SELECT Name FROM Customers INNER JOIN Orders ID = CustID", "#3135"},
        QueryCase{"SELECT Name FROM Customers, Customers", "#3074"},
        QueryCase{"SELECT Name FROM Customers, Scores", "#3079"},
        QueryCase{"SELECT * FROM Nowhere", "#3078"},
        // Aggregates.
        QueryCase{"SELECT CustID, Sum(Amount) AS Total FROM Orders GROUP BY CustID HAVING "
                  "Sum(Amount) > 10 ORDER BY CustID", "1|305000; 3|200000"},
        QueryCase{"SELECT Count(*), Sum(Amount), Count(OrderDate) FROM Orders WHERE OrderID > 100",
                  "0|Null|0"},
        QueryCase{"SELECT Count(City), Min(Name), Max(Name) FROM Customers", "3|Ann|Dee"},
        QueryCase{"SELECT Avg(Qty), Max(OrderDate) - Min(OrderDate) FROM Orders", "2.4|3"},
        QueryCase{"SELECT First(Name), Last(Name), First(City), Last(City) FROM Customers",
                  "Ann|Dee|Oslo|Null"},
        QueryCase{"SELECT CustID, First(OrderID), Last(OrderID) FROM Orders GROUP BY CustID "
                  "ORDER BY CustID", "1|10|11; 2|12|12; 3|13|13; 9|14|14"},
        QueryCase{"SELECT Var(Score), VarP(Score), StDev(Score), StDevP(Score) FROM Scores",
                  "130|104|11.4017542509914|10.1980390271856"},
        QueryCase{"SELECT StDev(Score), StDevP(Score), Var(Null) FROM Scores WHERE Name = 'a'",
                  "Null|0|Null"},
        QueryCase{"SELECT Count(*) FROM Orders WHERE Sum(Amount) > 1", "#3096"},
        QueryCase{"SELECT Qty FROM Orders GROUP BY Count(*)", "#3098"},
        QueryCase{"SELECT Sum(Count(*)) FROM Orders", "#3095"},
        QueryCase{"SELECT Count(Orders.*) FROM Orders", "#3075"},
        // In an aggregate query every value outside an aggregate is grouped.
        QueryCase{"SELECT Name, Count(*) FROM Customers", "#3122"},
        QueryCase{"SELECT * FROM Customers GROUP BY ID", "#3122"},
        QueryCase{"SELECT City FROM Customers GROUP BY City HAVING Name > 'a'", "#3122"},
        QueryCase{"SELECT Name & '/' & City, Count(*) FROM Customers WHERE ID < 3 GROUP BY "
                  "Name, City ORDER BY 1", "Ann/Oslo|1; bob/Rome|1"},
        QueryCase{"SELECT UCase(City) & '!' AS c, Count(*) AS n FROM Customers GROUP BY "
                  "UCase(City) & '!' HAVING Count(*) > 1", "OSLO!|2"},
        QueryCase{"SELECT ([Name] LIKE 'b*') AND ([ID] = 2) FROM Customers WHERE ([Name] LIKE "
                  "'b*') AND ([ID] = 2)", "-1"},
        // DISTINCTROW counts source rows, not output values.
        QueryCase{"SELECT DISTINCTROW c.Name FROM Customers AS c INNER JOIN Orders AS o ON "
                  "c.ID = o.CustID ORDER BY c.Name", "Ann; bob; Cid"},
        QueryCase{"SELECT c.Name FROM Customers AS c INNER JOIN Orders AS o ON c.ID = o.CustID "
                  "ORDER BY c.Name", "Ann; Ann; bob; Cid"},
        QueryCase{"SELECT DISTINCTROW s.Score FROM Scores AS s", "90; 80; 80; 70; 60"},
        QueryCase{"SELECT DISTINCTROW q.Qty FROM BigOrders AS q INNER JOIN Customers AS c ON "
                  "c.ID = q.CustID ORDER BY q.Qty", "1; 2"},
        // Subqueries: In, Exists, scalar, Any / Some / All, in FROM.
        QueryCase{"SELECT Name FROM Customers WHERE ID In (SELECT CustID FROM Orders WHERE "
                  "Amount >= 20) ORDER BY ID", "Ann; Cid"},
        QueryCase{"SELECT Name FROM Customers WHERE ID Not In (SELECT CustID FROM Orders)",
                  "Dee"},
        QueryCase{"SELECT Name FROM Customers AS c WHERE Exists (SELECT * FROM Orders AS o "
                  "WHERE o.CustID = c.ID AND o.Qty > 2)", "bob"},
        QueryCase{"SELECT Name FROM Customers AS c WHERE Not Exists (SELECT * FROM Orders "
                  "WHERE CustID = c.ID)", "Dee"},
        QueryCase{"SELECT Name, (SELECT Count(*) FROM Orders WHERE CustID = Customers.ID) AS n "
                  "FROM Customers ORDER BY ID", "Ann|2; bob|1; Cid|1; Dee|0"},
        QueryCase{"SELECT Score FROM Scores WHERE Score > Any (SELECT Score FROM Scores WHERE "
                  "Name In ('d', 'e')) ORDER BY Score", "70; 80; 80; 90"},
        QueryCase{"SELECT Score FROM Scores WHERE Score < SOME (SELECT Score FROM Scores WHERE "
                  "Name = 'd')", "60"},
        QueryCase{"SELECT Name FROM Scores WHERE Score >= All (SELECT Score FROM Scores)", "a"},
        QueryCase{"SELECT Name FROM Customers WHERE ID > All (SELECT CustID FROM Orders WHERE "
                  "CustID < 3)", "Cid; Dee"},
        QueryCase{"SELECT q.n FROM (SELECT Count(*) AS n FROM Orders) AS q", "5"},
        QueryCase{"SELECT OrderID FROM Orders AS o WHERE OrderID In (SELECT TOP 1 OrderID FROM "
                  "Orders WHERE CustID = o.CustID ORDER BY Amount DESC) ORDER BY 1",
                  "11; 12; 13; 14"},
        QueryCase{"SELECT n FROM (SELECT Name, Score AS n FROM Scores WHERE Score = 90) x", "90"},
        QueryCase{"SELECT (SELECT ID, Name FROM Customers) FROM Scores", "#3306"},
        QueryCase{"SELECT Name FROM Customers WHERE ID In (SELECT * FROM Orders)", "#3306"},
        // Saved queries as tables.
        QueryCase{"SELECT OrderID FROM BigOrders ORDER BY OrderID", "10; 11; 13"},
        QueryCase{"SELECT b.OrderID, c.Name FROM BigOrders AS b INNER JOIN Customers AS c ON "
                  "b.CustID = c.ID WHERE b.Qty = 2", "10|Ann"},
        QueryCase{"SELECT OrderID FROM ParamQ ORDER BY OrderID", "11; 13", {Variant(20)}},
        QueryCase{"SELECT * FROM Loop1", "#3102"},
        QueryCase{"SELECT * FROM Purge", "#3078"},
        // Parameters, declared and implicit; a name that is a column is never one.
        QueryCase{"PARAMETERS [Min Qty] Short; SELECT OrderID FROM Orders WHERE Qty >= "
                  "[Min Qty] ORDER BY OrderID", "12; 14", {Variant(std::int16_t{3})}},
        QueryCase{"PARAMETERS d DateTime; SELECT OrderID FROM Orders WHERE OrderDate > d "
                  "ORDER BY 1", "12; 13", {Variant::FromDate(36527)}},
        QueryCase{"SELECT Name FROM Customers WHERE ID = [Which]", "bob", {Variant(2)}},
        QueryCase{"SELECT [x] + 1, [x] * 2 FROM Scores WHERE Name = 'a'", "6|10", {Variant(5)}},
        QueryCase{"SELECT Name FROM Customers WHERE ID = [Which]", "#3061"},
        QueryCase{"SELECT Name FROM Customers WHERE ID = [Which]", "#3061", {Variant()}},
        QueryCase{"SELECT Name FROM Customers WHERE Name Like [Forms]![Find]![Pattern]", "bob",
                  {Variant("B*")}},
        // Syntax errors name their clause.
        QueryCase{"SELECT Name FROM", "#3131"},
        QueryCase{"SELECT Name FROM Customers WHERE", "#3075"},
        QueryCase{"SELECT Name FROM Customers ORDER Name", "#3138"},
        QueryCase{"SELECT Name FROM Customers GROUP Name", "#3132"},
        QueryCase{"SELECT Name, FROM Customers", "#3075"},
        QueryCase{"SELECT Name FROM Customers Scores Orders", "#3142"},
        QueryCase{"SELECT Name FROM Customers UNION", "#3319"},
        QueryCase{"SELECT Name FROM Customers ORDER BY Name UNION SELECT Name FROM Scores",
                  "#3319"},
        QueryCase{"SELECT Name FROM Customers UNION SELECT Name FROM Scores ORDER BY Qty",
                  "#3319"},
        QueryCase{"PARAMETERS x Long SELECT x", "#3137"},
        QueryCase{"PARAMETERS x Widget; SELECT x", "#3139"},
        QueryCase{"PARAMETERS x Long, X Text; SELECT x", "#3139"},
        QueryCase{"SELEC Name FROM Customers", "#3129"}));

// A Text field against a number, or a number field against text that reads as no number, is
// refused as the query is translated; text that reads as a number and expressions compare.
INSTANTIATE_TEST_SUITE_P(
    CriteriaTypes, JetQueryRows,
    ::testing::Values(
        QueryCase{"SELECT ID FROM Customers WHERE Name = 5", "#3464"},
        QueryCase{"SELECT ID FROM Customers AS c WHERE -5 < c.Name", "#3464"},
        QueryCase{"SELECT ID FROM Customers WHERE Name In ('Ann', 2)", "#3464"},
        QueryCase{"SELECT ID FROM Customers WHERE City Between 1.5 And 'z'", "#3464"},
        QueryCase{"SELECT OrderID FROM Orders WHERE Qty = 'abc'", "#3464"},
        QueryCase{"SELECT OrderID FROM Orders WHERE Amount > ''", "#3464"},
        QueryCase{"SELECT OrderID FROM Orders WHERE Qty = '3'", "12"},
        QueryCase{"SELECT OrderID FROM Orders WHERE Qty In ('5', 3) ORDER BY OrderID", "12; 14"},
        QueryCase{"SELECT ID FROM Customers WHERE Name = '5' Or Len(Name) = 5", ""},
        QueryCase{"SELECT ID FROM Customers WHERE Name Like 5", ""},
        QueryCase{"SELECT OrderID FROM Orders WHERE OrderDate = #1/1/2000#", "10"}));

INSTANTIATE_TEST_SUITE_P(
    Crosstab, JetQueryRows,
    ::testing::Values(
        QueryCase{"TRANSFORM Sum(Amount) SELECT CustID FROM Orders GROUP BY CustID PIVOT Qty "
                  "In (1, 2, 4)", "1|200000|105000|Null; 2|Null|Null|Null; 3|200000|Null|Null; "
                                  "9|Null|Null|Null"},
        QueryCase{"TRANSFORM Count(*) SELECT CustID FROM Orders WHERE CustID < 3 GROUP BY CustID "
                  "PIVOT Qty", "1|1|1|Null; 2|Null|Null|1"},
        QueryCase{"TRANSFORM First(OrderID) SELECT CustID, Count(*) AS n FROM Orders GROUP BY "
                  "CustID ORDER BY CustID DESC PIVOT Amount > 10 In (True, False)",
                  "9|1|Null|14; 3|1|13|Null; 2|1|Null|12; 1|2|10|Null"},
        QueryCase{"TRANSFORM Count(*) SELECT City FROM Customers GROUP BY City PIVOT "
                  "UCase(Left(Name, 1))", "Null|Null|Null|Null|1; oslo|1|Null|1|Null; "
                                          "Rome|Null|1|Null|Null"},
        QueryCase{"PARAMETERS q Long; TRANSFORM Sum(Qty) SELECT CustID FROM Orders WHERE "
                  "Qty > q GROUP BY CustID PIVOT Qty", "2|3|Null; 9|Null|5",
                  {Variant(2)}},
        QueryCase{"TRANSFORM Sum(Qty) SELECT CustID FROM Orders WHERE Qty > q GROUP BY CustID "
                  "PIVOT Qty", "#3070"},
        QueryCase{"TRANSFORM Sum(Qty) SELECT CustID FROM Orders GROUP BY CustID HAVING "
                  "Sum(Qty) > 1 PIVOT Qty", "#3092"},
        QueryCase{"TRANSFORM Sum(Qty) SELECT * FROM Orders GROUP BY CustID PIVOT Qty", "#3123"},
        QueryCase{"TRANSFORM Sum(Qty) SELECT CustID FROM Orders GROUP BY CustID", "#3143"},
        QueryCase{"TRANSFORM Qty SELECT CustID FROM Orders GROUP BY CustID PIVOT Qty", "#3143"},
        QueryCase{"TRANSFORM Sum(Qty) SELECT CustID FROM Orders GROUP BY CustID PIVOT Qty In "
                  "(1, 1)", "#3104"},
        // The value may carry a name; the pivot values still name the columns.
        QueryCase{"TRANSFORM Sum(Amount) AS Total SELECT CustID FROM Orders GROUP BY CustID PIVOT Qty "
                  "In (1, 2, 4)", "1|200000|105000|Null; 2|Null|Null|Null; 3|200000|Null|Null; "
                                  "9|Null|Null|Null"},
        QueryCase{"TRANSFORM Count(*) AS [Number of orders] SELECT CustID FROM Orders WHERE CustID < 3 "
                  "GROUP BY CustID PIVOT Qty", "1|1|1|Null; 2|Null|Null|1"},
        QueryCase{"TRANSFORM Sum(Qty) AS SELECT CustID FROM Orders GROUP BY CustID PIVOT Qty", "#3143"}));

INSTANTIATE_TEST_SUITE_P(
    Actions, JetQueryRows,
    ::testing::Values(
        QueryCase{"INSERT INTO Scores (Name, Score) VALUES ('f', 50)", "6|430", {},
                  "SELECT count(*), sum(Score) FROM Scores"},
        QueryCase{"INSERT INTO Scores VALUES ('f', 25 * 2);", "6|430", {},
                  "SELECT count(*), sum(Score) FROM Scores"},
        QueryCase{"INSERT INTO Scores (Score, Name) VALUES ([s], 'g')", "g|51", {Variant(51)},
                  "SELECT Name, Score FROM Scores WHERE Score = 51"},
        QueryCase{"INSERT INTO Orders (OrderID, CustID, OrderDate, Amount) VALUES (20, 1, "
                  "#1/2/2000#, True)", "36527|-10000", {},
                  "SELECT OrderDate, Amount FROM Orders WHERE OrderID = 20"},
        QueryCase{"INSERT INTO Scores (Name, Score) SELECT Name, ID FROM Customers", "9|390", {},
                  "SELECT count(*), sum(Score) FROM Scores"},
        QueryCase{"INSERT INTO Scores SELECT Name, ID AS Score FROM Customers WHERE ID > 2",
                  "7|387", {}, "SELECT count(*), sum(Score) FROM Scores"},
        QueryCase{"INSERT INTO Scores (Name) VALUES ('f', 50)", "#3346"},
        QueryCase{"INSERT INTO Scores VALUES ('f')", "#3346"},
        QueryCase{"INSERT INTO Scores (Nope) VALUES (1)", "#3127"},
        QueryCase{"INSERT INTO Scores SELECT ID FROM Customers", "#3127"},
        QueryCase{"INSERT INTO Scores (Name, Name) VALUES ('a', 'b')", "#3063"},
        QueryCase{"INSERT INTO Nowhere VALUES (1)", "#3078"},
        QueryCase{"INSERT Scores VALUES (1)", "#3134"},
        QueryCase{"UPDATE Orders SET Qty = Qty + 1 WHERE CustID = 1", "14", {},
                  "SELECT sum(Qty) FROM Orders"},
        QueryCase{"UPDATE Orders AS o SET o.Qty = (SELECT Max(Score) FROM Scores) WHERE "
                  "o.OrderID = 14", "90", {}, "SELECT Qty FROM Orders WHERE OrderID = 14"},
        QueryCase{"UPDATE Orders INNER JOIN Customers ON Orders.CustID = Customers.ID SET "
                  "Orders.Qty = Customers.ID * 100 WHERE Customers.City = 'OSLO'",
                  "100,100,3,300,5", {},
                  "SELECT group_concat(Qty) FROM (SELECT Qty FROM Orders ORDER BY OrderID)"},
        QueryCase{"UPDATE Customers AS c LEFT JOIN Orders AS o ON c.ID = o.CustID SET c.City "
                  "= 'none' WHERE o.OrderID Is Null", "Dee|none", {},
                  "SELECT Name, City FROM Customers WHERE City = 'none'"},
        QueryCase{"UPDATE Orders INNER JOIN Customers ON Orders.CustID = Customers.ID SET "
                  "Orders.Qty = 1, Customers.City = 'x'", "#3073"},
        QueryCase{"UPDATE Orders SET Nope = 1", "#3073"},
        QueryCase{"UPDATE Orders Qty = 1", "#3144"},
        QueryCase{"DELETE FROM Orders WHERE Qty = 1", "3", {}, "SELECT count(*) FROM Orders"},
        QueryCase{"DELETE * FROM Orders", "0", {}, "SELECT count(*) FROM Orders"},
        QueryCase{"DELETE Orders.* FROM Orders LEFT JOIN Customers ON Orders.CustID = "
                  "Customers.ID WHERE Customers.ID Is Null", "10,11,12,13", {},
                  "SELECT group_concat(OrderID) FROM Orders"},
        QueryCase{"DELETE DISTINCTROW c.* FROM Customers AS c INNER JOIN Orders AS o ON c.ID = "
                  "o.CustID WHERE o.Qty = 3", "1,3,4", {},
                  "SELECT group_concat(ID) FROM Customers"},
        QueryCase{"DELETE FROM Orders INNER JOIN Customers ON Orders.CustID = Customers.ID",
                  "#3128"},
        QueryCase{"DELETE x.* FROM Orders", "#3128"},
        QueryCase{"DELETE Orders", "#3130"},
        QueryCase{"SELECT Name, Score * 2 AS Twice INTO Doubled FROM Scores WHERE Score > 75",
                  "a|180; b|160; c|160", {}, "SELECT Name, Twice FROM Doubled ORDER BY Name"}));

// What a query reports about itself: kind, result columns (name:type[:table.field]) and
// parameters (name:type:d for declared, i for implicit).
struct ShapeCase {
  const char* jet;
  QueryKind kind;
  const char* columns;
  const char* parameters = "";
};

void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.jet; }

class JetQueryShape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(JetQueryShape, ReportsKindColumnsAndParameters) {
  MemorySchema schema = MakeSchema();
  const ShapeCase& c = GetParam();
  TranslatedQuery query;
  std::string message;
  ASSERT_EQ(ErrorNumberOf([&] { query = TranslateQuery(c.jet, schema); }, &message), 0)
      << message;
  EXPECT_EQ(query.kind, c.kind);
  std::string columns;
  for (const TranslatedColumn& column : query.columns) {
    if (!columns.empty()) columns += ", ";
    columns += column.name + ":" + std::to_string(column.dao_type);
    if (!column.source_table.empty()) {
      columns += ":" + column.source_table + "." + column.source_field;
    }
  }
  EXPECT_EQ(columns, c.columns);
  std::string parameters;
  for (const TranslatedParameter& param : query.parameters) {
    if (!parameters.empty()) parameters += ", ";
    parameters += param.name + ":" + std::to_string(param.dao_type) +
                  (param.declared ? ":d" : ":i");
  }
  EXPECT_EQ(parameters, c.parameters);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, JetQueryShape,
    ::testing::Values(
        ShapeCase{"SELECT ID, c.Name AS Who, Amount FROM Customers AS c, Orders",
                  QueryKind::kSelect,
                  "ID:4:Customers.ID, Who:10:Customers.Name, Amount:5:Orders.Amount"},
        ShapeCase{"SELECT Count(*), Sum(Amount), Avg(Qty), Sum(Qty), Max(OrderDate), "
                  "Avg(Amount) AS a, First(Name), Max(Qty + 1), StDev(Amount) FROM Orders, "
                  "Customers",
                  QueryKind::kSelect,
                  "Expr1000:4, Expr1001:5, Expr1002:7, Expr1003:4, Expr1004:8, a:5, "
                  "Expr1005:10, Expr1006:3, Expr1007:7"},
        ShapeCase{"SELECT Amount > 5, Name & 'x', Qty + 1, Qty * 1.5, Qty / 2, Year(OrderDate), "
                  "Name AS N2, #1/1/2000# FROM Orders, Customers",
                  QueryKind::kSelect,
                  "Expr1000:1, Expr1001:10, Expr1002:3, Expr1003:7, Expr1004:7, Expr1005:7, "
                  "N2:10:Customers.Name, Expr1006:8"},
        ShapeCase{"SELECT * FROM Customers AS c INNER JOIN Customers AS d ON c.ID = d.ID",
                  QueryKind::kSelect,
                  "c.ID:4:Customers.ID, c.Name:10:Customers.Name, c.City:10:Customers.City, "
                  "d.ID:4:Customers.ID, d.Name:10:Customers.Name, d.City:10:Customers.City"},
        ShapeCase{"SELECT s.*, OrderID FROM BigOrders AS b, Scores AS s", QueryKind::kSelect,
                  "Name:10:Scores.Name, Score:4:Scores.Score, OrderID:4:Orders.OrderID"},
        ShapeCase{"SELECT Name AS N, ID FROM Customers UNION SELECT Name, Score FROM Scores",
                  QueryKind::kUnion, "N:10, ID:4"},
        ShapeCase{"PARAMETERS [Start] DateTime, Lim Long, Any Value; SELECT OrderID FROM Orders "
                  "WHERE OrderDate >= [Start] AND Qty < Lim AND CustID = [Who] AND Amount > "
                  "[Forms]![f]![x] AND Qty <> Lim",
                  QueryKind::kSelect, "OrderID:4:Orders.OrderID",
                  "Start:8:d, Lim:4:d, Any:10:d, Who:10:i, Forms!f!x:10:i"},
        ShapeCase{"SELECT OrderID FROM ParamQ WHERE OrderID > [Low]", QueryKind::kSelect,
                  "OrderID:4:Orders.OrderID", "MinAmt:5:d, Low:10:i"},
        ShapeCase{"TRANSFORM Sum(Amount) SELECT CustID FROM Orders GROUP BY CustID PIVOT Qty In "
                  "(1, 'two')",
                  QueryKind::kCrosstab, "CustID:4:Orders.CustID, 1:5, two:5"},
        ShapeCase{"TRANSFORM Count(*) SELECT CustID FROM Orders GROUP BY CustID PIVOT Qty",
                  QueryKind::kCrosstab, "CustID:4:Orders.CustID"},
        ShapeCase{"SELECT Name, Score INTO T2 FROM Scores", QueryKind::kMakeTable,
                  "Name:10:Scores.Name, Score:4:Scores.Score"},
        ShapeCase{"INSERT INTO Scores VALUES ('a', 1)", QueryKind::kAppend, ""},
        ShapeCase{"UPDATE Scores SET Score = [New]", QueryKind::kUpdate, "", "New:10:i"},
        ShapeCase{"DELETE FROM Scores", QueryKind::kDelete, ""},
        ShapeCase{"CREATE TABLE t (a LONG)", QueryKind::kDdl, ""}));

TEST(JetQueryCrosstab, ValuesQueryListsPivotValuesAndNamesNullColumns) {
  Database db;
  MemorySchema schema = MakeSchema();
  const char* jet = "TRANSFORM Count(*) SELECT Name FROM Customers GROUP BY Name PIVOT City";
  TranslatedQuery query = TranslateQuery(jet, schema);
  ASSERT_TRUE(query.NeedsPivotValues());
  std::vector<std::vector<Variant>> rows;
  // Oslo and oslo are one value; which spelling stands for it is SQLite's choice.
  EXPECT_EQ(db.Run(query.pivot_values_sql, {}, &rows), "Null; oslo; Rome");
  std::vector<Variant> values;
  for (auto& row : rows) values.push_back(row[0]);
  TranslatedQuery built = TranslateCrosstab(jet, schema, values);
  ASSERT_EQ(built.columns.size(), 4u);
  EXPECT_EQ(built.columns[1].name, "<>");
  EXPECT_EQ(built.columns[2].name, "oslo");
  EXPECT_EQ(db.Run(built.sql), "Ann|Null|1|Null; bob|Null|Null|1; Cid|Null|1|Null; Dee|1|Null|Null");
  EXPECT_EQ(ErrorNumberOf([&] { TranslateCrosstab("SELECT 1", schema, values); }), 3143);
}

TEST(JetQueryMakeTable, CreatesTheResultColumnsWithTheirTypes) {
  MemorySchema schema = MakeSchema();
  TranslatedQuery query =
      TranslateQuery("SELECT Name, Amount, OrderDate, Amount > 1 AS Big INTO Copy FROM Orders, "
                     "Scores", schema);
  EXPECT_EQ(query.target_table, "Copy");
  EXPECT_EQ(query.create_table_sql,
            "CREATE TABLE \"Copy\" (\"Name\" TEXT COLLATE \"JETNOCASE\", \"Amount\" INTEGER, "
            "\"OrderDate\" REAL, \"Big\" INTEGER)");
}

TEST(JetParameterBinding, StoresEachVariantKindAsTheEngineDoes) {
  Database db;
  std::vector<Variant> values{Variant::FromDate(36526.5),
                              Variant(true),
                              Variant(Currency::FromDouble(1.2345)),
                              Variant::FromBytes({1, 2, 255}),
                              Variant::Null(),
                              Variant("héllo"),
                              Variant(std::int16_t{-7}),
                              Variant(false)};
  EXPECT_EQ(db.Run("SELECT typeof(?1), ?1, ?2, typeof(?3), ?3, hex(?4), typeof(?5), ?6, ?7, ?8",
                   values),
            "real|36526.5|-1|real|1.2345|0102FF|null|héllo|-7|0");
  std::string message;
  EXPECT_EQ(ErrorNumberOf([&] { db.Run("SELECT ?1, ?2, ?3", {Variant(1)}); }, &message), 3061);
  EXPECT_NE(message.find("Expected 2"), std::string::npos) << message;
  EXPECT_EQ(ErrorNumberOf([&] { db.Run("SELECT ?1", {Variant::FromArray({Variant(1)})}); }),
            3060);
  EXPECT_EQ(db.Run("SELECT 1", {Variant(1), Variant(2)}), "1");
}

TEST(JetTranslationCache, TranslatesEachShapeOnceUntilTheSchemaChanges) {
  MemorySchema schema = MakeSchema();
  TranslationCache cache(2);
  const char* a = "INSERT INTO Scores (Name, Score) VALUES ([n], [s])";
  const char* b = "SELECT Name FROM Scores WHERE Score > [s]";
  std::shared_ptr<const TranslatedQuery> first;
  for (int i = 0; i < 100000; ++i) {
    auto query = cache.Get(i % 2 ? a : b, schema);
    if (i == 1) first = query;
  }
  EXPECT_EQ(cache.misses(), 2u);
  EXPECT_EQ(first->kind, QueryKind::kAppend);
  cache.Get("SELECT * FROM Scores", schema);  // evicts the least recently used (b)
  EXPECT_EQ(cache.size(), 2u);
  cache.Get(a, schema);
  EXPECT_EQ(cache.misses(), 3u);
  cache.Get(b, schema);
  EXPECT_EQ(cache.misses(), 4u);
  schema.AddTable("Extra", {{"x", dao_type::kLong}});  // new version: nothing stale is served
  cache.Get(b, schema);
  EXPECT_EQ(cache.misses(), 5u);
  EXPECT_EQ(ErrorNumberOf([&] { cache.Get("SELECT * FROM Gone", schema); }), 3078);
  EXPECT_EQ(cache.misses(), 5u);
  EXPECT_EQ(first->kind, QueryKind::kAppend);  // a held result outlives its eviction
}

TEST(JetQueryDepth, SavedQueriesNestAsFarAsTheLimit) {
  Database db;
  MemorySchema schema = MakeSchema();
  schema.AddQuery("Q0", "SELECT Name, Score + 1 AS Score FROM Scores");
  for (int i = 1; i < 40; ++i) {
    schema.AddQuery("Q" + std::to_string(i),
                    "SELECT Name, Score + 1 AS Score FROM Q" + std::to_string(i - 1));
  }
  TranslatedQuery query = TranslateQuery("SELECT Score FROM Q8 WHERE Name = 'e'", schema);
  EXPECT_EQ(db.Run(query.sql), "69");
  EXPECT_EQ(ErrorNumberOf([&] { TranslateQuery("SELECT * FROM Q39", schema); }), 3360);
}

TEST(JetQueryDepth, NestedBetweensKeepTheTextLinear) {
  Database db;
  MemorySchema schema = MakeSchema();
  auto nest = [](int levels) {
    std::string nested = "Score";
    for (int i = 0; i < levels; ++i) nested = "(" + nested + " Between [lo] And 100)";
    return "SELECT " + nested + " FROM Scores WHERE Name = 'a'";
  };
  EXPECT_LT(TranslateQuery(nest(150), schema).sql.size(), 200000u);
  TranslatedQuery query = TranslateQuery(nest(9), schema);
  EXPECT_EQ(db.Run(query.sql, {Variant(-5)}).substr(0, 60), "-1");
  EXPECT_EQ(db.Run(query.sql, {Variant(95)}).substr(0, 60), "0");
}

TEST(JetQueryDepth, TopOverManySortKeysKeepsTheTextLinear) {
  Database db;
  MemorySchema schema = MakeSchema();
  auto top = [](int keys) {
    std::string sql = "SELECT TOP 2 Score FROM Scores ORDER BY Score DESC";
    for (int i = 1; i < keys; ++i) sql += i % 2 ? ", -Score" : ", Score + 1";
    return sql;
  };
  // Each key used to repeat the whole ORDER BY, and the text grew with the square of the keys.
  EXPECT_LT(TranslateQuery(top(400), schema).sql.size(), 200000u);
  EXPECT_EQ(db.Run(TranslateQuery(top(12), schema).sql), "90; 80; 80");
  EXPECT_EQ(db.Run(TranslateQuery("SELECT TOP 2 Name FROM Scores ORDER BY Score DESC, Name DESC, "
                                  "Score", schema).sql),
            "a; c");
}

// The two inputs the fuzzer found this with: select lists and sort keys full of unary minus runs.
TEST(JetQueryDepth, TheFuzzersTopInputsTranslateToShortText) {
  MemorySchema schema = MakeSchema();
  for (const char* name : {"slow-top-many-keys-1", "slow-top-many-keys-2"}) {
    SCOPED_TRACE(name);
    std::FILE* file = std::fopen((std::string(QB_SOURCE_DIR) + "/fuzz/corpus/sql/" + name).c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::string text(8192, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    ASSERT_GT(text.size(), 3000u);
    std::size_t translated = 0;
    ErrorNumberOf([&] { translated = TranslateQuery(text, schema).sql.size(); });
    EXPECT_LT(translated, 200000u);
  }
}

TEST(JetQueryDepth, DeeplyNestedSubqueriesAndJoinsFailCleanly) {
  MemorySchema schema = MakeSchema();
  std::string subqueries = "SELECT Name FROM Scores WHERE Score In ";
  for (int i = 0; i < 5000; ++i) subqueries += "(SELECT Score FROM Scores WHERE Score In ";
  EXPECT_EQ(ErrorNumberOf([&] { TranslateQuery(subqueries, schema); }), 3071);
  std::string joins = "SELECT * FROM " + std::string(5000, '(') + "Scores";
  EXPECT_EQ(ErrorNumberOf([&] { TranslateQuery(joins, schema); }), 3071);
  std::string chain = "SELECT * FROM Scores AS s0";
  for (int i = 1; i < 5000; ++i) {
    chain += " INNER JOIN Scores AS s" + std::to_string(i) + " ON s0.Score = s" +
             std::to_string(i) + ".Score";
  }
  EXPECT_EQ(ErrorNumberOf([&] { TranslateQuery(chain, schema); }), 3071);
}

}  // namespace
}  // namespace qb::jet::sql
