// Two processes editing one record: the recordset component in this process and an engine
// recordset in a forked child with its own database connection. The one that comes second
// sees the engine's lock error; nothing either of them typed is lost.
#include <gtest/gtest.h>

#include "framework/data/field.h"
#include "jet/recordset/forked_editor.h"
#include "recordset/recordset_fixture.h"

namespace qb::test {
namespace {

constexpr int kRecordLocked = 3260;

class TwoUsersTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    Exec("CREATE TABLE People (Id COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(20), Amount LONG)");
    Exec("INSERT INTO People (Name, Amount) VALUES ('Ann', 1)");
    Exec("INSERT INTO People (Name, Amount) VALUES ('Bob', 2)");
  }
};

TEST_F(TwoUsersTest, AnEditLockedByTheOtherProcessIsRefusedAndLaterTakesItsChange) {
  jet::test::ForkedEditor other(file_);
  ASSERT_EQ(other.Do("open 2 0 2 People"), 0);
  ASSERT_EQ(other.Do("find Ann"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  ASSERT_EQ(other.Do("set Amount 50"), 0);

  auto rs = Make(rtQuery, "SELECT * FROM People ORDER BY Id");
  rs->Open();
  const Raised refused = RaisedBy([&] { rs->Edit(); });
  EXPECT_EQ(refused.type, "EDAOError");
  EXPECT_EQ(refused.method, "COMEdit");
  EXPECT_EQ(refused.engine_error, kRecordLocked);
  EXPECT_EQ(rs->State(), dsBrowse);
  EXPECT_EQ(rs->GetEditMode(), 0);

  ASSERT_EQ(other.Do("update"), 0);
  rs->Edit();
  rs->FieldByName("Name")->SetAsString("Anne");
  rs->Post();
  EXPECT_EQ(Column("People", "Name"), "Anne,Bob");
  EXPECT_EQ(Column("People", "Amount"), "50,2") << "the other process's change survives";
}

TEST_F(TwoUsersTest, AnEditHereKeepsTheOtherProcessOutUntilItIsPosted) {
  auto rs = Make(rtTable, "People");
  rs->Open();
  rs->Next();  // Bob
  rs->Edit();
  rs->FieldByName("Name")->SetAsString("Bert");
  jet::test::ForkedEditor other(file_);
  ASSERT_EQ(other.Do("open 2 0 2 People"), 0);
  ASSERT_EQ(other.Do("find Bob"), 0);
  EXPECT_EQ(other.Do("edit"), kRecordLocked);
  EXPECT_EQ(other.Do("delete"), kRecordLocked);
  rs->Post();
  ASSERT_EQ(other.Do("find Bert"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  ASSERT_EQ(other.Do("set Amount 20"), 0);
  ASSERT_EQ(other.Do("update"), 0);
  EXPECT_EQ(Column("People", "Name"), "Ann,Bert");
  EXPECT_EQ(Column("People", "Amount"), "1,20");
  rs->Refresh();
  EXPECT_EQ(rs->FieldByName("Amount")->AsInteger(), 20);
}

}  // namespace
}  // namespace qb::test
