// jet/recordset/prepared_sql: one compiled statement a recordset keeps between calls. It is
// reset after every use, so no statement is left running (no read transaction stays open and no
// writer of another process is held up). Raises only engine errors.
#pragma once
#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace qb::jet {

class Connection;

class PreparedSql {
 public:
  PreparedSql() = default;
  // Compiles SQL on CONNECTION. Raises the engine error for SQL that does not compile.
  PreparedSql(Connection& connection, const std::string& sql);
  ~PreparedSql();
  PreparedSql(PreparedSql&& other) noexcept;
  PreparedSql& operator=(PreparedSql&& other) noexcept;
  PreparedSql(const PreparedSql&) = delete;
  PreparedSql& operator=(const PreparedSql&) = delete;

  bool IsPrepared() const { return stmt_ != nullptr; }
  sqlite3_stmt* Handle() const { return stmt_; }
  // Next row: true when a row is there, false when done. A failure resets the statement and
  // raises the engine error (constraint failures carry their Jet numbers).
  bool Step();
  // Back to the start with every binding cleared; never raises.
  void Reset();

 private:
  Connection* connection_ = nullptr;  // not owned; outlives this while the database is open
  sqlite3_stmt* stmt_ = nullptr;      // owned
};

// Resets a statement when the scope that used it ends, also on failure.
class ResetOnExit {
 public:
  explicit ResetOnExit(PreparedSql& sql) : sql_(sql) {}
  ~ResetOnExit() { sql_.Reset(); }
  ResetOnExit(const ResetOnExit&) = delete;
  ResetOnExit& operator=(const ResetOnExit&) = delete;

 private:
  PreparedSql& sql_;
};

// What has changed in a file as seen from one connection: a change by another connection
// (PRAGMA data_version) or by this one (its total change count) gives a different stamp.
struct DataStamp {
  std::int64_t others = -1;
  std::int64_t own = -1;
  bool operator==(const DataStamp&) const = default;
};

// Reads the stamp with PRAGMA_SQL, a prepared "PRAGMA data_version" on CONNECTION.
DataStamp ReadDataStamp(Connection& connection, PreparedSql& pragma_sql);

}  // namespace qb::jet
