// jet/recordset/key_window: how a table-type recordset walks its table in the order of its
// current index (rowid order without one) while holding only a run of rows around its current
// record. The current record is known by its key (the index's key values and its rowid): the
// next rows are read by one short statement per step of the key comparison from that key
// onwards, the previous ones the same way backwards, so walking a table of any size holds the
// same few rows. Positions are never kept; a record's ordinal is counted when asked.
//
// Key values are kept exactly as SQLite stores them and bound back unchanged, so comparisons
// use the columns' own collations and never meet a value rounded by a conversion. Nulls sort as
// the index sorts them (first ascending, last descending); equal keys are ordered by rowid.
//
// Reads only; never keeps a statement running between calls. Raises the engine's errors for a
// failed read, which leaves the run and the current row as they were.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "com/variant.h"
#include "jet/recordset/prepared_sql.h"
#include "jet/recordset/row_source.h"

namespace qb::jet {

class Connection;
struct TableModel;

// One key value as stored: an SQLite storage class and its bytes.
struct StoredKeyValue {
  int kind = 5;  // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL (5)
  std::int64_t integer = 0;
  double real = 0;
  std::string bytes;  // text (UTF-8) or blob
};

class KeyWindow {
 public:
  struct Row {
    std::int64_t rowid = 0;
    std::vector<StoredKeyValue> key;  // the index's key fields, in index order
    std::vector<Variant> values;      // the recordset's columns
  };

  // The rows of TABLE (in the recordset's COLUMNS) in the order of its index INDEX_NAME ("" for
  // rowid order). An index that ignores Nulls leaves out rows whose key fields are all Null.
  // REQUIRES: CONNECTION outlives this; INDEX_NAME names an index of TABLE or is "".
  KeyWindow(Connection& connection, const TableModel& table, const std::string& index_name,
            std::vector<RecordsetColumn> columns);

  // Each of these makes the row it finds current and returns it (valid until the next call),
  // or returns nullptr when there is none: past either end, the row gone or not in the order.
  // First / Last: the ends. Next / Previous: the row after / before the current key (the
  // current row may be gone since: it still marks where it stood). Land: the row with ROWID.
  // Nth: the row at 0-based ORDINAL in the order. Finding nothing, they change nothing: the
  // current key stays.
  const Row* First();
  const Row* Last();
  const Row* Next();      // REQUIRES: HasCurrent()
  const Row* Previous();  // REQUIRES: HasCurrent()
  const Row* Land(std::int64_t rowid);
  const Row* Nth(std::int64_t ordinal);
  // The neighbour held in the run read with the current row, without reading the file; nullptr
  // when the run does not hold it.
  const Row* HeldNext();
  const Row* HeldPrevious();

  // The file changed: the run is dropped and the current row read again, by rowid. Returns it
  // (with its key as it is now: a changed key moves it in the order) or nullptr when it is gone
  // or left the order; its last key then still marks where it stood.
  const Row* Reread();
  // The current row was deleted: it only marks where it stood from now on.
  void LeaveCurrent();
  // The file changed: the run is dropped (the current key is kept).
  void Forget() { KeepOnlyCurrent(); }

  bool HasCurrent() const { return size_ > 0; }
  // The current row; nullptr without one or when it is gone.
  const Row* Current() const { return size_ > 0 && !gone_[at_] ? &rows_[at_] : nullptr; }
  // Rows before the current key in the order (a count over the index, run when asked).
  // REQUIRES: HasCurrent().
  std::int64_t CountBefore() { return CountBeyond(false, -1); }
  // Rows after (AFTER) or before the current key, counting no further than LIMIT rows (LIMIT
  // < 0: all), so a count near the current row stays cheap in a table of any size.
  // REQUIRES: HasCurrent().
  std::int64_t CountBeyond(bool after, std::int64_t limit);
  // Rows in the order (every row of the table but those the index leaves out).
  std::int64_t CountAll();
  // True when the order holds every row of the table.
  bool OrdersWholeTable() const { return filter_.empty(); }
  bool Empty();

 private:
  enum class Piece { kGreater, kLess, kNull, kNotNull };

  Statement& Compiled(const std::string& sql);
  // The order (REVERSE: backwards) of the key fields from FROM_LEVEL on, then the rowid.
  std::string OrderSql(bool reverse, std::size_t from_level = 0) const;
  std::string Where(const std::string& condition) const;
  std::string PieceCondition(std::size_t level, Piece piece) const;
  // The parts of the key comparison, nearest first: for LEVEL (0 .. keys, the last one the
  // rowid), the rows whose earlier key fields equal the current key's and whose field LEVEL
  // lies beyond it, in AFTER's direction.
  std::vector<Piece> Pieces(std::size_t level, bool after) const;
  void BindKey(Statement& sql) const;
  // Reads the rows of SQL into slots FIRST_SLOT onwards; returns how many.
  std::size_t ReadInto(Statement& sql, std::size_t first_slot);
  // Up to LIMIT rows after (before) the current key, nearest first, into the spare slots from
  // SIZE_ on. Until TakeRun, the run held is untouched, so a failed read changes nothing.
  std::size_t ReadBeyond(bool after, std::int64_t limit);
  // GOT rows read into the spare slots become the run (after the current row when
  // KEEP_CURRENT); AT_ is then 0.
  void TakeRun(std::size_t got, bool keep_current);
  const Row* ReadEnd(bool last);
  void KeepOnlyCurrent();
  const Row* Single(Statement& sql);  // the one row SQL reads, made current

  Connection& connection_;  // not owned
  std::string table_;       // quoted
  std::vector<std::string> key_columns_;  // quoted
  std::vector<bool> descending_;
  std::string filter_;      // rows the index holds ("" all)
  std::string select_;      // "SELECT rowid, keys, columns FROM table"
  std::vector<RecordsetColumn> columns_;
  std::map<std::string, Statement> statements_;  // by text: a few per key field

  // The run: rows_[0 .. size_ - 1] in the order, the current one at AT_. Slots beyond SIZE_
  // (at most one run's worth) take the next run before it replaces this one, and keep their
  // storage for the runs after.
  std::vector<Row> rows_;
  std::vector<char> gone_;  // per slot: the row was deleted (it only marks a place)
  std::size_t size_ = 0;
  std::size_t at_ = 0;
};

}  // namespace qb::jet
