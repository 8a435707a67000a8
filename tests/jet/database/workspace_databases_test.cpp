// A workspace's Databases collection and what closing the workspace does to them: their
// recordsets close, pending transactions roll back and the files are free again; the engine's
// default workspace ignores Close.
#include <gtest/gtest.h>

#include "database_test_support.h"
#include "jet/dao/databases.h"
#include "jet/dao/dbengine.h"
#include "jet/recordset/recordset.h"
#include "jet/dao/workspaces.h"

namespace qb::jet::test {
namespace {

class WorkspaceDatabasesTest : public DatabaseTestBase {};

TEST_F(WorkspaceDatabasesTest, CollectionListsTheOpenDatabasesInOpeningOrder) {
  const std::string first_path = MakeFilled("first.mdb", 3);
  const std::string second_path = MakeFilled("second.mdb", 3);
  auto databases = workspace_->Databases();
  EXPECT_EQ(databases->Count(), 0);
  auto first = workspace_->OpenDatabase(first_path);
  auto second = workspace_->OpenDatabase(second_path);
  EXPECT_EQ(databases->Count(), 2);
  EXPECT_EQ(databases->Item(0), first);
  EXPECT_EQ(databases->Item(1), second);
  EXPECT_EQ(databases->Item(second_path), second);
  EXPECT_EQ(ErrorOf([&] { databases->Item(2); }).number, err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { databases->Item("elsewhere.mdb"); }).number, err::kItemNotFound);
  // Closed or dropped, a database leaves the collection.
  first->Close();
  databases->Refresh();
  EXPECT_EQ(databases->Count(), 1);
  EXPECT_EQ(databases->Item(0), second);
  second.reset();
  EXPECT_EQ(databases->Count(), 0);
}

TEST_F(WorkspaceDatabasesTest, ClosingTheWorkspaceClosesItsDatabasesAndRollsBack) {
  const std::string path = MakeFilled("kept.mdb", 3);
  auto other = engine_->CreateWorkspace("other", "Admin", "");
  auto database = workspace_->OpenDatabase(path);
  auto elsewhere = other->OpenDatabase(path);  // another workspace's: stays open
  auto rs = database->OpenRecordset("SELECT Id, Txt FROM T", kOpenDynaset);
  auto databases = workspace_->Databases();
  database->BeginTrans();
  database->Execute("INSERT INTO T (Id, Txt) VALUES (10, 'pending')");

  workspace_->Close();
  EXPECT_FALSE(database->IsOpen());
  EXPECT_FALSE(rs->IsOpen());
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { database->OpenRecordset("SELECT Id FROM T"); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { databases->Count(); }).number, err::kObjectClosed);
  ASSERT_TRUE(elsewhere->IsOpen());
  // The pending insert was rolled back, not committed.
  auto count = elsewhere->OpenRecordset("SELECT Count(*) AS N FROM T", kOpenSnapshot);
  EXPECT_EQ(count->Fields()->Item("N")->Value().ToInt32(), 3);
  count->Close();
  elsewhere->Close();
  // The file is free again: nobody holds it.
  EXPECT_TRUE(other->OpenDatabase(path, Variant(true))->IsOpen());
}

TEST_F(WorkspaceDatabasesTest, ClosingTheDefaultWorkspaceIsIgnored) {
  const std::string path = MakeFilled("default.mdb", 2);
  auto workspace = engine_->Workspaces()->Item(0);
  auto database = workspace->OpenDatabase(path);
  workspace->Close();
  EXPECT_TRUE(workspace->IsOpen());
  EXPECT_TRUE(database->IsOpen());
  EXPECT_EQ(workspace->Databases()->Count(), 1);
  EXPECT_EQ(engine_->Workspaces()->Item(0), workspace);
}

}  // namespace
}  // namespace qb::jet::test
