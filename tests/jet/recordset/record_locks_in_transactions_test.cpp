// Record locks inside transactions: every record a recordset writes (Edit, AddNew, Delete)
// stays locked against other users until the outermost CommitTrans or Rollback, or until its
// Database closes; the Database's own recordsets and statements may still change it.
#include <gtest/gtest.h>

#include "forked_editor.h"
#include "jet/locks/lock_ranges.h"
#include "jet/locks/record_lock.h"
#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

constexpr const char* kOpenPessimistic = "open 2 0 2";

class RecordLocksInTransactionsTest : public RecordsetTest {
 protected:
  static void Goto(Recordset& rs, const std::string& name) {
    rs.FindFirst("Name = '" + name + "'");
    ASSERT_FALSE(rs.NoMatch()) << name;
  }
  // The other process's answer to an Edit of record NAME (0: it got the lock, let go again).
  static int EditOf(ForkedEditor& other, const std::string& name) {
    if (const int found = other.Do("find " + name); found != 0) return found;
    const int code = other.Do("edit");
    if (code == 0) other.Do("cancel");
    return code;
  }
};

TEST_F(RecordLocksInTransactionsTest, RecordsWrittenStayLockedUntilTheOutermostTransactionEnds) {
  ForkedEditor other(path_);
  ASSERT_EQ(other.Do(kOpenPessimistic), 0);
  auto watcher = workspace_->OpenDatabase(path_);  // sees this process's locks as another open
  for (bool commit : {false, true}) {
    SCOPED_TRACE(commit ? "CommitTrans" : "Rollback");
    auto pessimistic = Open("People", kOpenDynaset);
    auto optimistic = Open("People", kOpenDynaset, 0, kOptimistic);
    db_->BeginTrans();
    db_->BeginTrans();
    Goto(*pessimistic, "alice");
    pessimistic->Edit();
    Set(*pessimistic, "Age", Variant(31));
    pessimistic->Update();
    Goto(*optimistic, "Bob");
    optimistic->Edit();
    Set(*optimistic, "Age", Variant(26));
    optimistic->Update();
    Goto(*pessimistic, "Carl");
    pessimistic->Delete();
    pessimistic->AddNew();
    Set(*pessimistic, "Name", Variant("Eve"));
    pessimistic->Update();
    const std::int64_t eve = std::stoll(Select("SELECT Id FROM People WHERE Name = 'Eve'"));

    // Another user sees the old rows (nothing is committed) but may edit none of the written.
    EXPECT_EQ(EditOf(other, "alice"), err::kRecordLocked);
    EXPECT_EQ(EditOf(other, "Bob"), err::kRecordLocked);
    EXPECT_EQ(EditOf(other, "Carl"), err::kRecordLocked) << "deleted in the transaction";
    EXPECT_TRUE(watcher->File()->LockFileRanges()->HeldElsewhere(RecordLockByte("People", eve))) << "added";
    EXPECT_EQ(EditOf(other, "Dora"), 0) << "a record the transaction did not write";

    // This Database's recordsets take the kept locks up again, one edit at a time.
    Goto(*pessimistic, "Eve");
    pessimistic->Edit();
    pessimistic->CancelUpdate();
    Goto(*optimistic, "alice");
    optimistic->Edit();
    Set(*optimistic, "Age", Variant(32));
    optimistic->Update();
    Goto(*pessimistic, "alice");
    pessimistic->Edit();
    Goto(*optimistic, "alice");
    optimistic->Edit();
    Set(*optimistic, "Age", Variant(33));
    EXPECT_EQ(ErrorOf([&] { optimistic->Update(); }).number, err::kRecordLocked) << "held by the pending edit";
    optimistic->CancelUpdate();
    pessimistic->CancelUpdate();

    db_->CommitTrans();
    EXPECT_EQ(EditOf(other, "alice"), err::kRecordLocked) << "an inner commit keeps the locks";
    if (commit) {
      db_->CommitTrans();
    } else {
      db_->Rollback();
    }
    for (const char* name : {"alice", "Bob"}) EXPECT_EQ(EditOf(other, name), 0) << name;
    EXPECT_EQ(EditOf(other, "Carl"), commit ? err::kNoCurrentRecord : 0);
    EXPECT_FALSE(watcher->File()->LockFileRanges()->HeldElsewhere(RecordLockByte("People", eve)));
  }
  EXPECT_EQ(Select("SELECT Name, Age FROM People WHERE Name IN ('alice', 'Bob', 'Carl', 'Eve') ORDER BY Name"),
            "alice|32\nBob|26\nEve|<null>\n");
  // Outside a transaction an Update lets go at once.
  auto rs = Open("People", kOpenDynaset);
  Goto(*rs, "Dora");
  rs->Edit();
  Set(*rs, "Age", Variant(41));
  rs->Update();
  EXPECT_EQ(EditOf(other, "Dora"), 0);
}

TEST_F(RecordLocksInTransactionsTest, KeptLocksGoWithTheirDatabaseAndLeaveItsStatementsFree) {
  ForkedEditor other(path_);
  ASSERT_EQ(other.Do(kOpenPessimistic), 0);
  auto database = workspace_->OpenDatabase(path_);
  database->BeginTrans();
  auto rs = database->OpenRecordset("People", kOpenDynaset);
  Goto(*rs, "alice");
  rs->Edit();
  Set(*rs, "Age", Variant(31));
  rs->Update();
  // A kept lock no edit uses marks no table: the Database's statements write the record.
  EXPECT_FALSE(database->File()->LockFileRanges()->Held(TableEditByte("People")));
  database->Execute("UPDATE People SET City = 'Kiel'", recordset_option::kFailOnError);
  EXPECT_EQ(database->RecordsAffected(), 4);
  // While one of its recordsets edits the record again, its own statements leave it alone.
  rs->Edit();
  const auto ulm = [&] { database->Execute("UPDATE People SET City = 'Ulm'", recordset_option::kFailOnError); };
  EXPECT_EQ(ErrorOf(ulm).number, err::kLockedRetry);
  rs->CancelUpdate();
  database->Execute("UPDATE People SET City = 'Ulm'", recordset_option::kFailOnError);
  EXPECT_FALSE(database->File()->LockFileRanges()->Held(TableEditByte("People"))) << "the ended edit's mark went";
  ASSERT_EQ(EditOf(other, "alice"), err::kRecordLocked);
  database->Close();  // undoes the transaction and lets go
  EXPECT_EQ(EditOf(other, "alice"), 0);
  EXPECT_EQ(Select("SELECT Age, City FROM People WHERE Name = 'alice'"), "30|Oslo\n");
}

}  // namespace
}  // namespace qb::jet::test
