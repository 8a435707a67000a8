// jet/recordset/row_mirror: a recordset whose rows are a local copy of another store's rows (an
// ODBC data source's): the store takes every write first, inside the local write's unit, so a
// write it refuses changes nothing here; Requery fills the copy again from the store.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <vector>

#include "com/variant.h"
#include "jet/recordset/row_source.h"

namespace qb::jet {

class RowMirror {
 public:
  virtual ~RowMirror() = default;

  // A new row of COLUMNS: VALUES where CHANGED says the caller set them. The store may give the
  // row values of its own (defaults, a key it numbered); they are written back into VALUES and
  // marked CHANGED, so the copy holds what the store holds.
  virtual void Insert(const std::vector<RecordsetColumn>& columns, std::vector<Variant>& values,
                      std::vector<bool>& changed) = 0;
  // The row that read as ORIGINAL gets the CHANGED fields of VALUES. Raises kRecordDeleted when
  // the store's row is gone, kDataChanged when it no longer holds ORIGINAL where CRITERIA looks
  // (the recordset's UpdateOptions bits: 1 the key only, 2 or none the changed fields, 4 every
  // field, 8 the row's timestamp fields; 16 writes the row as a delete and an insert).
  virtual void Update(const std::vector<RecordsetColumn>& columns, const std::vector<Variant>& original,
                      const std::vector<Variant>& values, const std::vector<bool>& changed, int criteria) = 0;
  // The row that reads as VALUES goes. Raises kRecordDeleted when it is already gone.
  virtual void Delete(const std::vector<RecordsetColumn>& columns, const std::vector<Variant>& values) = 0;

  // Reads the store's rows that the copy's rows ROWIDS stand for again into the copy, found by
  // key (a row the store no longer has goes from the copy; rows holding unsent writes stay), and
  // counts a Rewrite; false, reading nothing, when the store cannot find its rows by key.
  virtual bool Refresh(const std::set<std::int64_t>& rowids) {
    (void)rowids;
    return false;
  }

  // Reads the store's rows into the copy again, with PARAMETERS for the store's statement and
  // at most MAX_ROWS rows (0: all), which stay the limit from now on.
  virtual void Reload(const std::vector<Variant>& parameters, std::int64_t max_rows) = 0;
  // The parameters and the row limit the copy was last filled with.
  virtual const std::vector<Variant>& Parameters() const = 0;
  virtual std::int64_t MaxRows() const = 0;

  // How often the store has rewritten rows of the copy on its own (after a rollback): a change
  // tells the recordsets over it to read their current and held rows again.
  virtual std::uint64_t Rewrites() const { return 0; }
  // How often the store has filled the copy anew on its own (after a rollback): a change tells
  // the recordsets over it to take the new rows, staying on the row whose KeyColumns (indexes
  // into the columns; none known: the first row) hold what the current row's did.
  virtual std::uint64_t Reloads() const { return 0; }
  virtual std::vector<std::size_t> KeyColumns() const { return {}; }

  // Runs WRITE (several of the calls above) as one unit in the store and returns true; false,
  // without running it, when the store cannot make a unit of its own (a transaction is open).
  // Raises WRITE's failure once the unit is undone.
  virtual bool SendAsUnit(const std::function<void()>& write) {
    (void)write;
    return false;
  }

  // Optimistic batch: writes go to the copy only and are kept until UpdateBatch sends them.
  virtual bool Batched() const { return false; }
  // The copy's rows (rowids) holding writes not sent yet: the store's rows read again after a
  // rollback leave them as they are.
  virtual void SetUnsent(std::set<std::int64_t> rowids) { (void)rowids; }

  // A store read once forwards need not be copied: when Streams, the recordset's rows come
  // straight from ReadRows (the next up to LIMIT rows appended to ROWS; fewer only at the end)
  // and Reload starts the store's statement again.
  virtual bool Streams() const { return false; }
  virtual std::size_t ReadRows(std::int64_t /*limit*/, std::vector<std::vector<Variant>>& /*rows*/) { return 0; }

  // A store read by position (a server's scrollable cursor) need not be copied either: when
  // Positioned, the recordset's rows come from ReadRowsAt (rows OFFSET .. OFFSET + LIMIT - 1
  // appended to ROWS; fewer only at the end) and CountRows (the store's count of rows), and only
  // a window of them is held; Reload runs the store's statement again.
  virtual bool Positioned() const { return false; }
  virtual std::size_t ReadRowsAt(std::int64_t /*offset*/, std::int64_t /*limit*/,
                                 std::vector<std::vector<Variant>>& /*rows*/) {
    return 0;
  }
  virtual std::int64_t CountRows() { return 0; }
  // A positioned store's row POS was written (Update) with VALUES: it reads so from now on, its
  // cursor not seeing the write, until Reload.
  virtual void Rewritten(std::int64_t /*pos*/, const std::vector<Variant>& /*values*/) {}
};

}  // namespace qb::jet
