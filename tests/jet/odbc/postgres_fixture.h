// What the tests on the private PostgreSQL server share: a fixture with an ODBC workspace (the
// test skipped when the server is missing), one that also opens a database on the server with a
// table of the test's own (named after the test, dropped before and after it), and reading and
// setting a recordset's field by name.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "../engine_test_support.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/workspace.h"
#include "jet/recordset/recordset.h"
#include "odbc_servers.h"

namespace qb::jet::test {

inline Variant ValueOf(Recordset& recordset, const std::string& field) {
  return recordset.Fields()->Item(std::string_view(field))->Value();
}
inline void Set(Recordset& recordset, const std::string& field, const Variant& value) {
  recordset.Fields()->Item(std::string_view(field))->SetValue(value);
}

class PostgresTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why_not;
    server_ = PrivatePostgres(&why_not);
    if (!server_) GTEST_SKIP() << "no PostgreSQL server for the tests: " << why_not;
    workspace_ = engine_->CreateWorkspace("pg", "admin", "", kUseOdbc);
  }

  const PostgresInfo* server_ = nullptr;
  std::shared_ptr<DBEngine> engine_ = CreateDBEngine(EngineSettings::ForTests());
  std::shared_ptr<Workspace> workspace_;
};

class PostgresTableTest : public PostgresTest {
 protected:
  // The test's table is PREFIX followed by a number made from the test's name, so tests of
  // several programs on one server keep apart.
  explicit PostgresTableTest(std::string prefix) : prefix_(std::move(prefix)) {}

  void SetUp() override {
    PostgresTest::SetUp();
    if (IsSkipped()) return;
    database_ = Open();
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    table_ = prefix_ + std::to_string(std::hash<std::string>{}(name) % 100000);
    database_->Execute("DROP TABLE IF EXISTS " + table_);
  }
  void TearDown() override {
    if (database_ && database_->IsOpen()) database_->Execute("DROP TABLE IF EXISTS " + table_);
  }
  // Another connection to the server.
  std::shared_ptr<Database> Open() {
    return workspace_->OpenDatabase("", Variant(1), false, PostgresConnect(*server_) + ";BoolsAsChar=0");
  }

  std::shared_ptr<Database> database_;
  std::string table_;

 private:
  const std::string prefix_;
};

}  // namespace qb::jet::test
