// What OpenRecordset's options and lock types do, what it refuses, and the life of a recordset
// (Close, its database closing, the table held open).
#include <gtest/gtest.h>

#include "jet/dao/tabledef.h"
#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

namespace ro = recordset_option;

class RecordsetOptionsTest : public RecordsetTest {};

TEST_F(RecordsetOptionsTest, DefaultKindsFollowTheSource) {
  EXPECT_EQ(Open("People")->Type(), kOpenTable);
  EXPECT_EQ(Open("SELECT * FROM People")->Type(), kOpenDynaset);
  db_->CreateQueryDef("Thirties", "SELECT Name FROM People WHERE Age = 30 ORDER BY Name");
  auto saved = Open("Thirties");
  EXPECT_EQ(saved->Type(), kOpenDynaset);
  EXPECT_EQ(Walk(*saved), "alice,Carl");
  EXPECT_EQ(Table("People")->OpenRecordset()->Type(), kOpenTable);
  EXPECT_EQ(Table("People")->OpenRecordset(kOpenSnapshot)->Type(), kOpenSnapshot);
  EXPECT_EQ(Open("People", kOpenSnapshot, ro::kForwardOnly)->Type(), kOpenForwardOnly);
}

TEST_F(RecordsetOptionsTest, RefusesWhatJetRefusesHere) {
  db_->CreateQueryDef("Raise", "UPDATE People SET Age = Age + 1");
  struct Case {
    std::string source;
    int type, options, lock;
    int error;
  };
  for (const Case& c : {Case{"People", kOpenDynamic, 0, 0, err::kInvalidArgument},
                        Case{"People", 3, 0, 0, err::kInvalidArgument},
                        Case{"People", kOpenSnapshot, ro::kSqlPassThrough, 0, err::kInvalidArgument},
                        Case{"People", kOpenDynaset, ro::kDenyRead, 0, err::kInvalidArgument},
                        Case{"People", kOpenTable, ro::kAppendOnly, 0, err::kInvalidArgument},
                        Case{"People", kOpenDynaset, ro::kForwardOnly, 0, err::kInvalidArgument},
                        Case{"People", kOpenDynaset, ro::kConsistent | ro::kInconsistent, 0, err::kInvalidArgument},
                        Case{"People", kOpenDynaset, ro::kRunAsync, 0, err::kInvalidArgument},
                        Case{"People", kOpenDynaset, 0, kOptimisticValue, err::kInvalidArgument},
                        Case{"People", kOpenDynaset, 0, kOptimisticBatch, err::kInvalidArgument},
                        Case{"People", kOpenDynaset, 0, 9, err::kInvalidArgument},
                        Case{"Nowhere", 0, 0, 0, 3078},
                        Case{"SELECT * FROM People", kOpenTable, 0, 0, err::kInvalidOperation},
                        Case{"Raise", 0, 0, 0, err::kInvalidOperation},
                        Case{"DELETE FROM People", 0, 0, 0, err::kInvalidOperation},
                        Case{"SELECT * FROM People WHERE Age > [Least]", 0, 0, 0, 3061},
                        Case{"SELECT * FROM Nowhere", 0, 0, 0, 3078}}) {
    SCOPED_TRACE(c.source + " " + std::to_string(c.type) + " " + std::to_string(c.options));
    EXPECT_EQ(ErrorOf([&] { Open(c.source, c.type, c.options, c.lock); }).number, c.error);
  }
  EXPECT_EQ(Select("SELECT sum(Age) FROM People"), "125\n");  // the action query never ran
}

TEST_F(RecordsetOptionsTest, OptionsAndLockTypesTakeEffect) {
  // Read-only by option or lock type; the optimistic lock type shows in LockEdits.
  EXPECT_FALSE(Open("People", kOpenTable, ro::kReadOnly)->Updatable());
  EXPECT_FALSE(Open("People", kOpenDynaset, 0, kReadOnlyLock)->Updatable());
  EXPECT_TRUE(Open("People", kOpenDynaset, 0, kPessimistic)->LockEdits());
  auto optimistic = Open("People", kOpenDynaset, ro::kSeeChanges | ro::kFailOnError | ro::kInconsistent, kOptimistic);
  EXPECT_FALSE(optimistic->LockEdits());
  EXPECT_TRUE(optimistic->Updatable());
  optimistic->SetLockEdits(true);
  EXPECT_TRUE(optimistic->LockEdits());
  optimistic->SetCacheSize(50);
  optimistic->SetBatchSize(10);
  optimistic->SetUpdateOptions(33);
  EXPECT_EQ(optimistic->CacheSize(), 50);
  EXPECT_EQ(optimistic->BatchSize(), 10);
  EXPECT_EQ(optimistic->UpdateOptions(), 33);
  EXPECT_EQ(ErrorOf([&] { optimistic->SetCacheSize(-1); }).number, err::kInvalidArgument);

  // Append-only: none of the existing rows, only the ones it adds.
  auto append = Open("People", kOpenDynaset, ro::kAppendOnly);
  EXPECT_TRUE(append->Eof());
  EXPECT_EQ(append->RecordCount(), 0);
  append->AddNew();
  append->Fields()->Item("Name")->SetValue(Variant("Eve"));
  append->Update();
  append->MoveFirst();
  EXPECT_EQ(Walk(*append), "Eve");
  EXPECT_EQ(append->RecordCount(), 1);
  EXPECT_EQ(Select("SELECT count(*) FROM People"), "5\n");
  EXPECT_EQ(append->Properties()->Item("LastModified")->Value(), append->LastModified());
}

TEST_F(RecordsetOptionsTest, DenyOptionsKeepOtherRecordsetsOffTheTable) {
  {
    auto deny_write = Open("People", kOpenTable, ro::kDenyWrite);
    EXPECT_EQ(ErrorOf([&] { Open("People", kOpenDynaset); }).number, err::kTableLocked);
    EXPECT_EQ(ErrorOf([&] { Open("SELECT * FROM People WHERE Age > 1", kOpenDynaset); }).number, err::kTableLocked);
    EXPECT_TRUE(Open("People", kOpenSnapshot) != nullptr);  // readers are welcome
    EXPECT_TRUE(Open("People", kOpenDynaset, ro::kReadOnly) != nullptr);
    auto clone = deny_write->Clone();  // its own clone shares the hold
    deny_write->Close();
    EXPECT_EQ(ErrorOf([&] { Open("People", kOpenDynaset); }).number, err::kTableLocked);
  }
  auto writer = Open("People", kOpenDynaset);
  EXPECT_EQ(ErrorOf([&] { Open("People", kOpenTable, ro::kDenyWrite); }).number, err::kTableLocked);
  writer->Close();
  {
    auto deny_read = Open("People", kOpenTable, ro::kDenyRead);
    EXPECT_EQ(ErrorOf([&] { Open("People", kOpenSnapshot); }).number, err::kTableLocked);
    auto other = workspace_->OpenDatabase(path_);  // another Database object of the file
    EXPECT_EQ(ErrorOf([&] { other->OpenRecordset("People", kOpenSnapshot); }).number, err::kTableLocked);
    other->Close();
  }
  EXPECT_TRUE(Open("People", kOpenTable, ro::kDenyRead) != nullptr);  // released on destruction
}

TEST_F(RecordsetOptionsTest, ClosedRecordsetsAndDatabasesRefuseEveryCall) {
  auto rs = Open("People", kOpenDynaset);
  auto field = rs->Fields()->Item("Name");
  auto clone = rs->Clone();
  rs->Close();
  EXPECT_FALSE(rs->IsOpen());
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { rs->Close(); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { field->Value(); }).number, err::kObjectClosed);
  clone->MoveFirst();  // a clone lives on
  EXPECT_EQ(Name(*clone), "Dora");
  db_->Close();
  EXPECT_EQ(ErrorOf([&] { clone->MoveNext(); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { clone->RecordCount(); }).number, err::kObjectClosed);
}

}  // namespace
}  // namespace qb::jet::test
