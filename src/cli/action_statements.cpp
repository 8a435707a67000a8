// cli/action_statements: the Execute option quill chooses and the report of skipped rows.
#include "cli/action_statements.h"

#include <iostream>

#include "jet/dao/database.h"
#include "jet/dao/database_statements.h"

namespace qb::cli {

const char* const kSkipFailingHelp =
    "  --skip-failing       skip the rows that break a rule (a key, Required, a size, a validation\n"
    "                       rule, a relationship, a value that does not convert) and write the\n"
    "                       others; how many were skipped, and why, is written on standard error.\n"
    "                       Without it the first such row fails the statement, which changes\n"
    "                       nothing\n";

int RunActionStatement(jet::Database& database, std::string_view jet_sql, const std::vector<Variant>& values,
                       bool skip_failing) {
  jet::SkippedRows skipped;
  const int options = skip_failing ? 0 : jet::recordset_option::kFailOnError;
  const int written = jet::ExecuteStatement(database, jet_sql, values, options, &skipped);
  ReportSkipped(skipped);
  return written;
}

void ReportSkipped(const jet::SkippedRows& skipped) {
  if (skipped.count == 0) return;
  std::cerr << "quill: " << (skipped.count_known ? "" : "at least ") << skipped.count
            << (skipped.count == 1 ? " record was" : " records were") << " skipped:\n";
  for (const jet::SkippedRows::Reason& reason : skipped.reasons) {
    std::string message = reason.message;
    for (char& c : message) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    std::cerr << "  " << reason.count << (skipped.count_known ? "" : " or more") << ": " << message << '\n';
  }
  std::cerr.flush();
}

}  // namespace qb::cli
