// Query definitions on an ODBC data source: the text goes to the server as written, its "?"
// markers are the parameters, Execute counts the rows, OpenRecordset reads through the same
// recordsets as Database.OpenRecordset, and named ones live in the connection's QueryDefs.
#include <gtest/gtest.h>

#include "../engine_test_support.h"
#include "jet/base/errors.h"
#include "jet/base/recordset_types.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/querydef.h"
#include "jet/dao/workspace.h"
#include "jet/odbc/odbc_errors.h"
#include "jet/recordset/recordset.h"
#include "odbc_servers.h"

namespace qb::jet::test {
namespace {

class SourceQueryDefTest : public ::testing::Test {
 protected:
  void SetUp() override {
    driver_ = OdbcDriverPath("libsqlite3odbc.so");
    if (driver_.empty()) GTEST_SKIP() << "the SQLite ODBC driver (libsqlite3odbc.so) is not installed";
    workspace_ = engine_->CreateWorkspace("odbc", "admin", "", kUseOdbc);
    database_ = workspace_->OpenDatabase("", Variant(1), false, "ODBC;DRIVER={" + driver_ + "};Database=" + dir_.File("q.db"));
    database_->Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, s VARCHAR(20), n INTEGER)");
    database_->Execute("INSERT INTO t VALUES (1, 'a', 10), (2, 'b', 20), (3, 'c', 30)");
  }

  qb::test::TempDir dir_;
  std::string driver_;
  std::shared_ptr<DBEngine> engine_ = CreateDBEngine(EngineSettings::ForTests());
  std::shared_ptr<Workspace> workspace_;
  std::shared_ptr<Database> database_;
};

TEST_F(SourceQueryDefTest, ParametersExecuteAndRecordsets) {
  // Server SQL that Jet would not take (LIMIT, the || operator) goes through untouched.
  auto select = database_->CreateQueryDef("", "SELECT id, s || '!' AS loud FROM t WHERE n > ? ORDER BY id LIMIT 5");
  EXPECT_EQ(select->Type(), 112);
  EXPECT_TRUE(select->ReturnsRecords());
  ASSERT_EQ(select->Parameters()->Count(), 1);
  EXPECT_EQ(ErrorOf([&] { select->OpenRecordset(kOpenSnapshot); }).number, err::kTooFewParameters);
  select->Parameters()->Item(0)->SetValue(Variant(15));
  auto rows = select->OpenRecordset(kOpenSnapshot);
  rows->MoveLast();
  EXPECT_EQ(rows->RecordCount(), 2);
  EXPECT_EQ(rows->Fields()->Item(std::string_view("loud"))->Value(), Variant("c!"));
  EXPECT_EQ(select->Fields()->Count(), 2);
  EXPECT_EQ(ErrorOf([&] { select->Execute(); }).number, err::kSelectNotExecutable);

  // Requery with new values reads the server again.
  select->Parameters()->Item("Parameter1")->SetValue(Variant(25));
  rows->Requery(select);
  rows->MoveLast();
  EXPECT_EQ(rows->RecordCount(), 1);

  auto update = database_->CreateQueryDef("", "UPDATE t SET s = ? WHERE id >= ? -- a '?' in a comment is no marker");
  ASSERT_EQ(update->Parameters()->Count(), 2);
  EXPECT_FALSE(update->ReturnsRecords());
  update->Parameters()->Item(0)->SetValue(Variant("it's"));
  update->Parameters()->Item(1)->SetValue(Variant(2));
  update->Execute();
  EXPECT_EQ(update->RecordsAffected(), 2);
  auto check = database_->OpenRecordset("SELECT count(*) AS k FROM t WHERE s = 'it''s'", kOpenSnapshot);
  EXPECT_EQ(check->Fields()->Item(0)->Value(), Variant(2));

  // A dynaset from a query definition writes through as well.
  auto editable = database_->CreateQueryDef("", "SELECT * FROM t WHERE id = ?");
  editable->Parameters()->Item(0)->SetValue(Variant(1));
  auto one = editable->OpenRecordset(kOpenDynaset);
  ASSERT_TRUE(one->Updatable());
  one->Edit();
  one->Fields()->Item(std::string_view("n"))->SetValue(Variant(11));
  one->Update();
  EXPECT_EQ(database_->OpenRecordset("SELECT n FROM t WHERE id = 1", kOpenSnapshot)->Fields()->Item(0)->Value(), Variant(11));
}

TEST_F(SourceQueryDefTest, NamedOnesLiveInTheConnectionsQueryDefs) {
  auto named = database_->CreateQueryDef("Big", "SELECT * FROM t WHERE n > 15");
  EXPECT_EQ(database_->QueryDefs()->Count(), 1);
  EXPECT_EQ(database_->QueryDefs()->Item("big"), named);
  EXPECT_EQ(ErrorOf([&] { database_->CreateQueryDef("BIG", "SELECT 1"); }).number, err::kObjectExists);
  auto rows = database_->QueryDefs()->Item("Big")->OpenRecordset(kOpenSnapshot);
  EXPECT_EQ(rows->Name(), "Big");
  database_->QueryDefs()->Delete("Big");
  EXPECT_EQ(database_->QueryDefs()->Count(), 0);
  EXPECT_EQ(ErrorOf([&] { database_->QueryDefs()->Delete("Big"); }).number, err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { named->OpenRecordset(); }).number, err::kObjectClosed);

  auto kept = database_->CreateQueryDef("", "DELETE FROM t");
  database_->Close();
  EXPECT_EQ(ErrorOf([&] { kept->Execute(); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { database_->QueryDefs(); }).number, err::kObjectClosed);
}

}  // namespace
}  // namespace qb::jet::test
