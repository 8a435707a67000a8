// jet/sqlite/statement: one compiled SQLite statement (RAII): typed binding, stepping, typed column
// reads, and ResetOnExit, which leaves it reset when a scope ends. The engine's one wrapper of
// sqlite3_stmt. Never outlives its connection; raises only engine errors.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "com/variant.h"

struct sqlite3_stmt;

namespace qb::jet {

class Connection;

class Statement {
 public:
  // No statement yet (IsPrepared() is false): a place for one compiled on first use.
  Statement() = default;
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement();

  bool IsPrepared() const { return statement_ != nullptr; }

  // Parameters are numbered from 1. Text is UTF-8 and copied, as are blobs. Raise the engine
  // error when SQLite refuses the value.
  Statement& Bind(int index, std::int64_t value);
  Statement& Bind(int index, std::string_view text);
  Statement& BindDouble(int index, double value);
  Statement& BindBlob(int index, std::string_view bytes);
  Statement& BindNull(int index);

  // Runs to the next row: true when a row is there, false when done. A failure resets the
  // statement and raises the engine error (constraint failures carry their Jet numbers).
  bool Step();
  // Steps until done (statements without rows).
  void Run();
  // Back to the start, bindings kept.
  void Reset();
  // Every parameter back to Null (frees copies of bound text and blobs).
  void ClearBindings();

  // Columns are numbered from 0. REQUIRES: the last Step() returned true.
  std::int64_t ColumnInt(int column) const;
  double ColumnDouble(int column) const;
  std::string ColumnText(int column) const;
  std::string ColumnBlob(int column) const;
  bool ColumnIsNull(int column) const;
  // The column as the Variant of DAO type DAO_TYPE (see column_value.h).
  Variant ColumnValue(int column, int dao_type) const;

  // The SQLite handle, for engine code that binds or reads values of every kind directly
  // (parameter binding, result columns). Stays owned by this statement.
  sqlite3_stmt* Handle() const { return statement_; }

 private:
  friend class Connection;
  Statement(const Connection& connection, sqlite3_stmt* statement)
      : connection_(&connection), statement_(statement) {}

  const Connection* connection_ = nullptr;  // constant after construction; outlives this
  sqlite3_stmt* statement_ = nullptr;       // owned
};

// Resets a statement and clears its bindings when the scope that used it ends, also on failure,
// so that no statement is left running: no read transaction stays open and no writer of another
// process is held up.
class ResetOnExit {
 public:
  explicit ResetOnExit(Statement& statement) : statement_(statement) {}
  ~ResetOnExit() {
    statement_.Reset();
    statement_.ClearBindings();
  }
  ResetOnExit(const ResetOnExit&) = delete;
  ResetOnExit& operator=(const ResetOnExit&) = delete;
  Statement& operator*() const { return statement_; }
  Statement* operator->() const { return &statement_; }

 private:
  Statement& statement_;
};

}  // namespace qb::jet
