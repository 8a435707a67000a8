// Dynasets over an outer join that keeps the "one" side (customers with their orders, and
// customers without orders as one row with Nulls): which side each change writes, filling in a
// row without a match, AddNew of either side, Delete of either side, rows keyed by either table
// through moves, bookmarks and Requery, and a kept side with a table of its own below it.
#include <gtest/gtest.h>

#include "recordset_test_support.h"

namespace qb::jet::test {

namespace ro = recordset_option;
namespace {

constexpr int kJoinKeyNull = 3100;
constexpr int kNoMatchingRow = 3101;
constexpr int kDuplicateKey = 3022;

const char* const kKept =
    "SELECT Customers.Code, Customers.Company, Orders.OrderID, Orders.Code, Orders.Amount "
    "FROM Customers LEFT JOIN Orders ON Customers.Code = Orders.Code ORDER BY Customers.Code, Orders.OrderID";

class JoinKeptSideTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    db_->Execute("CREATE TABLE Regions (RegionID COUNTER CONSTRAINT RegionKey PRIMARY KEY, Region TEXT(20))");
    db_->Execute("CREATE TABLE Customers (Code TEXT(5) CONSTRAINT CustKey PRIMARY KEY, Company TEXT(12), RegionID LONG)");
    db_->Execute("CREATE TABLE Orders (OrderID COUNTER CONSTRAINT OrderKey PRIMARY KEY, Code TEXT(5), Amount LONG)");
    Exec("INSERT INTO Regions (Region) VALUES ('North'), ('South')");
    // CRANE has no orders; order 4 names no customer, so the join never shows it.
    Exec("INSERT INTO Customers VALUES ('ACME', 'Acme', 1), ('BOLT', 'Bolt', 2), ('CRANE', 'Crane', 1)");
    Exec("INSERT INTO Orders (Code, Amount) VALUES ('ACME', 10), ('BOLT', 20), ('ACME', 30), ('ZED', 40)");
  }

  static void MoveToCompany(Recordset& rs, const std::string& company) {
    rs.FindFirst("Company = '" + company + "'");
    ASSERT_FALSE(rs.NoMatch()) << company;
  }
};

TEST_F(JoinKeptSideTest, RowsOfBothKindsReadMoveAndMark) {
  auto rs = Open(kKept, kOpenDynaset);
  EXPECT_TRUE(rs->Updatable());
  EXPECT_EQ(Walk(*rs, "OrderID"), "1,3,2,-");
  EXPECT_EQ(WalkBack(*rs, "Customers.Code"), "CRANE,BOLT,ACME,ACME");
  MoveToCompany(*rs, "Crane");
  const Variant crane = rs->Bookmark();
  rs->MoveFirst();
  auto clone = rs->Clone();
  clone->SetBookmark(crane);
  EXPECT_EQ(Text(*clone, "Customers.Code"), "CRANE");
  EXPECT_EQ(Text(*clone, "Amount"), "-");
  rs->FindLast("Orders.OrderID Is Null");
  EXPECT_EQ(Text(*rs, "Company"), "Crane");
  EXPECT_EQ(rs->RecordCount(), 4);
  // Keeping the customers through RIGHT JOIN is the same dynaset.
  auto right = Open("SELECT Customers.Company, Orders.Amount FROM Orders RIGHT JOIN Customers "
                    "ON Orders.Code = Customers.Code ORDER BY Customers.Code, Orders.Amount", kOpenDynaset);
  EXPECT_TRUE(right->Updatable());
  EXPECT_EQ(Walk(*right, "Amount"), "10,30,20,-");
}

TEST_F(JoinKeptSideTest, EachFieldWritesItsOwnSide) {
  auto rs = Open(kKept, kOpenDynaset);
  // The one side's link field would take its orders along: only dbInconsistent changes it.
  EXPECT_FALSE(rs->Fields()->Item("Customers.Code")->DataUpdatable());
  EXPECT_TRUE(rs->Fields()->Item("Orders.Code")->DataUpdatable());
  EXPECT_TRUE(Open(kKept, kOpenDynaset, ro::kInconsistent)->Fields()->Item("Customers.Code")->DataUpdatable());

  rs->Edit();  // ACME, order 1
  Set(*rs, "Company", Variant("Acme Ltd"));
  Set(*rs, "Amount", Variant(11));
  rs->Update();
  EXPECT_EQ(Select("SELECT Company FROM Customers WHERE Code = 'ACME'"), "Acme Ltd\n");
  EXPECT_EQ(Select("SELECT Amount FROM Orders WHERE OrderID = 1"), "11\n");
  EXPECT_EQ(Walk(*rs, "Company"), "Acme Ltd,Acme Ltd,Bolt,Crane");

  // A customer without orders: its own fields write the customer and add no order.
  MoveToCompany(*rs, "Crane");
  rs->Edit();
  Set(*rs, "Company", Variant("Crane Co"));
  rs->Update();
  EXPECT_EQ(Select("SELECT Company FROM Customers WHERE Code = 'CRANE'"), "Crane Co\n");
  EXPECT_EQ(Select("SELECT count(*) FROM Orders"), "4\n");
  EXPECT_EQ(Text(*rs, "Company"), "Crane Co");
  EXPECT_EQ(Text(*rs, "OrderID"), "-");

  // An order that would leave its customer's rows is refused in the consistent mode.
  rs->MoveFirst();
  rs->Edit();
  Set(*rs, "Orders.Code", Variant("NOPE"));
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, kNoMatchingRow);
  Set(*rs, "Orders.Code", Variant::Null());
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, kJoinKeyNull);
  Set(*rs, "Orders.Code", Variant("BOLT"));
  rs->Update();
  EXPECT_EQ(Text(*rs, "Customers.Code"), "BOLT");
  EXPECT_EQ(Text(*rs, "Company"), "Bolt");
}

TEST_F(JoinKeptSideTest, FillingARowWithoutAMatchAddsItsManySide) {
  Exec("INSERT INTO Customers VALUES ('DELTA', 'Delta', 2)");
  // Either consistency mode, each with a customer without orders of its own.
  auto fill = [&](int options, const std::string& company, const std::string& code, const std::string& id) {
    SCOPED_TRACE(company);
    auto rs = Open(kKept, kOpenDynaset, options);
    MoveToCompany(*rs, company);
    rs->Edit();
    Set(*rs, "Amount", Variant(70));
    rs->Update();
    // The new order names its customer, and the row is now that order's.
    EXPECT_EQ(Select("SELECT OrderID, Amount FROM Orders WHERE Code = '" + code + "'"), id + "|70\n");
    EXPECT_EQ(Text(*rs, "OrderID"), id);
    EXPECT_EQ(Text(*rs, "Orders.Code"), code);
    rs->SetBookmark(rs->LastModified());
    EXPECT_EQ(Text(*rs, "Amount"), "70");
    // Edited again, it writes that order, not another one.
    rs->Edit();
    Set(*rs, "Amount", Variant(71));
    rs->Update();
    EXPECT_EQ(Select("SELECT count(*), sum(Amount) FROM Orders WHERE Code = '" + code + "'"), "1|71\n");
    // The row is neither lost nor repeated, before or after Requery.
    rs->MoveFirst();
    const std::string rows = Walk(*rs, "OrderID");
    rs->Requery();
    EXPECT_EQ(Walk(*rs, "OrderID"), rows);
    return rows;
  };
  EXPECT_EQ(fill(0, "Crane", "CRANE", "5"), "1,3,2,5,-");
  EXPECT_EQ(fill(ro::kInconsistent, "Delta", "DELTA", "6"), "1,3,2,5,6");
}

TEST_F(JoinKeptSideTest, InconsistentChangesMayMoveTheOneSidesKey) {
  auto rs = Open(kKept, kOpenDynaset, ro::kInconsistent);
  MoveToCompany(*rs, "Crane");
  rs->Edit();
  Set(*rs, "Customers.Code", Variant("CRX"));
  rs->Update();
  EXPECT_EQ(Select("SELECT Code FROM Customers WHERE Company = 'Crane'"), "CRX\n");
  EXPECT_EQ(Text(*rs, "Customers.Code"), "CRX");
  // On a row with an order the order keeps its old link: it no longer finds a customer.
  MoveToCompany(*rs, "Bolt");
  rs->Edit();
  Set(*rs, "Customers.Code", Variant("BOX"));
  rs->Update();
  EXPECT_EQ(Select("SELECT Code FROM Orders WHERE OrderID = 2"), "BOLT\n");
  EXPECT_EQ(Text(*rs, "Company"), "-");
  rs->Requery();
  EXPECT_EQ(Walk(*rs, "Customers.Code"), "ACME,ACME,BOX,CRX");
}

TEST_F(JoinKeptSideTest, AddNewAddsTheOneSideAndAManySideWhenItsFieldsAreSet) {
  auto rs = Open(kKept, kOpenDynaset);
  // A customer alone: its key may be given on a new row even where consistency keeps it fixed.
  rs->AddNew();
  Set(*rs, "Customers.Code", Variant("DELTA"));
  Set(*rs, "Company", Variant("Delta"));
  rs->Update();
  EXPECT_EQ(Select("SELECT Code, Company FROM Customers WHERE Code = 'DELTA'"), "DELTA|Delta\n");
  EXPECT_EQ(Select("SELECT count(*) FROM Orders"), "4\n");
  rs->SetBookmark(rs->LastModified());
  EXPECT_EQ(Text(*rs, "Company"), "Delta");
  EXPECT_EQ(Text(*rs, "OrderID"), "-");

  // A customer with its first order: the order names the new customer.
  rs->AddNew();
  Set(*rs, "Customers.Code", Variant("EPS"));
  Set(*rs, "Company", Variant("Epsilon"));
  Set(*rs, "Amount", Variant(80));
  rs->Update();
  EXPECT_EQ(Select("SELECT OrderID, Code FROM Orders WHERE Amount = 80"), "5|EPS\n");
  rs->SetBookmark(rs->LastModified());
  EXPECT_EQ(Text(*rs, "OrderID"), "5");
  EXPECT_EQ(Text(*rs, "Company"), "Epsilon");

  // An order alone joins the customer its link names.
  rs->AddNew();
  Set(*rs, "Orders.Code", Variant("BOLT"));
  Set(*rs, "Amount", Variant(90));
  rs->Update();
  EXPECT_EQ(Select("SELECT Code FROM Orders WHERE Amount = 90"), "BOLT\n");
  EXPECT_EQ(Select("SELECT count(*) FROM Customers"), "5\n");
  rs->AddNew();
  Set(*rs, "Orders.Code", Variant("NOPE"));
  Set(*rs, "Amount", Variant(91));
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, kNoMatchingRow);
  rs->CancelUpdate();

  // A new customer under a key already taken is a duplicate, and nothing of it is written.
  rs->AddNew();
  Set(*rs, "Customers.Code", Variant("ACME"));
  Set(*rs, "Company", Variant("Again"));
  Set(*rs, "Amount", Variant(92));
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, kDuplicateKey);
  rs->CancelUpdate();
  EXPECT_EQ(Select("SELECT count(*) FROM Orders WHERE Amount >= 91"), "0\n");
  EXPECT_EQ(Select("SELECT Company FROM Customers WHERE Code = 'ACME'"), "Acme\n");
  // Outside an AddNew the key stays fixed.
  rs->MoveFirst();
  rs->Edit();
  EXPECT_EQ(ErrorOf([&] { Set(*rs, "Customers.Code", Variant("ACX")); }).number, err::kFieldNotUpdatable);
  rs->CancelUpdate();
  rs->Requery();
  EXPECT_EQ(Walk(*rs, "Customers.Code"), "ACME,ACME,BOLT,BOLT,CRANE,DELTA,EPS");
}

TEST_F(JoinKeptSideTest, DeleteRemovesTheManySideOrTheLoneOneSide) {
  auto rs = Open(kKept, kOpenDynaset);
  rs->Delete();  // ACME, order 1: the order goes, the customer stays
  EXPECT_EQ(Select("SELECT count(*) FROM Orders WHERE OrderID = 1"), "0\n");
  EXPECT_EQ(Select("SELECT count(*) FROM Customers WHERE Code = 'ACME'"), "1\n");
  MoveToCompany(*rs, "Crane");
  rs->Delete();  // no order: the customer goes
  EXPECT_EQ(Select("SELECT count(*) FROM Customers WHERE Code = 'CRANE'"), "0\n");
  rs->MoveFirst();
  EXPECT_EQ(Walk(*rs, "OrderID"), "3,2");

  // A customer that another user gave an order since it was read is no longer one without
  // orders: removing it would leave that order naming nothing.
  Exec("INSERT INTO Customers VALUES ('DELTA', 'Delta', 2)");
  rs->Requery();
  MoveToCompany(*rs, "Delta");
  auto other = workspace_->OpenDatabase(path_);
  other->Execute("INSERT INTO Orders (Code, Amount) VALUES ('DELTA', 50)");
  EXPECT_EQ(ErrorOf([&] { rs->Delete(); }).number, err::kDataChanged);
  EXPECT_EQ(Select("SELECT count(*) FROM Customers WHERE Code = 'DELTA'"), "1\n");
  other->Close();
}

TEST_F(JoinKeptSideTest, TheKeptSidesOwnOneSideIsReadAndWrittenWithIt) {
  const char* const sql =
      "SELECT Customers.Company, Regions.Region, Orders.OrderID, Orders.Amount FROM (Regions INNER JOIN Customers "
      "ON Regions.RegionID = Customers.RegionID) LEFT JOIN Orders ON Customers.Code = Orders.Code "
      "ORDER BY Customers.Code, Orders.OrderID";
  auto rs = Open(sql, kOpenDynaset);
  ASSERT_TRUE(rs->Updatable());
  EXPECT_EQ(Walk(*rs, "Region"), "North,North,South,North");
  MoveToCompany(*rs, "Crane");
  rs->Edit();
  Set(*rs, "Region", Variant("Far North"));
  rs->Update();
  EXPECT_EQ(Select("SELECT Region FROM Regions WHERE RegionID = 1"), "Far North\n");
  EXPECT_EQ(Select("SELECT count(*) FROM Orders"), "4\n");
  rs->Edit();
  Set(*rs, "Amount", Variant(60));
  rs->Update();
  EXPECT_EQ(Select("SELECT Code FROM Orders WHERE Amount = 60"), "CRANE\n");
  EXPECT_EQ(Text(*rs, "Region"), "Far North");
  rs->MoveFirst();
  EXPECT_EQ(Walk(*rs, "Region"), "Far North,Far North,South,Far North");
  // An inner join on the many side drops the rows without orders again: no table is kept.
  auto dropped = Open("SELECT Customers.Company, Orders.Amount FROM (Customers LEFT JOIN Orders "
                      "ON Customers.Code = Orders.Code) INNER JOIN Regions ON Orders.Amount = Regions.RegionID", kOpenDynaset);
  EXPECT_FALSE(dropped->Updatable());
  EXPECT_EQ(Walk(*dropped, "Company"), "");
}

}  // namespace
}  // namespace qb::jet::test
