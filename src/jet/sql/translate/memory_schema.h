// jet/sql/translate/memory_schema: a QuerySchema held in memory, for tests and for callers that describe
// tables themselves. Knows nothing of SQLite; creating the real tables is the caller's job.
#pragma once
#include <map>
#include <string>

#include "jet/sql/translate/query_schema.h"

namespace qb::jet::sql {

class MemorySchema final : public QuerySchema {
 public:
  // Adds or replaces table NAME with COLUMNS; bumps the version.
  void AddTable(std::string name, std::vector<SchemaColumn> columns);
  // Adds or replaces saved query NAME with Jet SQL text SQL (not checked here); bumps the
  // version.
  void AddQuery(std::string name, std::string sql);
  // Removes NAME if present; bumps the version.
  void Remove(std::string_view name);

  std::optional<SchemaObject> Find(std::string_view name) const override;
  std::uint64_t Version() const override { return version_; }

 private:
  std::map<std::string, SchemaObject> objects_;  // keyed by the ASCII-lowered name
  std::uint64_t version_ = 1;
};

}  // namespace qb::jet::sql
