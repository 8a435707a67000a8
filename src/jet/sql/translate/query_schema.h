// jet/sql/translate/query_schema: what the query translator asks of the database: the tables and saved
// queries a statement names, with their columns. An interface only; the database layer
// implements it over its catalog, memory_schema.h for tests and tools.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb::jet::sql {

struct SchemaColumn {
  std::string name;
  int dao_type = 0;            // DAO DataTypeEnum code (dao_type:: in jet_types.h)
  int size = 0;                // Text(n) and Binary(n); 0 for unsized types
  bool required = false;
  bool auto_increment = false;
};

// A table or a saved query. A table's SQLite table has the same name and column names.
struct SchemaObject {
  enum class Kind { kTable, kQuery };
  Kind kind = Kind::kTable;
  std::string name;                  // as stored
  std::vector<SchemaColumn> columns;  // kTable: in OrdinalPosition order
  std::string sql;                   // kQuery: its Jet SQL text
};

class QuerySchema {
 public:
  virtual ~QuerySchema() = default;
  // The table or saved query named NAME (case ignored, as SameName in jet/unicode_text.h), or nullopt when there is none.
  // Saved queries report no columns: the translator derives them from their SQL.
  virtual std::optional<SchemaObject> Find(std::string_view name) const = 0;
  // A number that changes whenever any table or saved query changes (created, altered,
  // renamed, dropped, SQL replaced): translations cached under one version stay valid while it
  // holds.
  virtual std::uint64_t Version() const = 0;
};

}  // namespace qb::jet::sql
