// cli/upsize_rows: the rows of one table sent to an ODBC data source in batches. One prepared
// INSERT carries many rows ("VALUES (?, ?), (?, ?), ..."), so a large table costs a few hundred
// round trips to the server instead of one per row. Every column is bound by its field's type,
// the same way in every row and batch: Nulls keep the column's type, doubles and Currency go as
// exact digits, and a text holding a 0 character is refused (the driver would cut it there).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <sql.h>

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

// Rows in one statement for COLUMNS columns when a statement takes at most PARAMETER_LIMIT
// parameters: as many as fit, never more than MAX_ROWS, and at least one.
int RowsPerStatement(std::size_t columns, int parameter_limit, int max_rows);

class UpsizeRowWriter {
 public:
  // Rows for the server's TABLE (unquoted) with COLUMNS, written inside the caller's transaction.
  UpsizeRowWriter(jet::odbc::DataSource& server, const std::string& table, std::vector<UpsizeColumn> columns);
  ~UpsizeRowWriter();
  UpsizeRowWriter(const UpsizeRowWriter&) = delete;
  UpsizeRowWriter& operator=(const UpsizeRowWriter&) = delete;

  // The value of column COLUMN in the row being filled. Every column is set before Add.
  void Set(std::size_t column, const Variant& value);
  // Ends the row being filled; sends the waiting rows once they fill a statement.
  void Add();
  // Sends the rows still waiting (a shorter statement for them).
  void Finish();

  // Rows the server has taken so far.
  long long RowsWritten() const { return written_; }
  int BatchRows() const { return batch_rows_; }

 private:
  struct Slot {
    std::int64_t integer = 0;
    SQL_TIMESTAMP_STRUCT timestamp{};
    std::vector<char> bytes;       // digits and binary values
    std::vector<SQLWCHAR> wide;    // text, as UTF-16
    SQLLEN indicator = SQL_NULL_DATA;
    SQLPOINTER bound = nullptr;  // where the statement was told the value is
  };

  // A prepared INSERT of ROWS rows. Raises the server's refusal.
  SQLHSTMT Prepare(int rows);
  // Tells STATEMENT where the value of slot SLOT is.
  void Bind(SQLHSTMT statement, std::size_t slot);
  // Runs the INSERT of the first ROWS rows waiting.
  void Send(int rows);

  jet::odbc::DataSource& server_;  // not owned
  std::string table_;
  std::vector<UpsizeColumn> columns_;
  int batch_rows_ = 1;
  SQLHSTMT full_ = SQL_NULL_HANDLE;  // the statement of a whole batch, made on first use
  std::vector<Slot> slots_;          // a row after the other, a slot per column
  int filled_ = 0;                   // rows waiting in the slots
  long long written_ = 0;
};

}  // namespace qb::cli
