// jet/sqlite/connection: opening, keying and running SQL on one SQLite connection, and the
// transaction guard. Every failure goes out through RaiseSqliteError.
#include "jet/sqlite/connection.h"

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <utility>

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
    : path_(path), busy_timeout_ms_(settings.busy_timeout_ms), on_lock_wait_(settings.on_lock_wait) {
  int rc = sqlite3_open_v2(path.c_str(), &db_, OpenFlags(mode) | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close_v2(db_);  // a handle is returned even on failure
    db_ = nullptr;
    RaiseSqliteError(rc, path_);
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_handler(db_, &Connection::WaitForLock, this);
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

int Connection::WaitForLock(void* connection, int tries) {
  // Short pauses first, as most writes end quickly, then a tenth of a second at a time, until
  // the busy timeout is used up.
  static constexpr int kPausesMs[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
  constexpr int kPauses = static_cast<int>(sizeof kPausesMs / sizeof kPausesMs[0]);
  auto* self = static_cast<Connection*>(connection);
  if (tries == 0) {
    self->waited_ms_ = 0;
    if (self->on_lock_wait_) self->on_lock_wait_();
  }
  const int pause = std::min(tries < kPauses ? kPausesMs[tries] : kPausesMs[kPauses - 1],
                             self->busy_timeout_ms_ - self->waited_ms_);
  if (pause <= 0) return 0;
  sqlite3_sleep(pause);
  self->waited_ms_ += pause;
  return 1;
}

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

bool Connection::InTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

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

WriteSavepoint::WriteSavepoint(Connection& connection, std::string name)
    : connection_(connection), name_(std::move(name)), outermost_(!connection.InTransaction()) {
  connection_.Exec(outermost_ ? "BEGIN IMMEDIATE" : "SAVEPOINT " + name_);
}

WriteSavepoint::~WriteSavepoint() {
  if (done_) return;
  try {
    connection_.Exec(outermost_ ? "ROLLBACK" : "ROLLBACK TO " + name_ + "; RELEASE " + name_);
  } catch (...) {
    // What cannot be undone here is undone when the connection closes; the failure that
    // brought us here is what the caller sees.
  }
}

void WriteSavepoint::Release() {
  connection_.Exec(outermost_ ? "COMMIT" : "RELEASE " + name_);
  done_ = true;
}

}  // namespace qb::jet
