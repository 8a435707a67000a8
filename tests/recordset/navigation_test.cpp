// Navigation through the recordset component on real database files: both ends of every
// recordset type, empty results, bookmarks and their order, record numbers and counts, the
// forward-only kind, refresh, and the cursor held still while an engine edit is pending.
#include <gtest/gtest.h>

#include "core/resource_strings.h"
#include "framework/data/field.h"
#include "jet/recordset/recordset.h"
#include "recordset/recordset_fixture.h"

namespace qb::test {
namespace {

class NavigationTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    Exec("CREATE TABLE People (Id COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(20), Amount LONG)");
    Exec("CREATE TABLE Nobody (Id COUNTER CONSTRAINT PK2 PRIMARY KEY, Name TEXT(20))");
    Fill();
  }
  // People holds Ann, Bob, Cid, Dan and Eve in key order.
  void Fill() {
    Exec("DELETE FROM People");
    for (const char* name : {"Ann", "Bob", "Cid", "Dan", "Eve"})
      Exec(std::string("INSERT INTO People (Name, Amount) VALUES ('") + name + "', 1)");
  }
};

struct Source {
  TRecordSetTypes type;
  const char* source;
};
const Source kPeople[] = {
    {rtTable, "People"},
    {rtQuery, "SELECT * FROM People ORDER BY Id"},
    {rtSnapshot, "SELECT * FROM People ORDER BY Id"},
};

TEST_F(NavigationTest, EveryKindWalksBothWaysAndStopsAtBothEnds) {
  for (const Source& s : kPeople) {
    SCOPED_TRACE(s.source);
    auto rs = Make(s.type, s.source);
    rs->Open();
    EXPECT_TRUE(rs->Bof());
    EXPECT_EQ(rs->FieldByName("Name")->AsString(), "Ann");
    EXPECT_EQ(Walk(*rs), "Ann,Bob,Cid,Dan,Eve");
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(rs->FieldByName("Name")->AsString(), "Eve") << "at EOF the last record stays active";
    EXPECT_EQ(Walk(*rs, "Name", true), "Eve,Dan,Cid,Bob,Ann");
    EXPECT_TRUE(rs->Bof());
    EXPECT_EQ(rs->MoveBy(-1), 0);
    rs->Last();
    EXPECT_EQ(rs->MoveBy(1), 0);
    EXPECT_EQ(rs->MoveBy(-3), -3);
    EXPECT_EQ(rs->FieldByName("Name")->AsString(), "Bob");
    EXPECT_EQ(rs->RecordCount(), 5);
    EXPECT_EQ(rs->RecNo(), 2);
  }
}

TEST_F(NavigationTest, EmptyResultsOpenAtBothEnds) {
  const Source empty[] = {{rtTable, "Nobody"}, {rtQuery, "SELECT * FROM People WHERE Id < 0"},
                          {rtSnapshot, "SELECT * FROM Nobody"}, {rtUnidirectional, "SELECT * FROM Nobody"}};
  for (const Source& s : empty) {
    SCOPED_TRACE(s.source);
    auto rs = Make(s.type, s.source);
    int moves = 0;
    rs->OnCursorMove = [&moves](TDAOBaseRecordset*) { ++moves; };
    rs->Open();
    EXPECT_TRUE(rs->IsEmpty());
    EXPECT_TRUE(rs->Bof());
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(rs->RecNo(), 0);
    EXPECT_EQ(rs->RecordCount(), 0);
    rs->First();
    rs->Last();
    EXPECT_TRUE(rs->FieldByName("Name")->IsNull());
    EXPECT_EQ(moves, 0) << "an empty recordset has nowhere to move";
  }
}

TEST_F(NavigationTest, ForwardOnlyWalksFromItsFirstRecordWithoutNumbers) {
  auto rs = Make(rtUnidirectional, "SELECT Name FROM People ORDER BY Id");
  rs->Open();
  EXPECT_EQ(rs->FieldByName("Name")->AsString(), "Ann");
  std::string names;
  while (!rs->Eof()) {
    names += rs->FieldByName("Name")->AsString() + ",";
    rs->Next();
  }
  EXPECT_EQ(names, "Ann,Bob,Cid,Dan,Eve,");
  EXPECT_EQ(rs->RecNo(), 0);
  EXPECT_FALSE(rs->IsSequenced());
}

TEST_F(NavigationTest, BookmarksFindTheirRecordAgainAfterEditsOfOthers) {
  for (const Source& s : kPeople) {
    if (s.type == rtSnapshot) continue;  // read-only
    SCOPED_TRACE(s.source);
    auto rs = Make(s.type, s.source);
    rs->Open();
    rs->MoveBy(3);
    const TBookmark dan = rs->GetBookmark();
    ASSERT_EQ(dan.size(), 4u);
    rs->First();
    rs->Edit();
    rs->FieldByName("Amount")->SetAsInteger(41);
    rs->Post();
    rs->Next();
    rs->Delete();  // Bob
    rs->GotoBookmark(dan);
    EXPECT_EQ(rs->FieldByName("Name")->AsString(), "Dan");
    EXPECT_TRUE(rs->BookmarkValid(dan));
    rs->Close();
    Fill();
  }
}

TEST_F(NavigationTest, BookmarksCompareInReverseOrder) {
  auto rs = Make(rtTable, "People");
  rs->Open();
  const TBookmark five = {5, 0, 0, 0};
  const TBookmark nine = {9, 0, 0, 0};
  struct Case {
    TBookmark a, b;
    int expected;
  } cases[] = {{five, nine, 1}, {nine, five, -1}, {five, five, 0}, {{}, {}, 0}, {{}, five, 1}, {five, {}, -1}};
  for (const Case& c : cases) EXPECT_EQ(rs->CompareBookmarks(c.a, c.b), c.expected);
}

TEST_F(NavigationTest, RecordNumbersMoveWithinTheCount) {
  for (const Source& s : kPeople) {
    SCOPED_TRACE(s.source);
    auto rs = Make(s.type, s.source);
    rs->Open();
    struct Case {
      int set;
      const char* name;
      int number;
    } cases[] = {{3, "Cid", 3}, {0, "Ann", 1}, {5, "Eve", 5}, {99, "Eve", 5}, {2, "Bob", 2}};
    for (const Case& c : cases) {
      rs->SetRecNo(c.set);
      EXPECT_EQ(rs->FieldByName("Name")->AsString(), c.name) << c.set;
      EXPECT_EQ(rs->RecNo(), c.number) << c.set;
    }
  }
}

TEST_F(NavigationTest, RefreshKeepsThePositionAndShowsOtherUsersChanges) {
  for (const Source& s : kPeople) {
    SCOPED_TRACE(s.source);
    auto rs = Make(s.type, s.source);
    rs->Open();
    rs->MoveBy(2);  // Cid
    Exec("UPDATE People SET Name = 'Cyd' WHERE Name = 'Cid'");
    rs->Refresh();
    EXPECT_EQ(rs->FieldByName("Name")->AsString(), "Cyd");
    EXPECT_EQ(rs->RecNo(), 3);
    Exec("UPDATE People SET Name = 'Cid' WHERE Name = 'Cyd'");
  }
}

TEST_F(NavigationTest, APendingAddNewHoldsTheCursorStill) {
  auto rs = Make(rtQuery, "SELECT * FROM People ORDER BY Id");
  int moves = 0;
  rs->OnCursorMove = [&moves](TDAOBaseRecordset*) { ++moves; };
  rs->Open();
  rs->Append();
  ASSERT_EQ(rs->GetEditMode(), 2);
  moves = 0;
  rs->MoveNextRecord();
  rs->MovePriorRecord();
  EXPECT_EQ(moves, 0);
  EXPECT_EQ(rs->GetEditMode(), 2) << "the engine would have dropped the AddNew";
  rs->FieldByName("Name")->SetAsString("Fay");
  rs->Post();
  EXPECT_EQ(Column("People", "Name"), "Ann,Bob,Cid,Dan,Eve,Fay");
}

TEST_F(NavigationTest, PositionsAreRefusedWhereTheKindHasNone) {
  struct Case {
    TRecordSetTypes type;
    const char* source;
    std::function<void(TDAORecordset&)> action;
    int message;
    const char* method;
  } cases[] = {
      {rtUnidirectional, "SELECT * FROM People", [](TDAORecordset& rs) { rs.SetPercentPosition(50); },
       kResPercentPositionNotAllowed, "SetPercentPosition"},
      {rtTable, "People", [](TDAORecordset& rs) { rs.SetAbsolutePosition(1); }, kResAbsolutePositionNotAllowed,
       "SetAbsolutePosition"},
      {rtTable, "People", [](TDAORecordset& rs) { rs.COMRequery(nullptr); }, kResRequeryNotAllowed, "COMRequery"},
  };
  for (const Case& c : cases) {
    auto rs = Make(c.type, c.source);
    rs->Open();
    const Raised raised = RaisedBy([&] { c.action(*rs); });
    EXPECT_EQ(raised.text, ResString(c.message));
    EXPECT_EQ(raised.method, c.method);
  }
  auto rs = Make(rtSnapshot, "SELECT * FROM People ORDER BY Id");
  rs->Open();
  rs->SetAbsolutePosition(3);
  EXPECT_EQ(rs->FieldByName("Name")->AsString(), "Dan");
  rs->SetPercentPosition(20);
  EXPECT_EQ(rs->FieldByName("Name")->AsString(), "Bob");
}

}  // namespace
}  // namespace qb::test
