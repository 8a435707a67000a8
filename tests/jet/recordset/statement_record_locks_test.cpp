// UPDATE and DELETE statements against records others are editing: without dbFailOnError the
// locked rows are left as they are and RecordsAffected counts the rows written; with it the
// statement fails (3218) and writes nothing. Only rows the statement would write count.
#include <gtest/gtest.h>

#include "forked_editor.h"
#include "jet/dao/querydef.h"
#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

constexpr int kFailOnError = recordset_option::kFailOnError;

class StatementRecordLocksTest : public RecordsetTest {
 protected:
  std::string Ages() { return Select("SELECT Name, Age FROM People ORDER BY Id"); }
  int Execute(const std::string& sql, int options = 0) {
    db_->Execute(sql, options);
    return db_->RecordsAffected();
  }
  int FailureOf(const std::string& sql, int options = kFailOnError) {
    return ErrorOf([&] { db_->Execute(sql, options); }).number;
  }
};

TEST_F(StatementRecordLocksTest, UpdateLeavesTheRecordAnotherProcessEdits) {
  ForkedEditor other(path_);
  ASSERT_EQ(other.Do("open 2 0 2"), 0);
  ASSERT_EQ(other.Do("find alice"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  EXPECT_EQ(Execute("UPDATE People SET Age = Age + 1"), 3);
  EXPECT_EQ(Ages(), "Dora|41\nalice|30\nCarl|31\nBob|26\n");
  // A saved action query likewise.
  auto query = db_->CreateQueryDef("Older", "UPDATE People SET Age = Age + 1 WHERE Age > 20");
  query->Execute();
  EXPECT_EQ(query->RecordsAffected(), 3);
  EXPECT_EQ(FailureOf("UPDATE People SET Age = 0"), err::kLockedRetry);
  EXPECT_EQ(ErrorOf([&] { query->Execute(kFailOnError); }).number, err::kLockedRetry);
  EXPECT_EQ(Ages(), "Dora|42\nalice|30\nCarl|32\nBob|27\n") << "a failed statement writes nothing";
  // A statement that would not write the locked row is not stopped by it.
  EXPECT_EQ(Execute("UPDATE People SET Age = 50 WHERE Name <> 'alice'", kFailOnError), 3);
  EXPECT_EQ(Execute("UPDATE People SET Age = 60 WHERE Age = 31", kFailOnError), 0);
  EXPECT_EQ(FailureOf("UPDATE People SET Age = 60 WHERE Age = 30"), err::kLockedRetry) << "alice's age";
  // Once the editor saves, the record is everyone's again.
  ASSERT_EQ(other.Do("set City Lima"), 0);
  ASSERT_EQ(other.Do("update"), 0);
  EXPECT_EQ(Execute("UPDATE People SET Age = 1", kFailOnError), 4);
  EXPECT_EQ(Select("SELECT count(*) FROM People WHERE Age = 1 AND (Name <> 'alice' OR City = 'Lima')"), "4\n");
}

TEST_F(StatementRecordLocksTest, DeleteLeavesTheRecordAnotherProcessEdits) {
  ForkedEditor other(path_);
  ASSERT_EQ(other.Do("open 2 0 2"), 0);
  ASSERT_EQ(other.Do("find Bob"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  EXPECT_EQ(FailureOf("DELETE FROM People WHERE Age < 35"), err::kLockedRetry);
  EXPECT_EQ(Select("SELECT count(*) FROM People"), "4\n");
  EXPECT_EQ(Execute("DELETE FROM People WHERE Age > 35", kFailOnError), 1);
  EXPECT_EQ(Execute("DELETE * FROM People"), 2);
  EXPECT_EQ(Ages(), "Bob|25\n");
  ASSERT_EQ(other.Do("cancel"), 0);
  EXPECT_EQ(Execute("DELETE FROM People", kFailOnError), 1);
}

TEST_F(StatementRecordLocksTest, EditsOfThisProcessHoldTooButOptimisticEditsHoldNothing) {
  // Another recordset of the same Database, and another Database object of this process.
  auto editing = Open("People", kOpenDynaset);
  editing->FindFirst("Name = 'Carl'");
  editing->Edit();
  auto database = workspace_->OpenDatabase(path_);
  auto theirs = database->OpenRecordset("People", kOpenDynaset);
  theirs->FindFirst("Name = 'Dora'");
  theirs->Edit();
  EXPECT_EQ(Execute("UPDATE People SET City = 'Pisa'"), 2);
  EXPECT_EQ(Select("SELECT Name FROM People WHERE City = 'Pisa' ORDER BY Name"), "alice\nBob\n");
  EXPECT_EQ(FailureOf("DELETE FROM People WHERE City = 'Pisa' OR Name = 'Dora'"), err::kLockedRetry);
  theirs->CancelUpdate();
  database->Close();
  EXPECT_EQ(FailureOf("UPDATE People SET City = 'Bari'"), err::kLockedRetry);
  editing->CancelUpdate();
  EXPECT_EQ(Execute("UPDATE People SET City = 'Bari'", kFailOnError), 4);
  // An optimistic edit locks nothing until its Update: the statement writes the record, and the
  // Update then finds it changed.
  auto optimistic = Open("People", kOpenDynaset, 0, kOptimistic);
  optimistic->FindFirst("Name = 'Carl'");
  optimistic->Edit();
  optimistic->Fields()->Item("Age")->SetValue(Variant(70));
  EXPECT_EQ(Execute("UPDATE People SET City = 'Como'", kFailOnError), 4);
  EXPECT_EQ(ErrorOf([&] { optimistic->Update(); }).number, err::kDataChanged);
}

TEST_F(StatementRecordLocksTest, UpdateThroughAJoinLeavesTheLockedRowOfItsTable) {
  db_->Execute("CREATE TABLE Towns (Town TEXT(20), Country TEXT(20))");
  db_->Execute("INSERT INTO Towns VALUES ('Oslo', 'Norway')");
  db_->Execute("INSERT INTO Towns VALUES ('Bergen', 'Norway')");
  ForkedEditor other(path_);
  ASSERT_EQ(other.Do("open 2 0 2"), 0);
  ASSERT_EQ(other.Do("find Carl"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  const std::string norwegians =
      "UPDATE People INNER JOIN Towns ON People.City = Towns.Town SET People.Age = 0 WHERE Towns.Country = 'Norway'";
  EXPECT_EQ(FailureOf(norwegians), err::kLockedRetry);
  EXPECT_EQ(Execute(norwegians), 1);
  EXPECT_EQ(Ages(), "Dora|40\nalice|0\nCarl|30\nBob|25\n");
}

}  // namespace
}  // namespace qb::jet::test
