// cli/script_splitter: cuts a script of Jet SQL statements at the ";" that end them: outside
// 'strings', "strings", [names] and #date# literals; the ";" that closes a PARAMETERS
// declaration belongs to its statement. Text only; never parses the statements.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qb::cli {

struct ScriptStatement {
  std::string text;  // without its ending ";", trimmed
  int line = 1;      // the line (from 1) where the statement starts
  int column = 1;    // the column (from 1, in bytes) where it starts on that line
};

// The statements of SCRIPT in order; blank ones (";;") are left out, and the last statement
// needs no ";". Raises std::runtime_error naming the line and column where a string, name or
// date literal opens that is never closed.
std::vector<ScriptStatement> SplitScript(std::string_view script);

}  // namespace qb::cli
