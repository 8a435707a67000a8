// jet/catalog/query_catalog: the stored form of saved queries: one MSysObjects row of type 5, its Jet
// SQL text in MSysQueries and its MaxRecords in MSysProperties (only when not 0). Plain reads
// and writes on one connection; callers check names and permissions and hold any transaction.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qb::jet {

class Connection;

// One saved query as the file keeps it.
struct StoredQuery {
  std::int64_t id = 0;     // MSysObjects.Id
  std::string name;
  std::string sql;         // Jet SQL, as the user gave it
  double date_created = 0;  // date serials
  double last_updated = 0;
  std::int32_t max_records = 0;  // 0: all records
};

// Every saved query, ordered by name (ASCII case ignored).
std::vector<StoredQuery> ListStoredQueries(Connection& connection);
// The saved query with ID, or nullopt once it is gone.
std::optional<StoredQuery> FindStoredQuery(Connection& connection, std::int64_t id);

// Stores a new query (QUERY.id is ignored) dated now; returns it as stored. REQUIRES: the
// caller checked the name (valid, not used by a table or query) and holds a savepoint.
StoredQuery InsertStoredQuery(Connection& connection, const StoredQuery& query);

// Each replaces one thing of the query ID and dates the change now.
void UpdateStoredQuerySql(Connection& connection, std::int64_t id, const std::string& sql);
void RenameStoredQuery(Connection& connection, std::int64_t id, const std::string& name);
void UpdateStoredQueryMaxRecords(Connection& connection, std::int64_t id, std::int32_t max_records);

// Removes the query ID with its text and properties. REQUIRES: inside a savepoint.
void DeleteStoredQuery(Connection& connection, std::int64_t id);

}  // namespace qb::jet
