// Helpers of the schema tests: a fresh database per test, a text dump of the catalog rows and
// SQLite schema of the user tables (dates left out) so one comparison checks a whole catalog,
// and reading a table's rows as text.
#pragma once
#include <algorithm>
#include <memory>
#include <string>

#include "../database/database_test_support.h"
#include "jet/dao/tabledef.h"

namespace qb::jet::test {

// The rows SQL returns as "a|b|c" lines (Null as "<null>").
inline std::string Query(Connection& connection, const std::string& sql) {
  std::string text;
  Statement rows = connection.Prepare(sql);
  const int count = static_cast<int>(std::count(sql.begin(), sql.begin() + static_cast<long>(sql.find(" FROM ")), ',')) + 1;
  while (rows.Step()) {
    std::string line;
    for (int i = 0; i < count; ++i) {
      if (i > 0) line += '|';
      line += rows.ColumnIsNull(i) ? std::string("<null>") : rows.ColumnText(i);
    }
    text += line + '\n';
  }
  return text;
}

// Every catalog row describing user tables, and the SQL SQLite keeps for them, one per line.
inline std::string DumpCatalog(Connection& connection) {
  std::string dump;
  auto add = [&](const std::string& sql) { dump += Query(connection, sql); };
  add("SELECT 'T', Id, Name, Attributes FROM MSysObjects WHERE Type = 1 AND Name NOT LIKE 'MSys%' ORDER BY Name");
  add("SELECT 'F', o.Name, f.Name, f.Type, Size, f.Attributes, OrdinalPosition, DefaultValue, ValidationRule, "
      "ValidationText, Required, AllowZeroLength, Position FROM MSysFields f JOIN MSysObjects o ON o.Id = f.TableId "
      "ORDER BY o.Name, Position");
  add("SELECT 'I', o.Name, i.Name, Fields, IsPrimary, IsUnique, IgnoreNulls, Required, Clustered, IsForeign, Position "
      "FROM MSysIndexes i JOIN MSysObjects o ON o.Id = i.TableId ORDER BY o.Name, Position");
  add("SELECT 'P', o.Name, p.Name, p.Type, quote(p.Value) FROM MSysProperties p JOIN MSysObjects o ON o.Id = p.ObjectId "
      "WHERE o.Type = 1 ORDER BY o.Name, p.Name");
  add("SELECT 'S', type, name, sql FROM sqlite_master WHERE name NOT LIKE 'MSys%' AND name NOT LIKE 'sqlite%' "
      "ORDER BY type, name");
  return dump;
}

inline std::string DumpCatalog(const std::string& path, const CipherKey& key = CipherKey::None()) {
  Connection connection(path, OpenMode::kReadOnly, key, EngineSettings::ForTests());
  return DumpCatalog(connection);
}

class SchemaTest : public DatabaseTestBase {
 protected:
  void SetUp() override {
    DatabaseTestBase::SetUp();
    path_ = dir_.File("schema.mdb");
    db_ = engine_->CreateDatabase(path_, "1033", 0);
  }

  Connection& Sql() { return db_->File()->EngineConnection(true); }
  void Exec(const std::string& sql) { db_->TEST_ExecuteSql(sql); }
  // "SELECT a, b FROM ..." results as lines (the columns are counted by the commas before FROM).
  std::string Select(const std::string& sql) { return Query(Sql(), sql); }
  std::shared_ptr<TableDef> Table(const std::string& name) { return db_->TableDefs()->Item(std::string_view(name)); }

  std::string path_;
  std::shared_ptr<Database> db_;
};

}  // namespace qb::jet::test
