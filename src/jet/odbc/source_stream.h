// jet/odbc/source_stream: the rows of a forward-only recordset on a data source, read straight
// from the server's statement as the recordset moves on (no local copy): a bounded run of rows
// is held at a time, whatever the result's size. Requery runs the statement again. Read-only.
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

class SourceStream : public RowMirror {
 public:
  // READER: the statement SELECT_SQL already run (with PARAMETERS); TABLE: the empty local
  // table describing its columns (dropped with this object). MAX_ROWS: at most this many rows
  // (0: all), again on every Reload until one gives another limit.
  SourceStream(std::shared_ptr<DataSource> source, std::string select_sql, std::vector<Variant> parameters,
               int query_timeout, std::int64_t max_rows, std::unique_ptr<ResultReader> reader, CopyTable table);
  ~SourceStream() override;

  void Insert(const std::vector<RecordsetColumn>&, std::vector<Variant>&, std::vector<bool>&) override;
  void Update(const std::vector<RecordsetColumn>&, const std::vector<Variant>&, const std::vector<Variant>&,
              const std::vector<bool>&, int) override;
  void Delete(const std::vector<RecordsetColumn>&, const std::vector<Variant>&) override;
  void Reload(const std::vector<Variant>& parameters, std::int64_t max_rows) override;
  const std::vector<Variant>& Parameters() const override { return parameters_; }
  std::int64_t MaxRows() const override { return max_rows_; }

  bool Streams() const override { return true; }
  std::size_t ReadRows(std::int64_t limit, std::vector<std::vector<Variant>>& rows) override;

 private:
  const std::shared_ptr<DataSource> source_;
  const std::string select_sql_;
  std::vector<Variant> parameters_;
  const int timeout_;
  std::int64_t max_rows_;
  std::unique_ptr<ResultReader> reader_;
  const CopyTable table_;
  std::vector<Variant> row_;  // the row being read, its storage reused
};

}  // namespace qb::jet::odbc
