// The record count a recordset answers while records are added, deleted, requeried, filtered
// and reopened, here and by another process: the count the recordset keeps between changes
// must always be the one the engine would give for the recordset's type.
#include <gtest/gtest.h>

#include "framework/data/field.h"
#include "jet/recordset/forked_editor.h"
#include "recordset/recordset_fixture.h"

namespace qb::test {
namespace {

class RecordCountTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    Exec("CREATE TABLE People (Id COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(20), Amount LONG)");
    for (const char* name : {"Ann", "Bob", "Cid"})
      Exec(std::string("INSERT INTO People (Name, Amount) VALUES ('") + name + "', 1)");
  }
  static void Add(TDataSet& rs, const char* name, bool post = true) {
    rs.Append();
    rs.FieldByName("Name")->SetAsString(name);
    rs.FieldByName("Amount")->SetAsInteger(5);
    if (post)
      rs.Post();
    else
      rs.Cancel();
  }
};

TEST_F(RecordCountTest, TheCountFollowsEveryChange) {
  for (TRecordSetTypes type : {rtTable, rtQuery}) {
    SCOPED_TRACE(type);
    auto rs = Make(type, type == rtTable ? "People" : "SELECT * FROM People");
    rs->Open();
    EXPECT_EQ(rs->RecordCount(), 3);
    Add(*rs, "Dan");
    EXPECT_EQ(rs->RecordCount(), 4);
    Add(*rs, "Eve", false);
    EXPECT_EQ(rs->RecordCount(), 4) << "a cancelled insert adds nothing";
    rs->First();
    rs->Edit();
    rs->FieldByName("Amount")->SetAsInteger(9);
    rs->Post();
    EXPECT_EQ(rs->RecordCount(), 4);
    rs->Delete();
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_EQ(rs->RecNo(), 1);
    rs->Last();
    EXPECT_EQ(rs->RecNo(), 3);

    // Another process's records count from the next refresh (a requery for the query types).
    jet::test::ForkedEditor other(file_);
    ASSERT_EQ(other.Do("execute INSERT INTO People (Name, Amount) VALUES ('Fay', 1)"), 0);
    rs->Refresh();
    EXPECT_EQ(rs->RecordCount(), 4);
    // ... and at the next opening.
    rs->Close();
    ASSERT_EQ(other.Do("execute DELETE FROM People WHERE Name = 'Fay'"), 0);
    ASSERT_EQ(other.Do("execute DELETE FROM People WHERE Name = 'Dan'"), 0);
    rs->Open();
    EXPECT_EQ(rs->RecordCount(), 2);
    Exec("DELETE FROM People");
    rs->Close();
    rs->Open();
    EXPECT_EQ(rs->RecordCount(), 0);
    Exec("INSERT INTO People (Name, Amount) VALUES ('Ann', 1)");
    Exec("INSERT INTO People (Name, Amount) VALUES ('Bob', 2)");
    Exec("INSERT INTO People (Name, Amount) VALUES ('Cid', 3)");
  }
}

TEST_F(RecordCountTest, AStatementRunAgainIsCountedAgain) {
  auto rs = Make(rtSnapshot, "SELECT * FROM People");
  rs->Open();
  EXPECT_EQ(rs->RecordCount(), 3);
  Exec("UPDATE People SET Amount = 2 WHERE Name <> 'Ann'");
  // A new filter, and the same statement run again after another record came.
  rs->SetSQLFilter("Amount = 2");
  rs->ReexecuteQuery();
  EXPECT_EQ(rs->RecordCount(), 2);
  Exec("INSERT INTO People (Name, Amount) VALUES ('Dan', 2)");
  rs->ReexecuteQuery();
  EXPECT_EQ(rs->RecordCount(), 3);
  rs->SetSQLFilter("");
  rs->ReexecuteQuery();
  EXPECT_EQ(rs->RecordCount(), 4);
}

TEST_F(RecordCountTest, WithoutFillingUpAQueryCountsTheRecordsReachedSoFar) {
  for (int i = 0; i < 300; ++i) Exec("INSERT INTO People (Name, Amount) VALUES ('More', 1)");
  auto rs = Make(rtQuery, "SELECT * FROM People");
  rs->SetAutoFillUpRecordSet(false);
  rs->Open();
  const int early = rs->RecordCount();
  EXPECT_LT(early, 303);
  rs->Last();
  EXPECT_EQ(rs->RecordCount(), 303) << "the count grows as records are reached";
}

}  // namespace
}  // namespace qb::test
