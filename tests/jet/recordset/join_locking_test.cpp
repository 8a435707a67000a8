// Record locks and deny options through a dynaset over a join, against another process (a forked
// child with its own Database) and another Database of this one: an edit locks the row of every
// table its record shows, a Delete only the row it removes, an optimistic Update checks and
// locks each of those rows, and dbDenyWrite keeps every table of the join from other writers.
#include <gtest/gtest.h>

#include "forked_editor.h"
#include "jet/locks/record_lock.h"
#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

namespace ro = recordset_option;

// Customers with their orders, and CRANE without any; both tables have a Name the forked
// editor finds rows by.
const char* const kKept =
    "SELECT Customers.Code, Customers.Name, Customers.City, Orders.OrderID, Orders.Name, Orders.Amount "
    "FROM Customers LEFT JOIN Orders ON Customers.Code = Orders.Code ORDER BY Customers.Code, Orders.OrderID";

class JoinLockingTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    db_->Execute("CREATE TABLE Customers (Code TEXT(5) CONSTRAINT CustKey PRIMARY KEY, Name TEXT(12), City TEXT(20))");
    db_->Execute("CREATE TABLE Orders (OrderID COUNTER CONSTRAINT OrderKey PRIMARY KEY, Code TEXT(5), Name TEXT(10), "
                 "Amount LONG)");
    Exec("INSERT INTO Customers VALUES ('ACME', 'Acme', 'Oslo'), ('BOLT', 'Bolt', 'Oslo'), ('CRANE', 'Crane', 'Rome')");
    Exec("INSERT INTO Orders (Code, Name, Amount) VALUES ('ACME', 'A1', 10), ('BOLT', 'B2', 20), ('ACME', 'A3', 30)");
  }
  // The third record of kKept: BOLT with its one order.
  static void MoveToBolt(Recordset& rs) {
    rs.MoveFirst();
    rs.MoveNext();
    rs.MoveNext();
    ASSERT_EQ(rs.Fields()->Item("Code")->Value().ToString(), "BOLT");
  }
  // Whether the child can take an edit of the row of TABLE named NAME now (its error number),
  // letting it go again at once.
  static int ChildEdits(ForkedEditor& other, const std::string& table, const std::string& name) {
    if (int error = other.Do("open 2 0 2 " + table)) return error;
    if (int error = other.Do("find " + name)) return error;
    const int error = other.Do("edit");
    if (error == 0) other.Do("cancel");
    return error;
  }
};

TEST_F(JoinLockingTest, AnEditLocksEveryRowItsRecordShows) {
  ForkedEditor other(path_);
  auto rs = Open(kKept, kOpenDynaset);
  rs->Edit();  // ACME with order A1
  EXPECT_EQ(ChildEdits(other, "Customers", "Acme"), err::kRecordLocked);
  EXPECT_EQ(ChildEdits(other, "Orders", "A1"), err::kRecordLocked);
  // Other rows of the same tables are free, the customer's other order too.
  EXPECT_EQ(ChildEdits(other, "Orders", "A3"), 0);
  EXPECT_EQ(ChildEdits(other, "Customers", "Bolt"), 0);
  rs->CancelUpdate();
  EXPECT_EQ(ChildEdits(other, "Customers", "Acme"), 0);
  EXPECT_EQ(ChildEdits(other, "Orders", "A1"), 0);

  // A customer without orders is locked by its own row.
  rs->MoveLast();
  rs->Edit();
  EXPECT_EQ(ChildEdits(other, "Customers", "Crane"), err::kRecordLocked);
  Set(*rs, "Amount", Variant(40));
  rs->Update();  // fills in an order; the locks go with the edit
  EXPECT_EQ(ChildEdits(other, "Customers", "Crane"), 0);
  EXPECT_EQ(Select("SELECT Code, Amount FROM Orders WHERE OrderID = 4"), "CRANE|40\n");

  // The other way round: a row the child holds keeps this Edit out.
  ASSERT_EQ(other.Do("open 2 0 2 Customers"), 0);
  ASSERT_EQ(other.Do("find Bolt"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  MoveToBolt(*rs);
  EXPECT_EQ(ErrorOf([&] { rs->Edit(); }).number, err::kRecordLocked);
  EXPECT_EQ(rs->EditMode(), kEditNone);
  rs->MoveFirst();
  EXPECT_EQ(ErrorOf([&] { rs->Edit(); }).number, 0);  // ACME is not the child's
  rs->CancelUpdate();
  // A killed holder leaves nothing locked.
  other.Kill();
  MoveToBolt(*rs);
  EXPECT_EQ(ErrorOf([&] { rs->Edit(); }).number, 0);
}

TEST_F(JoinLockingTest, DeleteLocksOnlyTheRowItRemoves) {
  ForkedEditor other(path_);
  ASSERT_EQ(other.Do("open 2 0 2 Customers"), 0);
  ASSERT_EQ(other.Do("find Acme"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  auto rs = Open(kKept, kOpenDynaset);
  rs->Delete();  // order A1 goes; its customer, which the child edits, is not touched
  EXPECT_EQ(Select("SELECT count(*) FROM Orders WHERE Name = 'A1'"), "0\n");
  ASSERT_EQ(other.Do("cancel"), 0);

  ASSERT_EQ(other.Do("open 2 0 2 Orders"), 0);
  ASSERT_EQ(other.Do("find A3"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  rs->MoveNext();  // ACME with order A3
  EXPECT_EQ(ErrorOf([&] { rs->Delete(); }).number, err::kRecordLocked);
  EXPECT_EQ(Select("SELECT count(*) FROM Orders WHERE Name = 'A3'"), "1\n");
  // A customer without orders is the row removed: the child's hold on it keeps it.
  ASSERT_EQ(other.Do("open 2 0 2 Customers"), 0);
  ASSERT_EQ(other.Do("find Crane"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  rs->MoveLast();
  EXPECT_EQ(ErrorOf([&] { rs->Delete(); }).number, err::kRecordLocked);
  ASSERT_EQ(other.Do("cancel"), 0);
  rs->Delete();
  EXPECT_EQ(Select("SELECT count(*) FROM Customers WHERE Code = 'CRANE'"), "0\n");
}

TEST_F(JoinLockingTest, AnOptimisticUpdateChecksAndLocksEachRow) {
  ForkedEditor other(path_);
  auto rs = Open(kKept, kOpenDynaset, 0, kOptimistic);
  rs->Edit();  // ACME with order A1: nothing locked yet
  Set(*rs, "Amount", Variant(11));
  EXPECT_EQ(ChildEdits(other, "Customers", "Acme"), 0);
  // While the child edits the customer, this Update cannot lock it, and writes nothing.
  ASSERT_EQ(other.Do("find Acme"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, err::kRecordLocked);
  EXPECT_EQ(Select("SELECT Amount FROM Orders WHERE OrderID = 1"), "10\n");
  ASSERT_EQ(other.Do("cancel"), 0);
  rs->Update();
  EXPECT_EQ(Select("SELECT Amount FROM Orders WHERE OrderID = 1"), "11\n");

  // Another user points the order at another customer whose shown fields look the same (City
  // only): the record no longer shows the rows it was edited on.
  auto shown = Open("SELECT Orders.OrderID, Orders.Amount, Customers.City FROM Customers LEFT JOIN Orders "
                    "ON Customers.Code = Orders.Code ORDER BY Customers.Code, Orders.OrderID",
                    kOpenDynaset, 0, kOptimistic);
  shown->Edit();
  Set(*shown, "Amount", Variant(12));
  auto second = workspace_->OpenDatabase(path_);
  second->Execute("UPDATE Orders SET Code = 'BOLT' WHERE OrderID = 1");
  EXPECT_EQ(ErrorOf([&] { shown->Update(); }).number, err::kDataChanged);
  EXPECT_EQ(Select("SELECT Amount FROM Orders WHERE OrderID = 1"), "11\n");
  second->Close();
}

TEST_F(JoinLockingTest, DenyWriteHoldsEveryTableOfTheJoin) {
  ForkedEditor other(path_);
  {
    auto rs = Open(kKept, kOpenDynaset, ro::kDenyWrite);
    EXPECT_EQ(other.Do("open 2 0 0 Customers"), err::kTableLocked);
    EXPECT_EQ(other.Do("open 2 0 0 Orders"), err::kTableLocked);
    EXPECT_EQ(other.Do("open 4 0 0 Customers"), 0);  // readers are welcome
    auto second = workspace_->OpenDatabase(path_);
    EXPECT_EQ(ErrorOf([&] { second->Execute("UPDATE Customers SET City = 'Bergen'"); }).number, err::kTableLocked);
    EXPECT_EQ(ErrorOf([&] { second->Execute("DELETE FROM Orders"); }).number, err::kTableLocked);
    second->Close();
    // The holder itself still writes both tables.
    rs->Edit();
    Set(*rs, "City", Variant("Bergen"));
    Set(*rs, "Amount", Variant(15));
    rs->Update();
    EXPECT_EQ(Select("SELECT count(*) FROM Customers WHERE City = 'Bergen'"), "1\n");
  }
  EXPECT_EQ(other.Do("open 2 0 0 Orders"), 0);

  // A writer on one table of the join refuses the deny, and the refusal holds no other table.
  ASSERT_EQ(other.Do("open 2 0 0 Customers"), 0);
  EXPECT_EQ(ErrorOf([&] { Open(kKept, kOpenDynaset, ro::kDenyWrite); }).number, err::kTableLocked);
  auto second = workspace_->OpenDatabase(path_);
  EXPECT_EQ(ErrorOf([&] { second->OpenRecordset("Orders", kOpenTable, ro::kDenyRead); }).number, 0);
  second->Close();
  // Without a deny option a join holds its tables as a writer only.
  ASSERT_EQ(other.Do("close"), 0);
  auto plain = Open(kKept, kOpenDynaset);
  EXPECT_EQ(other.Do("open 2 0 0 Orders"), 0);
  EXPECT_EQ(other.Do("open 1 1 0 Orders"), err::kTableLocked);  // it may change Orders
}

}  // namespace
}  // namespace qb::jet::test
