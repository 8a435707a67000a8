// jet/sql/statement_parser: ParseStatement, which reads a statement's first word and hands the
// rest to the grammar of that statement kind. Query grammars plug in here as they land.
#include "jet/sql/ddl_parser.h"
#include "jet/sql/parser.h"
#include "jet/sql/sql_errors.h"

namespace qb::jet::sql {

ParsedStatement ParseStatement(std::string_view text) {
  Parser parser(text, SqlClause{sqlerr::kInvalidStatement, "statement"});
  const Token& first = parser.Peek();
  ParsedStatement statement;
  if (first.IsKeyword("CREATE")) {
    statement = ParseCreateStatement(parser);
  } else if (first.IsKeyword("ALTER")) {
    statement = ParseAlterTable(parser);
  } else if (first.IsKeyword("DROP")) {
    statement = ParseDropStatement(parser);
  } else if (first.IsKeyword("SELECT") || first.IsKeyword("INSERT") ||
             first.IsKeyword("UPDATE") || first.IsKeyword("DELETE") ||
             first.IsKeyword("TRANSFORM") || first.IsKeyword("PARAMETERS") ||
             first.IsKeyword("TABLE") || first.IsPunct('(')) {
    RaiseSqlError(sqlerr::kNotSupported,
                  "Query statements (" + first.text + " ...) cannot be run by this engine yet.");
  } else {
    parser.FailAt(first.pos,
                  "expected CREATE, ALTER, DROP, SELECT, INSERT, UPDATE, DELETE, PARAMETERS or "
                  "TRANSFORM but found " + DescribeToken(first));
  }
  parser.ExpectEndOfStatement();
  return statement;
}

}  // namespace qb::jet::sql
