// jet/catalog/query_catalog: SQL over MSysObjects, MSysQueries and MSysProperties for saved queries.
#include "jet/catalog/query_catalog.h"

#include "jet/catalog/catalog_numbers.h"
#include "jet/catalog/database_catalog.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

constexpr const char* kMaxRecordsProperty = "MaxRecords";
constexpr std::int64_t kLongType = 4;

double ColumnSerial(Statement& rows, int column) { return ColumnReal(rows, column).value_or(0.0); }

constexpr const char* kSelectQueries =
    "SELECT o.Id, o.Name, q.SQL, o.DateCreated, o.LastUpdated, "
    "(SELECT CAST(p.Value AS INTEGER) FROM MSysProperties p WHERE p.ObjectId = o.Id AND p.Name = 'MaxRecords') "
    "FROM MSysObjects o LEFT JOIN MSysQueries q ON q.ObjectId = o.Id WHERE o.Type = 5";

StoredQuery ReadRow(Statement& rows) {
  StoredQuery query;
  query.id = rows.ColumnInt(0);
  query.name = rows.ColumnText(1);
  query.sql = rows.ColumnIsNull(2) ? std::string() : rows.ColumnText(2);
  query.date_created = ColumnSerial(rows, 3);
  query.last_updated = ColumnSerial(rows, 4);
  // A value another program stored out of range reads as "all records".
  const std::int64_t max = rows.ColumnIsNull(5) ? 0 : rows.ColumnInt(5);
  query.max_records = max > 0 && max <= INT32_MAX ? static_cast<std::int32_t>(max) : 0;
  return query;
}

void Touch(Connection& connection, std::int64_t id) {
  Statement update = connection.Prepare("UPDATE MSysObjects SET LastUpdated = ?2 WHERE Id = ?1");
  update.Bind(1, id);
  update.BindDouble(2, NowSerial());
  update.Run();
}

}  // namespace

std::vector<StoredQuery> ListStoredQueries(Connection& connection) {
  std::vector<StoredQuery> queries;
  Statement rows = connection.Prepare(std::string(kSelectQueries) + " ORDER BY o.Name COLLATE NOCASE");
  while (rows.Step()) queries.push_back(ReadRow(rows));
  return queries;
}

std::optional<StoredQuery> FindStoredQuery(Connection& connection, std::int64_t id) {
  Statement rows = connection.Prepare(std::string(kSelectQueries) + " AND o.Id = ?1");
  rows.Bind(1, id);
  if (!rows.Step()) return std::nullopt;
  return ReadRow(rows);
}

StoredQuery InsertStoredQuery(Connection& connection, const StoredQuery& query) {
  Statement object = connection.Prepare(
      "INSERT INTO MSysObjects (Name, Type, Attributes, DateCreated, LastUpdated) VALUES (?1, 5, 0, ?2, ?2)");
  object.Bind(1, query.name);
  object.BindDouble(2, NowSerial());
  object.Run();
  const std::int64_t id = connection.LastInsertRowId();
  Statement text = connection.Prepare("INSERT INTO MSysQueries (ObjectId, SQL) VALUES (?1, ?2)");
  text.Bind(1, id).Bind(2, query.sql).Run();
  if (query.max_records != 0) UpdateStoredQueryMaxRecords(connection, id, query.max_records);
  return FindStoredQuery(connection, id).value();
}

void UpdateStoredQuerySql(Connection& connection, std::int64_t id, const std::string& sql) {
  // INSERT OR REPLACE: a row another program left without its text gets one.
  Statement update = connection.Prepare("INSERT OR REPLACE INTO MSysQueries (ObjectId, SQL) VALUES (?1, ?2)");
  update.Bind(1, id).Bind(2, sql).Run();
  Touch(connection, id);
}

void RenameStoredQuery(Connection& connection, std::int64_t id, const std::string& name) {
  Statement update = connection.Prepare("UPDATE MSysObjects SET Name = ?2 WHERE Id = ?1");
  update.Bind(1, id).Bind(2, name).Run();
  Touch(connection, id);
}

void UpdateStoredQueryMaxRecords(Connection& connection, std::int64_t id, std::int32_t max_records) {
  Statement remove = connection.Prepare("DELETE FROM MSysProperties WHERE ObjectId = ?1 AND Name = ?2");
  remove.Bind(1, id).Bind(2, kMaxRecordsProperty).Run();
  if (max_records != 0) {
    Statement insert = connection.Prepare("INSERT INTO MSysProperties (ObjectId, Name, Type, Value) VALUES (?1, ?2, ?3, ?4)");
    insert.Bind(1, id).Bind(2, kMaxRecordsProperty).Bind(3, kLongType).Bind(4, static_cast<std::int64_t>(max_records)).Run();
  }
  Touch(connection, id);
}

void DeleteStoredQuery(Connection& connection, std::int64_t id) {
  for (const char* sql : {"DELETE FROM MSysProperties WHERE ObjectId = ?1", "DELETE FROM MSysQueries WHERE ObjectId = ?1",
                          "DELETE FROM MSysObjects WHERE Id = ?1"}) {
    Statement remove = connection.Prepare(sql);
    remove.Bind(1, id).Run();
  }
}

}  // namespace qb::jet
