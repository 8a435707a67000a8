// Helpers of the database tests: an engine with test costs, a logged-in workspace on a fresh
// workgroup, and a database file filled with numbered rows whose text marks each row.
#pragma once
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "../engine_test_support.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/sqlite/connection.h"
#include "jet/dao/workspace.h"

namespace qb::jet::test {

// The text of row ID: a marker that appears nowhere else in the file, padded to LENGTH.
inline std::string RowText(int id, std::size_t length = 120) {
  char marker[32];
  std::snprintf(marker, sizeof marker, "row-%06d-", id);
  std::string text = marker;
  text.resize(length, 'x');
  return text;
}

// The names in FOLDER.
inline std::set<std::string> Listing(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

// The ids of T's rows in PATH (opened with KEY) whose text is intact.
inline std::set<int> IntactRowIds(const std::string& path, const CipherKey& key = CipherKey::None()) {
  Connection connection(path, OpenMode::kReadWrite, key, EngineSettings::ForTests());
  std::set<int> ids;
  Statement rows = connection.Prepare("SELECT Id, Txt FROM T");
  while (rows.Step()) {
    const int id = static_cast<int>(rows.ColumnInt(0));
    if (rows.ColumnText(1) == RowText(id)) ids.insert(id);
  }
  return ids;
}

inline std::set<int> IdsFromOneTo(int last) {
  std::set<int> ids;
  for (int id = 1; id <= last; ++id) ids.insert(id);
  return ids;
}

class DatabaseTestBase : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_->CreateWorkgroup(dir_.File("system.mdw"));
    engine_->SetSystemDB(dir_.File("system.mdw"));
    workspace_ = engine_->CreateWorkspace("w", "Admin", "");
  }

  // A new database at NAME in the test folder holding table T (Id INTEGER PRIMARY KEY, Txt)
  // with ROWS marked rows; returns its path (closed).
  std::string MakeFilled(const std::string& name, int rows, const std::string& locale = "1033", int options = 0) {
    const std::string path = dir_.File(name);
    auto database = engine_->CreateDatabase(path, locale, options);
    database->TEST_ExecuteSql("CREATE TABLE T (Id INTEGER PRIMARY KEY, Txt TEXT COLLATE JETNOCASE)");
    database->BeginTrans();
    for (int id = 1; id <= rows; ++id) {
      database->TEST_ExecuteSql("INSERT INTO T (Id, Txt) VALUES (" + std::to_string(id) + ", '" + RowText(id) + "')");
    }
    database->CommitTrans();
    database->Close();
    return path;
  }

  std::shared_ptr<DBEngine> engine_ = CreateDBEngine(EngineSettings::ForTests());
  qb::test::TempDir dir_;
  std::shared_ptr<Workspace> workspace_;
};

}  // namespace qb::jet::test
