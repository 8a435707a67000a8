// recordset/dao_recordset_navigation: the engine cursor moves, fetching records into buffers,
// the bookmarks kept in them, counts, record numbers, positions, fill-up and refresh.
#include <climits>
#include <cmath>
#include <cstring>

#include "core/resource_strings.h"
#include "engine/dao_errors.h"
#include "engine/dao_wait_cursor.h"
#include "framework/data/field.h"
#include "jet/recordset/recordset.h"
#include "recordset/dao_base_recordset.h"

namespace qb {

// ------------------------------------------------------------------ engine state and moves

bool TDAOBaseRecordset::AtBOF() const {
  if (!recordset_) return true;
  return forward_before_first_ || CallEngine(this, "AtBOF", [&] { return recordset_->Bof(); });
}

bool TDAOBaseRecordset::AtEOF() const {
  if (!recordset_) return true;
  return CallEngine(this, "AtEOF", [&] { return recordset_->Eof(); });
}

bool TDAOBaseRecordset::IsJetEmpty() const {
  if (!recordset_) return true;
  return CallEngine(this, "IsJetEmpty", [&] { return recordset_->Bof() && recordset_->Eof(); });
}

bool TDAOBaseRecordset::EditPendingBlocksMoves() const {
  return HasOpt(options_, roFixCursorDuringEditAndInsert) && GetEditMode() != jet::kEditNone;
}

void TDAOBaseRecordset::CursorMoved() {
  if (OnCursorMove) OnCursorMove(this);
}

void TDAOBaseRecordset::MoveNextRecord() {
  if (!recordset_ || EditPendingBlocksMoves()) return;
  if (forward_before_first_) {
    forward_before_first_ = false;  // the cursor already stands on the first record
  } else {
    CallEngine(this, "MoveNextRecord", [&] { recordset_->MoveNext(); });
  }
  CursorMoved();
}

void TDAOBaseRecordset::MovePriorRecord() {
  if (!recordset_ || EditPendingBlocksMoves()) return;
  CallEngine(this, "MovePriorRecord", [&] { recordset_->MovePrevious(); });
  CursorMoved();
}

void TDAOBaseRecordset::MoveLastRecord(int options) {
  if (!recordset_ || EditPendingBlocksMoves()) return;
  CallEngine(this, "MoveLastRecord", [&] { recordset_->MoveLast(options); });
  forward_before_first_ = false;
  CursorMoved();
  filled_up_ = true;
}

Variant TDAOBaseRecordset::GetCOMBookmark() const {
  if (!recordset_) return Variant();
  return CallEngine(this, "GetCOMBookmark", [&] {
    // A forward-only recordset has no bookmarks; its records are read in passing only.
    return recordset_->Bookmarkable() ? recordset_->Bookmark() : Variant();
  });
}

void TDAOBaseRecordset::GotoCOMBookmark(const Variant& bookmark) {
  if (bookmark.IsEmpty() || !recordset_ || EditPendingBlocksMoves()) return;
  CallEngine(this, "GotoCOMBookmark", [&] { recordset_->SetBookmark(bookmark); });
  forward_before_first_ = false;
  CursorMoved();
}

void TDAOBaseRecordset::MoveBeforeFirst() {
  if (IsJetEmpty() || EditPendingBlocksMoves()) return;
  CallEngine(this, "MoveBeforeFirst", [&] {
    recordset_->MoveFirst();
    if (!recordset_->Bof()) recordset_->MovePrevious();
  });
  CursorMoved();
}

void TDAOBaseRecordset::MoveAfterLast() {
  if (IsJetEmpty() || EditPendingBlocksMoves()) return;
  CallEngine(this, "MoveAfterLast", [&] {
    recordset_->MoveLast(0);
    recordset_->MoveNext();
  });
  forward_before_first_ = false;
  filled_up_ = true;
  CursorMoved();
}

// ------------------------------------------------------------------ fetching

TFetchResult TDAOBaseRecordset::FetchRecord(TRecordBuffer buffer, TFetchMode mode, bool check) {
  try {
    switch (mode) {
      case fmCurrent:
        if (AtEOF()) return frEOF;
        if (AtBOF()) return frBOF;
        break;
      case fmNext:
        if (AtEOF()) return frEOF;
        MoveNextRecord();
        if (AtEOF()) return frEOF;
        break;
      case fmPrior:
        if (AtBOF()) return frBOF;
        MovePriorRecord();
        if (AtBOF()) return frBOF;
        break;
    }
    if (buffer != nullptr) {
      for (const TField* field : Fields())
        if (field->FieldKind() == fkData) ReadJetField(field, buffer);
      StoreBookmark(buffer, GetCOMBookmark());
      ComputeCalculatedFields(buffer);
      WriteBookmarkFlag(buffer, bfCurrent);
    }
    return frOk;
  } catch (...) {
    if (check) throw;
    return frError;
  }
}

bool TDAOBaseRecordset::ReadCurrentRecord(TRecordBuffer buffer) {
  if (!HasCurrentRecord() || buffer == nullptr) return false;
  for (const TField* field : Fields())
    if (field->FieldKind() == fkData) ReadJetField(field, buffer);
  ComputeCalculatedFields(buffer);
  return true;
}

// ------------------------------------------------------------------ bookmarks

Variant TDAOBaseRecordset::StoredBookmark(TRecordBuffer buffer) const {
  const std::uint8_t* info = Info(buffer);
  if (info[1] == 0) return Variant();
  return Variant::FromBytes(std::vector<std::uint8_t>(info + 2, info + 2 + info[1]));
}

void TDAOBaseRecordset::StoreBookmark(TRecordBuffer buffer, const Variant& bookmark) {
  std::uint8_t* info = Info(buffer);
  std::memset(info + 1, 0, kRecordInfoSize - 1);
  if (bookmark.IsEmpty()) return;
  const std::vector<std::uint8_t>& bytes = bookmark.Bytes();
  if (bytes.empty() || bytes.size() > static_cast<size_t>(kMaxBookmarkBytes)) {
    // The engine's bookmarks are 4 bytes; one that does not fit must not be cut silently.
    throw EDAOError(DAOErrorMessage(this, "The record's bookmark does not fit the record buffer.", "StoreBookmark"));
  }
  info[1] = static_cast<std::uint8_t>(bytes.size());
  std::memcpy(info + 2, bytes.data(), bytes.size());
}

void TDAOBaseRecordset::ReadBookmark(TRecordBuffer buffer, std::uint8_t* destination) const {
  if (buffer == nullptr || destination == nullptr) return;
  const std::uint8_t* info = Info(buffer);
  if (info[1] == 0) return;
  std::memset(destination, 0, 4);
  std::memcpy(destination, info + 2, std::min<size_t>(4, info[1]));
}

void TDAOBaseRecordset::WriteBookmark(TRecordBuffer buffer, const std::uint8_t* source) {
  if (buffer == nullptr || source == nullptr) return;
  std::uint8_t* info = Info(buffer);
  if (info[1] == 0) info[1] = 4;
  std::memcpy(info + 2, source, 4);
}

TBookmarkFlag TDAOBaseRecordset::ReadBookmarkFlag(TRecordBuffer buffer) const {
  if (buffer == nullptr) return bfCurrent;
  return static_cast<TBookmarkFlag>(Info(buffer)[0]);
}

void TDAOBaseRecordset::WriteBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) {
  if (buffer != nullptr) Info(buffer)[0] = static_cast<std::uint8_t>(flag);
}

void TDAOBaseRecordset::MoveToBookmark(const std::uint8_t* bookmark) {
  if (!recordset_ || bookmark == nullptr) return;
  GotoCOMBookmark(Variant::FromBytes(std::vector<std::uint8_t>(bookmark, bookmark + 4)));
}

void TDAOBaseRecordset::MoveToRecordOf(TRecordBuffer buffer) {
  if (!HasCurrentRecord() || buffer == nullptr) return;
  const Variant bookmark = StoredBookmark(buffer);
  if (!bookmark.IsEmpty()) GotoCOMBookmark(bookmark);
}

int TDAOBaseRecordset::CompareBookmarkValues(const std::uint8_t* a, const std::uint8_t* b) const {
  if (a == nullptr && b == nullptr) return 0;
  if (a == nullptr) return 1;
  if (b == nullptr) return -1;
  std::int32_t x = 0, y = 0;
  std::memcpy(&x, a, 4);
  std::memcpy(&y, b, 4);
  // The reverse of numeric order, as the dataset's callers of this component expect it.
  return x < y ? 1 : x > y ? -1 : 0;
}

bool TDAOBaseRecordset::CheckBookmark(const std::uint8_t* bookmark) {
  if (!recordset_ || bookmark == nullptr || !HasCurrentRecord()) return false;
  bool valid = true;
  try {
    MoveToBookmark(bookmark);
  } catch (...) {
    valid = false;
  }
  InvalidateCursorPosition();
  return valid;
}

// ------------------------------------------------------------------ counts and positions

void TDAOBaseRecordset::FillUp() {
  if (!recordset_ || type_ == rtTable || filled_up_) return;
  // A forward-only recordset cannot come back from its last record: it counts what it reached.
  if (type_ != rtUnidirectional && !IsJetEmpty()) {
    MoveLastRecord(0);
    if (!HasCurrentRecord())
      MoveBeforeFirst();
    else
      MoveToRecordOf(ActiveBuffer());
    InvalidateCursorPosition();
  }
  filled_up_ = true;
}

int TDAOBaseRecordset::CountRecords() {
  if (!recordset_) return 0;
  if (auto_fill_up_ && !filled_up_) FillUp();
  // A table's count is exact and stays so until this recordset changes it or is refreshed
  // (another user's records count from the next Refresh). The other kinds count the records
  // reached so far: that count is final only once the last record was reached.
  const bool lasting = type_ == rtTable || (filled_up_ && type_ != rtUnidirectional);
  if (!lasting) ForgetRecordCount();
  std::int64_t count = known_record_count_;
  if (count < 0) count = CallEngine(this, "CountRecords", [&] { return recordset_->RecordCount(); });
  if (lasting) known_record_count_ = count;
  return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

bool TDAOBaseRecordset::HasSequenceNumbers() { return recordset_ != nullptr && type_ != rtUnidirectional; }

int TDAOBaseRecordset::GetRecordNumber() {
  if (!recordset_ || !HasCurrentRecord()) return 0;
  MoveToRecordOf(ActiveBuffer());
  InvalidateCursorPosition();
  switch (type_) {
    case rtQuery:
    case rtSnapshot:
    case rtStoredProcedure: {
      const std::int64_t position = CallEngine(this, "GetRecordNumber", [&] { return recordset_->AbsolutePosition(); });
      return static_cast<int>(std::min<std::int64_t>(position + 1, INT_MAX));
    }
    case rtTable:
    case rtDynamic: {
      const double percent = CallEngine(this, "GetRecordNumber", [&] { return recordset_->PercentPosition(); });
      return static_cast<int>(std::nearbyint(CountRecords() * static_cast<double>(percent) / 100.0)) + 1;
    }
    default: return 0;
  }
}

void TDAOBaseRecordset::SetRecordNumber(int number) {
  if (!recordset_) return;
  const int count = CountRecords();
  if (count <= 0) return;  // no record to go to
  int i = number - 1 < 0 ? 0 : number - 1;
  if (i >= count) i = count - 1;
  switch (type_) {
    case rtQuery:
    case rtSnapshot:
    case rtStoredProcedure: SetAbsolutePosition(i); break;
    case rtTable:
    case rtDynamic: SetPercentPosition(static_cast<float>(static_cast<double>(i) / count * 100.0)); break;
    default: break;
  }
}

void TDAOBaseRecordset::SetPercentPosition(float percent) {
  if (!recordset_ || percent < 0) return;
  if (type_ == rtUnidirectional) RaiseDAOError(this, ResString(kResPercentPositionNotAllowed), "SetPercentPosition");
  CheckBrowseMode();
  CallEngine(this, "SetPercentPosition", [&] { recordset_->SetPercentPosition(percent); });
  DoBeforeScroll();
  Resync(rmExact | rmCenter);
  DoAfterScroll();
}

void TDAOBaseRecordset::SetAbsolutePosition(std::int64_t position) {
  if (!recordset_ || position < 0) return;
  if (type_ != rtQuery && type_ != rtSnapshot && type_ != rtStoredProcedure) {
    RaiseDAOError(this, ResString(kResAbsolutePositionNotAllowed), "SetAbsolutePosition");
  }
  CheckBrowseMode();
  CallEngine(this, "SetAbsolutePosition", [&] { recordset_->SetAbsolutePosition(position); });
  DoBeforeScroll();
  Resync(rmExact | rmCenter);
  DoAfterScroll();
}

// ------------------------------------------------------------------ refresh and requery

namespace {
// Switches the wait cursor off for its lifetime.
class NoWaitCursor {
 public:
  NoWaitCursor() : saved_(ShowWaitCursor) { ShowWaitCursor = false; }
  ~NoWaitCursor() { ShowWaitCursor = saved_; }
  NoWaitCursor(const NoWaitCursor&) = delete;
  NoWaitCursor& operator=(const NoWaitCursor&) = delete;

 private:
  bool saved_;
};
}  // namespace

void TDAOBaseRecordset::RefreshRecords() {
  if (!recordset_) return;
  NoWaitCursor no_wait;
  ForgetRecordCount();
  const bool absolute = type_ == rtQuery || type_ == rtSnapshot || type_ == rtStoredProcedure;
  std::int64_t absolute_position = -1;
  float percent = -1;
  const bool had_current = !IsJetEmpty() && !AtBOF() && !AtEOF();
  if (had_current) {
    if (absolute) absolute_position = CallEngine(this, "RefreshRecords", [&] { return recordset_->AbsolutePosition(); });
    if (type_ == rtTable) percent = CallEngine(this, "RefreshRecords", [&] { return recordset_->PercentPosition(); });
  }
  if (type_ != rtTable) {
    CallEngine(this, "COMRefresh", [&] { recordset_->Requery(); });
    forward_before_first_ = false;
  } else {
    ReleaseRecordset();
    filled_up_ = false;
    ClearModifiedFlags();
    CreateCOMObj();
    if (!recordset_) return;
  }
  if (!IsJetEmpty()) {
    if (auto_fill_up_ && type_ != rtTable && type_ != rtUnidirectional)
      MoveLastRecord(0);
    else
      filled_up_ = false;
    if (absolute && absolute_position >= 0) {
      const std::int64_t count = CallEngine(this, "RefreshRecords", [&] { return recordset_->RecordCount(); });
      const std::int64_t position = std::min(absolute_position, count - 1);
      CallEngine(this, "RefreshRecords", [&] { recordset_->SetAbsolutePosition(position); });
    } else if (type_ == rtTable && percent >= 0) {
      CallEngine(this, "RefreshRecords", [&] { recordset_->SetPercentPosition(percent); });
    }
  } else {
    filled_up_ = true;
  }
}

void TDAOBaseRecordset::COMRequery(const std::shared_ptr<jet::QueryDef>& new_query) {
  if (!recordset_) return;
  if (type_ == rtTable) RaiseDAOError(this, ResString(kResRequeryNotAllowed), "COMRequery");
  ForgetRecordCount();
  CallEngine(this, "COMRequery", [&] {
    if (new_query)
      recordset_->Requery(new_query);
    else
      recordset_->Requery();
  });
  forward_before_first_ = false;
}

}  // namespace qb
