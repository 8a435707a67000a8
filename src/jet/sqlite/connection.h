// jet/sqlite/connection: one open SQLite connection (RAII), keyed or plain, with the busy
// timeout applied, and the transaction guard. Knows nothing of the engine's catalog or file kinds;
// raises only engine errors (through RaiseSqliteError).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "jet/base/engine_settings.h"
#include "jet/sqlite/cipher_key.h"
#include "jet/sqlite/statement.h"

struct sqlite3;

namespace qb::jet {

enum class OpenMode {
  kReadOnly,   // never writes the file
  kReadWrite,  // the file must exist; read only when it cannot be written (see WriteBarrier)
  kCreate,     // creates the file when missing
};

// Why a connection opened with kReadWrite can only read.
enum class WriteBarrier {
  kNone,                // it may write
  kNoPermission,        // this user may not write the file or create files beside it
  kReadOnlyFileSystem,  // the file lies on a file system mounted read-only
  kDiskFull,            // no room for the companion files that reading a logged file needs
};

class Connection {
 public:
  // Opens PATH in MODE, applies KEY (none: the file is plain; never keyed) and the settings'
  // busy timeout and key-derivation rounds. SQLite reads nothing yet: a wrong key shows at the
  // first read (see IsReadable). Raises the engine error for a file that cannot be opened,
  // saying why (permission, read-only file system, full disk) where the system tells.
  // kReadWrite opens a file that cannot be written for reading only (GetWriteBarrier says why;
  // a write then raises the read-only or disk-full error). Such a reader never creates the
  // -wal and -shm companions that write-ahead logging uses (they would be this user's, and
  // keep out the users who can write): when no writer has the file open (no -wal exists) it
  // reads the file as a fixed image, which it trusts nobody to change while it reads (see
  // ReadsFixedImage); else it reads the writers' companions through read-only descriptors,
  // as SQLite allows, and sees what they committed. A log holding
  // changes that no writer has open (its index is gone) cannot be read without writing: such
  // a file raises kCannotOpenFile (kDiskFull when only room is missing), saying so.
  Connection(const std::string& path, OpenMode mode, const CipherKey& key,
             const EngineSettings& settings);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const std::string& Path() const { return path_; }

  WriteBarrier GetWriteBarrier() const { return barrier_; }
  // True when the file is read as a fixed image (no locks, no companions): the caller must
  // keep writers out while it reads (see WriteBarrier).
  bool ReadsFixedImage() const { return fixed_image_; }

  // True while a transaction is open (BEGIN or a savepoint not yet ended). SQLite rolls a whole transaction back by itself when a
  // statement in it fails for a full disk or a disk error.
  bool InTransaction() const;

  // True when the file's schema reads with the key given; false when the file is not a SQLite
  // file or the key is wrong. Other failures (locks, disk errors) raise their engine error.
  bool IsReadable();

  // Runs SQL (one or more statements, no results). Raises the engine error on failure.
  void Exec(std::string_view sql);
  // Compiles one statement. The statement must not outlive this connection.
  Statement Prepare(std::string_view sql);

  // Switches the file to write-ahead logging (recorded in the file). REQUIRES: opened writable.
  void SetWalMode();

  // Does a table (or view) named NAME exist in the file? Exact name.
  bool HasTable(std::string_view name);

  std::int64_t LastInsertRowId() const;
  int Changes() const;  // rows changed by the last statement

  // Raises the engine error for SQLite result CODE on this connection's file.
  [[noreturn]] void Raise(int code) const;
  // Raises the error a write meets on this connection: kReadOnly, or kDiskFull for a full
  // disk, saying why. REQUIRES: GetWriteBarrier() != WriteBarrier::kNone.
  [[noreturn]] void RaiseWriteBarrier() const;

  // The SQLite handle, for engine code that registers collations and functions or copies
  // values between connections. Stays owned by this connection.
  sqlite3* Handle() const { return db_; }

 private:
  // Raises the error for a file this connection cannot write whose log holds changes with
  // no index to read them by (see the constructor).
  [[noreturn]] void RaiseUnmergedLog() const;
  static int WaitForLock(void* connection, int tries);

  sqlite3* db_ = nullptr;  // owned; constant after construction
  std::string path_;       // constant after construction
  WriteBarrier barrier_ = WriteBarrier::kNone;  // constant after construction
  bool fixed_image_ = false;                     // constant after construction
  int busy_timeout_ms_;    // constant after construction
  std::function<void()> on_lock_wait_;  // constant after construction; may be empty
  int waited_ms_ = 0;                   // in the current wait
};

// Groups the statements run while it lives into one transaction: begun at construction (an
// immediate one: it takes the write lock at once, so checks and writes see one state), rolled
// back at destruction unless Commit() ran. Waiting for another connection's writes to end
// takes up to the busy timeout; a write lock still held then raises kLockedRetry.
class Transaction {
 public:
  explicit Transaction(Connection& connection);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  // Makes the changes durable. REQUIRES: not committed yet. Raises the engine error on failure
  // (the transaction is then rolled back).
  void Commit();

 private:
  Connection& connection_;  // constant after construction
  bool done_ = false;
};

// One unit of writes that begins as a write: outside a transaction an immediate one (taking the
// file's write lock first, waiting for it as the busy timeout says, so that what the unit reads
// before it writes cannot go stale), inside one a savepoint named NAME (the transaction decided
// how it began). Undone at destruction unless Release() ran; inside a transaction the undone
// savepoint leaves the transaction open.
class WriteSavepoint {
 public:
  WriteSavepoint(Connection& connection, std::string name);
  ~WriteSavepoint();
  WriteSavepoint(const WriteSavepoint&) = delete;
  WriteSavepoint& operator=(const WriteSavepoint&) = delete;

  // Keeps the writes (commits them when the unit began the transaction). Raises the engine
  // error on failure; the unit is then undone at destruction.
  void Release();

 private:
  Connection& connection_;  // constant after construction
  std::string name_;        // constant after construction
  bool outermost_ = false;  // began the transaction
  bool done_ = false;
};

}  // namespace qb::jet
