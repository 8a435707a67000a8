// jet/odbc/source_cursor: a recordset's rows read by position from the server's cursor.
#include "jet/odbc/source_cursor.h"

#include "jet/base/errors.h"
#include "jet/odbc/data_source.h"

namespace qb::jet::odbc {

namespace {
[[noreturn]] void ReadOnlyCursor() {
  RaiseJetError(jet::err::kReadOnly, "A recordset on the server's cursor is read-only.");
}
}  // namespace

void SourceCursor::Insert(const std::vector<RecordsetColumn>& columns, std::vector<Variant>& values,
                          std::vector<bool>& changed) {
  if (!writer_) ReadOnlyCursor();
  CountRows();  // the rows added come after the cursor's
  writer_->Insert(columns, values, changed);
  added_.push_back(values);
}
void SourceCursor::Update(const std::vector<RecordsetColumn>& columns, const std::vector<Variant>& original,
                          const std::vector<Variant>& values, const std::vector<bool>& changed, int criteria) {
  if (!writer_) ReadOnlyCursor();
  writer_->Update(columns, original, values, changed, criteria);
}
void SourceCursor::Delete(const std::vector<RecordsetColumn>& columns, const std::vector<Variant>& values) {
  if (!writer_) ReadOnlyCursor();
  writer_->Delete(columns, values);
}
void SourceCursor::Rewritten(std::int64_t pos, const std::vector<Variant>& values) {
  if (count_ >= 0 && pos >= count_ && static_cast<std::size_t>(pos - count_) < added_.size()) {
    added_[static_cast<std::size_t>(pos - count_)] = values;
  } else {
    rewritten_[pos] = values;
  }
}

void SourceCursor::Reload(const std::vector<Variant>& parameters, std::int64_t max_rows) {
  count_ = -1;
  rewritten_.clear();
  added_.clear();
  Rerun(parameters, max_rows, true);
}

void SourceCursor::AfterRollback() {
  Reload(Parameters(), MaxRows());
  ++reloads_;
}

ResultReader& SourceCursor::Reader() {
  if (!source_->IsOpen()) RaiseJetError(jet::err::kObjectClosed, "The data source has been closed.");
  if (!reader_) RaiseJetError(jet::err::kInvalidOperation, "The recordset's statement failed; Requery it.");
  return *reader_;
}

std::size_t SourceCursor::ReadRowsAt(std::int64_t offset, std::int64_t limit, std::vector<std::vector<Variant>>& rows) {
  ResultReader& reader = Reader();
  std::size_t count = 0;
  std::vector<Variant> row;
  for (std::int64_t pos = offset; limit < 0 || pos < offset + limit; ++pos) {
    if (count_ >= 0 && pos >= count_) {
      const auto added = static_cast<std::size_t>(pos - count_);
      if (added >= added_.size()) break;
      rows.push_back(added_[added]);
      ++count;
      continue;
    }
    if (!reader.ReadAt(pos, row)) break;
    if (auto written = rewritten_.find(pos); written != rewritten_.end()) {
      rows.push_back(written->second);
      ++count;
      continue;
    }
    ToLocalTypes(reader, row);
    rows.push_back(std::move(row));
    ++count;
  }
  source_->NoteCursorRows(count);
  return count;
}

std::int64_t SourceCursor::CountRows() {
  if (count_ < 0) count_ = Reader().CountRows();
  return count_ + static_cast<std::int64_t>(added_.size());
}

}  // namespace qb::jet::odbc
