// jet/sqlite/statement: one compiled SQLite statement (RAII): binding, stepping, reading
// columns. Never outlives its connection; raises only engine errors.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3_stmt;

namespace qb::jet {

class Connection;

class Statement {
 public:
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement();

  // Parameters are numbered from 1. Text is UTF-8 and copied.
  Statement& Bind(int index, std::int64_t value);
  Statement& Bind(int index, std::string_view text);
  Statement& BindBlob(int index, std::string_view bytes);
  Statement& BindNull(int index);

  // Runs to the next row: true when a row is there, false when done. Raises the engine error.
  bool Step();
  // Steps until done (statements without rows).
  void Run();
  // Back to the start, bindings kept.
  void Reset();

  // Columns are numbered from 0. REQUIRES: the last Step() returned true.
  std::int64_t ColumnInt(int column) const;
  std::string ColumnText(int column) const;
  std::string ColumnBlob(int column) const;
  bool ColumnIsNull(int column) const;

  // The SQLite handle, for engine code that binds or reads values of every kind directly
  // (parameter binding, result columns). Stays owned by this statement.
  sqlite3_stmt* Handle() const { return statement_; }

 private:
  friend class Connection;
  Statement(const Connection& connection, sqlite3_stmt* statement)
      : connection_(&connection), statement_(statement) {}

  const Connection* connection_;  // constant after construction; outlives this
  sqlite3_stmt* statement_;       // owned
};

}  // namespace qb::jet
