// jet/recordset/row_source: slices are read with LIMIT/OFFSET over the source statement, so a
// reader never keeps a statement open between calls; callers grow the slices so that reading a
// whole source stays linear.
#include "jet/recordset/row_source.h"

#include <sqlcipher/sqlite3.h>

#include <algorithm>

#include "jet/sqlite/column_value.h"
#include "jet/recordset/join_plan.h"
#include "jet/recordset/row_mirror.h"
#include "jet/recordset/stored_value.h"
#include "jet/sql/translate/parameter_binding.h"
#include "jet/sql/translate/query_translator.h"
#include "jet/sql/translate/translator.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

std::string Slice(const std::string& inner, std::int64_t offset, std::int64_t limit) {
  return inner + " LIMIT " + std::to_string(limit < 0 ? -1 : limit) + " OFFSET " + std::to_string(offset);
}

}  // namespace

RowSource::RowSource(Connection& connection, std::vector<RecordsetColumn> columns, std::string select_sql,
                     std::string base_table, std::vector<Variant> parameters,
                     std::shared_ptr<const JoinPlan> join, std::string fetch_sql)
    : connection_(connection),
      columns_(std::move(columns)),
      select_sql_(std::move(select_sql)),
      base_table_(std::move(base_table)),
      parameters_(std::move(parameters)),
      join_(std::move(join)),
      fetch_sql_(std::move(fetch_sql)) {}

void RowSource::BindParameters(Statement& sql) {
  const int count = sqlite3_bind_parameter_count(sql.Handle());
  for (int i = 0; i < count && static_cast<std::size_t>(i) < parameters_.size(); ++i) {
    sql::BindParameterValue(sql.Handle(), i + 1, parameters_[static_cast<std::size_t>(i)]);
  }
}

std::vector<Variant> RowSource::ReadRow(Statement& sql, int first_column) const {
  std::vector<Variant> row;
  row.reserve(columns_.size());
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    row.push_back(sql.ColumnValue(first_column + static_cast<int>(i), columns_[i].type));
  }
  return row;
}

std::size_t RowSource::LoadKeys(std::int64_t offset, std::int64_t limit, std::vector<std::int64_t>& keys) {
  Statement sql = connection_.Prepare(Slice("SELECT " + sql::QuoteSqliteName(sql::kRowKeyColumn) + " FROM (" +
                                         select_sql_ + ")",
                                     offset, limit));
  BindParameters(sql);
  std::size_t count = 0;
  while (sql.Step()) {
    keys.push_back(sql.ColumnInt(0));
    ++count;
  }
  return count;
}

std::size_t RowSource::LoadRows(std::int64_t offset, std::int64_t limit, std::vector<std::vector<Variant>>& rows) {
  if (stream_) return stream_->ReadRows(limit, rows);  // OFFSET is always the rows read so far
  if (positioned_) return positioned_->ReadRowsAt(offset, limit, rows);
  Statement sql = connection_.Prepare(Slice("SELECT * FROM (" + select_sql_ + ")", offset, limit));
  BindParameters(sql);
  std::size_t count = 0;
  while (sql.Step()) {
    rows.push_back(ReadRow(sql, Keyed() ? 1 : 0));
    ++count;
  }
  return count;
}

std::int64_t RowSource::CountRows() { return positioned_->CountRows(); }

namespace {

std::string BaseColumnsSql(const std::vector<RecordsetColumn>& columns) {
  std::string list = "rowid";
  for (const RecordsetColumn& column : columns) {
    list += ", ";
    list += column.base_column.empty() ? std::string("NULL") : sql::QuoteSqliteName(column.base_column);
  }
  return list;
}

}  // namespace

std::string RowSource::KeySql() const {
  return fetch_sql_.empty() ? std::string("rowid") : sql::QuoteSqliteName(sql::kRowKeyColumn);
}

bool RowSource::Computes() const { return !fetch_sql_.empty() || (join_ && join_->computed); }

int RowSource::KeyMark(int i) const { return (Computes() ? static_cast<int>(parameters_.size()) : 0) + i; }

std::string RowSource::FetchSql(bool from_anchor) const {
  // A joined row is its root row with what its links find now, so a changed link field shows
  // the row it now points to.
  if (join_) {
    const std::size_t keyed = from_anchor ? static_cast<std::size_t>(join_->anchor) : 0;
    return "SELECT " + JoinAlias(keyed) + ".rowid, " + JoinColumnsSql(*join_, columns_, from_anchor) + " FROM " +
           JoinFromSql(*join_, from_anchor);
  }
  // Computed columns are computed from the row as it is now, filters aside.
  if (!fetch_sql_.empty()) return "SELECT * FROM (" + fetch_sql_ + ")";
  return "SELECT " + BaseColumnsSql(columns_) + " FROM " + sql::QuoteSqliteName(base_table_);
}

void RowSource::FetchJoinRange(bool from_anchor, std::int64_t first, std::int64_t last,
                               std::vector<std::pair<std::int64_t, std::vector<Variant>>>& rows) {
  Statement& fetch = from_anchor ? anchor_range_ : fetch_range_;
  if (!fetch.IsPrepared()) {
    const std::string rowid = JoinAlias(from_anchor ? static_cast<std::size_t>(join_->anchor) : 0) + ".rowid";
    fetch = connection_.Prepare(FetchSql(from_anchor) + " WHERE " + rowid + " BETWEEN ?" + std::to_string(KeyMark(1)) +
                                         " AND ?" + std::to_string(KeyMark(2)) + " ORDER BY " + rowid);
  }
  ResetOnExit reset(fetch);
  if (Computes()) BindParameters(fetch);
  fetch.Bind(KeyMark(1), from_anchor ? AnchorRowid(first) : first);
  fetch.Bind(KeyMark(2), from_anchor ? AnchorRowid(last) : last);
  while (fetch.Step()) {
    const std::int64_t rowid = fetch.ColumnInt(0);
    rows.emplace_back(from_anchor ? AnchorKey(rowid) : rowid, ReadRow(fetch, 1));
  }
}

void RowSource::FetchRange(std::int64_t first, std::int64_t last,
                           std::vector<std::pair<std::int64_t, std::vector<Variant>>>& rows) {
  if (join_) {
    // Anchor keys lie below every root key: their records come first in key order.
    if (join_->anchor >= 0 && IsAnchorKey(first)) {
      FetchJoinRange(true, first, std::min(last, kFirstRootKey - 1), rows);
      if (last < kFirstRootKey) return;
      first = kFirstRootKey;
    }
    FetchJoinRange(false, first, last, rows);
    return;
  }
  if (!fetch_range_.IsPrepared()) {
    fetch_range_ = connection_.Prepare(FetchSql() + " WHERE " + KeySql() + " BETWEEN ?" + std::to_string(KeyMark(1)) +
                                                " AND ?" + std::to_string(KeyMark(2)) + " ORDER BY " + KeySql());
  }
  ResetOnExit reset(fetch_range_);
  if (Computes()) BindParameters(fetch_range_);
  fetch_range_.Bind(KeyMark(1), first);
  fetch_range_.Bind(KeyMark(2), last);
  while (fetch_range_.Step()) {
    rows.emplace_back(fetch_range_.ColumnInt(0), ReadRow(fetch_range_, 1));
  }
}

bool RowSource::Fetch(std::int64_t key, std::vector<Variant>& values) {
  const bool from_anchor = join_ && join_->anchor >= 0 && IsAnchorKey(key);
  Statement& fetch = from_anchor ? anchor_one_ : fetch_one_;
  if (!fetch.IsPrepared()) {
    const std::string rowid =
        join_ ? JoinAlias(from_anchor ? static_cast<std::size_t>(join_->anchor) : 0) + ".rowid" : KeySql();
    fetch = connection_.Prepare(FetchSql(from_anchor) + " WHERE " + rowid + " = ?" + std::to_string(KeyMark(1)));
  }
  ResetOnExit reset(fetch);
  if (Computes()) BindParameters(fetch);
  fetch.Bind(KeyMark(1), from_anchor ? AnchorRowid(key) : key);
  if (!fetch.Step()) return false;
  values = ReadRow(fetch, 1);
  return true;
}

std::size_t RowSource::FetchAfter(std::int64_t after, std::int64_t limit, std::vector<std::int64_t>& keys,
                                  std::vector<std::vector<Variant>>& rows) {
  if (!fetch_after_.IsPrepared()) {
    fetch_after_ = connection_.Prepare("SELECT " + BaseColumnsSql(columns_) + " FROM " +
                                                sql::QuoteSqliteName(base_table_) +
                                                " WHERE rowid > ?1 ORDER BY rowid LIMIT ?2");
  }
  ResetOnExit reset(fetch_after_);
  fetch_after_.Bind(1, after);
  fetch_after_.Bind(2, limit);
  std::size_t count = 0;
  while (fetch_after_.Step()) {
    keys.push_back(fetch_after_.ColumnInt(0));
    if (rows.size() <= count) rows.emplace_back();
    std::vector<Variant>& row = rows[count++];
    row.resize(columns_.size());
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      row[i] = fetch_after_.ColumnValue(static_cast<int>(i) + 1, columns_[i].type);
    }
  }
  return count;
}

std::size_t RowSource::LoadKeysAfter(std::int64_t after, std::int64_t through, std::vector<std::int64_t>& keys) {
  if (!keys_after_.IsPrepared()) {
    keys_after_ = connection_.Prepare("SELECT rowid FROM " + sql::QuoteSqliteName(base_table_) +
                                               " WHERE rowid > ?1 AND rowid <= ?2 ORDER BY rowid");
  }
  ResetOnExit reset(keys_after_);
  keys_after_.Bind(1, after);
  keys_after_.Bind(2, through);
  std::size_t count = 0;
  while (keys_after_.Step()) {
    keys.push_back(keys_after_.ColumnInt(0));
    ++count;
  }
  return count;
}

}  // namespace qb::jet
