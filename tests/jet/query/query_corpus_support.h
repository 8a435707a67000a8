// The database the query corpus runs against: customers, orders and scores made through DDL and
// filled through Execute, plus saved queries; and rows written as text for one comparison.
#pragma once
#include <string>
#include <vector>

#include "jet/query/query_rows.h"
#include "query_test_support.h"

namespace qb::jet::test {

class QueryCorpusBase : public QueryTestBase {
 protected:
  void SetUp() override {
    QueryTestBase::SetUp();
    Run({
        "CREATE TABLE Customers (ID COUNTER PRIMARY KEY, Name TEXT(50) NOT NULL, City TEXT(30))",
        "CREATE TABLE Orders (OrderID LONG PRIMARY KEY, CustID LONG, Amount CURRENCY, Qty SHORT, "
        "OrderDate DATETIME, Shipped BIT)",
        "CREATE TABLE Scores (Name TEXT(10), Score LONG)",
        "INSERT INTO Customers (Name, City) VALUES ('Ann', 'Oslo')",
        "INSERT INTO Customers (Name, City) VALUES ('bob', 'Rome')",
        "INSERT INTO Customers (Name, City) VALUES ('Cid', 'oslo')",
        "INSERT INTO Customers (Name) VALUES ('Dee')",
        "INSERT INTO Orders VALUES (10, 1, 10.5, 2, #1/1/2000#, True)",
        "INSERT INTO Orders VALUES (11, 1, 20, 1, #1/2/2000#, False)",
        "INSERT INTO Orders VALUES (12, 2, 5.25, 3, #1/3/2000 12:00:00#, True)",
        "INSERT INTO Orders VALUES (13, 3, 20, 1, #1/4/2000#, False)",
        "INSERT INTO Orders (OrderID, CustID, Amount, Qty) VALUES (14, 9, 7, 5)",
        "INSERT INTO Scores VALUES ('a', 90)",
        "INSERT INTO Scores VALUES ('b', 80)",
        "INSERT INTO Scores VALUES ('c', 80)",
        "INSERT INTO Scores VALUES ('d', 70)",
        "INSERT INTO Scores VALUES ('e', 60)",
    });
    SaveQuery("BigOrders", "SELECT * FROM Orders WHERE Amount >= 10;");
    SaveQuery("OsloPeople", "SELECT ID, Name FROM Customers WHERE City = 'OSLO'");
    SaveQuery("Purge Scores", "DELETE FROM Scores");
  }

  // The rows of JET_SQL as "a|b; c|d".
  std::string Rows(const std::string& jet_sql, const std::vector<Variant>& values = {}) {
    return RowsText(ReadQueryRows(*database_->File(), jet_sql, values));
  }

  static std::string RowsText(const QueryRows& result) {
    std::string text;
    for (const std::vector<Variant>& row : result.rows) {
      if (!text.empty()) text += "; ";
      for (std::size_t i = 0; i < row.size(); ++i) text += (i ? "|" : "") + ValueText(row[i]);
    }
    return text;
  }

  // The result columns of RESULT as "Name/type, ...".
  static std::string ColumnsText(const QueryRows& result) {
    std::string text;
    for (const sql::TranslatedColumn& column : result.columns) {
      if (!text.empty()) text += ", ";
      text += column.name + "/" + std::to_string(column.dao_type);
    }
    return text;
  }
};

}  // namespace qb::jet::test
