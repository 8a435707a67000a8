// cli/upsize_target: where 'quill upsize' sends its statements and rows. Through the ODBC
// connection itself (rows as batches of INSERT statements), or, for a PostgreSQL server the
// client library reaches with the same connect values, through a second connection that takes
// the rows by the server's bulk copy. Either way everything of a run is one transaction.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "com/variant.h"

namespace qb::jet::odbc {
class DataSource;
}

namespace qb::cli {

struct UpsizeColumn {
  std::string name;  // unquoted
  int type = 10;     // DAO type code of the file's field
  int size = 0;      // the field's size (characters or bytes; 0 for long kinds)
};

// The rows of one table on their way to the server.
class UpsizeRows {
 public:
  virtual ~UpsizeRows() = default;
  // The value of column COLUMN in the row being filled. Every column is set before Add.
  virtual void Set(std::size_t column, const Variant& value) = 0;
  // Ends the row being filled (it may wait to go with others).
  virtual void Add() = 0;
  // Sends what still waits; raises the server's refusal, naming the row where it can.
  virtual void Finish() = 0;
  // Rows the server has taken so far.
  virtual long long RowsWritten() const = 0;
};

class UpsizeTarget {
 public:
  virtual ~UpsizeTarget() = default;
  // How the rows travel, for the summary: "bulk copy" or "INSERT statements".
  virtual const char* RowPath() const = 0;
  virtual void Execute(const std::string& sql) = 0;
  virtual void Begin() = 0;
  virtual void Commit() = 0;
  // Undoes the run's transaction when one is open; never raises.
  virtual void RollbackQuietly() = 0;
  // The rows for the server's TABLE (unquoted), created in this transaction, with COLUMNS.
  virtual std::unique_ptr<UpsizeRows> Rows(const std::string& table, std::vector<UpsizeColumn> columns) = 0;
};

// Refuses a text holding a 0 character, which no server's text takes whole (a driver would cut
// it there and the rest would be lost without a word): names the row, field and table.
[[noreturn]] void RaiseZeroCharacter(long long row, const std::string& field, const std::string& table);

// Statements and rows through SERVER's own connection.
std::unique_ptr<UpsizeTarget> OdbcUpsizeTarget(jet::odbc::DataSource& server);
// Through a bulk-copy connection to SERVER's server, or null with the reason in WHY when there
// is none (upsize_copy.h).
std::unique_ptr<UpsizeTarget> CopyUpsizeTarget(const jet::odbc::DataSource& server, std::string* why);

}  // namespace qb::cli
