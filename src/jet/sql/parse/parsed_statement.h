// jet/sql/parse/parsed_statement: the parse trees of whole Jet SQL statements: the DDL statements
// here, the query statements in parsed_query.h. Names are as written, unresolved.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "jet/base/jet_types.h"
#include "jet/sql/parse/parsed_expr.h"
#include "jet/sql/parse/parsed_query.h"

namespace qb::jet::sql {

// A column's type as written: "TEXT(50)", "COUNTER(100, 5)".
struct ParsedColumnType {
  std::string name;           // as written ("varchar")
  JetTypeName type;           // what it maps to
  std::optional<int> size;    // "(n)" of a sized type; nullopt when omitted
  std::optional<std::int32_t> seed, increment;  // COUNTER(seed, increment)
  // The size in effect: SIZE when given, else the type's default (0 for unsized types).
  int EffectiveSize() const { return size ? *size : type.default_size; }
};

enum class ParsedConstraintKind { kPrimaryKey, kUnique, kNotNull, kForeignKey };

// A CONSTRAINT clause. Column-level clauses leave COLUMNS empty (the column they follow is
// meant); unnamed ones ("PRIMARY KEY" without CONSTRAINT name) leave NAME empty.
struct ParsedConstraint {
  SourcePos pos;
  std::string name;
  ParsedConstraintKind kind = ParsedConstraintKind::kPrimaryKey;
  std::vector<std::string> columns;
  std::string referenced_table;               // kForeignKey
  std::vector<std::string> referenced_columns;  // empty: the referenced table's primary key
};

struct ParsedColumnDef {
  SourcePos pos;
  std::string name;
  ParsedColumnType type;
  bool not_null = false;
  std::optional<std::string> default_value;   // DEFAULT expr, the expression as written
  std::vector<ParsedConstraint> constraints;  // column-level clauses, in order
};

struct ParsedCreateTable {
  SourcePos pos;
  std::string table;
  std::vector<ParsedColumnDef> columns;
  std::vector<ParsedConstraint> constraints;  // table-level (multi-field) clauses
};

struct ParsedAlterTable {
  enum class Action { kAddColumn, kAlterColumn, kDropColumn, kAddConstraint, kDropConstraint };
  SourcePos pos;
  std::string table;
  Action action = Action::kAddColumn;
  std::optional<ParsedColumnDef> column;        // kAddColumn, kAlterColumn
  std::optional<ParsedConstraint> constraint;   // kAddConstraint
  std::string name;                             // kDropColumn, kDropConstraint
};

struct ParsedDropTable {
  SourcePos pos;
  std::string table;
};

struct ParsedIndexColumn {
  std::string name;
  bool descending = false;
};

struct ParsedCreateIndex {
  SourcePos pos;
  std::string name;
  std::string table;
  bool unique = false;
  std::vector<ParsedIndexColumn> columns;
  bool primary = false;        // WITH PRIMARY
  bool disallow_null = false;  // WITH DISALLOW NULL
  bool ignore_null = false;    // WITH IGNORE NULL
};

struct ParsedDropIndex {
  SourcePos pos;
  std::string name;
  std::string table;
};

// One statement: DDL, or a query statement (SELECT, UNION, TRANSFORM, INSERT, UPDATE, DELETE,
// with any PARAMETERS declarations). Move-only: query trees own their nodes.
using ParsedStatement = std::variant<ParsedCreateTable, ParsedAlterTable, ParsedDropTable,
                                     ParsedCreateIndex, ParsedDropIndex, ParsedQueryStatement>;

}  // namespace qb::jet::sql
