// quill sql with action statements: rows written, counted and refused as a user sees them.
#include <gtest/gtest.h>

#include <algorithm>

#include "run_quill.h"
#include "support/test_support.h"

namespace qb::cli::test {
namespace {

class QuillSqlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Ok({"db", "create", File("a.mdb")});
    Ok({"sql", File("a.mdb"), "CREATE TABLE Customers (ID COUNTER PRIMARY KEY, Name TEXT(20) NOT NULL, City TEXT(20))"});
    Ok({"sql", File("a.mdb"), "CREATE TABLE Orders (OrderID LONG PRIMARY KEY, CustID LONG, Qty SHORT)"});
  }
  QuillRun Quill(const std::vector<std::string>& args) {
    return RunQuill(args, {{"QUILL_TEST_FAST_HASH", "1"}, {"XDG_CONFIG_HOME", config_.Path().string()}}, {});
  }
  std::string Ok(const std::vector<std::string>& args) {
    QuillRun run = Quill(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return run.out;
  }
  std::string Sql(const std::string& statement) { return Ok({"sql", File("a.mdb"), statement}); }
  std::string File(const std::string& name) const { return dir_.File(name); }

  qb::test::TempDir dir_;
  qb::test::TempDir config_;
};

TEST_F(QuillSqlTest, ActionStatementsReportTheRecordsTheyWrite) {
  EXPECT_EQ(Sql("INSERT INTO Customers (Name, City) VALUES ('Ann', 'Oslo')"), "1 records affected\n");
  EXPECT_EQ(Sql("INSERT INTO Customers (Name, City) VALUES ('Bob', 'Rome')"), "1 records affected\n");
  EXPECT_EQ(Sql("INSERT INTO Orders VALUES (10, 1, 2)"), "1 records affected\n");
  EXPECT_EQ(Sql("INSERT INTO Orders SELECT OrderID + 1 AS OrderID, 2 AS CustID, Qty FROM Orders"),
            "1 records affected\n");
  EXPECT_EQ(Sql("UPDATE Orders INNER JOIN Customers ON Orders.CustID = Customers.ID SET Orders.Qty = Orders.Qty * 10 "
                "WHERE Customers.City = 'oslo'"),
            "1 records affected\n");
  EXPECT_EQ(Sql("DELETE FROM Orders WHERE Qty < 10"), "1 records affected\n");
  EXPECT_EQ(Sql("SELECT * INTO Kept FROM Orders"), "1 records affected\n");
  EXPECT_EQ(Ok({"tables", File("a.mdb")}), "Customers\nKept\nOrders\n");
}

TEST_F(QuillSqlTest, RowsThatBreakARuleAreSkipped) {
  Sql("INSERT INTO Customers (Name) VALUES ('Ann')");
  EXPECT_EQ(Sql("INSERT INTO Customers (ID, Name) VALUES (1, 'Dup')"), "0 records affected\n");
  // The duplicate was skipped: a SELECT shows the one row.
  EXPECT_EQ(Sql("SELECT * FROM Customers"), "ID\tName\tCity\n1\tAnn\t\n");
  QuillRun missing = Quill({"sql", File("a.mdb"), "DELETE FROM Customers WHERE ID = Wanted"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Expected 1"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace qb::cli::test
