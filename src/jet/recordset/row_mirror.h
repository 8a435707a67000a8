// jet/recordset/row_mirror: a recordset whose rows are a local copy of another store's rows (an
// ODBC data source's): the store takes every write first, inside the local write's unit, so a
// write it refuses changes nothing here; Requery fills the copy again from the store.
#pragma once
#include <cstddef>
#include <cstdint>
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
  // The row that read as ORIGINAL gets the CHANGED fields of VALUES. Raises kDataChanged when
  // the store's row no longer holds ORIGINAL in those fields, kRecordDeleted when it is gone.
  virtual void Update(const std::vector<RecordsetColumn>& columns, const std::vector<Variant>& original,
                      const std::vector<Variant>& values, const std::vector<bool>& changed) = 0;
  // The row that reads as VALUES goes. Raises kRecordDeleted when it is already gone.
  virtual void Delete(const std::vector<RecordsetColumn>& columns, const std::vector<Variant>& values) = 0;

  // Reads the store's rows into the copy again, with PARAMETERS for the store's statement.
  virtual void Reload(const std::vector<Variant>& parameters) = 0;
  // The parameters the copy was last filled with.
  virtual const std::vector<Variant>& Parameters() const = 0;

  // A store read once forwards need not be copied: when Streams, the recordset's rows come
  // straight from ReadRows (the next up to LIMIT rows appended to ROWS; fewer only at the end)
  // and Reload starts the store's statement again.
  virtual bool Streams() const { return false; }
  virtual std::size_t ReadRows(std::int64_t /*limit*/, std::vector<std::vector<Variant>>& /*rows*/) { return 0; }
};

}  // namespace qb::jet
