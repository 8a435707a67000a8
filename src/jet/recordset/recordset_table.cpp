// jet/recordset/recordset_table: table-type moves by key. The current record is the KeyWindow's
// current row; KEY_ONLY mirrors its rowid and CURRENT its values while a record is current.
#include "jet/recordset/recordset_table.h"

#include <sqlcipher/sqlite3.h>

#include <algorithm>

#include "jet/base/errors.h"
#include "jet/sql/translate/translator.h"
#include "jet/recordset/recordset_state.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

void Leave(RecordsetState& s, Place place) {
  s.place = place;
  s.pos = -1;
  s.key_only.reset();
  s.current = nullptr;
}

[[noreturn]] void NoCurrentRecord(const char* where) {
  RaiseJetError(err::kNoCurrentRecord, std::string("There is no current record: the recordset is at its ") + where + ".");
}

// Whether counts may be kept until the stamp moves: inside a transaction a rollback takes rows
// back without moving it.
bool CountsMayBeKept(RecordsetState& s) { return sqlite3_get_autocommit(s.Open().Handle()) != 0; }

}  // namespace

void ShowRow(RecordsetState& s, const KeyWindow::Row* row) {
  s.place = Place::kAt;
  s.pos = -1;
  s.key_only = row->rowid;
  s.current = &row->values;
}

void SyncWithFile(RecordsetState& s) {
  if (!s.IsTable()) return;
  const DataStamp now = ReadDataStamp(s.Open(), s.stamp_sql);
  if (now == s.seen) return;
  s.seen = now;
  KeyWindow& window = s.Window();
  window.Forget();
  if (s.place != Place::kAt) return;
  // Where Forget put its values, should the read below fail.
  s.current = window.Current() ? &window.Current()->values : nullptr;
  // Read again by rowid: a key another user changed moves the record in the order, and the
  // next move goes on from where it stands now.
  if (const KeyWindow::Row* row = window.Reread()) {
    ShowRow(s, row);
  } else {
    // The record vanished (deleted by another user): no current record where it stood.
    Leave(s, Place::kGap);
  }
}

bool TableEmpty(RecordsetState& s) { return s.Window().Empty(); }

void TableMoveFirst(RecordsetState& s) {
  DropEdit(s);
  SyncWithFile(s);
  const KeyWindow::Row* row = s.Window().First();
  if (!row) RaiseNoRecords();
  ShowRow(s, row);
}

void TableMoveLast(RecordsetState& s) {
  DropEdit(s);
  SyncWithFile(s);
  const KeyWindow::Row* row = s.Window().Last();
  if (!row) RaiseNoRecords();
  ShowRow(s, row);
}

namespace {

// One step towards the end (FORWARD) or the start.
void TableStep(RecordsetState& s, bool forward) {
  KeyWindow& window = s.Window();
  // A neighbour read with the current record's run is taken as a record cache would hold it.
  if (s.place == Place::kAt && !s.edit && s.current) {
    if (const KeyWindow::Row* row = forward ? window.HeldNext() : window.HeldPrevious()) {
      ShowRow(s, row);
      return;
    }
  }
  SyncWithFile(s);
  const Place toward = forward ? Place::kEof : Place::kBof;
  const Place from = forward ? Place::kBof : Place::kEof;
  if (s.place == toward || (s.place == from && window.Empty())) NoCurrentRecord(forward ? "end" : "start");
  DropEdit(s);
  const KeyWindow::Row* row = s.place == from ? (forward ? window.First() : window.Last())
                                              : (forward ? window.Next() : window.Previous());
  if (row) {
    ShowRow(s, row);
  } else {
    Leave(s, toward);
  }
}

}  // namespace

void TableMoveNext(RecordsetState& s) { TableStep(s, true); }

void TableMovePrevious(RecordsetState& s) { TableStep(s, false); }

void TableMove(RecordsetState& s, std::int64_t rows, const Variant& start_bookmark) {
  SyncWithFile(s);
  KeyWindow& window = s.Window();
  const KeyWindow::Row* row = nullptr;
  if (!start_bookmark.IsEmpty() && !start_bookmark.IsNull()) {
    row = window.Land(RowidOfBookmark(start_bookmark));
    if (!row) RaiseJetError(err::kBadBookmark, "Not a valid bookmark.");
  } else {
    if (s.place != Place::kAt) RaiseJetError(err::kNoCurrentRecord, "There is no current record to move from.");
    row = window.Current();
    if (!row) RaiseJetError(err::kRecordDeleted, "The record has been deleted by another user.");
  }
  DropEdit(s);
  for (std::int64_t step = 0; step < rows; ++step) {
    if (!(row = window.Next())) return Leave(s, Place::kEof);
  }
  for (std::int64_t step = 0; step > rows; --step) {
    if (!(row = window.Previous())) return Leave(s, Place::kBof);
  }
  ShowRow(s, row);
}

void TableSetBookmark(RecordsetState& s, const Variant& bookmark) {
  SyncWithFile(s);
  const KeyWindow::Row* row = s.Window().Land(RowidOfBookmark(bookmark));
  if (!row) RaiseJetError(err::kBadBookmark, "Not a valid bookmark.");
  DropEdit(s);
  ShowRow(s, row);
}

std::int64_t TableRowCount(RecordsetState& s) {
  const DataStamp now = ReadDataStamp(s.Open(), s.stamp_sql);
  if (s.table_count >= 0 && s.table_count_seen == now) return s.table_count;
  Statement count = s.Open().Prepare("SELECT count(*) FROM " + sql::QuoteSqliteName(s.table.name));
  ResetOnExit reset(count);
  const std::int64_t rows = count.Step() ? count.ColumnInt(0) : 0;
  s.table_count = CountsMayBeKept(s) ? rows : -1;
  s.table_count_seen = now;
  return rows;
}

std::int64_t TableOrdinal(RecordsetState& s) {
  SyncWithFile(s);
  if (s.place != Place::kAt || !s.Window().HasCurrent()) return -1;
  KeyWindow& window = s.Window();
  // Counting the rows before a record near the end reads nearly the whole order. With the
  // order's size known, both sides are counted a growing slice at a time and the nearer end
  // answers, so a record at either end costs a few short reads.
  constexpr std::int64_t kFirstSlice = 256;
  const std::int64_t near_start = window.CountBeyond(false, kFirstSlice);
  if (near_start < kFirstSlice) return near_start;
  std::int64_t total = -1;
  if (window.OrdersWholeTable()) {
    total = TableRowCount(s);
  } else if (s.order_count >= 0 && s.order_count_seen == s.seen) {
    total = s.order_count;
  } else {
    total = window.CountAll();
    s.order_count = CountsMayBeKept(s) ? total : -1;
    s.order_count_seen = s.seen;
  }
  for (std::int64_t limit = kFirstSlice; limit < total; limit *= 8) {
    if (limit > kFirstSlice) {
      const std::int64_t before = window.CountBeyond(false, limit);
      if (before < limit) return before;
    }
    const std::int64_t after = window.CountBeyond(true, limit);
    if (after < limit) return std::max<std::int64_t>(0, total - 1 - after);
  }
  return window.CountBefore();
}

void TableMoveToOrdinal(RecordsetState& s, std::int64_t ordinal) {
  SyncWithFile(s);
  if (const KeyWindow::Row* row = s.Window().Nth(ordinal)) {
    DropEdit(s);
    ShowRow(s, row);
  }
}

}  // namespace qb::jet
