// quill upsize carries saved select queries as views: the demo database and a spread of queries
// upsized onto the private PostgreSQL server, each view read through an ODBC workspace and each
// saved query on the file, their rows compared as values. Queries with no server form and views
// the server refuses are listed without undoing the rest.
#include <cstdlib>
#include <map>

#include "../jet/odbc/odbc_servers.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/field.h"
#include "jet/dao/workspace.h"
#include "jet/odbc/connect_prompt.h"
#include "jet/recordset/recordset.h"
#include "quill_test.h"

namespace qb::cli::test {
namespace {

struct SavedQueryCase {
  const char* name;
  const char* sql;
  std::vector<std::string> sorted_by;  // the columns the rows are in order of; empty: any order
};

// The demo's saved queries (as scripts/run-demo saves them), then a spread over the mappings.
const std::vector<SavedQueryCase>& CarriedQueries() {
  static const std::vector<SavedQueryCase> cases = {
      {"Customer Orders",
       "SELECT c.Name, c.City, o.Ordered, p.ProductName, o.Quantity, o.Amount\n"
       "FROM (Customers AS c INNER JOIN Orders AS o ON c.CustomerID = o.CustomerID)\n"
       "INNER JOIN Products AS p ON o.ProductID = p.ProductID ORDER BY o.Ordered;",
       {"Ordered"}},
      {"Sales By City",
       "SELECT c.City, Count(*) AS OrderCount, Sum(o.Amount) AS Total\n"
       "FROM Customers AS c INNER JOIN Orders AS o ON c.CustomerID = o.CustomerID\n"
       "GROUP BY c.City ORDER BY Sum(o.Amount) DESC;",
       {"Total"}},
      {"Active Customers", "SELECT CustomerID, Name, City, CreditLimit FROM Customers WHERE Active = True ORDER BY Name;",
       {"Name"}},
      // Named to come before the query it reads.
      {"Big City Totals", "SELECT city, total FROM [sales by city] WHERE Total > 1000 And City Is Not Null", {}},
      {"Places", "SELECT City AS Place FROM Customers WHERE City Like 'O*' UNION "
                 "SELECT ProductName FROM Products WHERE ProductName Like '*[DL]?[!x]*'", {}},
      {"Big Buyers", "SELECT Name, IIf(Active, 'yes', 'no') AS State, Nz(City, '(none)') AS Town FROM Customers "
                     "WHERE CustomerID In (SELECT CustomerID FROM Orders WHERE Amount > 1500)", {}},
      {"Order Dates", "SELECT OrderID, Year(Ordered) AS Y, Month(Ordered) AS M, Day(Ordered) AS D, Int(Weight) AS W, "
                      "Round(Amount / 3, 2) AS Third, Round(Weight * 2) AS Twice, Quantity Mod 7 AS Q7, Quantity \\ 7 AS QDiv, "
                      "Abs(Weight - 20) AS Off, Round(Quantity / 2) AS Half, Int(Weight - 20) AS Below FROM Orders WHERE Ordered >= #1/1/2020# And Ordered < #2021-07-01 00:00:00#", {}},
      {"Name Codes", "SELECT DISTINCT UCase(Left(Name, 3)) & '\\-' & LCase(Mid(Name, 2, 2)) AS Code, Len(Trim(Name)), "
                     "Right(Name, 2) FROM Customers WHERE Name Like '[A-D]*'", {}},
      {"Top Buyers", "SELECT TOP 3 CustomerID, Count(*) AS N FROM Orders GROUP BY CustomerID ORDER BY Count(*) DESC", {"N"}},
      {"Product Use", "SELECT p.ProductName, Count(o.OrderID) AS Uses, Avg(o.Quantity) AS AvgQ, Max(o.Ordered) AS Latest "
                      "FROM Products AS p LEFT JOIN Orders AS o ON p.ProductID = o.ProductID "
                      "GROUP BY p.ProductName HAVING Count(o.OrderID) >= 0", {}},
      {"In Oslo", "SELECT Name FROM Customers WHERE City = 'oslo' Or City Between 'p' And 'Q'", {}},
      {"Recent Shipped", "SELECT OrderID FROM Orders AS o WHERE Shipped = False AND Exists "
                         "(SELECT * FROM Customers AS c WHERE c.CustomerID = o.CustomerID AND c.Active)", {}},
  };
  return cases;
}

struct LeftOutCase {
  const char* name;
  const char* sql;
  const char* why;  // in the "Not carried over" line
};

const std::vector<LeftOutCase>& LeftOutQueries() {
  static const std::vector<LeftOutCase> cases = {
      {"Orders Since", "PARAMETERS [Since] DateTime;\n"
                       "SELECT OrderID, CustomerID, Amount, Ordered FROM Orders WHERE Ordered >= [Since] ORDER BY Ordered;",
       "query Orders Since: it takes parameters"},
      {"Ship Crosstab", "TRANSFORM Sum(Amount) SELECT CustomerID FROM Orders GROUP BY CustomerID PIVOT Shipped",
       "query Ship Crosstab: it is a crosstab query"},
      {"Ship All", "UPDATE Orders SET Shipped = True WHERE OrderID = 0", "query Ship All: it is an action query"},
      {"Order Years", "SELECT Format(Ordered, 'yyyy') AS Y FROM Orders",
       "query Order Years: the function Format has no server form here"},
      {"Year List", "SELECT DISTINCT Y FROM [Order Years]",
       "query Year List: it reads the query Order Years, which is not carried over"},
      // Jet adds a number to a Yes/No field; the server refuses the view, and only that view.
      {"Active Plus One", "SELECT Name FROM Customers WHERE Active + 1 > 0",
       "query Active Plus One: the server refused it: "},
  };
  return cases;
}

// A value as compared across the two engines: numbers by value to ten digits, dates by serial,
// text as it is.
std::string Comparable(const Variant& value) {
  switch (value.Type()) {
    case VarType::Null: return "<Null>";
    case VarType::Boolean: return value.ToDouble() != 0 ? "<True>" : "<False>";
    case VarType::String: {
      const std::string text = value.ToString();
      char* end = nullptr;
      const double number = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != 0) return text;
      return Comparable(Variant(number));
    }
    case VarType::Date: {
      char text[32];
      std::snprintf(text, sizeof text, "<date %.6f>", value.ToDouble());
      return text;
    }
    default: {
      char text[32];
      std::snprintf(text, sizeof text, "%.10g", value.ToDouble());
      return text;
    }
  }
}

struct Rows {
  std::vector<std::string> names;
  std::vector<std::vector<std::string>> rows;
};

Rows ReadAll(jet::Database& database, const std::string& source) {
  Rows read;
  auto rows = database.OpenRecordset(source, jet::kOpenSnapshot);
  auto fields = rows->Fields();
  for (int i = 0; i < fields->Count(); ++i) read.names.push_back(fields->Item(i)->Name());
  for (; !rows->Eof(); rows->MoveNext()) {
    std::vector<std::string> row;
    for (int i = 0; i < fields->Count(); ++i) row.push_back(Comparable(fields->Item(i)->Value()));
    read.rows.push_back(row);
  }
  rows->Close();
  return read;
}

// The values of COLUMNS in row order: rows tied on them may come in either order.
std::vector<std::string> OrderKeys(const Rows& rows, const std::vector<std::string>& columns) {
  std::vector<std::string> keys;
  for (const auto& row : rows.rows) {
    std::string key;
    for (const std::string& column : columns) {
      const auto at = std::find(rows.names.begin(), rows.names.end(), column);
      EXPECT_NE(at, rows.names.end()) << column;
      if (at != rows.names.end()) key += row[static_cast<std::size_t>(at - rows.names.begin())] + "|";
    }
    keys.push_back(key);
  }
  return keys;
}

class QuillUpsizeViewsTest : public QuillTest {
 protected:
  void SetUp() override {
    server_ = jet::test::PrivatePostgres(&why_not_);
    if (!server_) GTEST_SKIP() << "no PostgreSQL server for the tests: " << why_not_;
    connect_ = jet::test::PostgresConnect(*server_) + ";BoolsAsChar=0";
    Drop();
  }
  void TearDown() override {
    if (server_) Drop();
  }
  void Drop() {
    for (const auto& c : CarriedQueries()) Quill({"sql", connect_, std::string("DROP VIEW IF EXISTS \"") + c.name + "\" CASCADE"});
    for (const char* table : {"Customers", "Products", "Orders"}) {
      Quill({"sql", connect_, std::string("DROP TABLE IF EXISTS \"") + table + "\" CASCADE"});
    }
  }
  // The demo database (scripts/demo-data) with the saved queries above.
  std::string Demo() {
    const std::string script = File("demo.sql");
    const std::string command = "bash '" + std::string(QB_SOURCE_DIR) + "/scripts/demo-data' 40 160 > '" + script + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::string db = File("demo.mdb");
    Ok({"db", "create", db});
    Ok({"script", db, script});
    for (const auto& c : CarriedQueries()) Ok({"query", "create", db, c.name, c.sql});
    for (const auto& c : LeftOutQueries()) Ok({"query", "create", db, c.name, c.sql});
    return db;
  }

  std::string why_not_;
  const jet::test::PostgresInfo* server_ = nullptr;
  std::string connect_;
};

TEST_F(QuillUpsizeViewsTest, SavedQueriesGiveTheSameRowsOnTheServer) {
  const std::string db = Demo();
  const std::string out = Ok({"upsize", db, connect_});
  for (const auto& c : CarriedQueries()) {
    EXPECT_THAT(out, HasSubstr(std::string("\n") + c.name + ": view\n")) << c.name;
  }
  for (const auto& c : LeftOutQueries()) {
    EXPECT_THAT(out, HasSubstr(std::string("\n  ") + c.why)) << c.name;
  }

  auto engine = jet::CreateDBEngine(jet::EngineSettings::ForTests());
  engine->CreateWorkgroup(File("system.mdw"));
  engine->SetSystemDB(File("system.mdw"));
  auto file = engine->CreateWorkspace("w", "Admin", "")->OpenDatabase(db);
  auto odbc = engine->CreateWorkspace("pg", "admin", "", jet::kUseOdbc);
  auto server = odbc->OpenDatabase("", Variant(jet::odbc::kDriverNoPrompt), false, connect_);
  for (const auto& c : CarriedQueries()) {
    SCOPED_TRACE(c.name);
    Rows on_file = ReadAll(*file, c.name);
    Rows on_server = ReadAll(*server, std::string("SELECT * FROM \"") + c.name + "\"");
    EXPECT_EQ(on_server.names, on_file.names);
    EXPECT_FALSE(on_file.rows.empty()) << "a query with no rows would compare nothing";
    if (!c.sorted_by.empty()) {
      EXPECT_EQ(OrderKeys(on_server, c.sorted_by), OrderKeys(on_file, c.sorted_by));
    }
    std::sort(on_file.rows.begin(), on_file.rows.end());
    std::sort(on_server.rows.begin(), on_server.rows.end());
    EXPECT_EQ(on_server.rows, on_file.rows);
  }
}

}  // namespace
}  // namespace qb::cli::test
