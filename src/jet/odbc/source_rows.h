// jet/odbc/source_rows: what the recordsets read straight from a data source's statement share
// (source_stream.h forwards, source_cursor.h by position): the statement and its parameters to
// run again on Reload, the reader, and the empty local table describing the columns, which sets
// the types the rows are handed on in and is dropped with this object.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "com/variant.h"
#include "jet/odbc/local_copy.h"
#include "jet/odbc/result_reader.h"
#include "jet/recordset/row_mirror.h"

namespace qb::jet::odbc {

class DataSource;

class SourceRows : public RowMirror {
 public:
  // READER: the statement SELECT_SQL already run (with PARAMETERS); TABLE: the empty local
  // table describing its columns (dropped with this object). MAX_ROWS: at most this many rows
  // (0: all), again on every Reload until one gives another limit.
  SourceRows(std::shared_ptr<DataSource> source, std::string select_sql, std::vector<Variant> parameters,
             int query_timeout, std::int64_t max_rows, std::unique_ptr<ResultReader> reader, CopyTable table);
  ~SourceRows() override;

  const std::vector<Variant>& Parameters() const override { return parameters_; }
  std::int64_t MaxRows() const override { return max_rows_; }

 protected:
  // Runs the statement again with PARAMETERS and MAX_ROWS (on a scrollable cursor if
  // SCROLLABLE), the old statement closed first; it must still return the same columns.
  void Rerun(const std::vector<Variant>& parameters, std::int64_t max_rows, bool scrollable);
  // ROW as read by READER, in the types the local table holds.
  void ToLocalTypes(const ResultReader& reader, std::vector<Variant>& row) const;

  const std::shared_ptr<DataSource> source_;
  std::unique_ptr<ResultReader> reader_;

 private:
  const std::string select_sql_;
  std::vector<Variant> parameters_;
  const int timeout_;
  std::int64_t max_rows_;
  const CopyTable table_;
};

}  // namespace qb::jet::odbc
