// jet/recordset/join_plan: how the rows of a dynaset over a join map to the rows of its tables,
// so they can be read again by key and written back table by table.
//
// The tables form a tree of one-to-many links (equality joins whose "one" side's fields hold a
// unique index or the AutoNumber field). Its root is the table on the "many" end of every link
// (the order lines of orders, customers and products); each dynaset row is one root row with at
// most one row of every other table, so the root's rowid is the row's key. Internal to the
// recordset folder.
#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "jet/schema_model.h"
#include "jet/sql/query_translator.h"

namespace qb::jet {

class Connection;
struct RecordsetColumn;

struct JoinTable {
  std::string name;               // as the statement names it (its alias, else the table's name)
  TableModel table;
  std::size_t key_column = 0;     // its rowid is the select's kSourceKeyPrefix + key_column
  int parent = -1;                // the table on the many side of its link; -1 for the root
  std::vector<std::string> fields;         // the link: this table's FIELDS (the "one" side) ...
  std::vector<std::string> parent_fields;  // ... equal the parent's PARENT_FIELDS
  bool outer = false;             // on the side of an outer join that may find no row
};

struct JoinPlan {
  std::vector<JoinTable> tables;  // the root first; every table after its parent
  std::vector<int> column_table;  // the table of each recordset column
  bool consistent = true;         // dbConsistent (the default) rather than dbInconsistent
};

// The plan for the select TEXT whose translation keyed SOURCES (in FROM order) and returned
// COLUMNS, or nullptr when its rows cannot be written back: several FROM entries, a table named
// twice, a join condition other than equal fields of two tables, links that are not one tree
// of one-to-many links, an outer join that may leave the root without a row, or a column that is
// not a plain field. Marks the fields a consistent dynaset cannot change (the "one" side's link
// fields) read-only in COLUMNS and fills their base columns. Raises the parser's errors only.
std::shared_ptr<const JoinPlan> PlanJoin(Connection& connection, const std::string& text,
                                         const std::vector<sql::SourceKey>& sources,
                                         std::vector<RecordsetColumn>& columns, bool consistent);

// SQLite text over a plan: the tables as "j0", "j1", ... joined from the root outwards with
// LEFT JOINs, so a root row reads with whatever its links find now (Null where they find none).
std::string JoinFromSql(const JoinPlan& plan);
// "jN"."field" of COLUMNS in order.
std::string JoinColumnsSql(const JoinPlan& plan, const std::vector<RecordsetColumn>& columns);
// The alias of table I in JoinFromSql.
std::string JoinAlias(std::size_t i);

}  // namespace qb::jet
