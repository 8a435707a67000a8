// app/sqlquery/statement_kind: what the SQL query window reads from a statement text and from
// the engine's answer to it: whether the text is a query (its first word is SELECT) or declares
// parameters (PARAMETERS), and where in the text a syntax error stands. Pure text rules; no
// window.
#pragma once
#include <optional>
#include <string>

namespace qb {

// The characters that separate words when the statement is classified.
inline constexpr char kStatementSeparators[] = " ,;()=\n\r\t";

// True when the first word of TEXT (leading separators skipped, separators at its ends
// trimmed) is SELECT in any case. Anything else, an empty text included, is an action statement.
bool IsQueryStatement(const std::string& text);

// True when the first word of TEXT, taken as IsQueryStatement takes it, is PARAMETERS in any
// case: the statement declares parameters, which take values only through a query definition.
bool DeclaresParameters(const std::string& text);

// A place in the statement text: line and column, both from 1.
struct TextPosition {
  int line = 0;
  int column = 0;
};

// The place an engine error MESSAGE names as "... at line L, column C ..."; nullopt when it
// names none (or numbers out of range).
std::optional<TextPosition> ErrorPosition(const std::string& message);

}  // namespace qb
