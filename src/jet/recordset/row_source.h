// jet/recordset/row_source: where a recordset's rows come from: one statement (a stored table in
// an index's order, or a translated query) read in slices by short statements, and, when its
// rows are rows of one base table, the base rows read again by rowid. Reads only; never keeps a
// statement running between calls.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "com/variant.h"
#include "jet/recordset/prepared_sql.h"

namespace qb::jet {

class Connection;
class RowMirror;

// One field of a recordset as its source describes it.
struct RecordsetColumn {
  std::string name;
  int type = 0;                 // DAO type code (0: unknown, follows the stored value)
  int size = 0;                 // Field.Size
  std::int32_t attributes = 0;  // dbFixedField / dbVariableField / dbAutoIncrField
  bool required = false;
  std::string source_table, source_field;  // "" for a computed column
  std::string base_column;      // the base table's column this field reads; "" when none
  std::string default_value;    // the base field's DefaultValue expression ("" for none)
  bool read_only = false;       // a field of a join that a consistent dynaset cannot change
  bool settable_on_add = false;  // READ_ONLY, but an AddNew may set it (the key of a new row)
  bool computed = false;        // an expression's value: read-only in every recordset
  std::string expression;       // COMPUTED in a join: its SQL over the statement's aliases
};

struct JoinPlan;

class RowSource {
 public:
  // SELECT_SQL returns, per row, the base rowid first when BASE_TABLE is given (keyed rows),
  // then COLUMNS in order. PARAMETERS fill its placeholders ?1..?N. With JOIN, the rows are
  // joined rows keyed by the rowid of BASE_TABLE, the join's root, and read again through it.
  // FETCH_SQL (keyed rows of one table with computed columns): the statement that reads a row's
  // values by key, as sql::TranslatedQuery::row_fetch_sql describes; "" reads the base table.
  RowSource(Connection& connection, std::vector<RecordsetColumn> columns, std::string select_sql,
            std::string base_table, std::vector<Variant> parameters,
            std::shared_ptr<const JoinPlan> join = nullptr, std::string fetch_sql = {});

  const std::vector<RecordsetColumn>& Columns() const { return columns_; }
  // The table whose rowids the keys are; "" when rows are not base rows (keys are then row
  // numbers and rows cannot be read again).
  const std::string& BaseTable() const { return base_table_; }
  bool Keyed() const { return !base_table_.empty(); }
  void SetParameters(std::vector<Variant> parameters) { parameters_ = std::move(parameters); }
  // Rows read from STREAM (row_mirror.h, not owned, outlives this) instead of the statement;
  // such a source is read once, forwards, by LoadRows at increasing offsets.
  void StreamFrom(RowMirror* stream) { stream_ = stream; }
  bool Streamed() const { return stream_ != nullptr; }
  // A streamed source's rows read (and held) at a time: the recordset's CacheSize; 0: the
  // keyset's own run.
  std::int64_t StreamRun() const { return stream_run_; }
  void SetStreamRun(std::int64_t rows) { stream_run_ = rows; }
  // Rows read by position from STORE (row_mirror.h, not owned, outlives this) instead of the
  // statement: LoadRows reads at any offset, CountRows counts them; the keyset holds a window.
  void PositionFrom(RowMirror* store) { positioned_ = store; }
  bool Positioned() const { return positioned_ != nullptr; }
  // The count of rows of a positioned source. REQUIRES: Positioned().
  std::int64_t CountRows();

  // The keys of rows OFFSET .. OFFSET + LIMIT - 1 (LIMIT < 0: to the end), appended to KEYS.
  // Returns how many were appended. REQUIRES: Keyed().
  std::size_t LoadKeys(std::int64_t offset, std::int64_t limit, std::vector<std::int64_t>& keys);
  // The values of rows OFFSET .. OFFSET + LIMIT - 1 (LIMIT < 0: to the end), appended to ROWS.
  // Returns how many were appended.
  std::size_t LoadRows(std::int64_t offset, std::int64_t limit, std::vector<std::vector<Variant>>& rows);

  // The current values of the base rows whose rowids are FIRST .. LAST, as (rowid, values)
  // pairs in rowid order. Columns without a base column read as Null. REQUIRES: Keyed().
  void FetchRange(std::int64_t first, std::int64_t last,
                  std::vector<std::pair<std::int64_t, std::vector<Variant>>>& rows);
  // The current values of base row KEY into VALUES; false when the row is gone.
  bool Fetch(std::int64_t key, std::vector<Variant>& values);

  // For a source that is every row of its base table in rowid order, read onwards from a key
  // without skipping rows again. FetchAfter: the rows after rowid AFTER, at most LIMIT, in
  // rowid order: their rowids appended to KEYS, their values into ROWS[0 .. n-1] (ROWS grows as
  // needed; rows already there are overwritten in place, keeping their storage); returns n.
  // LoadKeysAfter: the rowids after AFTER up to THROUGH, appended to KEYS; returns how many.
  // REQUIRES: Keyed().
  std::size_t FetchAfter(std::int64_t after, std::int64_t limit, std::vector<std::int64_t>& keys,
                         std::vector<std::vector<Variant>>& rows);
  std::size_t LoadKeysAfter(std::int64_t after, std::int64_t through, std::vector<std::int64_t>& keys);

 private:
  // "SELECT rowid, columns FROM ..." that the reads by rowid complete with their WHERE.
  // FROM_ANCHOR: a join's records without a root row, by the anchor's rowid.
  std::string FetchSql(bool from_anchor = false) const;
  // A join's records whose key is in FIRST .. LAST with their keys, read through FETCH (prepared
  // from the anchor when FROM_ANCHOR), appended to ROWS.
  void FetchJoinRange(bool from_anchor, std::int64_t first, std::int64_t last,
                      std::vector<std::pair<std::int64_t, std::vector<Variant>>>& rows);

  void BindParameters(Statement& sql);
  // The column the reads by key compare, and the placeholder number of its I-th (1-based)
  // bound: past the statement's parameters when the reads compute the statement's expressions.
  std::string KeySql() const;
  bool Computes() const;
  int KeyMark(int i) const;
  std::vector<Variant> ReadRow(Statement& sql, int first_column) const;

  Connection& connection_;                 // not owned; constant after construction
  const std::vector<RecordsetColumn> columns_;
  const std::string select_sql_;
  const std::string base_table_;
  std::vector<Variant> parameters_;
  const std::shared_ptr<const JoinPlan> join_;
  const std::string fetch_sql_;
  RowMirror* stream_ = nullptr;
  RowMirror* positioned_ = nullptr;
  std::int64_t stream_run_ = 0;
  Statement fetch_one_;    // by rowid, compiled on first use
  Statement fetch_range_;  // by rowid range, compiled on first use
  Statement anchor_one_;    // a join's records without a root row: by the anchor's rowid
  Statement anchor_range_;  // ... and by a range of them
  Statement fetch_after_;  // rowid order: the next rows, compiled on first use
  Statement keys_after_;   // rowid order: the next keys, compiled on first use
};

}  // namespace qb::jet
