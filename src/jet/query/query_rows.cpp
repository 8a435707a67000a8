// jet/query/query_rows: one statement stepped to its end (or its record limit) and reset at once.
#include "jet/query/query_rows.h"

#include <sqlcipher/sqlite3.h>

#include "jet/sqlite/column_value.h"
#include "jet/query/database_file.h"
#include "jet/base/errors.h"
#include "jet/sql/translate/parameter_binding.h"
#include "jet/sql/parse/sql_errors.h"
#include "jet/sqlite/connection.h"
#include "jet/sqlite/statement_cache.h"

namespace qb::jet {
namespace {

using sql::QueryKind;

}  // namespace

std::shared_ptr<const sql::TranslatedQuery> TranslateToRun(DatabaseFile& database, std::string_view jet_sql,
                                                           const std::vector<Variant>& values) {
  std::shared_ptr<const sql::TranslatedQuery> query = database.Translate(jet_sql);
  if (!query->NeedsPivotValues()) return query;
  sql::CheckParameterValues(*query, values);
  std::vector<Variant> pivots;
  {
    ResetOnExit statement(database.Statements().Get(query->pivot_values_sql));
    sql::BindParameters(statement->Handle(), values);
    while (statement->Step()) pivots.push_back(StoredColumnValue(statement->Handle(), 0));
  }
  return database.TranslateCrosstab(jet_sql, pivots);
}

QueryRows ReadQueryRows(DatabaseFile& database, std::string_view jet_sql, const std::vector<Variant>& values,
                        int max_records) {
  std::shared_ptr<const sql::TranslatedQuery> query = database.Translate(jet_sql);
  if (query->kind != QueryKind::kSelect && query->kind != QueryKind::kUnion && query->kind != QueryKind::kCrosstab) {
    RaiseJetError(err::kInvalidOperation, "The statement is an action or data-definition query: it returns no records.");
  }
  sql::CheckParameterValues(*query, values);
  query = TranslateToRun(database, jet_sql, values);
  QueryRows result;
  result.columns = query->columns;
  ResetOnExit statement(database.Statements().Get(query->sql));
  sql::BindParameters(statement->Handle(), values);
  sqlite3_stmt* handle = statement->Handle();
  const int width = std::min(sqlite3_column_count(handle), static_cast<int>(result.columns.size()));
  while ((max_records <= 0 || result.rows.size() < static_cast<std::size_t>(max_records)) && statement->Step()) {
    std::vector<Variant> row;
    row.reserve(result.columns.size());
    for (int i = 0; i < width; ++i) row.push_back(ColumnValue(handle, i, result.columns[static_cast<std::size_t>(i)].dao_type));
    row.resize(result.columns.size(), Variant::Null());
    result.rows.push_back(std::move(row));
  }
  return result;
}

}  // namespace qb::jet
