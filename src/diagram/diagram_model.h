// diagram/diagram_model: what the relationships diagram shows, read from an open database: each
// user table with its fields (key fields marked) and each relationship between them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qb::jet {
class Database;
}

namespace qb::diagram {

struct DiagramField {
  std::string name;
  bool key = false;  // part of the table's primary key
};

struct DiagramTable {
  std::string name;
  std::vector<DiagramField> fields;  // in the table's field order
};

struct DiagramRelation {
  std::string name;
  std::size_t primary = 0;  // index of the primary ("one") table in DiagramModel::tables
  std::size_t foreign = 0;  // index of the foreign (referencing) table
  std::vector<std::string> primary_fields, foreign_fields;  // pairwise
  std::int32_t attributes = 0;  // jet::relation_attribute bits
};

struct DiagramModel {
  std::vector<DiagramTable> tables;
  std::vector<DiagramRelation> relations;

  // The index of the table named NAME (case ignored), or -1.
  int FindTable(const std::string& name) const;
};

// Reads DATABASE's user tables and relationships. A non-empty ONLY keeps just the tables it
// names (case ignored; a name that is no table raises kTableNotFound) and the relationships
// among them. Tables keep the catalog's order (by name).
DiagramModel ReadDiagramModel(jet::Database& database, const std::vector<std::string>& only = {});

}  // namespace qb::diagram
