// cli/upsize_rows: the rows of one table sent to an ODBC data source in batches. One prepared
// INSERT carries many rows ("VALUES (?, ?), (?, ?), ..."), so a large table costs a few hundred
// round trips to the server instead of one per row, and while one batch is on its way (on a
// thread of its own) the next is filled from the file. Every column is bound by its field's type,
// the same way in every row and batch: Nulls keep the column's type, doubles and Currency go as
// exact digits, and a text holding a 0 character is refused (the driver would cut it there).
#pragma once
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sql.h>

#include "cli/upsize_target.h"
#include "com/variant.h"

namespace qb::jet::odbc {
class DataSource;
}

namespace qb::cli {

// Rows in one statement for COLUMNS columns when a statement takes at most PARAMETER_LIMIT
// parameters: as many as fit, never more than MAX_ROWS, and at least one.
int RowsPerStatement(std::size_t columns, int parameter_limit, int max_rows);

class UpsizeRowWriter : public UpsizeRows {
 public:
  // Rows for the server's TABLE (unquoted) with COLUMNS, written inside the caller's transaction.
  UpsizeRowWriter(jet::odbc::DataSource& server, const std::string& table, std::vector<UpsizeColumn> columns);
  ~UpsizeRowWriter() override;
  UpsizeRowWriter(const UpsizeRowWriter&) = delete;
  UpsizeRowWriter& operator=(const UpsizeRowWriter&) = delete;

  void Set(std::size_t column, const Variant& value) override;
  // Sends the waiting rows once they fill a statement.
  void Add() override;
  // Sends the rows still waiting (a shorter statement for them).
  void Finish() override;
  long long RowsWritten() const override { return written_; }

 private:
  struct Slot {
    std::int64_t integer = 0;
    SQL_TIMESTAMP_STRUCT timestamp{};
    std::vector<char> bytes;       // digits and binary values
    std::vector<SQLWCHAR> wide;    // text, as UTF-16
    SQLLEN indicator = SQL_NULL_DATA;
    SQLPOINTER bound = nullptr;  // where the batch's statement was told the value is
  };
  // The values of a batch of rows (a row after the other, a slot per column) and the whole
  // batch's statement bound to them, made on first use. Two take turns.
  struct Batch {
    std::vector<Slot> slots;
    SQLHSTMT statement = SQL_NULL_HANDLE;
  };

  // A prepared INSERT of ROWS rows. Raises the server's refusal.
  SQLHSTMT Prepare(int rows);
  // Tells STATEMENT where the value of SLOT of BATCH is.
  void Bind(SQLHSTMT statement, Batch& batch, std::size_t slot);
  // Runs the INSERT of the first ROWS rows of BATCH, the first of them row FIRST of the table.
  // Touches only BATCH and the connection, so it may run on the sending thread.
  void Send(Batch& batch, int rows, long long first);
  // Waits for the batch on its way; raises its failure.
  void Collect();
  // The sending thread: sends each batch handed over until told to stop.
  void SendLoop();

  jet::odbc::DataSource& server_;  // not owned
  std::string table_;
  std::vector<UpsizeColumn> columns_;
  int batch_rows_ = 1;
  Batch batches_[2];
  int current_ = 0;         // the batch being filled
  int filled_ = 0;          // rows filled in it
  long long queued_ = 0;    // rows handed over to be sent
  long long written_ = 0;   // rows the server has taken
  int sending_rows_ = 0;    // rows of the batch on its way

  // One thread sends every batch (a thread per batch costs more than a small batch's rows).
  // While a batch is on its way the connection and that batch are the thread's.
  std::mutex mutex_;
  std::condition_variable changed_;
  bool pending_ = false;      // a batch handed over and not yet collected
  bool sent_ = false;         // the thread is done with it
  bool stopping_ = false;
  Batch* outgoing_ = nullptr;
  long long outgoing_first_ = 0;
  std::exception_ptr failure_;  // the batch's failure
  std::thread sender_;          // started with the first full batch
};

}  // namespace qb::cli
