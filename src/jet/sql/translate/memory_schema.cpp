// jet/sql/translate/memory_schema: the in-memory schema. Plain containers only.
#include "jet/sql/translate/memory_schema.h"

#include "jet/base/unicode_text.h"

namespace qb::jet::sql {
namespace {

std::string Key(std::string_view name) { return FoldCase(name); }

}  // namespace

void MemorySchema::AddTable(std::string name, std::vector<SchemaColumn> columns) {
  SchemaObject object;
  object.kind = SchemaObject::Kind::kTable;
  object.columns = std::move(columns);
  object.name = name;
  objects_[Key(name)] = std::move(object);
  ++version_;
}

void MemorySchema::AddQuery(std::string name, std::string sql) {
  SchemaObject object;
  object.kind = SchemaObject::Kind::kQuery;
  object.sql = std::move(sql);
  object.name = name;
  objects_[Key(name)] = std::move(object);
  ++version_;
}

void MemorySchema::Remove(std::string_view name) {
  objects_.erase(Key(name));
  ++version_;
}

std::optional<SchemaObject> MemorySchema::Find(std::string_view name) const {
  auto it = objects_.find(Key(name));
  if (it == objects_.end()) return std::nullopt;
  return it->second;
}

}  // namespace qb::jet::sql
