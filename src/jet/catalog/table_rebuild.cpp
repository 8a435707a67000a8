// jet/catalog/table_rebuild: copying a table into a new definition (the changes SQLite 3.15 cannot make
// in place: renamed, dropped or retyped columns, new AutoNumbers, changed checks). Runs inside
// the caller's savepoint; never commits.
#include <optional>

#include "jet/base/errors.h"
#include "jet/catalog/schema_catalog.h"
#include "jet/catalog/schema_change.h"
#include "jet/catalog/schema_sql.h"
#include "jet/base/jet_types.h"
#include "jet/sql/translate/translator.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

constexpr const char* kWorkName = "qb_rebuild_work";

std::optional<std::int64_t> Seed(Connection& connection, const std::string& table) {
  if (!connection.HasTable("sqlite_sequence")) return std::nullopt;
  Statement read = connection.Prepare("SELECT seq FROM sqlite_sequence WHERE name = ?1");
  read.Bind(1, table);
  if (!read.Step()) return std::nullopt;
  return read.ColumnInt(0);
}

// The value of field AFTER taken from the column SOURCE (field BEFORE, when the catalog knows
// it): a Currency value crossing to or from another type converts between ten-thousandths
// and amounts; AMOUNTS says the table's Currency columns still hold REAL amounts.
std::string SourceValueSql(const FieldModel* before, const std::string& source, const FieldModel& after,
                           bool amounts) {
  sql::TranslatedExpr value;
  value.sql = QuoteName(source);
  if (before && before->type == sql::dao_type::kCurrency) {
    value.type = amounts ? sql::SqlValueType::kNumber : sql::SqlValueType::kCurrency;
  }
  return sql::StoredValueSql(nullptr, value, after.type, after.name);
}

}  // namespace

void ResetTriggers(Connection& connection, const TableModel& table) {
  for (const std::string& name : TriggerNames(table)) connection.Exec("DROP TRIGGER IF EXISTS " + QuoteName(name));
  for (const std::string& sql : CreateTriggerSql(table)) connection.Exec(sql);
}

void RebuildTable(Connection& connection, const std::string& old_table, const TableModel& after,
                  const std::vector<std::string>& sources, bool amounts) {
  const std::optional<std::int64_t> seed = Seed(connection, old_table);
  const std::optional<TableModel> before = LoadTableModel(connection, old_table);
  connection.Exec(CreateTableSql(after, kWorkName));
  std::string columns = "rowid", values = "rowid";
  for (std::size_t i = 0; i < after.fields.size(); ++i) {
    const FieldModel& field = after.fields[i];
    if (!sources[i].empty()) {
      columns += ", " + QuoteName(field.name);
      // Each value is converted to the field's (possibly new) type, as any write is: the new
      // table's checks take nothing else.
      values += ", " + (field.attributes & kAutoIncrField
                            ? QuoteName(sources[i])
                            : SourceValueSql(before ? before->FindField(sources[i]) : nullptr, sources[i], field, amounts));
    } else if (field.attributes & kAutoIncrField) {
      columns += ", " + QuoteName(field.name);
      values += ", rowid";
    }
  }
  connection.Exec("INSERT INTO " + QuoteName(kWorkName) + " (" + columns + ") SELECT " + values + " FROM " +
                  QuoteName(old_table) + " ORDER BY rowid");
  connection.Exec("DROP TABLE " + QuoteName(old_table));
  connection.Exec("ALTER TABLE " + QuoteName(kWorkName) + " RENAME TO " + QuoteName(after.name));
  for (const IndexModel& index : after.indexes) connection.Exec(CreateIndexSql(after, index, after.name));
  ResetTriggers(connection, after);
  bool autonumber = false;
  for (const FieldModel& field : after.fields) autonumber = autonumber || (field.attributes & kAutoIncrField);
  if (autonumber && seed) {
    Statement keep = connection.Prepare("UPDATE sqlite_sequence SET seq = max(seq, ?2) WHERE name = ?1");
    keep.Bind(1, after.name).Bind(2, *seed).Run();
    if (connection.Changes() == 0) {
      Statement add = connection.Prepare("INSERT INTO sqlite_sequence (name, seq) VALUES (?1, ?2)");
      add.Bind(1, after.name).Bind(2, *seed).Run();
    }
  }
}

}  // namespace qb::jet
