// jet/sql/parse/sql_errors: builds the Jet SQL layer's error messages; raising itself is left to
// jet/errors so that every engine error has one shape.
#include "jet/sql/parse/sql_errors.h"

#include "jet/base/errors.h"

namespace qb::jet::sql {

std::string PositionText(const SourcePos& pos) {
  return "line " + std::to_string(pos.line) + ", column " + std::to_string(pos.column);
}

void RaiseSyntaxError(int number, std::string_view clause, const SourcePos& pos,
                      std::string_view detail) {
  std::string message = "Syntax error in ";
  message += clause;
  message += " at ";
  message += PositionText(pos);
  message += ": ";
  message += detail;
  message += '.';
  RaiseJetError(number, message);
}

void RaiseSqlError(int number, std::string_view message) { RaiseJetError(number, message); }

}  // namespace qb::jet::sql
