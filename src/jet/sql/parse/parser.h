// jet/sql/parse/parser: the public entry points of the Jet SQL parser: text in, parse tree out.
// Parses only; resolving names and translating to SQLite happen in later stages.
#pragma once
#include <string_view>

#include "jet/sql/parse/parsed_expr.h"
#include "jet/sql/parse/parsed_statement.h"

namespace qb::jet::sql {

// Deepest nesting of parentheses, prefix operators and operator chains an expression may have.
inline constexpr int kMaxExpressionDepth = 200;

// The expression TEXT holds (a criteria string, a default value, a validation rule); TEXT must
// hold nothing else. The caller owns the tree. Raises EOleException 3075 naming the position for
// a syntax error (a malformed date literal included) and 3071 when the expression nests deeper
// than kMaxExpressionDepth.
ParsedExprPtr ParseExpression(std::string_view text);

// A field's validation rule: an expression in which a comparison may leave out its left
// operand, which is then the field FIELD ("> 0", "Like 'x*' Or Like 'f*'", ">= 0 And <= 100",
// "Between 1 And 5", "Not In ('a', 'b')", "Is Not Null"). Raises as ParseExpression.
ParsedExprPtr ParseFieldRule(std::string_view text, const std::string& field);

// The statement TEXT holds, with an optional trailing ";". Raises EOleException with the
// number of the clause at fault, naming it and the position: 3290 CREATE TABLE, 3292 field
// definition, 3289 CONSTRAINT, 3293 ALTER TABLE, 3291 CREATE INDEX, 3295 DROP; for queries 3141
// SELECT, 3131 FROM, 3135 JOIN, 3145 WHERE, 3132 GROUP BY, 3133 HAVING, 3138 ORDER BY, 3319
// UNION, 3139 PARAMETERS (3137 for its missing ";"), 3143 TRANSFORM, 3134 INSERT INTO, 3144
// UPDATE, 3130 DELETE, 3075 inside an expression, 3308 for a bad TOP argument; 3142 for text
// after the end of the statement and 3129 for text that starts no statement.
ParsedStatement ParseStatement(std::string_view text);

}  // namespace qb::jet::sql
