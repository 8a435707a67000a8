// jet/dao/relation: the Relation object (Name, Table, ForeignTable, Fields, Attributes) and the
// Relations collection a database hands out: a read-only snapshot of the relationships between
// the user's tables, taken when the collection was read. Relationships are made and dropped
// through DDL (CONSTRAINT ... FOREIGN KEY / REFERENCES, DROP CONSTRAINT), not here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "jet/catalog/catalog_items.h"

namespace qb::jet {

// Relation attribute bits, with the object model's values.
namespace relation_attribute {
inline constexpr std::int32_t kUnique = 1;             // one-to-one
inline constexpr std::int32_t kDontEnforce = 2;        // no referential integrity
inline constexpr std::int32_t kUpdateCascade = 256;
inline constexpr std::int32_t kDeleteCascade = 4096;
}  // namespace relation_attribute

// One field pair of a relation: NAME in the primary table, FOREIGN_NAME in the foreign one.
struct RelationField {
  std::string name;
  std::string foreign_name;
  bool operator==(const RelationField&) const = default;
};

class Relation {
 public:
  Relation(std::string name, std::string table, std::string foreign_table, std::vector<RelationField> fields,
           std::int32_t attributes)
      : name_(std::move(name)),
        table_(std::move(table)),
        foreign_table_(std::move(foreign_table)),
        fields_(std::move(fields)),
        attributes_(attributes) {}

  const std::string& Name() const { return name_; }
  // The primary (referenced, "one") table and the foreign (referencing) one.
  const std::string& Table() const { return table_; }
  const std::string& ForeignTable() const { return foreign_table_; }
  const std::vector<RelationField>& Fields() const { return fields_; }
  // relation_attribute bits. This engine enforces every relationship and cascades none, so
  // only kUnique varies: set when the foreign fields are the whole key of a unique index of
  // the foreign table (each primary record has at most one related record).
  std::int32_t Attributes() const { return attributes_; }

 private:
  std::string name_;                  // constant after construction
  std::string table_;                 // constant after construction
  std::string foreign_table_;         // constant after construction
  std::vector<RelationField> fields_;  // constant after construction
  std::int32_t attributes_;           // constant after construction
};

using Relations = CatalogItems<Relation>;

}  // namespace qb::jet
