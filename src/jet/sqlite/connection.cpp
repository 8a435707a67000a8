// jet/sqlite/connection: opening, keying and running SQL on one SQLite connection, and the
// transaction guard. Every failure goes out through RaiseSqliteError.
#include "jet/sqlite/connection.h"

#include <sqlcipher/sqlite3.h>

#include "jet/errors.h"
#include "jet/sqlite/sqlite_error.h"

static_assert(SQLITE_VERSION_NUMBER == 3015002, "the engine is built for SQLCipher's SQLite 3.15.2");

namespace qb::jet {
namespace {

int OpenFlags(OpenMode mode) {
  switch (mode) {
    case OpenMode::kReadOnly:
      return SQLITE_OPEN_READONLY;
    case OpenMode::kReadWrite:
      return SQLITE_OPEN_READWRITE;
    case OpenMode::kCreate:
      return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  }
  return SQLITE_OPEN_READONLY;
}

}  // namespace

Connection::Connection(const std::string& path, OpenMode mode, const CipherKey& key,
                       const EngineSettings& settings)
    : path_(path) {
  int rc = sqlite3_open_v2(path.c_str(), &db_, OpenFlags(mode) | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close_v2(db_);  // a handle is returned even on failure
    db_ = nullptr;
    RaiseSqliteError(rc, path_);
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, settings.busy_timeout_ms);
  if (!key.IsNone()) {
    const std::string& material = key.Material();
    rc = sqlite3_key(db_, material.data(), static_cast<int>(material.size()));
    if (rc == SQLITE_OK && key.GetKind() == CipherKey::Kind::kPassword) {
      rc = sqlite3_exec(db_, ("PRAGMA kdf_iter = " + std::to_string(settings.password_kdf_iterations)).c_str(),
                        nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
      sqlite3_close_v2(db_);
      db_ = nullptr;
      RaiseSqliteError(rc, path_);
    }
  }
}

Connection::~Connection() { sqlite3_close_v2(db_); }

bool Connection::IsReadable() {
  int rc = sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK) return true;
  if ((rc & 0xff) == SQLITE_NOTADB) return false;
  Raise(rc);
}

void Connection::Exec(std::string_view sql) {
  std::string text(sql);
  int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) Raise(rc);
}

Statement Connection::Prepare(std::string_view sql) {
  sqlite3_stmt* statement = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(statement);
    Raise(rc);
  }
  return Statement(*this, statement);
}

void Connection::SetWalMode() {
  Statement pragma = Prepare("PRAGMA journal_mode = WAL");
  if (!pragma.Step() || pragma.ColumnText(0) != "wal") {
    RaiseJetError(err::kCannotOpenFile, "The file '" + path_ + "' cannot use write-ahead logging.");
  }
}

bool Connection::HasTable(std::string_view name) {
  Statement query = Prepare("SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ?1");
  query.Bind(1, name);
  return query.Step();
}

std::int64_t Connection::LastInsertRowId() const { return sqlite3_last_insert_rowid(db_); }

int Connection::Changes() const { return sqlite3_changes(db_); }

void Connection::Raise(int code) const { RaiseSqliteError(code, path_, db_ ? sqlite3_errmsg(db_) : ""); }

Transaction::Transaction(Connection& connection) : connection_(connection) {
  connection_.Exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
  if (done_) return;
  try {
    connection_.Exec("ROLLBACK");
  } catch (...) {
    // A failed rollback leaves the transaction to SQLite, which rolls it back on close.
  }
}

void Transaction::Commit() {
  connection_.Exec("COMMIT");
  done_ = true;
}

}  // namespace qb::jet
