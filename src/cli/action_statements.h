// cli/action_statements: how quill runs an action statement: all or nothing (the engine's
// dbFailOnError) unless the user asks for the engine's skipping of rows that break a rule, and
// then what was skipped, and why, on standard error.
#pragma once
#include <string_view>
#include <vector>

#include "com/variant.h"

namespace qb::jet {
class Database;
struct SkippedRows;
}  // namespace qb::jet

namespace qb::cli {

// The help text of --skip-failing, as the commands that take it describe it.
extern const char* const kSkipFailingHelp;

// Runs the statement JET_SQL (an action, DDL or a saved action query's name) with parameter
// VALUES on DATABASE and returns the records written. Without SKIP_FAILING the first row that
// breaks a rule fails the statement, which changes nothing; with it such rows are skipped and
// reported (ReportSkipped). Raises the engine's error.
int RunActionStatement(jet::Database& database, std::string_view jet_sql, const std::vector<Variant>& values,
                       bool skip_failing);

// Writes SKIPPED on standard error, when it holds a row: how many rows, and for each reason the
// count and the first row's message.
void ReportSkipped(const jet::SkippedRows& skipped);

}  // namespace qb::cli
