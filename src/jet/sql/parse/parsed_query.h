// jet/sql/parse/parsed_query: the parse trees of Jet query statements (SELECT, UNION, TRANSFORM,
// PARAMETERS, INSERT, UPDATE, DELETE, SELECT INTO), exactly as written. Names stay
// unresolved; the query translator gives them meaning.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "jet/sql/parse/parsed_expr.h"

namespace qb::jet::sql {

// One entry of a select list: an expression or a ParsedStar ("*", "t.*").
struct ParsedSelectItem {
  ParsedExprPtr expr;
  std::string alias;  // empty when none was given
};

struct ParsedOrderItem {
  ParsedExprPtr expr;
  bool descending = false;
};

// One FROM source: a table or saved query, a derived table, or a join of two sources.
struct ParsedSource {
  enum class Kind { kTable, kSubquery, kJoin };
  enum class Join { kInner, kLeft, kRight };
  SourcePos pos;
  Kind kind = Kind::kTable;
  std::string name;         // kTable: the table or saved query
  std::string alias;        // kTable, kSubquery; empty when none was given
  ParsedQueryPtr subquery;  // kSubquery
  Join join = Join::kInner;                  // kJoin
  std::unique_ptr<ParsedSource> left, right;  // kJoin
  ParsedExprPtr on;                           // kJoin
};
using ParsedSourcePtr = std::unique_ptr<ParsedSource>;

// One SELECT block.
struct ParsedSelect {
  enum class Predicate { kAll, kDistinct, kDistinctRow };
  SourcePos pos;
  Predicate predicate = Predicate::kAll;
  std::optional<double> top;  // TOP n (a positive whole number, or 0-100 with PERCENT)
  bool top_percent = false;
  std::vector<ParsedSelectItem> items;
  std::string into;                      // SELECT ... INTO table; empty otherwise
  std::vector<ParsedSourcePtr> from;     // comma-separated sources (a cross product)
  ParsedExprPtr where;
  std::vector<ParsedExprPtr> group_by;
  ParsedExprPtr having;
  std::vector<ParsedOrderItem> order_by;  // of this block (a union's trailing ORDER BY is apart)
};

// A SELECT, or the parts of a UNION. UNION_ALL[i] tells whether the operator before part i + 1
// was UNION ALL. ORDER_BY is the trailing ORDER BY of a union (empty for a single SELECT,
// whose ORDER BY stays in its part).
struct ParsedQuery {
  SourcePos pos;
  std::vector<ParsedSelect> parts;
  std::vector<bool> union_all;
  std::vector<ParsedOrderItem> order_by;
  bool IsUnion() const { return parts.size() > 1; }
};

// A PARAMETERS declaration entry.
struct ParsedParameter {
  SourcePos pos;
  std::string name;
  std::string type_name;  // as written ("DateTime", "Value")
  int dao_type = 0;       // the DAO type code; Value declares a Text-reported untyped parameter
};

struct ParsedTransform {
  ParsedExprPtr aggregate;  // the cell value
  std::string alias;        // "TRANSFORM Sum(x) AS Amount": names the value; the pivot values name the columns
  ParsedSelect select;      // row headings, FROM, WHERE, GROUP BY, ORDER BY
  ParsedExprPtr pivot;
  std::vector<ParsedExprPtr> pivot_in;  // empty: every distinct value
};

struct ParsedInsert {
  SourcePos pos;
  std::string table;
  std::vector<std::string> columns;   // empty: every column in order
  std::vector<ParsedExprPtr> values;  // VALUES (...); empty when SELECT is given
  ParsedQueryPtr select;
};

struct ParsedAssignment {
  std::unique_ptr<ParsedName> column;
  ParsedExprPtr value;
};

struct ParsedUpdate {
  SourcePos pos;
  ParsedSourcePtr target;  // a table or a join
  std::vector<ParsedAssignment> assignments;
  ParsedExprPtr where;
};

struct ParsedDelete {
  SourcePos pos;
  std::string target;  // "t" of "DELETE t.*"; empty for "DELETE [*]"
  std::vector<ParsedSourcePtr> from;
  ParsedExprPtr where;
};

// A query statement with its PARAMETERS declarations.
struct ParsedQueryStatement {
  std::vector<ParsedParameter> parameters;
  std::variant<ParsedQuery, ParsedTransform, ParsedInsert, ParsedUpdate, ParsedDelete> body;
};

}  // namespace qb::jet::sql
