// dbDenyWrite and dbDenyRead holds of recordsets against another process (a forked child with
// its own Database): both ways round, against action statements, released by Close and by the
// holder's death, per table, and counted per Database so that one recordset's release keeps
// another's hold.
#include <gtest/gtest.h>

#include "forked_editor.h"
#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

namespace ro = recordset_option;

constexpr const char* kOpenWriter = "open 2 0 0";
constexpr const char* kOpenReader = "open 4 0 0";

class RecordsetDenyTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    db_->Execute("CREATE TABLE Cities (Name TEXT(20))");
  }
  int OpenHere(int type, int options = 0, const std::string& table = "People") {
    return ErrorOf([&] { Open(table, type, options); }).number;
  }
};

TEST_F(RecordsetDenyTest, AnotherProcessesHoldsKeepThisOneOut) {
  ForkedEditor other(path_);
  ASSERT_EQ(other.Do(kOpenDenyWrite), 0);
  EXPECT_EQ(OpenHere(kOpenDynaset), err::kTableLocked);
  EXPECT_EQ(OpenHere(kOpenTable), err::kTableLocked);
  EXPECT_EQ(OpenHere(kOpenTable, ro::kDenyRead), err::kTableLocked);
  EXPECT_EQ(OpenHere(kOpenSnapshot), 0);  // readers are welcome
  EXPECT_EQ(OpenHere(kOpenDynaset, ro::kReadOnly), 0);
  EXPECT_EQ(OpenHere(kOpenDynaset, 0, "Cities"), 0);  // other tables are free
  ASSERT_EQ(other.Do("close"), 0);
  EXPECT_EQ(OpenHere(kOpenDynaset), 0);

  ASSERT_EQ(other.Do(kOpenDenyRead), 0);
  EXPECT_EQ(OpenHere(kOpenSnapshot), err::kTableLocked);
  EXPECT_EQ(OpenHere(kOpenDynaset, ro::kReadOnly), err::kTableLocked);
  EXPECT_EQ(OpenHere(kOpenSnapshot, 0, "Cities"), 0);
  ASSERT_EQ(other.Do("close"), 0);
  EXPECT_EQ(OpenHere(kOpenTable, ro::kDenyRead), 0);
}

TEST_F(RecordsetDenyTest, ThisProcessesHoldsKeepAnotherOut) {
  ForkedEditor other(path_);
  {
    auto writer = Open("People", kOpenDynaset);
    EXPECT_EQ(other.Do(kOpenDenyWrite), err::kTableLocked);
    EXPECT_EQ(other.Do(kOpenReader), 0);
    EXPECT_EQ(other.Do(kOpenDenyRead), err::kTableLocked);
  }
  EXPECT_EQ(other.Do(kOpenDenyWrite), 0);
  ASSERT_EQ(other.Do("close"), 0);
  {
    auto deny_write = Open("People", kOpenTable, ro::kDenyWrite);
    EXPECT_EQ(other.Do(kOpenWriter), err::kTableLocked);
    EXPECT_EQ(other.Do(kOpenReader), 0);
    auto clone = deny_write->Clone();  // the clone shares the hold past the original's Close
    deny_write->Close();
    EXPECT_EQ(other.Do(kOpenWriter), err::kTableLocked);
  }
  EXPECT_EQ(other.Do(kOpenWriter), 0);
  ASSERT_EQ(other.Do("close"), 0);
  {
    auto deny_read = Open("People", kOpenTable, ro::kDenyRead);
    EXPECT_EQ(other.Do(kOpenReader), err::kTableLocked);
    EXPECT_EQ(other.Do("open 4 0 0 Cities"), 0);
  }
  EXPECT_EQ(other.Do(kOpenReader), 0);
}

// Rows that are not one table's (a grouping over a join here) hold every table they read.
TEST_F(RecordsetDenyTest, ReadOnlyStatementsHoldEveryTableTheyRead) {
  const std::string grouped =
      "SELECT People.City, Count(*) AS N FROM People LEFT JOIN Cities ON People.City = Cities.Name "
      "GROUP BY People.City";
  ForkedEditor other(path_);
  {
    auto deny_write = Open(grouped, kOpenSnapshot, ro::kDenyWrite);
    EXPECT_EQ(other.Do(kOpenWriter), err::kTableLocked);
    EXPECT_EQ(other.Do("open 2 0 0 Cities"), err::kTableLocked);
    EXPECT_EQ(other.Do(kOpenReader), 0);
  }
  EXPECT_EQ(other.Do("open 2 0 0 Cities"), 0);
  ASSERT_EQ(other.Do("close"), 0);
  ASSERT_EQ(other.Do("open 1 2 0 Cities"), 0);  // deny-read on one of its tables
  EXPECT_EQ(ErrorOf([&] { Open(grouped, kOpenSnapshot); }).number, err::kTableLocked);
  ASSERT_EQ(other.Do("close"), 0);
  EXPECT_EQ(ErrorOf([&] { Open(grouped, kOpenSnapshot); }).number, 0);
}

TEST_F(RecordsetDenyTest, OneRecordsetsReleaseKeepsTheOthersHoldsOfItsDatabase) {
  ForkedEditor other(path_);
  auto first = Open("People", kOpenSnapshot);
  auto second = Open("People", kOpenSnapshot);
  auto first_writer = Open("People", kOpenDynaset);
  auto second_writer = Open("People", kOpenTable);
  first->Close();
  first_writer->Close();
  EXPECT_EQ(other.Do(kOpenDenyRead), err::kTableLocked);
  EXPECT_EQ(other.Do(kOpenDenyWrite), err::kTableLocked);
  second_writer->Close();
  EXPECT_EQ(other.Do(kOpenDenyWrite), 0);
  ASSERT_EQ(other.Do("close"), 0);
  EXPECT_EQ(other.Do(kOpenDenyRead), err::kTableLocked);
  second->Close();
  EXPECT_EQ(other.Do(kOpenDenyRead), 0);
}

TEST_F(RecordsetDenyTest, ActionStatementsRespectAnotherUsersDenyOptions) {
  ForkedEditor other(path_);
  ASSERT_EQ(other.Do(kOpenDenyWrite), 0);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("UPDATE People SET Age = 1"); }).number, err::kTableLocked);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("INSERT INTO People (Name) VALUES ('Zed')"); }).number, err::kTableLocked);
  EXPECT_EQ(Select("SELECT count(*), sum(Age) FROM People"), "4|125\n") << "nothing written";
  db_->Execute("INSERT INTO Cities (Name) VALUES ('Oslo')");  // another table
  ASSERT_EQ(other.Do(kOpenDenyRead), 0);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("DELETE FROM People"); }).number, err::kTableLocked);
  ASSERT_EQ(other.Do("close"), 0);
  db_->Execute("UPDATE People SET Age = Age + 1");
  EXPECT_EQ(Select("SELECT sum(Age) FROM People"), "129\n");
  // Its own recordset's deny option keeps this Database's statements out too; its writers do not.
  auto writer = Open("People", kOpenDynaset);
  db_->Execute("UPDATE People SET Age = Age - 1");
  writer.reset();
  auto deny_write = Open("People", kOpenTable, ro::kDenyWrite);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("UPDATE People SET Age = 1"); }).number, err::kTableLocked);
}

TEST_F(RecordsetDenyTest, HoldsVanishWhenTheirHolderDiesOrItsDatabaseCloses) {
  {
    ForkedEditor other(path_);
    ASSERT_EQ(other.Do(kOpenDenyRead), 0);
    EXPECT_EQ(OpenHere(kOpenSnapshot), err::kTableLocked);
    other.Kill();
  }
  EXPECT_EQ(OpenHere(kOpenSnapshot), 0);
  // A Database closing under a deny hold of this process releases it; the recordset ends safely later.
  ForkedEditor other(path_);
  auto database = workspace_->OpenDatabase(path_);
  auto deny_read = database->OpenRecordset("People", kOpenTable, ro::kDenyRead);
  EXPECT_EQ(other.Do(kOpenReader), err::kTableLocked);
  database->Close();
  EXPECT_EQ(other.Do(kOpenReader), 0);
  deny_read.reset();
  EXPECT_EQ(other.Do(kOpenDenyRead), 0);
}

}  // namespace
}  // namespace qb::jet::test
