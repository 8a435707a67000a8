// jet/sql/parse/statement_parser: ParseStatement, which reads a statement's first word and hands the
// rest to the grammar of that statement kind (DDL or query).
#include "jet/sql/parse/ddl_parser.h"
#include "jet/sql/parse/parser.h"
#include "jet/sql/parse/query_parser.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {

ParsedStatement ParseStatement(std::string_view text) {
  Parser parser(text, SqlClause{err::kInvalidStatement, "statement"});
  const Token& first = parser.Peek();
  ParsedStatement statement;
  if (first.IsKeyword("CREATE")) {
    statement = ParseCreateStatement(parser);
  } else if (first.IsKeyword("ALTER")) {
    statement = ParseAlterTable(parser);
  } else if (first.IsKeyword("DROP")) {
    statement = ParseDropStatement(parser);
  } else if (StartsQueryStatement(first)) {
    statement = ParseQueryStatement(parser);
  } else {
    parser.FailAt(first.pos,
                  "expected CREATE, ALTER, DROP, SELECT, INSERT, UPDATE, DELETE, PARAMETERS or "
                  "TRANSFORM but found " + DescribeToken(first));
  }
  parser.ExpectEndOfStatement();
  return statement;
}

}  // namespace qb::jet::sql
