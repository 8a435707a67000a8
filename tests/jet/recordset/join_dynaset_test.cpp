// Dynasets over joins: which fields may change in each consistency mode, edits that write
// several tables in one Update, link fields that keep or break the join, AddNew on the many side
// (with a new one-side row), Delete of the many side only, outer joins without a match, and
// the shapes that stay read-only.
#include <gtest/gtest.h>

#include "jet/dao/querydef.h"
#include "recordset_test_support.h"

namespace qb::jet::test {

namespace ro = recordset_option;
namespace {

constexpr int kJoinKeyNull = 3100;
constexpr int kNoMatchingRow = 3101;

const char* const kOrders =
    "SELECT Orders.OrderID, Orders.Code, Orders.Amount, Customers.Code, Customers.Company, Customers.City "
    "FROM Orders INNER JOIN Customers ON Orders.Code = Customers.Code ORDER BY Orders.OrderID";
const char* const kOrdersOuter =
    "SELECT Orders.OrderID, Orders.Code, Orders.Amount, Customers.Company "
    "FROM Orders LEFT JOIN Customers ON Orders.Code = Customers.Code ORDER BY Orders.OrderID";
const char* const kLines =
    "SELECT Lines.LineID, Lines.OrderID, Lines.Qty, Orders.Code, Orders.Amount, Customers.Company "
    "FROM (Lines INNER JOIN Orders ON Lines.OrderID = Orders.OrderID) "
    "INNER JOIN Customers ON Orders.Code = Customers.Code ORDER BY Lines.LineID";

class JoinDynasetTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    db_->Execute("CREATE TABLE Customers (Code TEXT(5) CONSTRAINT CustKey PRIMARY KEY, Company TEXT(12), City TEXT(20))");
    db_->Execute("CREATE TABLE Orders (OrderID COUNTER CONSTRAINT OrderKey PRIMARY KEY, Code TEXT(5), Amount LONG)");
    db_->Execute("CREATE TABLE Lines (LineID COUNTER CONSTRAINT LineKey PRIMARY KEY, OrderID LONG, Qty SHORT)");
    Exec("INSERT INTO Customers VALUES ('ACME', 'Acme', 'Oslo'), ('BOLT', 'Bolt', 'Rome'), ('CRANE', 'Crane', 'Paris')");
    // Order 4 names no customer: an inner join leaves it out, an outer join shows it alone.
    Exec("INSERT INTO Orders (Code, Amount) VALUES ('ACME', 10), ('BOLT', 20), ('ACME', 30), ('ZED', 40)");
    Exec("INSERT INTO Lines (OrderID, Qty) VALUES (1, 5), (1, 6), (2, 7)");
  }

  // Which fields may change, as "name:0/1" in field order.
  static std::string Updatable(Recordset& rs) {
    std::string text;
    for (int i = 0; i < rs.Fields()->Count(); ++i) {
      auto field = rs.Fields()->Item(i);
      text += (i ? " " : "") + field->Name() + ":" + (field->DataUpdatable() ? "1" : "0");
    }
    return text;
  }
};

TEST_F(JoinDynasetTest, FieldsMayChangeByConsistencyMode) {
  auto consistent = Open(kOrders, kOpenDynaset);
  EXPECT_TRUE(consistent->Updatable());
  // The one side's link field would drag its many rows along: only dbInconsistent changes it.
  EXPECT_EQ(Updatable(*consistent),
            "OrderID:0 Orders.Code:1 Amount:1 Customers.Code:0 Company:1 City:1");
  EXPECT_EQ(Walk(*consistent, "OrderID"), "1,2,3");
  auto inconsistent = Open(kOrders, kOpenDynaset, ro::kInconsistent);
  EXPECT_EQ(Updatable(*inconsistent),
            "OrderID:0 Orders.Code:1 Amount:1 Customers.Code:1 Company:1 City:1");
  consistent->MoveFirst();
  consistent->Edit();
  EXPECT_EQ(ErrorOf([&] { Set(*consistent, "Customers.Code", Variant("ACX")); }).number, err::kFieldNotUpdatable);
  // The default is the consistent mode, also when asked for by name; the source names the table.
  auto named = Open(kOrders, kOpenDynaset, ro::kConsistent);
  EXPECT_FALSE(named->Fields()->Item("Customers.Code")->DataUpdatable());
  EXPECT_EQ(named->Fields()->Item("Company")->SourceTable(), "Customers");
}

TEST_F(JoinDynasetTest, OneUpdateWritesEveryTableItChangesOrNone) {
  auto rs = Open(kOrders, kOpenDynaset);
  rs->Edit();
  Set(*rs, "Amount", Variant(11));
  Set(*rs, "Company", Variant("Acme Ltd"));
  rs->Update();
  EXPECT_EQ(Select("SELECT Amount FROM Orders WHERE OrderID = 1"), "11\n");
  EXPECT_EQ(Select("SELECT Company FROM Customers WHERE Code = 'ACME'"), "Acme Ltd\n");
  EXPECT_EQ(Text(*rs, "Company"), "Acme Ltd");
  // Every row joined to that customer shows the change.
  EXPECT_EQ(Walk(*rs, "Company"), "Acme Ltd,Bolt,Acme Ltd");

  // A failure in the second table undoes the first: the Company is too long for its field.
  rs->MoveFirst();
  rs->Edit();
  Set(*rs, "Amount", Variant(12));
  Set(*rs, "Company", Variant("Far too long a name"));
  EXPECT_NE(ErrorOf([&] { rs->Update(); }).number, 0);
  EXPECT_EQ(rs->EditMode(), kEditInProgress);
  EXPECT_EQ(Select("SELECT Amount FROM Orders WHERE OrderID = 1"), "11\n");
  rs->CancelUpdate();
}

TEST_F(JoinDynasetTest, ConsistentLinkChangesMustFindTheOneSide) {
  auto rs = Open(kOrders, kOpenDynaset);
  rs->Edit();
  Set(*rs, "Orders.Code", Variant("BOLT"));
  rs->Update();
  // The row now shows the customer its link names.
  EXPECT_EQ(Text(*rs, "Company"), "Bolt");
  EXPECT_EQ(Text(*rs, "City"), "Rome");

  rs->Edit();
  Set(*rs, "Orders.Code", Variant("NOPE"));
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, kNoMatchingRow);
  Set(*rs, "Orders.Code", Variant::Null());
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, kJoinKeyNull);
  EXPECT_EQ(rs->EditMode(), kEditInProgress);  // the buffer stays for a fix or CancelUpdate
  rs->CancelUpdate();
  EXPECT_EQ(Select("SELECT Code FROM Orders WHERE OrderID = 1"), "BOLT\n");
}

TEST_F(JoinDynasetTest, InconsistentChangesMayBreakTheJoin) {
  auto rs = Open(kOrders, kOpenDynaset, ro::kInconsistent);
  rs->Edit();
  Set(*rs, "Orders.Code", Variant("NOPE"));
  rs->Update();
  EXPECT_EQ(Select("SELECT Code FROM Orders WHERE OrderID = 1"), "NOPE\n");
  // The row stays in the dynaset, now without a customer.
  EXPECT_EQ(Text(*rs, "OrderID"), "1");
  EXPECT_EQ(Text(*rs, "Company"), "-");

  rs->MoveNext();  // order 2, BOLT
  rs->Edit();
  Set(*rs, "Customers.Code", Variant("BOLTX"));
  rs->Update();
  EXPECT_EQ(Select("SELECT Code FROM Customers WHERE Company = 'Bolt'"), "BOLTX\n");
  rs->Requery();
  EXPECT_EQ(Walk(*rs, "OrderID"), "3");
}

TEST_F(JoinDynasetTest, AddNewAddsToTheManySideAndShowsItsOneSide) {
  auto rs = Open(kOrders, kOpenDynaset);
  rs->AddNew();
  EXPECT_TRUE(rs->Fields()->Item("Company")->Value().IsNull());
  Set(*rs, "Orders.Code", Variant("CRANE"));
  Set(*rs, "Amount", Variant(50));
  rs->Update();
  EXPECT_EQ(Select("SELECT OrderID, Code, Amount FROM Orders WHERE Amount = 50"), "5|CRANE|50\n");
  rs->SetBookmark(rs->LastModified());
  EXPECT_EQ(Text(*rs, "OrderID"), "5");
  EXPECT_EQ(Text(*rs, "Company"), "Crane");
  EXPECT_EQ(Text(*rs, "City"), "Paris");

  // Without a customer the new order would not belong to the join.
  rs->AddNew();
  Set(*rs, "Amount", Variant(60));
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, kJoinKeyNull);
  Set(*rs, "Orders.Code", Variant("NOPE"));
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, kNoMatchingRow);
  // Naming a new customer with its fields adds the customer as well.
  Set(*rs, "Orders.Code", Variant("NEW"));
  Set(*rs, "Company", Variant("Newco"));
  rs->Update();
  EXPECT_EQ(Select("SELECT Code, Company, City FROM Customers WHERE Code = 'NEW'"), "NEW|Newco|<null>\n");
  EXPECT_EQ(Select("SELECT Code, Amount FROM Orders WHERE Amount = 60"), "NEW|60\n");
  EXPECT_EQ(Select("SELECT count(*) FROM Orders WHERE Amount = 60 OR Amount = 50"), "2\n");
  rs->Requery();
  EXPECT_EQ(Walk(*rs, "Company"), "Acme,Bolt,Acme,Crane,Newco");
}

TEST_F(JoinDynasetTest, DeleteRemovesTheManySideRowOnly) {
  auto rs = Open(kOrders, kOpenDynaset);
  rs->Delete();
  EXPECT_EQ(Select("SELECT count(*) FROM Orders WHERE OrderID = 1"), "0\n");
  EXPECT_EQ(Select("SELECT count(*) FROM Customers WHERE Code = 'ACME'"), "1\n");
  rs->MoveNext();
  EXPECT_EQ(Walk(*rs, "OrderID"), "2,3");
  rs->Requery();
  EXPECT_EQ(Walk(*rs, "Company"), "Bolt,Acme");
}

TEST_F(JoinDynasetTest, OuterJoinRowsWithoutAMatch) {
  auto rs = Open(kOrdersOuter, kOpenDynaset);
  EXPECT_TRUE(rs->Updatable());
  EXPECT_EQ(Walk(*rs, "Company"), "Acme,Bolt,Acme,-");
  rs->MoveLast();  // order 4, code ZED: no customer
  // An outer join keeps the order whatever its link names.
  rs->Edit();
  Set(*rs, "Code", Variant("NOPE"));
  rs->Update();
  EXPECT_EQ(Text(*rs, "Company"), "-");
  rs->Edit();
  Set(*rs, "Code", Variant("CRANE"));
  rs->Update();
  EXPECT_EQ(Text(*rs, "Company"), "Crane");
  // A one-side field set where no row matched adds the row the link names.
  rs->Edit();
  Set(*rs, "Code", Variant("ZED"));
  rs->Update();
  rs->Edit();
  Set(*rs, "Company", Variant("Zed Inc"));
  rs->Update();
  EXPECT_EQ(Select("SELECT Code, Company FROM Customers WHERE Code = 'ZED'"), "ZED|Zed Inc\n");
  EXPECT_EQ(Text(*rs, "Company"), "Zed Inc");

  // RIGHT JOIN keeping the orders is the same dynaset.
  auto right = Open("SELECT Orders.OrderID, Customers.Company FROM Customers RIGHT JOIN Orders "
                    "ON Customers.Code = Orders.Code", kOpenDynaset);
  EXPECT_TRUE(right->Updatable());
  // Keeping customers without orders and orders without lines would leave rows keyed by either
  // of two tables: read-only.
  auto kept = Open("SELECT Customers.Company, Orders.Amount, Lines.Qty FROM (Customers LEFT JOIN Orders "
                   "ON Customers.Code = Orders.Code) LEFT JOIN Lines ON Orders.OrderID = Lines.OrderID "
                   "ORDER BY Customers.Code, Orders.OrderID, Lines.LineID", kOpenDynaset);
  EXPECT_FALSE(kept->Updatable());
  EXPECT_EQ(Walk(*kept, "Qty"), "5,6,-,7,-,-");
}

TEST_F(JoinDynasetTest, ThreeTablesWriteEachTableAndFollowTheirLinks) {
  auto rs = Open(kLines, kOpenDynaset);
  EXPECT_EQ(Updatable(*rs), "LineID:0 OrderID:1 Qty:1 Code:1 Amount:1 Company:1");
  EXPECT_EQ(Walk(*rs, "Company"), "Acme,Acme,Bolt");
  rs->MoveFirst();
  rs->Edit();
  Set(*rs, "Qty", Variant(8));
  Set(*rs, "Amount", Variant(15));
  Set(*rs, "Company", Variant("Acme Two"));
  rs->Update();
  EXPECT_EQ(Select("SELECT Qty FROM Lines WHERE LineID = 1"), "8\n");
  EXPECT_EQ(Select("SELECT Amount FROM Orders WHERE OrderID = 1"), "15\n");
  EXPECT_EQ(Select("SELECT Company FROM Customers WHERE Code = 'ACME'"), "Acme Two\n");

  // Moving the line to another order shows that order and its customer.
  rs->Edit();
  Set(*rs, "OrderID", Variant(2));
  rs->Update();
  EXPECT_EQ(Text(*rs, "Amount"), "20");
  EXPECT_EQ(Text(*rs, "Company"), "Bolt");
  rs->Edit();
  Set(*rs, "OrderID", Variant(99));
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, kNoMatchingRow);
  Set(*rs, "OrderID", Variant(4));  // order 4 exists but its customer does not
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, kNoMatchingRow);
  rs->CancelUpdate();
  // The middle table's own link is checked too.
  rs->Edit();
  Set(*rs, "Code", Variant("NOPE"));
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, kNoMatchingRow);
  rs->CancelUpdate();

  rs->AddNew();
  Set(*rs, "OrderID", Variant(3));
  Set(*rs, "Qty", Variant(9));
  rs->Update();
  rs->SetBookmark(rs->LastModified());
  EXPECT_EQ(Text(*rs, "Amount"), "30");
  EXPECT_EQ(Text(*rs, "Company"), "Acme Two");

  rs->Delete();
  EXPECT_EQ(Select("SELECT count(*) FROM Lines WHERE Qty = 9"), "0\n");
  EXPECT_EQ(Select("SELECT count(*) FROM Orders WHERE OrderID = 3"), "1\n");

  auto loose = Open(kLines, kOpenDynaset, ro::kInconsistent);
  EXPECT_EQ(Updatable(*loose), "LineID:0 OrderID:1 Qty:1 Code:1 Amount:1 Company:1");
  loose->Edit();
  Set(*loose, "OrderID", Variant(99));
  loose->Update();
  EXPECT_EQ(Select("SELECT OrderID FROM Lines WHERE LineID = 1"), "99\n");
  EXPECT_EQ(Text(*loose, "Amount"), "-");
}

// Joins written with the inner join in parentheses (as query designers write them) reach every
// table's rows: the dynaset is updatable, and statements write through them.
TEST_F(JoinDynasetTest, ParenthesisedJoinsReachEveryTablesRows) {
  const std::string from =
      " FROM Customers INNER JOIN (Orders INNER JOIN Lines ON Orders.OrderID = Lines.OrderID) "
      "ON Customers.Code = Orders.Code";
  auto rs = Open("SELECT Lines.LineID, Lines.Qty, Orders.Amount, Customers.Company" + from + " ORDER BY Lines.LineID",
                 kOpenDynaset);
  EXPECT_EQ(Updatable(*rs), "LineID:0 Qty:1 Amount:1 Company:1");
  EXPECT_EQ(Walk(*rs, "Company"), "Acme,Acme,Bolt");
  rs->MoveLast();
  rs->Edit();
  Set(*rs, "Qty", Variant(70));
  rs->Update();
  EXPECT_EQ(Select("SELECT Qty FROM Lines WHERE LineID = 3"), "70\n");

  auto rows = Open("SELECT DISTINCTROW Customers.Company" + from, kOpenSnapshot);
  EXPECT_EQ(Walk(*rows, "Company"), "Acme,Bolt");
  auto kept = Open("SELECT Orders.OrderID, Customers.Company FROM (Orders LEFT JOIN Lines ON Orders.OrderID = Lines.OrderID) "
                   "RIGHT JOIN Customers ON Customers.Code = Orders.Code ORDER BY Customers.Code, Orders.OrderID",
                   kOpenDynaset);
  EXPECT_EQ(Walk(*kept, "Company"), "Acme,Acme,Acme,Bolt,Crane");

  db_->Execute("UPDATE" + from.substr(5) + " SET Lines.Qty = Lines.Qty + 100 WHERE Customers.Code = 'ACME'",
               ro::kFailOnError);
  EXPECT_EQ(Select("SELECT Qty FROM Lines ORDER BY LineID"), "105\n106\n70\n");
  db_->Execute("DELETE Lines.*" + from + " WHERE Customers.Code = 'BOLT'", ro::kFailOnError);
  EXPECT_EQ(db_->RecordsAffected(), 1);
  EXPECT_EQ(Select("SELECT count(*) FROM Lines"), "2\n");
}

TEST_F(JoinDynasetTest, ChangesShowAfterRequeryReopenAndThroughSavedQueries) {
  db_->CreateQueryDef("OrderList", kOrders);
  {
    auto rs = Open("OrderList", kOpenDynaset);
    EXPECT_TRUE(rs->Updatable());
    rs->FindFirst("Company = 'Bolt'");
    ASSERT_FALSE(rs->NoMatch());
    rs->Edit();
    Set(*rs, "Amount", Variant(21));
    Set(*rs, "City", Variant("Milan"));
    rs->Update();
    rs->Requery();
    EXPECT_EQ(Walk(*rs, "City"), "Oslo,Milan,Oslo");
  }
  db_->Close();
  db_ = workspace_->OpenDatabase(path_);
  auto query = db_->QueryDefs()->Item(std::string_view("OrderList"));
  auto rs = query->OpenRecordset();
  EXPECT_TRUE(rs->Updatable());
  EXPECT_EQ(Walk(*rs, "Amount"), "10,21,30");
  rs->MoveFirst();
  rs->Edit();
  Set(*rs, "Orders.Code", Variant("CRANE"));
  rs->Update();
  EXPECT_EQ(Text(*rs, "City"), "Paris");
}

TEST_F(JoinDynasetTest, JoinedRowsMoveFindAndCloneLikeOtherDynasetRows) {
  // The statement's order holds, whatever the order of the rows' keys.
  auto rs = Open("SELECT Orders.OrderID, Customers.City FROM Orders INNER JOIN Customers "
                 "ON Orders.Code = Customers.Code ORDER BY Customers.City DESC, Orders.OrderID DESC",
                 kOpenDynaset);
  EXPECT_EQ(Walk(*rs, "OrderID"), "2,3,1");
  EXPECT_EQ(WalkBack(*rs, "OrderID"), "1,3,2");
  rs->FindFirst("City = 'Oslo'");
  EXPECT_EQ(Text(*rs, "OrderID"), "3");
  rs->FindNext("City = 'Oslo'");
  EXPECT_EQ(Text(*rs, "OrderID"), "1");
  const Variant mark = rs->Bookmark();
  auto clone = rs->Clone();
  clone->SetBookmark(mark);
  clone->Edit();
  clone->Fields()->Item("City")->SetValue(Variant("Bergen"));
  clone->Update();
  // Both see the one-side change, on this row and on the other row of that customer.
  EXPECT_EQ(Text(*rs, "City"), "Bergen");
  rs->FindPrevious("City = 'Bergen'");
  EXPECT_EQ(Text(*rs, "OrderID"), "3");
  EXPECT_EQ(rs->RecordCount(), 3);
}

TEST_F(JoinDynasetTest, AnotherUsersChangeToAFieldBeingWrittenStopsTheUpdate) {
  auto rs = Open(kOrders, kOpenDynaset, 0, kOptimistic);
  rs->Edit();
  Set(*rs, "Company", Variant("Mine"));
  Set(*rs, "Amount", Variant(99));
  auto other = workspace_->OpenDatabase(path_);
  other->Execute("UPDATE Customers SET Company = 'Theirs' WHERE Code = 'ACME'");
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, err::kDataChanged);
  // Nothing of the Update was written, in either table.
  EXPECT_EQ(Select("SELECT Company FROM Customers WHERE Code = 'ACME'"), "Theirs\n");
  EXPECT_EQ(Select("SELECT Amount FROM Orders WHERE OrderID = 1"), "10\n");
  other->Close();
}

TEST_F(JoinDynasetTest, ExpressionsAreReadOnlyAndTheJoinsFieldsEditable) {
  const char* const sql =
      "SELECT Orders.OrderID, Orders.Amount, Orders.Amount * 2 AS Twice, Customers.Company, "
      "Customers.Company & '/' & Orders.Code AS Label FROM Orders LEFT JOIN Customers ON Orders.Code = Customers.Code "
      "ORDER BY Orders.OrderID";
  auto rs = Open(sql, kOpenDynaset);
  ASSERT_TRUE(rs->Updatable());
  EXPECT_EQ(Updatable(*rs), "OrderID:0 Amount:1 Twice:0 Company:1 Label:0");
  EXPECT_EQ(Walk(*rs, "Label"), "Acme/ACME,Bolt/BOLT,Acme/ACME,/ZED");
  rs->MoveFirst();
  rs->Edit();
  EXPECT_EQ(ErrorOf([&] { Set(*rs, "Label", Variant("x")); }).number, err::kFieldIsExpression);
  Set(*rs, "Amount", Variant(12));
  Set(*rs, "Company", Variant("Acme Ltd"));
  rs->Update();
  // Computed again from the rows the record's keys name now.
  EXPECT_EQ(Text(*rs, "Twice") + " " + Text(*rs, "Label"), "24 Acme Ltd/ACME");
  EXPECT_EQ(Select("SELECT Amount FROM Orders WHERE OrderID = 1"), "12\n");
  rs->MoveLast();
  rs->Edit();
  Set(*rs, "Amount", Variant(41));
  rs->Update();
  EXPECT_EQ(Text(*rs, "Twice") + " " + Text(*rs, "Label"), "82 /ZED");  // no customer: Null parts
  rs->AddNew();
  Set(*rs, "Amount", Variant(5));
  rs->Update();
  rs->SetBookmark(rs->LastModified());
  EXPECT_EQ(Text(*rs, "Twice"), "10");
  // With the statement's parameters.
  auto query = db_->CreateQueryDef(
      "Scaled", "PARAMETERS Factor LONG; SELECT Orders.Amount * Factor AS Scaled, Customers.Company FROM Orders "
                "INNER JOIN Customers ON Orders.Code = Customers.Code ORDER BY Orders.OrderID");
  query->Parameters()->Item("Factor")->SetValue(Variant(3));
  auto scaled = query->OpenRecordset();
  ASSERT_TRUE(scaled->Updatable());
  EXPECT_EQ(Walk(*scaled, "Scaled"), "36,60,90");
  scaled->MoveFirst();
  scaled->Edit();
  Set(*scaled, "Company", Variant("Acme"));
  scaled->Update();
  EXPECT_EQ(Text(*scaled, "Scaled") + " " + Text(*scaled, "Company"), "36 Acme");
}

TEST_F(JoinDynasetTest, ShapesThatStayReadOnly) {
  const char* const read_only[] = {
      "SELECT Customers.Company, Sum(Orders.Amount) AS Total FROM Orders INNER JOIN Customers "
      "ON Orders.Code = Customers.Code GROUP BY Customers.Company",
      "SELECT DISTINCT Customers.Company FROM Orders INNER JOIN Customers ON Orders.Code = Customers.Code",
      "SELECT Orders.OrderID, Customers.Company FROM Orders INNER JOIN Customers ON Orders.Code = Customers.Code "
      "UNION SELECT Orders.OrderID, Customers.City FROM Orders INNER JOIN Customers ON Orders.Code = Customers.Code",
      // Many-to-many: neither side's link field is unique.
      "SELECT Orders.OrderID, Lines.LineID FROM Orders INNER JOIN Lines ON Orders.Amount = Lines.Qty",
      // A join condition other than equal fields.
      "SELECT Orders.OrderID, Customers.Company FROM Orders INNER JOIN Customers ON Orders.Code >= Customers.Code",
      // Tables not joined at all.
      "SELECT Orders.OrderID, Customers.Company FROM Orders, Customers WHERE Orders.Code = Customers.Code "
      "ORDER BY Orders.OrderID",
      // One table twice: its fields could not be told apart.
      "SELECT A.OrderID, B.Amount FROM Orders AS A INNER JOIN Orders AS B ON A.OrderID = B.OrderID",
  };
  for (const char* sql : read_only) {
    SCOPED_TRACE(sql);
    auto rs = Open(sql, kOpenDynaset);
    EXPECT_FALSE(rs->Updatable());
    EXPECT_FALSE(rs->Fields()->Item(0)->DataUpdatable());
    if (!rs->Eof()) {
      EXPECT_EQ(ErrorOf([&] { rs->Edit(); }).number, err::kReadOnly);
    }
  }
  // The read-only shapes still read their rows.
  auto totals = Open(read_only[0], kOpenDynaset);
  EXPECT_EQ(Walk(*totals, "Total"), "40,20");
  auto pairs = Open(read_only[5], kOpenDynaset);
  EXPECT_EQ(Walk(*pairs, "Company"), "Acme,Bolt,Acme");
  // A snapshot of an updatable join is still a fixed copy.
  EXPECT_FALSE(Open(kOrders, kOpenSnapshot)->Updatable());
}

}  // namespace
}  // namespace qb::jet::test
