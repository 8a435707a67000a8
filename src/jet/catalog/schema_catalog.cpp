// jet/catalog/schema_catalog: SQL over MSysObjects, MSysFields, MSysIndexes, MSysProperties and
// MSysItemProperties (user properties of fields and indexes) for user tables. The rows use
// plain SQLite types and built-in collations so any SQLite tool reads them.
#include "jet/catalog/schema_catalog.h"

#include <strings.h>

#include "jet/catalog/catalog_numbers.h"
#include "jet/catalog/catalog_query_schema.h"
#include "jet/catalog/database_catalog.h"
#include "jet/base/errors.h"
#include "jet/catalog/item_properties.h"
#include "jet/catalog/relationships.h"
#include "jet/catalog/schema_sql.h"
#include "jet/sqlite/connection.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {
namespace {

std::int64_t I(long long value) { return static_cast<std::int64_t>(value); }

bool HasCatalog(Connection& connection) { return connection.HasTable("MSysFields"); }

std::optional<std::int64_t> TableId(Connection& connection, const std::string& name) {
  if (!connection.HasTable("MSysObjects")) return std::nullopt;
  Statement find = connection.Prepare("SELECT Id FROM MSysObjects WHERE Type = 1 AND Name = ?1");
  find.Bind(1, name);
  if (!find.Step()) return std::nullopt;
  return find.ColumnInt(0);
}

// The first value of column 0 of NAMES (a statement over names) that is the same name as NAME.
std::optional<std::string> FirstSameName(Statement& names, const std::string& name) {
  while (names.Step()) {
    std::string candidate = names.ColumnText(0);
    if (SameName(candidate, name)) return candidate;
  }
  return std::nullopt;
}

// The real name of the SQLite table NAME (case ignored), when there is one. SQLite's NOCASE
// ignores ASCII case only: a name that differs in other letters' case is found by a scan.
std::optional<std::string> SqliteTableName(Connection& connection, const std::string& name) {
  Statement find = connection.Prepare(
      "SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
  find.Bind(1, name);
  if (find.Step()) return find.ColumnText(0);
  Statement all = connection.Prepare("SELECT name FROM sqlite_master WHERE type = 'table'");
  return FirstSameName(all, name);
}

int TypeOfDeclared(std::string declared) {
  for (char& c : declared) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
  if (declared.find("INT") != std::string::npos) return 4;
  if (declared.find("REAL") != std::string::npos || declared.find("FLOA") != std::string::npos ||
      declared.find("DOUB") != std::string::npos) {
    return 7;
  }
  if (declared.find("BLOB") != std::string::npos) return 11;
  return declared.empty() ? 11 : 12;
}

// A table made without the catalog: its columns as SQLite declares them.
TableModel ModelFromSqlite(Connection& connection, const std::string& name) {
  TableModel table;
  table.name = name;
  Statement columns = connection.Prepare("PRAGMA table_info(" + QuoteName(name) + ")");
  int ordinal = 0;
  while (columns.Step()) {
    FieldModel field;
    field.name = columns.ColumnText(1);
    field.type = TypeOfDeclared(columns.ColumnText(2));
    field.required = columns.ColumnInt(3) != 0;
    field.ordinal = ordinal++;
    field.allow_zero_length = field.type == 12;
    NormaliseNewField(field);
    table.fields.push_back(std::move(field));
  }
  return table;
}

void ReadRule(Connection& connection, TableModel& table) {
  Statement rules = connection.Prepare(
      "SELECT Name, Value FROM MSysProperties WHERE ObjectId = ?1 AND Name IN ('ValidationRule', 'ValidationText')");
  rules.Bind(1, table.id);
  while (rules.Step()) {
    const std::string which = rules.ColumnText(0);
    (::strcasecmp(which.c_str(), "ValidationRule") == 0 ? table.validation_rule : table.validation_text) =
        rules.ColumnText(1);
  }
}

constexpr const char* kItemProperties = "MSysItemProperties";
constexpr std::int64_t kFieldItem = 1;
constexpr std::int64_t kIndexItem = 2;

// The table of field and index properties, made when the first one is stored.
void EnsureItemProperties(Connection& connection) {
  if (connection.HasTable(kItemProperties)) return;
  connection.Exec(
      "CREATE TABLE MSysItemProperties (TableId INTEGER NOT NULL, ItemKind INTEGER NOT NULL, "
      "Item TEXT NOT NULL COLLATE NOCASE, Name TEXT NOT NULL COLLATE NOCASE, Type INTEGER NOT NULL, Value, "
      "Position INTEGER NOT NULL, PRIMARY KEY (TableId, ItemKind, Item, Name))");
  Statement insert = connection.Prepare(
      "INSERT OR IGNORE INTO MSysObjects (Name, Type, Attributes, DateCreated, LastUpdated) VALUES (?1, 1, ?2, ?3, ?3)");
  insert.Bind(1, kItemProperties).Bind(2, I(kSystemObjectAttribute));
  insert.BindDouble(3, NowSerial());
  insert.Run();
}

void WriteItemProperties(Connection& connection, std::int64_t table_id, std::int64_t kind, const std::string& item,
                         const std::vector<UserProperty>& properties) {
  if (properties.empty()) return;
  EnsureItemProperties(connection);
  Statement insert = connection.Prepare(
      "INSERT INTO MSysItemProperties (TableId, ItemKind, Item, Name, Type, Value, Position) "
      "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
  int position = 0;
  for (const UserProperty& property : properties) {
    insert.Reset();
    insert.Bind(1, table_id).Bind(2, kind).Bind(3, item).Bind(4, property.name).Bind(5, I(property.type))
        .Bind(7, I(position++));
    if (property.value.IsNull()) {
      insert.BindNull(6);
    } else {
      insert.Bind(6, EncodePropertyValue(property.type, property.value));
    }
    insert.Run();
  }
}

void ReadItemProperties(Connection& connection, TableModel& table) {
  if (!connection.HasTable(kItemProperties)) return;
  Statement rows = connection.Prepare(
      "SELECT ItemKind, Item, Name, Type, Value IS NULL, CAST(Value AS TEXT) FROM MSysItemProperties "
      "WHERE TableId = ?1 ORDER BY ItemKind, Item, Position");
  rows.Bind(1, table.id);
  while (rows.Step()) {
    UserProperty property;
    property.name = rows.ColumnText(2);
    property.type = static_cast<int>(rows.ColumnInt(3));
    property.value = rows.ColumnInt(4) ? Variant::Null() : DecodePropertyValue(property.type, rows.ColumnText(5));
    const std::string item = rows.ColumnText(1);
    if (rows.ColumnInt(0) == kFieldItem) {
      if (FieldModel* field = table.FindField(item)) field->properties.push_back(std::move(property));
    } else if (IndexModel* index = table.FindIndex(item)) {
      index->properties.push_back(std::move(property));
    }
  }
}

void WriteChildRows(Connection& connection, const TableModel& table) {
  Statement field_row = connection.Prepare(
      "INSERT INTO MSysFields (TableId, Name, Type, Size, Attributes, OrdinalPosition, DefaultValue, ValidationRule, "
      "ValidationText, Required, AllowZeroLength, Position) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)");
  int position = 0;
  for (const FieldModel& field : table.fields) {
    field_row.Reset();
    field_row.Bind(1, table.id).Bind(2, field.name).Bind(3, I(field.type)).Bind(4, I(field.size))
        .Bind(5, I(field.attributes)).Bind(6, I(field.ordinal)).Bind(7, field.default_value)
        .Bind(8, field.validation_rule).Bind(9, field.validation_text).Bind(10, I(field.required ? 1 : 0))
        .Bind(11, I(field.allow_zero_length ? 1 : 0)).Bind(12, I(position++));
    field_row.Run();
  }
  Statement index_row = connection.Prepare(
      "INSERT INTO MSysIndexes (TableId, Name, Fields, IsPrimary, IsUnique, IgnoreNulls, Required, Clustered, "
      "IsForeign, Position) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
  position = 0;
  for (const IndexModel& index : table.indexes) {
    index_row.Reset();
    index_row.Bind(1, table.id).Bind(2, index.name).Bind(3, IndexFieldsText(index.keys))
        .Bind(4, I(index.primary)).Bind(5, I(index.unique)).Bind(6, I(index.ignore_nulls))
        .Bind(7, I(index.required)).Bind(8, I(index.clustered)).Bind(9, I(index.foreign)).Bind(10, I(position++));
    index_row.Run();
  }
  for (const FieldModel& field : table.fields) {
    WriteItemProperties(connection, table.id, kFieldItem, field.name, field.properties);
  }
  for (const IndexModel& index : table.indexes) {
    WriteItemProperties(connection, table.id, kIndexItem, index.name, index.properties);
  }
  Statement rule = connection.Prepare("INSERT INTO MSysProperties (ObjectId, Name, Type, Value) VALUES (?1, ?2, 10, ?3)");
  if (!table.validation_rule.empty()) rule.Bind(1, table.id).Bind(2, "ValidationRule").Bind(3, table.validation_rule).Run();
  if (!table.validation_text.empty()) {
    rule.Reset();
    rule.Bind(1, table.id).Bind(2, "ValidationText").Bind(3, table.validation_text).Run();
  }
  WriteForeignKeys(connection, table);
}

void DeleteChildRows(Connection& connection, std::int64_t id) {
  for (const char* sql : {"DELETE FROM MSysFields WHERE TableId = ?1", "DELETE FROM MSysIndexes WHERE TableId = ?1",
                          "DELETE FROM MSysProperties WHERE ObjectId = ?1 AND Name IN ('ValidationRule', 'ValidationText')"}) {
    Statement remove = connection.Prepare(sql);
    remove.Bind(1, id).Run();
  }
  if (connection.HasTable(kItemProperties)) {
    Statement remove = connection.Prepare("DELETE FROM MSysItemProperties WHERE TableId = ?1");
    remove.Bind(1, id).Run();
  }
  DeleteForeignKeys(connection, id);
}

}  // namespace

void EnsureSchemaCatalog(Connection& connection) {
  if (HasCatalog(connection)) return;
  connection.Exec(
      "CREATE TABLE MSysFields (TableId INTEGER NOT NULL, Name TEXT NOT NULL COLLATE NOCASE, Type INTEGER NOT NULL, "
      "Size INTEGER NOT NULL, Attributes INTEGER NOT NULL, OrdinalPosition INTEGER NOT NULL, "
      "DefaultValue TEXT NOT NULL, ValidationRule TEXT NOT NULL, ValidationText TEXT NOT NULL, "
      "Required INTEGER NOT NULL, AllowZeroLength INTEGER NOT NULL, Position INTEGER NOT NULL, "
      "PRIMARY KEY (TableId, Name));"
      "CREATE TABLE MSysIndexes (TableId INTEGER NOT NULL, Name TEXT NOT NULL COLLATE NOCASE, Fields TEXT NOT NULL, "
      "IsPrimary INTEGER NOT NULL, IsUnique INTEGER NOT NULL, IgnoreNulls INTEGER NOT NULL, Required INTEGER NOT NULL, "
      "Clustered INTEGER NOT NULL, IsForeign INTEGER NOT NULL, Position INTEGER NOT NULL, PRIMARY KEY (TableId, Name))");
  const double now = NowSerial();
  for (const char* name : {"MSysFields", "MSysIndexes"}) {
    Statement insert = connection.Prepare(
        "INSERT OR IGNORE INTO MSysObjects (Name, Type, Attributes, DateCreated, LastUpdated) VALUES (?1, 1, ?2, ?3, ?3)");
    insert.Bind(1, name).Bind(2, I(kSystemObjectAttribute));
    insert.BindDouble(3, now);
    insert.Run();
  }
}

std::optional<TableModel> LoadTableModel(Connection& connection, const std::string& name) {
  std::optional<std::string> real = SqliteTableName(connection, name);
  if (!real) return std::nullopt;
  std::optional<std::int64_t> id = TableId(connection, *real);
  if (!id || !HasCatalog(connection)) {
    TableModel table = ModelFromSqlite(connection, *real);
    table.id = id.value_or(0);
    return table;
  }
  TableModel table;
  table.id = *id;
  table.name = *real;
  Statement attributes = connection.Prepare("SELECT Attributes FROM MSysObjects WHERE Id = ?1");
  attributes.Bind(1, table.id);
  if (attributes.Step()) table.attributes = static_cast<std::int32_t>(attributes.ColumnInt(0));
  Statement fields = connection.Prepare(
      "SELECT Name, Type, Size, Attributes, OrdinalPosition, DefaultValue, ValidationRule, ValidationText, Required, "
      "AllowZeroLength FROM MSysFields WHERE TableId = ?1 ORDER BY Position");
  fields.Bind(1, table.id);
  while (fields.Step()) {
    FieldModel field;
    field.name = fields.ColumnText(0);
    field.type = static_cast<int>(fields.ColumnInt(1));
    field.size = static_cast<int>(fields.ColumnInt(2));
    field.attributes = static_cast<std::int32_t>(fields.ColumnInt(3));
    field.ordinal = static_cast<int>(fields.ColumnInt(4));
    field.default_value = fields.ColumnText(5);
    field.validation_rule = fields.ColumnText(6);
    field.validation_text = fields.ColumnText(7);
    field.required = fields.ColumnInt(8) != 0;
    field.allow_zero_length = fields.ColumnInt(9) != 0;
    table.fields.push_back(std::move(field));
  }
  if (table.fields.empty()) {  // registered, but its fields were never described
    TableModel derived = ModelFromSqlite(connection, *real);
    derived.id = table.id;
    derived.attributes = table.attributes;
    return derived;
  }
  Statement indexes = connection.Prepare(
      "SELECT Name, Fields, IsPrimary, IsUnique, IgnoreNulls, Required, Clustered, IsForeign FROM MSysIndexes "
      "WHERE TableId = ?1 ORDER BY Position");
  indexes.Bind(1, table.id);
  while (indexes.Step()) {
    IndexModel index;
    index.name = indexes.ColumnText(0);
    index.keys = ParseIndexFields(indexes.ColumnText(1));
    index.primary = indexes.ColumnInt(2) != 0;
    index.unique = indexes.ColumnInt(3) != 0;
    index.ignore_nulls = indexes.ColumnInt(4) != 0;
    index.required = indexes.ColumnInt(5) != 0;
    index.clustered = indexes.ColumnInt(6) != 0;
    index.foreign = indexes.ColumnInt(7) != 0;
    table.indexes.push_back(std::move(index));
  }
  ReadRule(connection, table);
  ReadItemProperties(connection, table);
  ReadForeignKeys(connection, table);
  return table;
}

std::vector<std::string> UserTableNames(Connection& connection) {
  std::vector<std::string> names;
  Statement rows = connection.Prepare(
      "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
      "AND name NOT LIKE 'MSys%' ORDER BY name COLLATE NOCASE");
  while (rows.Step()) names.push_back(rows.ColumnText(0));
  return names;
}

void InsertTableRows(Connection& connection, TableModel& table) {
  EnsureSchemaCatalog(connection);
  const double now = NowSerial();
  Statement insert = connection.Prepare(
      "INSERT INTO MSysObjects (Name, Type, Attributes, DateCreated, LastUpdated) VALUES (?1, 1, ?2, ?3, ?3)");
  insert.Bind(1, table.name).Bind(2, I(table.attributes));
  insert.BindDouble(3, now);
  insert.Run();
  table.id = connection.LastInsertRowId();
  WriteChildRows(connection, table);
}

void UpdateTableRows(Connection& connection, const TableModel& table) {
  EnsureSchemaCatalog(connection);
  Statement update = connection.Prepare("UPDATE MSysObjects SET Name = ?2, LastUpdated = ?3 WHERE Id = ?1");
  update.Bind(1, table.id).Bind(2, table.name);
  update.BindDouble(3, NowSerial());
  update.Run();
  DeleteChildRows(connection, table.id);
  WriteChildRows(connection, table);
  NoteCatalogChanged(connection);  // metadata alone (an ordinal position) changes no SQLite schema
}

void DeleteTableRows(Connection& connection, std::int64_t id) {
  if (id == 0) return;
  if (HasCatalog(connection)) DeleteChildRows(connection, id);
  Statement properties = connection.Prepare("DELETE FROM MSysProperties WHERE ObjectId = ?1");
  properties.Bind(1, id).Run();
  Statement object = connection.Prepare("DELETE FROM MSysObjects WHERE Id = ?1");
  object.Bind(1, id).Run();
}

std::int64_t NextAutoNumber(Connection& connection, const std::string& name) {
  if (!connection.HasTable("sqlite_sequence")) return 1;
  Statement read = connection.Prepare("SELECT seq FROM sqlite_sequence WHERE name = ?1 COLLATE NOCASE");
  read.Bind(1, name);
  return read.Step() ? read.ColumnInt(0) + 1 : 1;
}

bool TableNameTaken(Connection& connection, const std::string& name) {
  if (SqliteTableName(connection, name)) return true;
  Statement find = connection.Prepare("SELECT Name FROM MSysObjects WHERE Type IN (1, 5)");
  return FirstSameName(find, name).has_value();
}

}  // namespace qb::jet
