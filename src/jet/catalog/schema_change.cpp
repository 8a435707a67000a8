// jet/catalog/schema_change: decides how a table change is made (in place: new indexes, appended
// columns, a rename; otherwise a rebuild) and keeps the catalog rows in step.
#include "jet/catalog/schema_change.h"

#include "com/ole_exception.h"
#include "jet/base/errors.h"
#include "jet/catalog/relationships.h"
#include "jet/catalog/schema_catalog.h"
#include "jet/catalog/schema_sql.h"
#include "jet/sqlite/connection.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {
namespace {

constexpr const char* kSavepoint = "qb_schema";

std::vector<std::string> ColumnDefs(const TableModel& table) {
  std::vector<std::string> defs;
  for (const FieldModel& field : table.fields) defs.push_back(ColumnSql(table, field));
  return defs;
}

void RefuseSystemTable(const std::string& name) {
  if (FoldCase(name.substr(0, 4)) == FoldCase("MSys")) {
    RaiseJetError(err::kNoPermission, "The system table '" + name + "' cannot be changed or deleted.");
  }
}

void RaiseNameTaken(const std::string& name) {
  RaiseJetError(err::kTableExists, "A table or query named '" + name + "' already exists.");
}

// Renames the SQLite table; a change of case alone goes through a work name, since SQLite
// compares table names without case.
void RenameSqliteTable(Connection& connection, const std::string& from, const std::string& to) {
  if (FoldCase(from) == FoldCase(to)) {
    connection.Exec("ALTER TABLE " + QuoteName(from) + " RENAME TO \"qb_rename_work\"");
    connection.Exec("ALTER TABLE \"qb_rename_work\" RENAME TO " + QuoteName(to));
    return;
  }
  connection.Exec("ALTER TABLE " + QuoteName(from) + " RENAME TO " + QuoteName(to));
}

bool CanAppendColumns(const TableModel& before, const TableModel& after, const std::vector<std::string>& sources,
                      const std::vector<std::string>& before_defs, const std::vector<std::string>& after_defs) {
  if (after_defs.size() < before_defs.size()) return false;
  if (TableConstraintSql(before) != TableConstraintSql(after)) return false;
  for (std::size_t i = 0; i < before_defs.size(); ++i) {
    if (before_defs[i] != after_defs[i] || FoldCase(sources[i]) != FoldCase(before.fields[i].name)) return false;
  }
  for (std::size_t i = before_defs.size(); i < after_defs.size(); ++i) {
    if (!sources[i].empty() || !CanAddInPlace(after.fields[i])) return false;
  }
  return true;
}

// What every stored definition holds: sizes and width bits by type, a primary index unique
// and required.
void NormaliseModel(TableModel& table) {
  for (FieldModel& field : table.fields) NormaliseNewField(field);
  for (IndexModel& index : table.indexes) {
    if (index.primary) index.unique = index.required = true;
  }
}

// After BEFORE became AFTER: relationships that reference it follow its new names, still find
// a unique index over their fields, and every relationship holds for the rows; the triggers
// that enforce them are made anew.
void KeepRelationships(Connection& connection, const TableModel& before, const TableModel& after,
                       const std::vector<std::pair<std::string, std::string>>& renames) {
  FollowReferencedTable(connection, before.name, after.name, renames);
  const std::vector<std::string> referencing = ReferencingTables(connection, after.name);
  for (const std::string& name : referencing) {
    std::optional<TableModel> other = LoadTableModel(connection, name);
    if (!other) continue;
    try {
      ResolveForeignKeys(connection, *other);
    } catch (const EOleException& e) {
      RaiseJetError(err::kUsedInRelationship, "The change to '" + after.name + "' would break a relationship with '" +
                                                  name + "': " + e.Message());
    }
  }
  CheckRelatedRecords(connection, after);
  if (!referencing.empty() || !after.foreign_keys.empty() || !before.foreign_keys.empty()) {
    ResetRelationshipTriggers(connection);
  }
}

}  // namespace

SchemaSavepoint::SchemaSavepoint(Connection& connection) : savepoint_(connection, kSavepoint) {}

std::vector<std::string> SameNameSources(const TableModel& before, const TableModel& after) {
  std::vector<std::string> sources;
  for (const FieldModel& field : after.fields) {
    const FieldModel* old = before.FindField(field.name);
    sources.push_back(old ? old->name : std::string());
  }
  return sources;
}

void CreateTable(Connection& connection, TableModel& table) {
  RefuseSystemTable(table.name);
  NormaliseModel(table);
  CheckTableModel(table);
  SchemaSavepoint savepoint(connection);
  if (TableNameTaken(connection, table.name)) RaiseNameTaken(table.name);
  ResolveForeignKeys(connection, table);
  InsertTableRows(connection, table);
  connection.Exec(CreateTableSql(table, table.name));
  for (const IndexModel& index : table.indexes) connection.Exec(CreateIndexSql(table, index, table.name));
  ResetTriggers(connection, table);
  if (!table.foreign_keys.empty()) ResetRelationshipTriggers(connection);
  savepoint.Release();
}

void DropTable(Connection& connection, const std::string& name) {
  std::optional<TableModel> table = LoadTableModel(connection, name);
  if (!table) RaiseJetError(err::kTableNotFound, "There is no table named '" + name + "'.");
  RefuseSystemTable(table->name);
  const std::vector<std::string> referencing = ReferencingTables(connection, table->name);
  if (!referencing.empty()) {
    RaiseJetError(err::kUsedInRelationship, "The table '" + table->name + "' is used in a relationship with '" +
                                                referencing.front() + "'; delete the relationship first.");
  }
  SchemaSavepoint savepoint(connection);
  connection.Exec("DROP TABLE " + QuoteName(table->name));
  DeleteTableRows(connection, table->id);
  if (!table->foreign_keys.empty()) ResetRelationshipTriggers(connection);
  savepoint.Release();
}

void AlterTable(Connection& connection, const TableModel& before, TableModel after,
                const std::vector<std::string>& sources) {
  if (sources.size() != after.fields.size()) RaiseJetError(err::kInternal, "A table change lost track of its fields.");
  RefuseSystemTable(before.name);
  RefuseSystemTable(after.name);
  NormaliseModel(after);
  CheckTableModel(after);
  SchemaSavepoint savepoint(connection);
  if (FoldCase(before.name) != FoldCase(after.name) && TableNameTaken(connection, after.name)) {
    RaiseNameTaken(after.name);
  }
  // Fields that go, and fields renamed (old name, new name), as relationships see them.
  std::vector<std::pair<std::string, std::string>> renames;
  for (const FieldModel& field : before.fields) {
    bool kept = false;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      if (FoldCase(sources[i]) != FoldCase(field.name)) continue;
      kept = true;
      if (after.fields[i].name != field.name) renames.emplace_back(field.name, after.fields[i].name);
    }
    if (!kept) CheckFieldNotRelated(connection, before, field.name);
  }
  ResolveForeignKeys(connection, after);
  if (before.id == 0) {  // a table made without the catalog: register it first
    TableModel registered = before;
    InsertTableRows(connection, registered);
    after.id = registered.id;
  } else {
    after.id = before.id;
  }
  TableModel renamed_before = before;
  renamed_before.id = after.id;
  renamed_before.name = after.name;
  const std::vector<std::string> before_defs = ColumnDefs(renamed_before);
  const std::vector<std::string> after_defs = ColumnDefs(after);
  const bool same_columns = before_defs == after_defs && TableConstraintSql(renamed_before) == TableConstraintSql(after);
  bool identity = true;
  for (std::size_t i = 0; i < sources.size() && identity; ++i) {
    identity = i < before.fields.size() && FoldCase(sources[i]) == FoldCase(before.fields[i].name);
  }
  if ((same_columns && identity) || CanAppendColumns(renamed_before, after, sources, before_defs, after_defs)) {
    if (before.name != after.name) RenameSqliteTable(connection, before.name, after.name);
    for (std::size_t i = before_defs.size(); i < after_defs.size(); ++i) {
      connection.Exec("ALTER TABLE " + QuoteName(after.name) + " ADD COLUMN " + after_defs[i]);
    }
    for (const IndexModel& index : renamed_before.indexes) {
      const IndexModel* kept = after.FindIndex(index.name);
      if (!kept || CreateIndexSql(after, *kept, after.name) != CreateIndexSql(renamed_before, index, after.name)) {
        connection.Exec("DROP INDEX IF EXISTS " + QuoteName(SqliteIndexName(renamed_before, index)));
      }
    }
    for (const IndexModel& index : after.indexes) {
      const IndexModel* old = renamed_before.FindIndex(index.name);
      if (!old || CreateIndexSql(after, index, after.name) != CreateIndexSql(renamed_before, *old, after.name)) {
        connection.Exec(CreateIndexSql(after, index, after.name));
      }
    }
    if (before.name != after.name || CreateTriggerSql(renamed_before) != CreateTriggerSql(after)) {
      ResetTriggers(connection, after);
    }
  } else {
    RebuildTable(connection, before.name, after, sources);
  }
  UpdateTableRows(connection, after);
  KeepRelationships(connection, before, after, renames);
  savepoint.Release();
}

}  // namespace qb::jet
