// jet/query/query_cursor: one statement of its own (not a cached one, which others may reset), stepped
// on demand.
#include "jet/query/query_cursor.h"

#include <sqlcipher/sqlite3.h>

#include <algorithm>

#include "jet/sqlite/column_value.h"
#include "jet/query/database_file.h"
#include "jet/base/errors.h"
#include "jet/query/query_rows.h"
#include "jet/sql/translate/parameter_binding.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

using sql::QueryKind;

std::shared_ptr<const sql::TranslatedQuery> RowQuery(DatabaseFile& database, std::string_view jet_sql,
                                                     const std::vector<Variant>& values) {
  std::shared_ptr<const sql::TranslatedQuery> query = database.Translate(jet_sql);
  if (query->kind != QueryKind::kSelect && query->kind != QueryKind::kUnion && query->kind != QueryKind::kCrosstab) {
    RaiseJetError(err::kInvalidOperation, "The statement is an action or data-definition query: it returns no records.");
  }
  return TranslateToRun(database, jet_sql, values);
}

}  // namespace

QueryCursor::QueryCursor(DatabaseFile& database, std::string_view jet_sql, const std::vector<Variant>& values)
    : query_(RowQuery(database, jet_sql, values)), statement_(database.EngineConnection(false).Prepare(query_->sql)) {
  sql::CheckParameterValues(*query_, values);
  sql::BindParameters(statement_.Handle(), values);
  width_ = std::min(sqlite3_column_count(statement_.Handle()), static_cast<int>(query_->columns.size()));
}

bool QueryCursor::Next(std::vector<Variant>& row) {
  if (done_) return false;
  if (!statement_.Step()) {
    done_ = true;
    statement_.Reset();  // ends the read at once rather than when the cursor goes
    return false;
  }
  row.resize(query_->columns.size());
  for (int i = 0; i < width_; ++i) {
    row[static_cast<std::size_t>(i)] = statement_.ColumnValue(i, query_->columns[static_cast<std::size_t>(i)].dao_type);
  }
  for (std::size_t i = static_cast<std::size_t>(width_); i < row.size(); ++i) row[i] = Variant::Null();
  return true;
}

}  // namespace qb::jet
