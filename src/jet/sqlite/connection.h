// jet/sqlite/connection: one open SQLite connection (RAII), keyed or plain, with the busy
// timeout applied, and the transaction guard. Knows nothing of the engine's catalog or file kinds;
// raises only engine errors (through RaiseSqliteError).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "jet/engine_settings.h"
#include "jet/sqlite/cipher_key.h"
#include "jet/sqlite/statement.h"

struct sqlite3;

namespace qb::jet {

enum class OpenMode {
  kReadOnly,   // never writes the file
  kReadWrite,  // the file must exist
  kCreate,     // creates the file when missing
};

class Connection {
 public:
  // Opens PATH in MODE, applies KEY (none: the file is plain; never keyed) and the settings'
  // busy timeout and key-derivation rounds. SQLite reads nothing yet: a wrong key shows at the
  // first read (see IsReadable). Raises the engine error for a file that cannot be opened.
  Connection(const std::string& path, OpenMode mode, const CipherKey& key,
             const EngineSettings& settings);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const std::string& Path() const { return path_; }

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

  // Is a transaction open on this connection (BEGIN or a savepoint not yet ended)?
  bool InTransaction() const;

  std::int64_t LastInsertRowId() const;
  int Changes() const;  // rows changed by the last statement

  // Raises the engine error for SQLite result CODE on this connection's file.
  [[noreturn]] void Raise(int code) const;

  // The SQLite handle, for engine code that registers collations and functions or copies
  // values between connections. Stays owned by this connection.
  sqlite3* Handle() const { return db_; }

 private:
  static int WaitForLock(void* connection, int tries);

  sqlite3* db_ = nullptr;  // owned; constant after construction
  std::string path_;       // constant after construction
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
