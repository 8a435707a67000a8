// jet/sqlite/statement: binding, stepping and column reads of one compiled statement; failures
// go out through the owning connection's error mapping.
#include "jet/sqlite/statement.h"

#include <sqlcipher/sqlite3.h>

#include <utility>

#include "jet/sqlite/column_value.h"
#include "jet/sqlite/connection.h"

static_assert(SQLITE_VERSION_NUMBER == 3015002, "the engine is built for SQLCipher's SQLite 3.15.2");

namespace qb::jet {

Statement::Statement(Statement&& other) noexcept
    : connection_(other.connection_), statement_(std::exchange(other.statement_, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(statement_);
    connection_ = other.connection_;
    statement_ = std::exchange(other.statement_, nullptr);
  }
  return *this;
}

Statement::~Statement() { sqlite3_finalize(statement_); }

Statement& Statement::Bind(int index, std::int64_t value) {
  int rc = sqlite3_bind_int64(statement_, index, value);
  if (rc != SQLITE_OK) connection_->Raise(rc);
  return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
  int rc = sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  if (rc != SQLITE_OK) connection_->Raise(rc);
  return *this;
}

Statement& Statement::BindDouble(int index, double value) {
  int rc = sqlite3_bind_double(statement_, index, value);
  if (rc != SQLITE_OK) connection_->Raise(rc);
  return *this;
}

Statement& Statement::BindBlob(int index, std::string_view bytes) {
  int rc = sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
  if (rc != SQLITE_OK) connection_->Raise(rc);
  return *this;
}

Statement& Statement::BindNull(int index) {
  int rc = sqlite3_bind_null(statement_, index);
  if (rc != SQLITE_OK) connection_->Raise(rc);
  return *this;
}

bool Statement::Step() {
  int rc = sqlite3_step(statement_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3_reset(statement_);
  connection_->Raise(rc);
}

void Statement::Run() {
  while (Step()) {
  }
}

void Statement::Reset() { sqlite3_reset(statement_); }

void Statement::ClearBindings() {
  if (statement_) sqlite3_clear_bindings(statement_);  // SQLite does not take a null statement here
}

std::int64_t Statement::ColumnInt(int column) const { return sqlite3_column_int64(statement_, column); }

double Statement::ColumnDouble(int column) const { return sqlite3_column_double(statement_, column); }

std::string Statement::ColumnText(int column) const {
  const unsigned char* text = sqlite3_column_text(statement_, column);
  int size = sqlite3_column_bytes(statement_, column);
  return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size)) : std::string();
}

std::string Statement::ColumnBlob(int column) const {
  const void* data = sqlite3_column_blob(statement_, column);
  int size = sqlite3_column_bytes(statement_, column);
  return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size)) : std::string();
}

bool Statement::ColumnIsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

Variant Statement::ColumnValue(int column, int dao_type) const { return jet::ColumnValue(statement_, column, dao_type); }

}  // namespace qb::jet
