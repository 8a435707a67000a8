// jet/sqlite/connection: opening, keying and running SQL on one SQLite connection, and the
// transaction guard. Every failure goes out through RaiseSqliteError.
#include "jet/sqlite/connection.h"

#include <fcntl.h>
#include <sqlcipher/sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include <algorithm>
#include <utility>

#include "jet/base/errors.h"
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

// Room a reader needs for the companions of a logged file: the -shm grows to 32 KiB at once.
constexpr unsigned long long kCompanionRoom = 64 * 1024;

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

// Whether this process may write PATH (effective ids), judged without opening it: closing a
// descriptor of a file the process has open through SQLite would drop SQLite's locks on it.
WriteBarrier AccessBarrier(const std::string& path, bool folder) {
  if (::faccessat(AT_FDCWD, path.c_str(), folder ? W_OK | X_OK : W_OK, AT_EACCESS) == 0) return WriteBarrier::kNone;
  if (errno == EROFS) return WriteBarrier::kReadOnlyFileSystem;
  if (errno == EACCES || errno == EPERM) return WriteBarrier::kNoPermission;
  return WriteBarrier::kNone;  // missing and the like: the open itself reports it
}

// What keeps PATH, opened for writing, from being written or its companions from being made.
WriteBarrier BarrierOf(const std::string& path) {
  WriteBarrier barrier = AccessBarrier(path, false);
  if (barrier != WriteBarrier::kNone) return barrier;
  const std::string wal = path + "-wal", shm = path + "-shm";
  const bool has_wal = Exists(wal), has_shm = Exists(shm);
  if (has_wal && (barrier = AccessBarrier(wal, false)) != WriteBarrier::kNone) return barrier;
  if (has_shm && (barrier = AccessBarrier(shm, false)) != WriteBarrier::kNone) return barrier;
  if (has_wal && has_shm) return WriteBarrier::kNone;
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  if ((barrier = AccessBarrier(folder, true)) != WriteBarrier::kNone) return barrier;
  struct statvfs room {};
  if (::statvfs(folder.c_str(), &room) == 0) {
    const unsigned long long free_bytes = static_cast<unsigned long long>(room.f_bavail) * room.f_frsize;
    if (free_bytes < kCompanionRoom || (room.f_files > 0 && room.f_favail < 2)) return WriteBarrier::kDiskFull;
  }
  return WriteBarrier::kNone;
}

// PATH as a URI with the parameter PARAMETER ("name=value").
std::string FileUri(const std::string& path, const std::string& parameter) {
  std::string uri = !path.empty() && path[0] == '/' ? "file://" : "file:";
  for (unsigned char c : path) {
    if (c == '%' || c == '?' || c == '#' || c < 0x21 || c >= 0x7f) {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      uri += escaped;
    } else {
      uri += static_cast<char>(c);
    }
  }
  return uri + "?" + parameter;
}

}  // namespace

Connection::Connection(const std::string& path, OpenMode mode, const CipherKey& key,
                       const EngineSettings& settings)
    : path_(path), busy_timeout_ms_(settings.busy_timeout_ms), on_lock_wait_(settings.on_lock_wait) {
  std::string name = path;
  int flags = OpenFlags(mode);
  if (mode == OpenMode::kReadWrite) {
    barrier_ = BarrierOf(path);
    if (barrier_ != WriteBarrier::kNone) {
      flags = SQLITE_OPEN_READONLY;
      // A writer that has the file open has both companions. A log without its index is what
      // a writer that died left: nothing in it (the file alone is the image), or changes that
      // only a connection that may write can merge; a reader would have to make the index,
      // which is this user's file then, and keeps the writers out.
      struct stat log {};
      const bool has_log = ::stat((path + "-wal").c_str(), &log) == 0;
      if (has_log && log.st_size > 0 && !Exists(path + "-shm")) RaiseUnmergedLog();
      fixed_image_ = !has_log || !Exists(path + "-shm");
      // A fixed image is read with no locks and no companions; else the writers' index is
      // read through a read-only descriptor, as this user may not write it.
      name = FileUri(path, fixed_image_ ? "immutable=1" : "readonly_shm=1");
      flags |= SQLITE_OPEN_URI;
    }
  }
  int rc = sqlite3_open_v2(name.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const int why = db_ ? sqlite3_system_errno(db_) : 0;
    sqlite3_close_v2(db_);  // a handle is returned even on failure
    db_ = nullptr;
    RaiseSqliteError(rc, path_, {}, why);
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


std::int64_t Connection::LastInsertRowId() const { return sqlite3_last_insert_rowid(db_); }

int Connection::Changes() const { return sqlite3_changes(db_); }

bool Connection::InTransaction() const { return db_ && !sqlite3_get_autocommit(db_); }

void Connection::Raise(int code) const {
  // Reading through a read-only index fails when the index must first be rebuilt from the log.
  if (code == SQLITE_READONLY_RECOVERY || code == SQLITE_READONLY_CANTLOCK) RaiseUnmergedLog();
  if ((code & 0xff) == SQLITE_READONLY && barrier_ != WriteBarrier::kNone) RaiseWriteBarrier();
  RaiseSqliteError(code, path_, db_ ? sqlite3_errmsg(db_) : "", db_ ? sqlite3_system_errno(db_) : 0);
}

void Connection::RaiseUnmergedLog() const {
  const std::string file = "'" + path_ + "'";
  if (barrier_ == WriteBarrier::kDiskFull) {
    RaiseJetError(err::kDiskFull, "The disk is full: changes to " + file + " kept in its log '" + path_ +
                                      "-wal' cannot be merged into it until there is room on the disk.");
  }
  RaiseJetError(err::kCannotOpenFile, "The file " + file + " cannot be read now: changes to it kept in its log '" +
                                          path_ + "-wal' must first be merged into it by a user who may write it.");
}

void Connection::RaiseWriteBarrier() const {
  const std::string file = "'" + path_ + "'";
  switch (barrier_) {
    case WriteBarrier::kDiskFull:
      RaiseJetError(err::kDiskFull, "The disk is full: " + file + " was opened for reading only and cannot be written.");
    case WriteBarrier::kReadOnlyFileSystem:
      RaiseJetError(err::kReadOnly, "The file " + file + " cannot be written: it lies on a read-only file system, "
                                    "so it was opened for reading only.");
    case WriteBarrier::kNoPermission:
    case WriteBarrier::kNone:
      break;
  }
  RaiseJetError(err::kReadOnly, "The file " + file + " cannot be written: this user has no permission to change it "
                                "or the files beside it, or to create files in its folder, so it was opened for "
                                "reading only.");
}

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
