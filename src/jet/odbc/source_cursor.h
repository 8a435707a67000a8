// jet/odbc/source_cursor: the rows of a read-only snapshot or dynaset on a data source opened with
// the server cursor driver, read by position from the driver's scrollable cursor as the recordset
// moves (no local copy): the recordset holds a window of rows (its CacheSize, 0: 256) and learns
// the count from the cursor, not by reading every row. Requery runs the statement again.
// A dynaset that writes sends AddNew, Update and Delete to its writer (the server's table by
// key, with a dynaset's conflict rules); rows it updated read as written and rows it added
// follow the cursor's last, the cursor not seeing either, until Requery.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "com/variant.h"
#include "jet/odbc/data_source.h"
#include "jet/odbc/source_rows.h"

namespace qb::jet::odbc {

class SourceCursor : public SourceRows, public CopyKeeper {
 public:
  using SourceRows::SourceRows;  // READER's statement runs on a scrollable cursor

  void Insert(const std::vector<RecordsetColumn>&, std::vector<Variant>&, std::vector<bool>&) override;
  void Update(const std::vector<RecordsetColumn>&, const std::vector<Variant>&, const std::vector<Variant>&,
              const std::vector<bool>&, int) override;
  void Delete(const std::vector<RecordsetColumn>&, const std::vector<Variant>&) override;
  void Reload(const std::vector<Variant>& parameters, std::int64_t max_rows) override;

  bool Positioned() const override { return true; }
  std::size_t ReadRowsAt(std::int64_t offset, std::int64_t limit, std::vector<std::vector<Variant>>& rows) override;
  std::int64_t CountRows() override;
  void Rewritten(std::int64_t pos, const std::vector<Variant>& values) override;

  // The writes go to WRITER from now on (read-only without one).
  void WriteThrough(std::shared_ptr<RowMirror> writer) { writer_ = std::move(writer); }

  // The server dropped a transaction's writes: the cursor, which may show them, is opened
  // again and its recordsets go to their first row.
  void AfterRollback() override;
  std::uint64_t Reloads() const override { return reloads_; }

 private:
  ResultReader& Reader();

  std::int64_t count_ = -1;  // the cursor's count of rows, once asked
  std::uint64_t reloads_ = 0;
  std::shared_ptr<RowMirror> writer_;
  std::map<std::int64_t, std::vector<Variant>> rewritten_;  // rows updated here, by position
  std::vector<std::vector<Variant>> added_;  // rows added here: positions count_, count_ + 1, ...
};

}  // namespace qb::jet::odbc
