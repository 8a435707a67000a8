// jet/odbc/source_stream: a forward-only recordset's rows read from the server as it moves.
#include "jet/odbc/source_stream.h"

#include "jet/base/errors.h"
#include "jet/odbc/data_source.h"

namespace qb::jet::odbc {

SourceStream::SourceStream(std::shared_ptr<DataSource> source, std::string select_sql, std::vector<Variant> parameters,
                           int query_timeout, std::int64_t max_rows, std::unique_ptr<ResultReader> reader,
                           CopyTable table)
    : source_(std::move(source)),
      select_sql_(std::move(select_sql)),
      parameters_(std::move(parameters)),
      timeout_(query_timeout),
      max_rows_(max_rows),
      reader_(std::move(reader)),
      table_(std::move(table)) {}

SourceStream::~SourceStream() {
  reader_.reset();  // the statement goes before the connection may
  try {
    if (source_->IsOpen()) source_->Local().Drop(table_);
  } catch (...) {
    // The table goes with the scratch file at the latest.
  }
}

namespace {
[[noreturn]] void ReadOnlyStream() {
  RaiseJetError(jet::err::kReadOnly, "A forward-only recordset on a data source is read-only.");
}
}  // namespace

void SourceStream::Insert(const std::vector<RecordsetColumn>&, std::vector<Variant>&, std::vector<bool>&) {
  ReadOnlyStream();
}
void SourceStream::Update(const std::vector<RecordsetColumn>&, const std::vector<Variant>&, const std::vector<Variant>&,
                          const std::vector<bool>&, int) {
  ReadOnlyStream();
}
void SourceStream::Delete(const std::vector<RecordsetColumn>&, const std::vector<Variant>&) { ReadOnlyStream(); }

void SourceStream::Reload(const std::vector<Variant>& parameters, std::int64_t max_rows) {
  reader_.reset();  // one statement at a time on the connection: the old one first
  reader_ = std::make_unique<ResultReader>(*source_, select_sql_, timeout_, parameters, std::vector<int>{}, max_rows);
  if (reader_->Columns().size() != table_.types.size()) {
    reader_.reset();
    RaiseJetError(jet::err::kInvalidOperation, "The server's statement no longer returns the columns it did.");
  }
  parameters_ = parameters;
  max_rows_ = max_rows;
}

std::size_t SourceStream::ReadRows(std::int64_t limit, std::vector<std::vector<Variant>>& rows) {
  if (!reader_) return 0;
  if (!source_->IsOpen()) RaiseJetError(jet::err::kObjectClosed, "The data source has been closed.");
  std::size_t count = 0;
  while ((limit < 0 || static_cast<std::int64_t>(count) < limit) && reader_->Next(row_)) {
    for (std::size_t i = 0; i < row_.size(); ++i) {
      // Only the types the copy holds differently need converting; the others pass as read.
      const int type = table_.types[i];
      if (type != reader_->Columns()[i].type) row_[i] = ToLocalValue(row_[i], type);
    }
    rows.push_back(std::move(row_));
    ++count;
  }
  return count;
}

}  // namespace qb::jet::odbc
