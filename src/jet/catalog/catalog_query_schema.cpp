// jet/catalog/catalog_query_schema: tables and saved queries looked up by name for the translator, and
// the schema version / catalog generation pair that stamps cached translations.
#include "jet/catalog/catalog_query_schema.h"

#include <strings.h>

#include "jet/catalog/database_catalog.h"
#include "jet/catalog/schema_catalog.h"
#include "jet/sqlite/connection.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {
namespace {

bool IsSqliteInternal(std::string_view name) {
  return name.size() >= 7 && ::strncasecmp(name.data(), "sqlite_", 7) == 0;
}

std::optional<sql::SchemaObject> FindQuery(Connection& connection, std::string_view name) {
  Statement query = connection.Prepare(
      "SELECT o.Name, q.SQL FROM MSysObjects o JOIN MSysQueries q ON q.ObjectId = o.Id "
      "WHERE o.Type = ?1 AND o.Name = ?2 COLLATE NOCASE");
  query.Bind(1, static_cast<std::int64_t>(object_type::kQuery)).Bind(2, name);
  bool found = query.Step();
  if (!found) {  // NOCASE ignores ASCII case only
    query = connection.Prepare(
        "SELECT o.Name, q.SQL FROM MSysObjects o JOIN MSysQueries q ON q.ObjectId = o.Id WHERE o.Type = ?1");
    query.Bind(1, static_cast<std::int64_t>(object_type::kQuery));
    while (!found && query.Step()) found = SameName(query.ColumnText(0), name);
  }
  if (!found) return std::nullopt;
  sql::SchemaObject object;
  object.kind = sql::SchemaObject::Kind::kQuery;
  object.name = query.ColumnText(0);
  object.sql = query.ColumnText(1);
  return object;
}

bool IsSized(int type) { return type == 9 || type == 10; }

std::uint64_t ReadNumber(Connection& connection, std::optional<Statement>& statement, std::string_view pragma) {
  if (!statement) statement.emplace(connection.Prepare(pragma));
  statement->Reset();
  const std::uint64_t value = statement->Step() ? static_cast<std::uint32_t>(statement->ColumnInt(0)) : 0;
  statement->Reset();  // holds no read lock between calls
  return value;
}

}  // namespace

std::optional<sql::SchemaObject> CatalogQuerySchema::Find(std::string_view name) const {
  if (name.empty() || IsSqliteInternal(name)) return std::nullopt;
  const std::uint64_t version = Version();
  if (version != known_version_) {
    known_.clear();
    known_version_ = version;
  }
  std::string key = FoldCase(name);
  auto found = known_.find(key);
  if (found != known_.end()) return found->second;
  std::optional<sql::SchemaObject> object = Lookup(name);
  known_.emplace(std::move(key), object);
  return object;
}

void CatalogQuerySchema::Forget() const {
  known_.clear();
  known_version_ = 0;
}

std::optional<sql::SchemaObject> CatalogQuerySchema::Lookup(std::string_view name) const {
  if (std::optional<TableModel> table = LoadTableModel(connection_, std::string(name))) {
    sql::SchemaObject object;
    object.kind = sql::SchemaObject::Kind::kTable;
    object.name = table->name;
    for (const FieldModel* field : FieldsInOrdinalOrder(*table)) {
      sql::SchemaColumn column;
      column.name = field->name;
      column.dao_type = field->type;
      column.size = IsSized(field->type) ? field->size : 0;
      column.required = field->required;
      column.auto_increment = (field->attributes & kAutoIncrField) != 0;
      object.columns.push_back(std::move(column));
    }
    return object;
  }
  if (!connection_.HasTable("MSysQueries")) return std::nullopt;
  return FindQuery(connection_, name);
}

std::uint64_t CatalogQuerySchema::Version() const {
  const std::uint64_t schema = ReadNumber(connection_, schema_version_, "PRAGMA schema_version");
  const std::uint64_t generation = ReadNumber(connection_, generation_, "PRAGMA user_version");
  return schema << 32 | generation;
}

void NoteCatalogChanged(Connection& connection) {
  Statement read = connection.Prepare("PRAGMA user_version");
  const std::uint32_t generation = read.Step() ? static_cast<std::uint32_t>(read.ColumnInt(0)) : 0;
  read.Reset();
  // The header holds a signed 32-bit number: wrap within it rather than overflow.
  const std::int32_t next = static_cast<std::int32_t>(generation + 1u);
  connection.Exec("PRAGMA user_version = " + std::to_string(next));
}

}  // namespace qb::jet
