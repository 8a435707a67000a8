// jet/sql/parser: the public entry points of the Jet SQL parser: text in, parse tree out.
// Parses only; resolving names and translating to SQLite happen in later stages.
#pragma once
#include <string_view>

#include "jet/sql/parsed_expr.h"
#include "jet/sql/parsed_statement.h"

namespace qb::jet::sql {

// Deepest nesting of parentheses, prefix operators and operator chains an expression may have.
inline constexpr int kMaxExpressionDepth = 200;

// The expression TEXT holds (a criteria string, a default value, a validation rule); TEXT must
// hold nothing else. The caller owns the tree. Raises EOleException 3075 naming the position for
// a syntax error (a malformed date literal included) and 3071 when the expression nests deeper
// than kMaxExpressionDepth.
ParsedExprPtr ParseExpression(std::string_view text);

// The statement TEXT holds, with an optional trailing ";". Raises EOleException with the
// number of the clause at fault, naming it and the position: 3290 CREATE TABLE, 3292 field
// definition, 3289 CONSTRAINT, 3293 ALTER TABLE, 3291 CREATE INDEX, 3295 DROP, 3142 text after
// the end of the statement, 3129 for text that starts no statement, 3251 for query statements
// (SELECT, INSERT, UPDATE, DELETE, TRANSFORM, PARAMETERS), which this parser does not read yet.
ParsedStatement ParseStatement(std::string_view text);

}  // namespace qb::jet::sql
