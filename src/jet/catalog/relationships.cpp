// jet/catalog/relationships: catalog rows, checks and enforcement triggers of relationships.
#include "jet/catalog/relationships.h"

#include <optional>
#include <set>

#include "jet/catalog/catalog_numbers.h"
#include "jet/catalog/database_catalog.h"
#include "jet/base/errors.h"
#include "jet/catalog/schema_catalog.h"
#include "jet/catalog/schema_sql.h"
#include "jet/sqlite/connection.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {
namespace {

constexpr const char* kCatalog = "MSysRelationships";

std::int64_t I(long long value) { return static_cast<std::int64_t>(value); }

// Field lists are kept as "A;B", as index keys are.
std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ";") + name;
  return text;
}

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> names(1);
  for (char c : text) {
    if (c == ';') {
      names.emplace_back();
    } else {
      names.back() += c;
    }
  }
  return names;
}

void EnsureCatalog(Connection& connection) {
  if (connection.HasTable(kCatalog)) return;
  connection.Exec(
      "CREATE TABLE MSysRelationships (Id INTEGER PRIMARY KEY, TableId INTEGER NOT NULL, Columns TEXT NOT NULL, "
      "ReferencedTable TEXT NOT NULL COLLATE NOCASE, ReferencedColumns TEXT NOT NULL, Position INTEGER NOT NULL)");
  Statement insert = connection.Prepare(
      "INSERT OR IGNORE INTO MSysObjects (Name, Type, Attributes, DateCreated, LastUpdated) VALUES (?1, 1, ?2, ?3, ?3)");
  insert.Bind(1, kCatalog).Bind(2, I(kSystemObjectAttribute));
  insert.BindDouble(3, NowSerial());
  insert.Run();
}

// NAME as a string literal inside SQL text.
std::string Literal(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

std::string Raise(int number, const std::string& message) {
  return " BEGIN SELECT RAISE(ABORT, " + Literal("jet:" + std::to_string(number) + ":" + message) + "); END";
}

// "t.a = s.b AND ..." over two column lists.
std::string Matches(const std::vector<std::string>& left, const std::string& right_prefix,
                    const std::vector<std::string>& right) {
  std::string sql;
  for (std::size_t i = 0; i < left.size(); ++i) {
    sql += (i ? " AND " : "") + QuoteName(left[i]) + " = " + right_prefix + QuoteName(right[i]);
  }
  return sql;
}

struct StoredRelationship {
  std::int64_t id = 0, table_id = 0;
  std::string name, table;
  ForeignKeyModel key;
};

std::vector<StoredRelationship> AllRelationships(Connection& connection) {
  std::vector<StoredRelationship> all;
  if (!connection.HasTable(kCatalog)) return all;
  Statement rows = connection.Prepare(
      "SELECT r.Id, o.Name, t.Name, r.Columns, r.ReferencedTable, r.ReferencedColumns, r.TableId "
      "FROM MSysRelationships r "
      "JOIN MSysObjects o ON o.Id = r.Id JOIN MSysObjects t ON t.Id = r.TableId ORDER BY r.Id");
  while (rows.Step()) {
    StoredRelationship relationship;
    relationship.id = rows.ColumnInt(0);
    relationship.name = rows.ColumnText(1);
    relationship.table = rows.ColumnText(2);
    relationship.table_id = rows.ColumnInt(6);
    relationship.key = {relationship.name, Split(rows.ColumnText(3)), rows.ColumnText(4), Split(rows.ColumnText(5))};
    all.push_back(std::move(relationship));
  }
  return all;
}

void DropTriggers(Connection& connection) {
  std::vector<std::string> names;
  Statement rows = connection.Prepare(
      "SELECT name FROM sqlite_master WHERE type = 'trigger' AND name LIKE 'qbr\\_%' ESCAPE '\\'");
  while (rows.Step()) names.push_back(rows.ColumnText(0));
  for (const std::string& name : names) connection.Exec("DROP TRIGGER IF EXISTS " + QuoteName(name));
}

void CreateTriggers(Connection& connection, const StoredRelationship& r) {
  const std::string base = "qbr_" + std::to_string(r.id) + "_";
  const std::string child = QuoteName(r.table), parent = QuoteName(r.key.referenced_table);
  const std::vector<std::string>& columns = r.key.columns;
  const std::vector<std::string>& keys = r.key.referenced_columns;
  std::string known, key_changed;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    known += (i ? " AND NEW." : "NEW.") + QuoteName(columns[i]) + " IS NOT NULL";
    key_changed += (i ? " OR NEW." : "NEW.") + QuoteName(keys[i]) + " IS NOT OLD." + QuoteName(keys[i]);
  }
  const std::string missing = " WHEN " + known + " AND NOT EXISTS (SELECT 1 FROM " + parent + " WHERE " +
                              Matches(keys, "NEW.", columns) + ")" +
                              Raise(err::kNoRelatedRecord, "A related record is required in '" +
                                                               r.key.referenced_table + "' (relationship '" + r.name +
                                                               "'); none matches this record.");
  const std::string in_use = " EXISTS (SELECT 1 FROM " + child + " WHERE " + Matches(columns, "OLD.", keys) + ")" +
                             Raise(err::kRelatedRecordsExist, "The record cannot be deleted or changed: records in '" +
                                                                  r.table + "' are related to it (relationship '" +
                                                                  r.name + "').");
  std::string of_columns, of_keys;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    of_columns += (i ? ", " : "") + QuoteName(columns[i]);
    of_keys += (i ? ", " : "") + QuoteName(keys[i]);
  }
  connection.Exec("CREATE TRIGGER " + QuoteName(base + "ci") + " BEFORE INSERT ON " + child + " FOR EACH ROW" + missing);
  connection.Exec("CREATE TRIGGER " + QuoteName(base + "cu") + " BEFORE UPDATE OF " + of_columns + " ON " + child +
                  " FOR EACH ROW" + missing);
  connection.Exec("CREATE TRIGGER " + QuoteName(base + "pd") + " BEFORE DELETE ON " + parent + " FOR EACH ROW WHEN" +
                  in_use);
  connection.Exec("CREATE TRIGGER " + QuoteName(base + "pu") + " BEFORE UPDATE OF " + of_keys + " ON " + parent +
                  " FOR EACH ROW WHEN (" + key_changed + ") AND" + in_use);
}

const FieldModel& FieldOrRaise(const TableModel& table, const std::string& name) {
  const FieldModel* field = table.FindField(name);
  if (!field) RaiseJetError(err::kItemNotFound, "The table '" + table.name + "' has no field '" + name + "'.");
  return *field;
}

bool NameTaken(Connection& connection, const TableModel& table, const std::string& name, const ForeignKeyModel* self) {
  for (const ForeignKeyModel& other : table.foreign_keys) {
    if (&other != self && SameName(other.name, name)) return true;
  }
  // The table's own stored relationships are about to be replaced: they do not count.
  Statement find = connection.Prepare(
      connection.HasTable(kCatalog)
          ? "SELECT 1 FROM MSysObjects o LEFT JOIN MSysRelationships r ON r.Id = o.Id "
            "WHERE o.Type = 8 AND o.Name = ?1 AND (r.TableId IS NULL OR r.TableId <> ?2)"
          : "SELECT 1 FROM MSysObjects WHERE Type = 8 AND Name = ?1 AND ?2 IS NOT NULL");
  find.Bind(1, name).Bind(2, table.id);
  return find.Step();
}

}  // namespace

void ReadForeignKeys(Connection& connection, TableModel& table) {
  table.foreign_keys.clear();
  for (StoredRelationship& relationship : AllRelationships(connection)) {
    if (relationship.table_id == table.id) table.foreign_keys.push_back(std::move(relationship.key));
  }
}

void DeleteForeignKeys(Connection& connection, std::int64_t id) {
  if (!connection.HasTable(kCatalog)) return;
  Statement objects = connection.Prepare(
      "DELETE FROM MSysObjects WHERE Type = 8 AND Id IN (SELECT Id FROM MSysRelationships WHERE TableId = ?1)");
  objects.Bind(1, id).Run();
  Statement rows = connection.Prepare("DELETE FROM MSysRelationships WHERE TableId = ?1");
  rows.Bind(1, id).Run();
}

void WriteForeignKeys(Connection& connection, const TableModel& table) {
  DeleteForeignKeys(connection, table.id);
  if (table.foreign_keys.empty()) return;
  EnsureCatalog(connection);
  const double now = NowSerial();
  int position = 0;
  for (const ForeignKeyModel& key : table.foreign_keys) {
    if (NameTaken(connection, table, key.name, &key)) {
      RaiseJetError(err::kDuplicateName, "A relationship named '" + key.name + "' already exists.");
    }
    Statement object = connection.Prepare(
        "INSERT INTO MSysObjects (Name, Type, Attributes, DateCreated, LastUpdated) VALUES (?1, 8, 0, ?2, ?2)");
    object.Bind(1, key.name);
    object.BindDouble(2, now);
    object.Run();
    Statement row = connection.Prepare(
        "INSERT INTO MSysRelationships (Id, TableId, Columns, ReferencedTable, ReferencedColumns, Position) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    row.Bind(1, connection.LastInsertRowId()).Bind(2, table.id).Bind(3, Joined(key.columns))
        .Bind(4, key.referenced_table).Bind(5, Joined(key.referenced_columns)).Bind(6, I(position++)).Run();
  }
}

void ResolveForeignKeys(Connection& connection, TableModel& table) {
  for (ForeignKeyModel& key : table.foreign_keys) {
    std::optional<TableModel> loaded;
    const TableModel* parent = &table;
    if (!SameName(key.referenced_table, table.name)) {
      loaded = LoadTableModel(connection, key.referenced_table);
      if (!loaded || FoldCase(loaded->name.substr(0, 4)) == FoldCase("MSys")) {
        RaiseJetError(err::kTableNotFound, "The relationship '" + key.name + "' references the table '" +
                                               key.referenced_table + "', which does not exist.");
      }
      parent = &*loaded;
    }
    key.referenced_table = parent->name;
    if (key.referenced_columns.empty()) {
      for (const IndexModel& index : parent->indexes) {
        if (!index.primary) continue;
        for (const IndexKey& k : index.keys) key.referenced_columns.push_back(k.field);
      }
    }
    if (key.referenced_columns.size() != key.columns.size()) {
      RaiseJetError(err::kNoUniqueIndex, "The relationship '" + key.name + "' needs as many fields in '" + parent->name +
                                             "' as in '" + table.name + "', matched by a unique index there.");
    }
    std::set<std::string> wanted;
    for (std::size_t i = 0; i < key.columns.size(); ++i) {
      key.columns[i] = FieldOrRaise(table, key.columns[i]).name;
      key.referenced_columns[i] = FieldOrRaise(*parent, key.referenced_columns[i]).name;
      wanted.insert(FoldCase(key.referenced_columns[i]));
    }
    bool unique = false;
    for (const IndexModel& index : parent->indexes) {
      if (!index.unique && !index.primary) continue;
      std::set<std::string> fields;
      for (const IndexKey& k : index.keys) fields.insert(FoldCase(k.field));
      unique = unique || fields == wanted;
    }
    if (!unique) {
      RaiseJetError(err::kNoUniqueIndex, "The fields the relationship '" + key.name + "' references in '" +
                                             parent->name + "' are not the key of a unique index.");
    }
    if (key.name.empty()) {
      key.name = parent->name + table.name;
      for (int n = 1; NameTaken(connection, table, key.name, &key); ++n) {
        key.name = parent->name + table.name + std::to_string(n);
      }
    } else if (NameTaken(connection, table, key.name, &key)) {
      RaiseJetError(err::kDuplicateName, "A relationship named '" + key.name + "' already exists.");
    }
  }
}

void CheckRelatedRecords(Connection& connection, const TableModel& table) {
  for (const ForeignKeyModel& key : table.foreign_keys) {
    std::string known;
    for (std::size_t i = 0; i < key.columns.size(); ++i) {
      known += (i ? " AND c." : "c.") + QuoteName(key.columns[i]) + " IS NOT NULL";
    }
    std::string match;
    for (std::size_t i = 0; i < key.columns.size(); ++i) {
      match += (i ? " AND p." : "p.") + QuoteName(key.referenced_columns[i]) + " = c." + QuoteName(key.columns[i]);
    }
    Statement orphans = connection.Prepare("SELECT 1 FROM " + QuoteName(table.name) + " c WHERE " + known +
                                           " AND NOT EXISTS (SELECT 1 FROM " + QuoteName(key.referenced_table) +
                                           " p WHERE " + match + ") LIMIT 1");
    if (orphans.Step()) {
      RaiseJetError(err::kNoRelatedRecord, "Records in '" + table.name + "' have no related record in '" +
                                               key.referenced_table + "': the relationship '" + key.name +
                                               "' cannot be made.");
    }
  }
}

std::vector<std::string> ReferencingTables(Connection& connection, const std::string& name) {
  std::vector<std::string> tables;
  for (const StoredRelationship& relationship : AllRelationships(connection)) {
    if (SameName(relationship.key.referenced_table, name) && !SameName(relationship.table, name)) {
      tables.push_back(relationship.table);
    }
  }
  return tables;
}

void FollowReferencedTable(Connection& connection, const std::string& from, const std::string& to,
                           const std::vector<std::pair<std::string, std::string>>& renames) {
  for (StoredRelationship& relationship : AllRelationships(connection)) {
    if (!SameName(relationship.key.referenced_table, from)) continue;
    for (std::string& column : relationship.key.referenced_columns) {
      for (const auto& [old_name, new_name] : renames) {
        if (SameName(column, old_name)) column = new_name;
      }
    }
    Statement update = connection.Prepare(
        "UPDATE MSysRelationships SET ReferencedTable = ?2, ReferencedColumns = ?3 WHERE Id = ?1");
    update.Bind(1, relationship.id).Bind(2, to).Bind(3, Joined(relationship.key.referenced_columns)).Run();
  }
}

void CheckFieldNotRelated(Connection& connection, const TableModel& table, const std::string& field) {
  for (const StoredRelationship& relationship : AllRelationships(connection)) {
    const bool child = SameName(relationship.table, table.name);
    const bool parent = SameName(relationship.key.referenced_table, table.name);
    bool used = false;
    if (child) {
      for (const std::string& column : relationship.key.columns) used = used || SameName(column, field);
    }
    if (parent) {
      for (const std::string& column : relationship.key.referenced_columns) used = used || SameName(column, field);
    }
    if (used) {
      RaiseJetError(err::kFieldRuleInUse, "The field '" + field + "' is part of the relationship '" +
                                              relationship.name + "'; delete the relationship first.");
    }
  }
}

void ResetRelationshipTriggers(Connection& connection) {
  DropTriggers(connection);
  for (const StoredRelationship& relationship : AllRelationships(connection)) CreateTriggers(connection, relationship);
}

}  // namespace qb::jet
