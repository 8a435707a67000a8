// jet/sql/parse/ddl_parser: the grammar of CREATE, ALTER and DROP statements, run by ParseStatement
// once it has seen the statement's first word. Internal to jet/sql.
#pragma once
#include "jet/sql/parse/parsed_statement.h"
#include "jet/sql/parse/parser_core.h"

namespace qb::jet::sql {

// Each reads its statement from the keyword on (CREATE, ALTER, DROP not yet taken) up to, not
// including, the end of the statement. Raise the clause's syntax error (see parser.h).
ParsedStatement ParseCreateStatement(Parser& parser);
ParsedStatement ParseAlterTable(Parser& parser);
ParsedStatement ParseDropStatement(Parser& parser);

}  // namespace qb::jet::sql
