// jet/import/genuine_definitions: reading the relationship and query system tables by column name,
// so that a file whose tables carry their columns in another order still reads.
#include "jet/import/genuine_definitions.h"

#include <strings.h>

#include <algorithm>
#include <map>
#include <string>

namespace qb::jet::import {
namespace {

// The rows of the system table NAME, each with the values of COLUMNS in that order. False with
// PROBLEM set when the table or one of the columns is missing or a value cannot be read.
bool ReadSystemTable(MdbHandle* mdb, const char* name, const std::vector<const char*>& columns,
                     std::vector<std::vector<ImportValue>>* rows, std::string* problem) {
  MdbCatalogEntry* entry = mdb_get_catalogentry_by_name(mdb, name);
  if (!entry) return *problem = std::string("the file has no ") + name, false;
  std::unique_ptr<MdbTableDef, TableFreer> table(mdb_read_table(entry));
  if (!table || !mdb_read_columns(table.get())) return *problem = std::string(name) + " could not be read", false;
  BoundRows bound(mdb, table.get());
  std::vector<unsigned> at;
  for (const char* column : columns) {
    const int index = bound.Find(column);
    if (index < 0) return *problem = std::string(name) + " has no column " + column, false;
    at.push_back(static_cast<unsigned>(index));
  }
  while (bound.Next()) {
    if (!bound.InRow(problem)) return *problem = std::string(name) + ": " + *problem, false;
    std::vector<ImportValue> row(at.size());
    for (std::size_t i = 0; i < at.size(); ++i) {
      if (!bound.Read(at[i], &row[i], problem)) return false;
    }
    rows->push_back(std::move(row));
  }
  // The library passes over a row it cannot take apart (a damaged offset) as if it were not
  // there; the count the table keeps tells. Read short, a query would lose a clause unnoticed.
  if (rows->size() != table->num_rows) {
    *problem = std::string(name) + " holds " + std::to_string(table->num_rows) + " rows, but only " +
               std::to_string(rows->size()) + " could be read: the file is damaged";
    return false;
  }
  return true;
}

bool Named(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return strcasecmp(n.c_str(), name.c_str()) == 0; });
}

}  // namespace

bool SendRelationships(MdbHandle* mdb, const std::vector<std::string>& sent, Sender& out) {
  std::vector<std::vector<ImportValue>> rows;
  std::string problem;
  if (!ReadSystemTable(mdb, "MSysRelationships",
                       {"szRelationship", "grbit", "icolumn", "szObject", "szColumn", "szReferencedObject", "szReferencedColumn"},
                       &rows, &problem)) {
    return out.Skipped("relationships", problem);
  }
  struct Relation {
    std::int64_t attributes = 0;
    std::string table, foreign_table;
    std::map<std::int64_t, std::pair<std::string, std::string>> fields;  // by position: name, foreign name
  };
  std::vector<std::pair<std::string, Relation>> relations;  // in the file's order
  for (const auto& row : rows) {
    const std::string& name = row[0].bytes;
    auto it = std::find_if(relations.begin(), relations.end(), [&](const auto& r) { return r.first == name; });
    if (it == relations.end()) {
      relations.emplace_back(name, Relation{});
      it = relations.end() - 1;
    }
    Relation& relation = it->second;
    relation.attributes = row[1].integer;
    relation.foreign_table = row[3].bytes;
    relation.table = row[5].bytes;
    relation.fields[row[2].integer] = {row[6].bytes, row[4].bytes};
  }
  for (const auto& [name, relation] : relations) {
    if (!Named(sent, relation.table) || !Named(sent, relation.foreign_table)) continue;
    FrameWriter w;
    w.Text(name);
    w.U32(static_cast<std::uint32_t>(relation.attributes));
    w.Text(relation.table);
    w.Text(relation.foreign_table);
    w.U32(static_cast<std::uint32_t>(relation.fields.size()));
    for (const auto& [position, field] : relation.fields) {
      w.Text(field.first);
      w.Text(field.second);
    }
    if (!out.Send(w, FrameKind::kRelation)) return false;
  }
  return true;
}

bool SendQueries(MdbHandle* mdb, Sender& out) {
  // A query's rows carry its object id; the catalog keeps the id's low 24 bits.
  std::map<unsigned long, std::pair<std::string, int>> names;  // name, flags
  for (unsigned i = 0; i < mdb->num_catalog; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
    if (entry->object_type == MDB_QUERY) names[entry->table_pg & 0xffffffUL] = {entry->object_name, entry->flags};
  }
  if (names.empty()) return true;
  std::vector<std::vector<ImportValue>> rows;
  std::string problem;
  if (!ReadSystemTable(mdb, "MSysQueries", {"ObjectId", "Attribute", "Order", "Name1", "Name2", "Expression", "Flag"}, &rows,
                       &problem)) {
    for (const auto& [id, entry] : names) {
      if (!out.Skipped("query " + entry.first, "its definition could not be read (" + problem + ")")) return false;
    }
    return true;
  }
  std::map<unsigned long, std::vector<const std::vector<ImportValue>*>> by_query;
  for (const auto& row : rows) by_query[static_cast<unsigned long>(row[0].integer) & 0xffffffUL].push_back(&row);
  for (const auto& [id, entry] : names) {
    const std::string& name = entry.first;
    if (name.rfind("~", 0) == 0) continue;  // a form's or report's own record source, not a saved query
    const auto found = by_query.find(id);
    if (found == by_query.end()) {
      if (!out.Skipped("query " + name, "its definition is missing from the file")) return false;
      continue;
    }
    FrameWriter w;
    w.Text(name);
    w.I64(entry.second);
    w.U32(static_cast<std::uint32_t>(found->second.size()));
    for (const auto* row : found->second) {
      w.U8(static_cast<std::uint8_t>((*row)[1].integer));
      w.Text((*row)[2].bytes);
      w.Text((*row)[3].bytes);
      w.Text((*row)[4].bytes);
      w.Text((*row)[5].bytes);
      w.I64((*row)[6].integer);
    }
    if (!out.Send(w, FrameKind::kQuery)) return false;
  }
  return true;
}

}  // namespace qb::jet::import
