// jet/dao/database_statements: each call handed to query/ with the database's open file.
#include "jet/dao/database_statements.h"

namespace qb::jet {

int ExecuteStatement(Database& database, std::string_view jet_sql, const std::vector<Variant>& values, int options,
                     SkippedRows* skipped) {
  return ExecuteStatement(*database.File(), jet_sql, values, options, skipped);
}

std::unique_ptr<QueryCursor> OpenQueryCursor(Database& database, std::string_view jet_sql,
                                             const std::vector<Variant>& values) {
  return std::make_unique<QueryCursor>(*database.File(), jet_sql, values);
}

QueryRows ReadQueryRows(Database& database, std::string_view jet_sql, const std::vector<Variant>& values,
                        int max_records) {
  return ReadQueryRows(*database.File(), jet_sql, values, max_records);
}

std::shared_ptr<const sql::TranslatedQuery> TranslateStatement(Database& database, std::string_view jet_sql) {
  return database.File()->Translate(jet_sql);
}

}  // namespace qb::jet
