// jet/sql/parse/query_parser: the grammar of query statements (PARAMETERS, SELECT, UNION, TRANSFORM,
// INSERT, UPDATE, DELETE), run by ParseStatement once it has seen the first word. Internal to
// jet/sql; builds parse trees only.
#pragma once
#include "jet/sql/parse/parsed_query.h"
#include "jet/sql/parse/parser_core.h"

namespace qb::jet::sql {

// Reads a query statement from its first word up to, not including, the end of the statement.
// Raises the syntax error of the clause at fault (see parser.h).
ParsedQueryStatement ParseQueryStatement(Parser& parser);

// True when TOKEN starts a query statement.
bool StartsQueryStatement(const Token& token);

}  // namespace qb::jet::sql
