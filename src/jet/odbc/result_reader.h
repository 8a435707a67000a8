// jet/odbc/result_reader: one statement run on a data source and its result read a row at a time:
// the columns with DAO types mapped from the server's, each value as the engine's Variant. Keeps
// its statement open until it is destroyed (the data source must stay open that long).
//
// Types: bit Boolean (1); tinyint and smallint Integer (3); integer Long (4); bigint BigInt (16),
// its values Long when they fit and exact decimal text when not; real Single (6); float and double
// Double (7); numeric and decimal Decimal (20) read as exact decimal text; date, time and
// timestamp Date (8); binary kinds Binary (9) or Long Binary (11); guid GUID (15); long text Memo
// (12); every other kind Text (10).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <sql.h>

#include "com/variant.h"

namespace qb::jet::odbc {

class DataSource;

struct ResultColumn {
  std::string name;
  int type = 10;  // DAO type code
  int size = 0;   // the server's column size (characters or bytes; 0 unknown)
  int sql_type = 0;
  int digits = 0;  // decimal digits after the point (numeric, decimal; fractions of time)
};

class ResultReader {
 public:
  // Runs SQL on SOURCE as written, its "?" markers bound in order to PARAMETERS (a prepared
  // statement when there are any: Null, Boolean, the integers, Single, Double, Date, bytes; every
  // other value as text). Raises err::kCallFailed with the diagnostics, kInvalidArgument when
  // the count of PARAMETERS is not the statement's. PARAMETER_TYPES (when given, one per
  // parameter, 0 for the default) names the server's SQL type a parameter is sent as, so a
  // value compares with a column of that type (exact digits sent as text to a numeric column).
  // MAX_ROWS (when not 0): at most this many rows are read (the driver is asked to stop there
  // too, where it can). SCROLLABLE: the statement runs on the driver's scrollable (static,
  // read-only) cursor, read by position with ReadAt and counted with CountRows; raises
  // err::kCallFailed when the driver has no such cursor.
  ResultReader(DataSource& source, const std::string& sql, int query_timeout,
               const std::vector<Variant>& parameters = {}, const std::vector<int>& parameter_types = {},
               std::int64_t max_rows = 0, bool scrollable = false);
  ~ResultReader();
  ResultReader(const ResultReader&) = delete;
  ResultReader& operator=(const ResultReader&) = delete;

  bool HasRows() const { return !columns_.empty(); }
  // Rows changed by a statement without rows (0 when the driver cannot tell).
  long long RowsAffected() const { return rows_affected_; }
  const std::vector<ResultColumn>& Columns() const { return columns_; }
  // The next row's values into ROW; false once the rows are done.
  bool Next(std::vector<Variant>& row);

  // A scrollable statement: the values of row POSITION (0-based) into ROW, fetched from the
  // driver's cursor; false when there is no such row.
  bool ReadAt(std::int64_t position, std::vector<Variant>& row);
  // A scrollable statement: its count of rows (the cursor goes past its last row).
  std::int64_t CountRows();

 private:
  Variant ReadValue(int column);
  void BindParameters(const std::vector<Variant>& parameters, const std::vector<int>& types);

  // What the bound parameters point at, kept until the statement has run.
  struct BoundValue {
    long long integer = 0;
    double real = 0;
    std::vector<std::uint8_t> bytes;
    std::vector<SQLWCHAR> text;  // UTF-16, 0-terminated
    SQL_TIMESTAMP_STRUCT timestamp{};
    SQLLEN indicator = 0;
  };
  std::vector<BoundValue> bound_;

  DataSource& source_;  // not owned
  void* statement_ = nullptr;
  std::vector<ResultColumn> columns_;
  long long rows_affected_ = 0;
  bool done_ = false;
  std::int64_t max_rows_ = 0;
  std::int64_t rows_read_ = 0;
  bool scrollable_ = false;
  std::int64_t at_ = -1;       // a scrollable cursor's row (0-based; -1 before the first)
  std::vector<SQLWCHAR> chunk_;  // text read in pieces, its storage reused from value to value
  std::vector<SQLWCHAR> units_;
};

}  // namespace qb::jet::odbc
