// jet/odbc/source_rows: the statement, reader and local types a recordset read from the server keeps.
#include "jet/odbc/source_rows.h"

#include "jet/base/errors.h"
#include "jet/odbc/data_source.h"

namespace qb::jet::odbc {

SourceRows::SourceRows(std::shared_ptr<DataSource> source, std::string select_sql, std::vector<Variant> parameters,
                       int query_timeout, std::int64_t max_rows, std::unique_ptr<ResultReader> reader, CopyTable table)
    : source_(std::move(source)),
      reader_(std::move(reader)),
      select_sql_(std::move(select_sql)),
      parameters_(std::move(parameters)),
      timeout_(query_timeout),
      max_rows_(max_rows),
      table_(std::move(table)) {}

SourceRows::~SourceRows() {
  reader_.reset();  // the statement goes before the connection may
  try {
    if (source_->IsOpen()) source_->Local().Drop(table_);
  } catch (...) {
    // The table goes with the scratch file at the latest.
  }
}

void SourceRows::Rerun(const std::vector<Variant>& parameters, std::int64_t max_rows, bool scrollable) {
  reader_.reset();  // one statement at a time on the connection: the old one first
  reader_ = std::make_unique<ResultReader>(*source_, select_sql_, timeout_, parameters, std::vector<int>{}, max_rows,
                                           scrollable);
  if (reader_->Columns().size() != table_.types.size()) {
    reader_.reset();
    RaiseJetError(jet::err::kInvalidOperation, "The server's statement no longer returns the columns it did.");
  }
  parameters_ = parameters;
  max_rows_ = max_rows;
}

void SourceRows::ToLocalTypes(const ResultReader& reader, std::vector<Variant>& row) const {
  for (std::size_t i = 0; i < row.size(); ++i) {
    // Only the types the copy would hold differently need converting; the others pass as read.
    const int type = table_.types[i];
    if (type != reader.Columns()[i].type) row[i] = ToLocalValue(row[i], type);
  }
}

}  // namespace qb::jet::odbc
