// jet/odbc/source_stream: the rows of a forward-only recordset on a data source, read straight
// from the server's statement as the recordset moves on (no local copy): a bounded run of rows
// is held at a time, whatever the result's size. Requery runs the statement again. Read-only.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "com/variant.h"
#include "jet/odbc/source_rows.h"

namespace qb::jet::odbc {

class SourceStream : public SourceRows {
 public:
  using SourceRows::SourceRows;

  void Insert(const std::vector<RecordsetColumn>&, std::vector<Variant>&, std::vector<bool>&) override;
  void Update(const std::vector<RecordsetColumn>&, const std::vector<Variant>&, const std::vector<Variant>&,
              const std::vector<bool>&, int) override;
  void Delete(const std::vector<RecordsetColumn>&, const std::vector<Variant>&) override;
  void Reload(const std::vector<Variant>& parameters, std::int64_t max_rows) override;

  bool Streams() const override { return true; }
  std::size_t ReadRows(std::int64_t limit, std::vector<std::vector<Variant>>& rows) override;

 private:
  std::vector<Variant> row_;  // the row being read, its storage reused
};

}  // namespace qb::jet::odbc
