// jet/dao/database_statements: each call handed to query/ with the database's open file.
#include "jet/dao/database_statements.h"

#include "jet/base/errors.h"

namespace qb::jet {
namespace {

// The open file of DATABASE; Jet SQL has no file to run on in a data source.
DatabaseFile& FileOf(Database& database) {
  if (!database.File()) {
    RaiseJetError(err::kNotForThisObject, "This is an ODBC data source; Jet SQL runs on database files only.");
  }
  return *database.File();
}

}  // namespace

int ExecuteStatement(Database& database, std::string_view jet_sql, const std::vector<Variant>& values, int options,
                     SkippedRows* skipped) {
  return ExecuteStatement(FileOf(database), jet_sql, values, options, skipped);
}

std::unique_ptr<QueryCursor> OpenQueryCursor(Database& database, std::string_view jet_sql,
                                             const std::vector<Variant>& values) {
  return std::make_unique<QueryCursor>(FileOf(database), jet_sql, values);
}

QueryRows ReadQueryRows(Database& database, std::string_view jet_sql, const std::vector<Variant>& values,
                        int max_records) {
  return ReadQueryRows(FileOf(database), jet_sql, values, max_records);
}

std::shared_ptr<const sql::TranslatedQuery> TranslateStatement(Database& database, std::string_view jet_sql) {
  return FileOf(database).Translate(jet_sql);
}

}  // namespace qb::jet
