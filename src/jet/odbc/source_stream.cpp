// jet/odbc/source_stream: a forward-only recordset's rows read from the server as it moves.
#include "jet/odbc/source_stream.h"

#include "jet/base/errors.h"
#include "jet/odbc/data_source.h"

namespace qb::jet::odbc {

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
  Rerun(parameters, max_rows, false);
}

std::size_t SourceStream::ReadRows(std::int64_t limit, std::vector<std::vector<Variant>>& rows) {
  if (!reader_) return 0;
  if (!source_->IsOpen()) RaiseJetError(jet::err::kObjectClosed, "The data source has been closed.");
  std::size_t count = 0;
  while ((limit < 0 || static_cast<std::int64_t>(count) < limit) && reader_->Next(row_)) {
    ToLocalTypes(*reader_, row_);
    rows.push_back(std::move(row_));
    ++count;
  }
  return count;
}

}  // namespace qb::jet::odbc
