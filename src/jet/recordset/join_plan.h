// jet/recordset/join_plan: how the rows of a dynaset over a join map to the rows of its tables,
// so they can be read again by key and written back table by table.
//
// The tables form a tree of one-to-many links (equality joins whose "one" side's fields hold a
// unique index or the AutoNumber field). Its root is the table on the "many" end of every link
// (the order lines of orders, customers and products); each dynaset row is one root row with at
// most one row of every other table, so the root's rowid is the row's key.
//
// An outer join may keep rows of a "one" side without any root row (Customers LEFT JOIN Orders
// keeps customers without orders). That one side is the plan's anchor: a record with a root row
// is keyed by the root's rowid as usual, a record without one by the anchor's rowid moved into a
// band of keys below every rowid a table of this engine takes (AnchorKey), so every key stays 8
// bytes and still names one record. Internal to the recordset folder.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "jet/catalog/schema_model.h"
#include "jet/sql/translate/query_translator.h"

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
  bool anchored = false;          // the anchor or below it: read from the anchor's row when the
                                  // record has no root row
  std::string alias = std::string();  // how the statement's SQL names it (computed columns)
};

struct JoinPlan {
  std::vector<JoinTable> tables;  // the root first; every table after its parent
  std::vector<int> column_table;  // the table of each recordset column
  bool consistent = true;         // dbConsistent (the default) rather than dbInconsistent
  int anchor = -1;                // the kept one side when the root may be missing; else -1
  bool computed = false;          // some column is an expression (column_table -1)
};

// Keys of a record without a root row: the anchor's rowid R as kAnchorBase + R. Rowids here are
// Long AutoNumbers or SQLite's own (from 1 up), far inside +-2^61, so the band never meets a
// root rowid and differences of keys never overflow.
inline constexpr std::int64_t kAnchorBase = -(std::int64_t{1} << 62);
inline bool IsAnchorKey(std::int64_t key) { return key < -(std::int64_t{1} << 61); }
inline std::int64_t AnchorKey(std::int64_t anchor_rowid) { return kAnchorBase + anchor_rowid; }
inline std::int64_t AnchorRowid(std::int64_t key) { return key - kAnchorBase; }
// The smallest root key: keys from here up are root rowids.
inline constexpr std::int64_t kFirstRootKey = -(std::int64_t{1} << 61);

// The plan for the select TEXT whose translation keyed SOURCES (in FROM order) and returned
// COLUMNS, or nullptr when its rows cannot be written back: several FROM entries, a table named
// twice, a join condition other than equal fields of two tables, links that are not one tree
// of one-to-many links, an outer join that may leave the root without a row unless exactly one
// table next to the root is kept (the anchor) and every other table reached only through the
// root is on the outer side too, or a column that is neither a plain field nor an expression
// with its SQL (RecordsetColumn::expression). Marks the fields a consistent dynaset cannot change (the "one" side's link
// fields) read-only in COLUMNS and fills their base columns. Raises the parser's errors only.
std::shared_ptr<const JoinPlan> PlanJoin(Connection& connection, const std::string& text,
                                         const std::vector<sql::SourceKey>& sources,
                                         std::vector<RecordsetColumn>& columns, bool consistent);

// SQLite text over a plan: the tables as "j0", "j1", ... joined from the root outwards with
// LEFT JOINs, so a root row reads with whatever its links find now (Null where they find none).
// FROM_ANCHOR: only the anchored tables, from the anchor outwards (a record without a root row).
std::string JoinFromSql(const JoinPlan& plan, bool from_anchor = false);
// "jN"."field" of COLUMNS in order; FROM_ANCHOR: Null for the tables that are not anchored.
// An expression column is computed by a subquery that finds the statement's aliases again by
// the rowids of the tables in the record.
std::string JoinColumnsSql(const JoinPlan& plan, const std::vector<RecordsetColumn>& columns,
                           bool from_anchor = false);
// The alias of table I in JoinFromSql.
std::string JoinAlias(std::size_t i);
// The select's key of a joined row given the SQL of the root's and the anchor's rowids.
std::string JoinKeySql(const JoinPlan& plan, const std::string& root_rowid, const std::string& anchor_rowid);

// Each table's rowid in joined record KEY as the file holds it now (nullopt: no row of that
// table in the record). Raises kRecordDeleted when the record's root (or anchor) row is gone.
std::vector<std::optional<std::int64_t>> JoinRowIds(Connection& connection, const JoinPlan& plan, std::int64_t key);

}  // namespace qb::jet
