// jet/sql/parse/sql_errors: the helpers that build the Jet SQL layer's error messages, syntax errors
// naming the clause and the position among them. The numbers are in jet/base/errors.h.
#pragma once
#include <string>
#include <string_view>

#include "jet/sql/parse/token.h"
#include "jet/base/errors.h"

namespace qb::jet::sql {

// "line 2, column 7".
std::string PositionText(const SourcePos& pos);

// Raises EOleException NUMBER with the message "Syntax error in CLAUSE at line L, column C:
// DETAIL." CLAUSE names the statement part ("CREATE TABLE statement", "query expression").
[[noreturn]] void RaiseSyntaxError(int number, std::string_view clause, const SourcePos& pos,
                                   std::string_view detail);

// Raises EOleException NUMBER with MESSAGE as it stands (runtime errors of the functions).
[[noreturn]] void RaiseSqlError(int number, std::string_view message);

}  // namespace qb::jet::sql
