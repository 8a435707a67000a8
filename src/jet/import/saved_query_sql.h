// jet/import/saved_query_sql: the Jet SQL of a saved query of a genuine file, rebuilt from the
// rows the file keeps for it instead of its text: one row per part (the kind, each parameter,
// source table, output column, join, condition, grouping and sort key).
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace qb::jet::import {

// One row of a saved query's definition, as the file keeps it.
struct QueryRow {
  int attribute = 0;      // which part (QueryPart)
  std::string order;      // sorts the rows of one part (compared byte by byte)
  std::string name1, name2, expression;
  std::int64_t flag = 0;  // 0 where the file has none
};

// The parts' numbers (QueryRow::attribute).
enum QueryPart : int {
  kPartKind = 1,       // flag: QueryKind; name1: an action's target table; expression: DDL text
  kPartParameter = 2,  // name1: name; flag: its object-model type
  kPartFlags = 3,      // flag: the select flags below; name1: the TOP count
  kPartRemote = 4,     // a source in another database file
  kPartTable = 5,      // name1: table or query; name2: alias; expression: a union's part
  kPartColumn = 6,     // expression; name1: alias; name2: an action's target field; flag: crosstab role
  kPartJoin = 7,       // name1, name2: the joined sources; expression: ON; flag: 1 inner, 2 left, 3 right
  kPartWhere = 8,
  kPartGroupBy = 9,  // flag: crosstab role
  kPartHaving = 10,
  kPartOrderBy = 11,  // name1 "D": descending
};

enum QueryKind : int {
  kKindSelect = 1, kKindMakeTable = 2, kKindAppend = 3, kKindUpdate = 4, kKindDelete = 5, kKindCrosstab = 6,
  kKindDdl = 7, kKindPassThrough = 8, kKindUnion = 9,
};

// Raised (with the reason) for a query this rebuilding cannot express.
class QueryNotRebuilt : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The Jet SQL of the query with ROWS (in any order). OBJECT_FLAGS: the flags of the query's
// entry among the file's objects, which tell its kind where the rows have no kPartKind row (as
// in files of later versions). Raises QueryNotRebuilt.
std::string SavedQuerySql(std::vector<QueryRow> rows, std::int64_t object_flags = 0);

}  // namespace qb::jet::import
