// Record locks between users: pessimistic edits keep the record from Edit to Update, optimistic
// ones check at Update that nobody changed it, both against another process (a forked child
// with its own Database), another Database object and another recordset of this process; a
// lock goes with its edit, its recordset, its database and a holder that dies.
#include <gtest/gtest.h>

#include "forked_editor.h"
#include "jet/locks/record_lock.h"
#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

constexpr const char* kOpenPessimistic = "open 2 0 2";
constexpr const char* kOpenOptimistic = "open 2 0 3";

class RecordsetLockingTest : public RecordsetTest {
 protected:
  // Makes the record named NAME current (table-type by its ByName index).
  static void Goto(Recordset& rs, const std::string& name) {
    if (rs.Type() == kOpenTable) {
      rs.SetIndex("ByName");
      rs.Seek("=", {Variant(name)});
    } else {
      rs.FindFirst("Name = '" + name + "'");
    }
    ASSERT_FALSE(rs.NoMatch()) << name;
  }
  std::string AgeAndCity(const std::string& name) {
    return Select("SELECT Age, City FROM People WHERE Name = '" + name + "'");
  }
};

TEST_F(RecordsetLockingTest, PessimisticEditHoldsTheRecordAgainstAnotherProcess) {
  for (int type : {kOpenTable, kOpenDynaset}) {
    SCOPED_TRACE(type);
    ForkedEditor other(path_);
    ASSERT_EQ(other.Do(kOpenPessimistic), 0);
    auto rs = Open("People", type);  // pessimistic unless asked otherwise
    Goto(*rs, "alice");
    rs->Edit();
    ASSERT_EQ(other.Do("find alice"), 0);
    EXPECT_EQ(other.Do("edit"), err::kRecordLocked);
    EXPECT_EQ(other.Do("delete"), err::kRecordLocked);
    // Other records are free.
    ASSERT_EQ(other.Do("find Bob"), 0);
    EXPECT_EQ(other.Do("edit"), 0);
    EXPECT_EQ(other.Do("set Age 26"), 0);
    EXPECT_EQ(other.Do("update"), 0);
    EXPECT_EQ(AgeAndCity("Bob"), "26|<null>\n");
    // The holder's Update writes and lets go; then the other holds it against the holder.
    Set(*rs, "Age", Variant(31));
    rs->Update();
    EXPECT_EQ(AgeAndCity("alice"), "31|Oslo\n");
    ASSERT_EQ(other.Do("find alice"), 0);
    EXPECT_EQ(other.Do("edit"), 0);
    EXPECT_EQ(ErrorOf([&] { rs->Edit(); }).number, err::kRecordLocked);
    EXPECT_EQ(rs->EditMode(), kEditNone);
    EXPECT_EQ(ErrorOf([&] { rs->Delete(); }).number, err::kRecordLocked);
    EXPECT_EQ(Select("SELECT count(*) FROM People"), "4\n");
    EXPECT_EQ(other.Do("cancel"), 0);
    rs->Edit();
    rs->CancelUpdate();  // CancelUpdate lets go too
    EXPECT_EQ(other.Do("edit"), 0);
    EXPECT_EQ(other.Do("cancel"), 0);
  }
}

TEST_F(RecordsetLockingTest, TheLockGoesWithItsEditRecordsetAndDatabase) {
  ForkedEditor other(path_);
  ASSERT_EQ(other.Do(kOpenPessimistic), 0);
  ASSERT_EQ(other.Do("find alice"), 0);
  auto expect_free = [&](const char* what) {
    EXPECT_EQ(other.Do("edit"), 0) << what;
    EXPECT_EQ(other.Do("cancel"), 0) << what;
  };
  auto rs = Open("People", kOpenDynaset);
  Goto(*rs, "alice");
  rs->Edit();
  ASSERT_EQ(other.Do("edit"), err::kRecordLocked);
  rs->MoveNext();  // a move drops the edit
  expect_free("after a move");
  Goto(*rs, "alice");
  rs->Edit();
  rs->Edit();  // a second Edit of the same record keeps it locked, not refused by itself
  ASSERT_EQ(other.Do("edit"), err::kRecordLocked);
  rs->Close();
  expect_free("after Close");
  rs = Open("People", kOpenDynaset);
  Goto(*rs, "alice");
  rs->Edit();
  rs.reset();
  expect_free("after the recordset's end");
  // A Database closing under a pending edit releases it; the recordset ends safely later.
  auto database = workspace_->OpenDatabase(path_);
  rs = database->OpenRecordset("People", kOpenDynaset);
  Goto(*rs, "alice");
  rs->Edit();
  ASSERT_EQ(other.Do("edit"), err::kRecordLocked);
  database->Close();
  expect_free("after its database closed");
  rs.reset();
  expect_free("after the recordset of a closed database ended");
}

TEST_F(RecordsetLockingTest, ClosingADatabaseLetsGoEvenWhileAForkedChildSharesItsLockFile) {
  // Opened before the fork: the child holds a copy of its lock file's descriptor, so closing
  // the descriptor here would not be enough to let go.
  auto database = workspace_->OpenDatabase(path_);
  auto rs = database->OpenRecordset("People", kOpenDynaset);
  Goto(*rs, "alice");
  rs->Edit();
  ForkedEditor other(path_);
  ASSERT_EQ(other.Do(kOpenPessimistic), 0);
  ASSERT_EQ(other.Do("find alice"), 0);
  ASSERT_EQ(other.Do("edit"), err::kRecordLocked);
  database->Close();
  EXPECT_EQ(other.Do("edit"), 0);
  EXPECT_EQ(other.Do("cancel"), 0);
  EXPECT_EQ(other.Do(kOpenDenyRead), 0) << "the closed database holds no table either";
}

TEST_F(RecordsetLockingTest, ALockVanishesWhenItsHolderDies) {
  auto rs = Open("People", kOpenDynaset);
  Goto(*rs, "alice");
  {
    ForkedEditor other(path_);
    ASSERT_EQ(other.Do(kOpenPessimistic), 0);
    ASSERT_EQ(other.Do("find alice"), 0);
    ASSERT_EQ(other.Do("edit"), 0);
    ASSERT_EQ(other.Do("set Age 99"), 0);
    EXPECT_EQ(ErrorOf([&] { rs->Edit(); }).number, err::kRecordLocked);
    other.Kill();  // in the middle of its edit
  }
  rs->Edit();
  Set(*rs, "Age", Variant(32));
  rs->Update();
  EXPECT_EQ(AgeAndCity("alice"), "32|Oslo\n");
}

TEST_F(RecordsetLockingTest, OptimisticUpdateRefusesARecordChangedSinceEditAndWritesNothing) {
  ForkedEditor other(path_);
  ASSERT_EQ(other.Do(kOpenPessimistic), 0);
  // dbSeeChanges asks for the error when another user changed the record being edited.
  auto rs = Open("People", kOpenDynaset, recordset_option::kSeeChanges, kOptimistic);
  Goto(*rs, "alice");
  rs->Edit();  // locks nothing: the other can edit and save meanwhile
  ASSERT_EQ(other.Do("find alice"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  ASSERT_EQ(other.Do("set City Lima"), 0);  // a field this edit leaves alone still counts
  ASSERT_EQ(other.Do("update"), 0);
  Set(*rs, "Age", Variant(50));
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, err::kDataChanged);
  EXPECT_EQ(AgeAndCity("alice"), "30|Lima\n");
  rs->CancelUpdate();
  // Edit again: it starts from the stored record and saves.
  rs->Edit();
  EXPECT_EQ(rs->Fields()->Item("City")->Value(), Variant("Lima"));
  Set(*rs, "Age", Variant(50));
  rs->Update();
  EXPECT_EQ(AgeAndCity("alice"), "50|Lima\n");
  // Another record's change does not matter.
  rs->Edit();
  Set(*rs, "Age", Variant(51));
  ASSERT_EQ(other.Do("find Bob"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  ASSERT_EQ(other.Do("set Age 27"), 0);
  ASSERT_EQ(other.Do("update"), 0);
  rs->Update();
  EXPECT_EQ(AgeAndCity("alice"), "51|Lima\n");
  // While another holds the record, Update is refused and writes nothing; once it lets go
  // without a change, the same Update goes through.
  rs->Edit();
  Set(*rs, "Age", Variant(52));
  ASSERT_EQ(other.Do("find alice"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, err::kRecordLocked);
  EXPECT_EQ(AgeAndCity("alice"), "51|Lima\n");
  ASSERT_EQ(other.Do("cancel"), 0);
  rs->Update();
  EXPECT_EQ(AgeAndCity("alice"), "52|Lima\n");
}

TEST_F(RecordsetLockingTest, TwoOptimisticEditorsTheFirstToSaveWins) {
  ForkedEditor other(path_);
  ASSERT_EQ(other.Do(kOpenOptimistic), 0);
  auto rs = Open("People", kOpenTable, 0, kOptimistic);
  Goto(*rs, "Dora");
  rs->Edit();
  ASSERT_EQ(other.Do("find Dora"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  Set(*rs, "City", Variant("Turin"));
  ASSERT_EQ(other.Do("set City Milan"), 0);
  rs->Update();
  EXPECT_EQ(other.Do("update"), err::kDataChanged);
  EXPECT_EQ(AgeAndCity("Dora"), "40|Turin\n");
  // A pessimistic recordset of this process against the optimistic other: the other's Update
  // waits for nobody and is refused while the record is held.
  auto held = Open("People", kOpenDynaset, 0, kPessimistic);
  Goto(*held, "Dora");
  ASSERT_EQ(other.Do("cancel"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  ASSERT_EQ(other.Do("set Age 41"), 0);
  held->Edit();
  EXPECT_EQ(other.Do("update"), err::kRecordLocked);
  held->CancelUpdate();
  EXPECT_EQ(other.Do("update"), 0);
  EXPECT_EQ(AgeAndCity("Dora"), "41|Turin\n");
}

TEST_F(RecordsetLockingTest, RecordsetsAndDatabaseObjectsOfOneProcessExcludeEachOther) {
  auto mine = Open("People", kOpenDynaset);
  Goto(*mine, "alice");
  mine->Edit();
  // Another Database object of the file.
  auto other_database = workspace_->OpenDatabase(path_);
  auto theirs = other_database->OpenRecordset("People", kOpenDynaset);
  Goto(*theirs, "alice");
  EXPECT_EQ(ErrorOf([&] { theirs->Edit(); }).number, err::kRecordLocked);
  EXPECT_EQ(ErrorOf([&] { theirs->Delete(); }).number, err::kRecordLocked);
  Goto(*theirs, "Carl");
  theirs->Edit();  // another record
  theirs->CancelUpdate();
  // Another recordset of the same Database, and a clone, are other editors too.
  auto second = Open("People", kOpenTable);
  Goto(*second, "alice");
  EXPECT_EQ(ErrorOf([&] { second->Edit(); }).number, err::kRecordLocked);
  auto clone = mine->Clone();
  Goto(*clone, "alice");
  EXPECT_EQ(ErrorOf([&] { clone->Edit(); }).number, err::kRecordLocked);
  auto optimistic = Open("People", kOpenDynaset, 0, kOptimistic);
  Goto(*optimistic, "alice");
  optimistic->Edit();
  Set(*optimistic, "Age", Variant(33));
  EXPECT_EQ(ErrorOf([&] { optimistic->Update(); }).number, err::kRecordLocked);
  // Once the holder lets go, the others get it in turn.
  mine->CancelUpdate();
  Goto(*theirs, "alice");
  theirs->Edit();
  EXPECT_EQ(ErrorOf([&] { optimistic->Update(); }).number, err::kRecordLocked);
  EXPECT_EQ(ErrorOf([&] { mine->Edit(); }).number, err::kRecordLocked);
  theirs->CancelUpdate();
  optimistic->Update();
  EXPECT_EQ(AgeAndCity("alice"), "33|Oslo\n");
  second->Edit();
  second->CancelUpdate();
}

TEST_F(RecordsetLockingTest, EveryProcessFindsTheSameByteForARecord) {
  // Table names differ in case between callers; the byte must not.
  EXPECT_EQ(RecordLockByte("People", 7), RecordLockByte("PEOPLE", 7));
  EXPECT_EQ(RecordLockByte("Ärger", 7), RecordLockByte("äRGER", 7));
  EXPECT_NE(RecordLockByte("People", 7), RecordLockByte("People", 8));
  EXPECT_NE(RecordLockByte("People", 7), RecordLockByte("Orders", 7));
  EXPECT_GE(RecordLockByte("People", 0), off_t{1} << 20);  // clear of the table and open bytes
  EXPECT_GE(RecordLockByte("People", -1), off_t{1} << 20);
}

}  // namespace
}  // namespace qb::jet::test
