// Changes of a table's design (DROP TABLE, ALTER TABLE, CREATE/DROP INDEX, TableDefs.Delete,
// a stored TableDef's changes) are refused while any recordset has the table open: one of this
// Database, of another Database object, or of another process (a forked child). Once every
// such recordset has closed they go through, and the recordsets that stayed open meanwhile
// still edit their rows.
#include <gtest/gtest.h>

#include <functional>

#include "forked_editor.h"
#include "jet/locks/table_hold.h"
#include "jet/dao/tabledef.h"
#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

class TableDesignHoldTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    db_->Execute("CREATE TABLE Cities (Name TEXT(20))");
  }

  struct Change {
    const char* what;
    std::function<void()> run;
  };
  // Every way of changing People's design; each one undone by the next where it succeeds.
  std::vector<Change> Changes() {
    return {
        {"ALTER ADD", [this] { db_->Execute("ALTER TABLE People ADD COLUMN Extra TEXT(5)"); }},
        {"CREATE INDEX", [this] { db_->Execute("CREATE INDEX ByCity ON People (City)"); }},
        {"DROP INDEX", [this] { db_->Execute("DROP INDEX ByAgeName ON People"); }},
        {"TableDef change", [this] { Table("People")->Fields()->Item("City")->SetDefaultValue(Variant("'Pisa'")); }},
        {"DROP TABLE", [this] { db_->Execute("DROP TABLE People"); }},
    };
  }
  // Every change is refused with kTableInUse and leaves the table as it was.
  void ExpectEveryChangeRefused() {
    for (const Change& change : Changes()) {
      SCOPED_TRACE(change.what);
      EXPECT_EQ(ErrorOf(change.run).number, err::kTableInUse);
    }
    EXPECT_EQ(ErrorOf([&] { db_->TableDefs()->Delete("People"); }).number, err::kTableInUse);
    EXPECT_EQ(Table("People")->Fields()->Count(), 9);
    // Other tables stay free.
    db_->Execute("ALTER TABLE Cities ADD COLUMN Country TEXT(20)");
    db_->Execute("ALTER TABLE Cities DROP COLUMN Country");
  }
  void ExpectEveryChangeMade() {
    for (const Change& change : Changes()) {
      SCOPED_TRACE(change.what);
      EXPECT_EQ(ErrorOf(change.run).number, 0);
    }
  }
};

TEST_F(TableDesignHoldTest, AnotherProcessesRecordsetKeepsTheDesignUntilItCloses) {
  for (const char* open : {"open 1 0 0", "open 2 0 0", "open 4 0 0"}) {
    SCOPED_TRACE(open);
    ForkedEditor other(path_);
    ASSERT_EQ(other.Do(open), 0);
    ExpectEveryChangeRefused();
    ASSERT_EQ(other.Do("close"), 0);
  }
  // The child's recordset still edits its rows after the refusals, then lets the changes in.
  ForkedEditor other(path_);
  ASSERT_EQ(other.Do("open 2 0 0"), 0);
  ExpectEveryChangeRefused();
  ASSERT_EQ(other.Do("find Bob"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  ASSERT_EQ(other.Do("set City Paris"), 0);
  EXPECT_EQ(other.Do("update"), 0);
  EXPECT_EQ(Select("SELECT City FROM People WHERE Name = 'Bob'"), "Paris\n");
  ASSERT_EQ(other.Do("close"), 0);
  ExpectEveryChangeMade();
}

TEST_F(TableDesignHoldTest, RecordsetsOfThisProcessKeepTheDesignUntilTheyClose) {
  struct Holder {
    const char* what;
    std::function<std::shared_ptr<Recordset>()> open;
  };
  std::shared_ptr<Database> second = workspace_->OpenDatabase(path_);
  const std::vector<Holder> holders = {
      {"table-type", [&] { return Open("People", kOpenTable); }},
      {"dynaset", [&] { return Open("SELECT Name, Age FROM People WHERE Age > 20", kOpenDynaset); }},
      {"snapshot", [&] { return Open("People", kOpenSnapshot); }},
      {"another Database's", [&] { return second->OpenRecordset("People", kOpenDynaset); }},
  };
  for (const Holder& holder : holders) {
    SCOPED_TRACE(holder.what);
    auto rs = holder.open();
    auto clone = rs->Clone();
    ExpectEveryChangeRefused();
    rs->Close();
    ExpectEveryChangeRefused();  // the clone still has the table open
    clone->Close();
  }
  // After the refusals the recordset's edits still work; closed, the changes go through.
  auto rs = Open("People", kOpenTable);
  ExpectEveryChangeRefused();
  rs->Edit();
  Set(*rs, "City", Variant("Lima"));
  rs->Update();
  EXPECT_EQ(Text(*rs, "City"), "Lima");
  rs->Close();
  ExpectEveryChangeMade();
}

}  // namespace
}  // namespace qb::jet::test
