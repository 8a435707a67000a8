// jet/recordset/key_window: the rows after a key, in an order of several fields each ascending
// or descending, are not one range SQLite can seek to. They are read as a series of ranges it
// can: first the rows with the same key fields and a later rowid, then those agreeing on all but
// the last field with that field beyond, and so on outwards to the first field. Each range is an
// equality on a prefix of the index plus one bound on the next field, so each statement starts
// at the right index entry and reads no row it does not return.
#include "jet/recordset/key_window.h"

#include <sqlcipher/sqlite3.h>

#include <algorithm>

#include "jet/sqlite/column_value.h"
#include "jet/recordset/recordset_open.h"
#include "jet/catalog/schema_model.h"
#include "jet/sql/translate/translator.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

constexpr std::int64_t kRun = 256;  // rows read together, as a record cache would hold them
// A run with the current row before it, and the next run read beside it.
constexpr std::size_t kSlots = 2 * static_cast<std::size_t>(kRun) + 1;

StoredKeyValue ReadStoredKey(sqlite3_stmt* stmt, int column) {
  StoredKeyValue value;
  value.kind = sqlite3_column_type(stmt, column);
  switch (value.kind) {
    case SQLITE_INTEGER:
      value.integer = sqlite3_column_int64(stmt, column);
      break;
    case SQLITE_FLOAT:
      value.real = sqlite3_column_double(stmt, column);
      break;
    case SQLITE_TEXT:
      value.bytes.assign(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                         static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)));
      break;
    case SQLITE_BLOB: {
      const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, column));
      value.bytes.assign(data ? data : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)));
      break;
    }
    default:
      value.kind = SQLITE_NULL;
      break;
  }
  return value;
}

void BindStoredKey(sqlite3_stmt* stmt, int index, const StoredKeyValue& value) {
  switch (value.kind) {
    case SQLITE_INTEGER:
      sqlite3_bind_int64(stmt, index, value.integer);
      break;
    case SQLITE_FLOAT:
      sqlite3_bind_double(stmt, index, value.real);
      break;
    case SQLITE_TEXT:
      sqlite3_bind_text(stmt, index, value.bytes.data(), static_cast<int>(value.bytes.size()), SQLITE_TRANSIENT);
      break;
    case SQLITE_BLOB:
      // A null pointer would bind NULL, not an empty blob.
      if (value.bytes.empty()) {
        sqlite3_bind_zeroblob(stmt, index, 0);
      } else {
        sqlite3_bind_blob(stmt, index, value.bytes.data(), static_cast<int>(value.bytes.size()), SQLITE_TRANSIENT);
      }
      break;
    default:
      sqlite3_bind_null(stmt, index);
      break;
  }
}

std::string Mark(std::size_t number) { return "?" + std::to_string(number); }

}  // namespace

KeyWindow::KeyWindow(Connection& connection, const TableModel& table, const std::string& index_name,
                     std::vector<RecordsetColumn> columns)
    : connection_(connection), table_(sql::QuoteSqliteName(table.name)), columns_(std::move(columns)) {
  TableOrderSql(table, index_name, &filter_);
  if (const IndexModel* index = index_name.empty() ? nullptr : table.FindIndex(index_name)) {
    for (const IndexKey& key : index->keys) {
      const FieldModel* field = table.FindField(key.field);
      key_columns_.push_back(sql::QuoteSqliteName(field ? field->name : key.field));
      descending_.push_back(key.descending);
    }
  }
  select_ = "SELECT rowid";
  for (const std::string& column : key_columns_) select_ += ", " + column;
  for (const RecordsetColumn& column : columns_) {
    select_ += ", ";
    select_ += column.base_column.empty() ? std::string("NULL") : sql::QuoteSqliteName(column.base_column);
  }
  select_ += " FROM " + table_;
  // Rows never move in memory, so the current row's values stay where the recordset points
  // even when a read fails halfway.
  rows_.reserve(kSlots);
  gone_.reserve(kSlots);
}

Statement& KeyWindow::Compiled(const std::string& sql) {
  auto found = statements_.find(sql);
  if (found == statements_.end()) found = statements_.emplace(sql, connection_.Prepare(sql)).first;
  return found->second;
}

std::string KeyWindow::OrderSql(bool reverse, std::size_t from_level) const {
  std::string order;
  for (std::size_t i = from_level; i < key_columns_.size(); ++i) {
    order += key_columns_[i] + (descending_[i] != reverse ? " DESC, " : ", ");
  }
  return order + (reverse ? "rowid DESC" : "rowid");
}

std::string KeyWindow::Where(const std::string& condition) const {
  // The filter is spelled as the index's own WHERE, so SQLite sees it may use a partial index.
  if (filter_.empty()) return condition.empty() ? "" : " WHERE " + condition;
  return " WHERE (" + filter_ + ")" + (condition.empty() ? "" : " AND " + condition);
}

std::vector<KeyWindow::Piece> KeyWindow::Pieces(std::size_t level, bool after) const {
  if (level == key_columns_.size()) return {after ? Piece::kGreater : Piece::kLess};
  const bool null = rows_[at_].key[level].kind == SQLITE_NULL;
  // Nulls lie at the low end of the values; moving towards it, the lower values come first.
  const bool toward_low = after == descending_[level];
  if (toward_low) return null ? std::vector<Piece>{} : std::vector<Piece>{Piece::kLess, Piece::kNull};
  return {null ? Piece::kNotNull : Piece::kGreater};
}

std::string KeyWindow::PieceCondition(std::size_t level, Piece piece) const {
  std::string condition;
  for (std::size_t i = 0; i < level; ++i) condition += key_columns_[i] + " IS " + Mark(i + 1) + " AND ";
  const std::string column = level == key_columns_.size() ? std::string("rowid") : key_columns_[level];
  switch (piece) {
    case Piece::kGreater: return condition + column + " > " + Mark(level + 1);
    case Piece::kLess: return condition + column + " < " + Mark(level + 1);
    case Piece::kNull: return condition + column + " IS NULL";
    case Piece::kNotNull: return condition + column + " IS NOT NULL";
  }
  return condition;
}

void KeyWindow::BindKey(Statement& sql) const {
  const Row& current = rows_[at_];
  const int count = sqlite3_bind_parameter_count(sql.Handle());
  for (std::size_t i = 0; i < current.key.size() && static_cast<int>(i) < count; ++i) {
    BindStoredKey(sql.Handle(), static_cast<int>(i + 1), current.key[i]);
  }
  const int rowid_mark = static_cast<int>(key_columns_.size() + 1);
  if (rowid_mark <= count) sql.Bind(rowid_mark, current.rowid);
}

std::size_t KeyWindow::ReadInto(Statement& sql, std::size_t first_slot) {
  const int keys = static_cast<int>(key_columns_.size());
  std::size_t count = 0;
  while (sql.Step()) {
    const std::size_t slot = first_slot + count++;
    if (rows_.size() <= slot) {
      rows_.emplace_back();
      gone_.push_back(0);
    }
    Row& row = rows_[slot];
    gone_[slot] = 0;
    row.rowid = sql.ColumnInt(0);
    row.key.resize(key_columns_.size());
    for (int i = 0; i < keys; ++i) row.key[static_cast<std::size_t>(i)] = ReadStoredKey(sql.Handle(), i + 1);
    // Assigned in place, so a run reuses the storage of the one before.
    row.values.resize(columns_.size());
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      row.values[i] = sql.ColumnValue(1 + keys + static_cast<int>(i), columns_[i].type);
    }
  }
  return count;
}

void KeyWindow::KeepOnlyCurrent() {
  if (size_ == 0) return;
  std::swap(rows_[0], rows_[at_]);
  std::swap(gone_[0], gone_[at_]);
  size_ = 1;
  at_ = 0;
}

void KeyWindow::TakeRun(std::size_t got, bool keep_current) {
  const std::size_t first = size_;
  std::size_t to = 0;
  if (keep_current) {
    std::swap(rows_[0], rows_[at_]);
    std::swap(gone_[0], gone_[at_]);
    to = 1;
  }
  // Slot FIRST + I still holds new row I when it is moved: earlier swaps only wrote below it.
  for (std::size_t i = 0; i < got; ++i) {
    std::swap(rows_[to + i], rows_[first + i]);
    std::swap(gone_[to + i], gone_[first + i]);
  }
  size_ = to + got;
  at_ = 0;
}

std::size_t KeyWindow::ReadBeyond(bool after, std::int64_t limit) {
  const std::size_t keys = key_columns_.size();
  std::size_t got = 0;
  for (std::size_t level = keys + 1; level-- > 0 && static_cast<std::int64_t>(got) < limit;) {
    // Fields held equal are left out of the order: SQLite (as of this version) would sort the
    // whole range again rather than see that the index already gives that order.
    const std::string order = " ORDER BY " + OrderSql(!after, level) + " LIMIT " + Mark(keys + 2);
    for (Piece piece : Pieces(level, after)) {
      Statement& sql = Compiled(select_ + Where(PieceCondition(level, piece)) + order);
      ResetOnExit reset(sql);
      BindKey(sql);
      sql.Bind(static_cast<int>(keys + 2), limit - static_cast<std::int64_t>(got));
      got += ReadInto(sql, size_ + got);
      if (static_cast<std::int64_t>(got) >= limit) break;
    }
  }
  return got;
}

std::int64_t KeyWindow::CountBeyond(bool after, std::int64_t limit) {
  const std::size_t keys = key_columns_.size();
  std::int64_t count = 0;
  for (std::size_t level = keys + 1; level-- > 0;) {
    for (Piece piece : Pieces(level, after)) {
      if (limit >= 0 && count >= limit) return count;
      const std::string rows = table_ + Where(PieceCondition(level, piece));
      Statement& sql = Compiled(limit < 0 ? "SELECT count(*) FROM " + rows
                                          : "SELECT count(*) FROM (SELECT 1 FROM " + rows + " LIMIT " + Mark(keys + 2) + ")");
      ResetOnExit reset(sql);
      BindKey(sql);
      if (limit >= 0) sql.Bind(static_cast<int>(keys + 2), limit - count);
      if (sql.Step()) count += sql.ColumnInt(0);
    }
  }
  return count;
}

std::int64_t KeyWindow::CountAll() {
  Statement& sql = Compiled("SELECT count(*) FROM " + table_ + Where(""));
  ResetOnExit reset(sql);
  return sql.Step() ? sql.ColumnInt(0) : 0;
}

bool KeyWindow::Empty() {
  Statement& sql = Compiled("SELECT 1 FROM " + table_ + Where("") + " LIMIT 1");
  ResetOnExit reset(sql);
  return !sql.Step();
}

const KeyWindow::Row* KeyWindow::HeldNext() {
  for (std::size_t slot = at_ + 1; slot < size_; ++slot) {
    if (!gone_[slot]) {
      at_ = slot;
      return &rows_[slot];
    }
  }
  return nullptr;
}

const KeyWindow::Row* KeyWindow::HeldPrevious() {
  for (std::size_t slot = at_; slot-- > 0 && size_ > 0;) {
    if (!gone_[slot]) {
      at_ = slot;
      return &rows_[slot];
    }
  }
  return nullptr;
}

const KeyWindow::Row* KeyWindow::Next() {
  if (const Row* row = HeldNext()) return row;
  const std::size_t got = ReadBeyond(true, kRun);
  if (got == 0) return nullptr;
  TakeRun(got, true);
  at_ = 1;
  return &rows_[at_];
}

const KeyWindow::Row* KeyWindow::Previous() {
  if (const Row* row = HeldPrevious()) return row;
  const std::size_t got = ReadBeyond(false, kRun);
  if (got == 0) return nullptr;
  TakeRun(got, true);
  // Read nearest first behind the current row: turned round, the run is in the order again.
  std::reverse(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(size_));
  std::reverse(gone_.begin(), gone_.begin() + static_cast<std::ptrdiff_t>(size_));
  at_ = got - 1;
  return &rows_[at_];
}

const KeyWindow::Row* KeyWindow::ReadEnd(bool last) {
  Statement& sql = Compiled(select_ + Where("") + " ORDER BY " + OrderSql(last) + " LIMIT ?1");
  ResetOnExit reset(sql);
  sql.Bind(1, kRun);
  const std::size_t got = ReadInto(sql, size_);
  if (got == 0) return nullptr;
  TakeRun(got, false);
  if (last) {
    std::reverse(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(size_));
    std::reverse(gone_.begin(), gone_.begin() + static_cast<std::ptrdiff_t>(size_));
    at_ = size_ - 1;
  }
  return &rows_[at_];
}

const KeyWindow::Row* KeyWindow::First() { return ReadEnd(false); }
const KeyWindow::Row* KeyWindow::Last() { return ReadEnd(true); }

const KeyWindow::Row* KeyWindow::Single(Statement& sql) {
  if (ReadInto(sql, size_) == 0) return nullptr;
  TakeRun(1, false);
  return &rows_[0];
}

const KeyWindow::Row* KeyWindow::Land(std::int64_t rowid) {
  Statement& sql = Compiled(select_ + Where("rowid = ?1"));
  ResetOnExit reset(sql);
  sql.Bind(1, rowid);
  return Single(sql);
}

const KeyWindow::Row* KeyWindow::Nth(std::int64_t ordinal) {
  Statement& sql = Compiled(select_ + Where("") + " ORDER BY " + OrderSql(false) + " LIMIT 1 OFFSET ?1");
  ResetOnExit reset(sql);
  sql.Bind(1, ordinal);
  return Single(sql);
}

const KeyWindow::Row* KeyWindow::Reread() {
  KeepOnlyCurrent();
  if (size_ == 0) return nullptr;
  const std::int64_t rowid = rows_[0].rowid;
  if (const Row* row = Land(rowid)) return row;
  gone_[0] = 1;
  return nullptr;
}

void KeyWindow::LeaveCurrent() {
  if (size_ > 0) gone_[at_] = 1;
}

}  // namespace qb::jet
