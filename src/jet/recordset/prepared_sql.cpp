// jet/recordset/prepared_sql: statements kept by recordsets, always left reset.
#include "jet/recordset/prepared_sql.h"

#include <sqlcipher/sqlite3.h>

#include <utility>

#include "jet/sqlite/connection.h"
#include "jet/sqlite/sqlite_error.h"

namespace qb::jet {

PreparedSql::PreparedSql(Connection& connection, const std::string& sql) : connection_(&connection) {
  const int rc = sqlite3_prepare_v2(connection.Handle(), sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr);
  if (rc != SQLITE_OK) {
    const std::string message = sqlite3_errmsg(connection.Handle());
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    RaiseSqliteError(rc, connection.Path(), message);
  }
}

PreparedSql::~PreparedSql() { sqlite3_finalize(stmt_); }

PreparedSql::PreparedSql(PreparedSql&& other) noexcept
    : connection_(other.connection_), stmt_(std::exchange(other.stmt_, nullptr)) {}

PreparedSql& PreparedSql::operator=(PreparedSql&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(stmt_);
    connection_ = other.connection_;
    stmt_ = std::exchange(other.stmt_, nullptr);
  }
  return *this;
}

bool PreparedSql::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  const std::string message = sqlite3_errmsg(connection_->Handle());
  Reset();
  RaiseSqliteError(rc, connection_->Path(), message);
}

void PreparedSql::Reset() {
  if (!stmt_) return;
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

DataStamp ReadDataStamp(Connection& connection, PreparedSql& pragma_sql) {
  if (!pragma_sql.IsPrepared()) pragma_sql = PreparedSql(connection, "PRAGMA data_version");
  ResetOnExit reset(pragma_sql);
  DataStamp stamp;
  if (pragma_sql.Step()) stamp.others = sqlite3_column_int64(pragma_sql.Handle(), 0);
  stamp.own = sqlite3_total_changes(connection.Handle());
  return stamp;
}

}  // namespace qb::jet
