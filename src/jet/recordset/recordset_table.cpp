// jet/recordset/recordset_table: table-type moves by key. The current record is the KeyWindow's
// current row; KEY_ONLY mirrors its rowid and CURRENT its values while a record is current.
#include "jet/recordset/recordset_table.h"

#include "jet/base/errors.h"
#include "jet/recordset/recordset_state.h"

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

std::int64_t TableOrdinal(RecordsetState& s) {
  SyncWithFile(s);
  if (s.place != Place::kAt || !s.Window().HasCurrent()) return -1;
  return s.Window().CountBefore();
}

void TableMoveToOrdinal(RecordsetState& s, std::int64_t ordinal) {
  SyncWithFile(s);
  if (const KeyWindow::Row* row = s.Window().Nth(ordinal)) {
    DropEdit(s);
    ShowRow(s, row);
  }
}

}  // namespace qb::jet
